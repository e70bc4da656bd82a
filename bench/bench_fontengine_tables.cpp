// The font-wide tables on a font of 65535 glyphs: reading and writing post (one own
// name per glyph), the OS/2 recomputation, hdmx and vmtx.
#include <benchmark/benchmark.h>

#include <string>

#include "GlyphNames.h"
#include "OS2TABLE.h"
#include "TTF.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"
#include "hdmxTABLE.h"
#include "postTABLE.h"
#include "vheaTABLE.h"
#include "vmtxTABLE.h"

namespace {

constexpr size_t kGlyphs = 65535;

// A font of kGlyphs glyphs with names, metrics and a full Unicode map, and T read from
// bytes in the slot of index.
TTF& BigFont() {
    static TTF* font = [] {
        auto* f = new TTF;
        glyfTABLE* g = f->glyf();
        g->setGlyphCount(kGlyphs);
        g->setState(TTSource::Calculated);
        auto* map = f->get<cmapTABLE>(TTIndex::cmap)->addSubtable(3, 1);
        for (size_t i = 0; i < kGlyphs; ++i) {
            TTGLYPH* glyph = g->glyph(i);
            glyph->m_nKind = TTGLYPH::Simple;
            glyph->yMax = int16_t(i % 1000);
            glyph->m_nAdvanceWidth = uint16_t(500 + i % 300);
            glyph->m_nAdvanceHeight = uint16_t(1000 + i % 7);
            glyph->m_name = i < 258 ? GlyphNames::standard(uint16_t(i)) : GlyphNames::own("uni" + std::to_string(i));
            map->setGlyphForCode(uint32_t(i), uint16_t(i));
        }
        return f;
    }();
    return *font;
}

template <class T>
T* Table(TTF& font, int index) {
    if (auto* t = font.get<T>(index)) return t;
    font.removeTable(index);
    auto t = std::make_unique<T>(&font);
    T* raw = t.get();
    font.setSlot(index, font.addTable(std::move(t)));
    raw->reset();
    return raw;
}

template <class T>
void WriteThenRead(benchmark::State& state, int index) {
    TTF& font = BigFont();
    T* t = Table<T>(font, index);
    if constexpr (std::is_same_v<T, vmtxTABLE>) Table<vheaTABLE>(font, TTIndex::vhea);
    if constexpr (std::is_same_v<T, hdmxTABLE>)
        for (int ppem : {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 24, 32}) t->records.push_back({uint8_t(ppem), 0, {}});
    TTMemoryStream out;
    for (auto _ : state) {
        out = TTMemoryStream();
        t->writeTo(&out);
        TTMemoryStream in(out.data());
        t->m_nLength = uint32_t(out.data().size());
        t->readFrom(&in);
        t->setInput(nullptr);
    }
    state.counters["bytes"] = double(out.data().size());
}

void BM_Post(benchmark::State& s) { WriteThenRead<postTABLE>(s, TTIndex::post); }
void BM_OS2(benchmark::State& s) { WriteThenRead<OS2TABLE>(s, TTIndex::OS2); }
void BM_Hdmx(benchmark::State& s) { WriteThenRead<hdmxTABLE>(s, TTIndex::hdmx); }
void BM_Vmtx(benchmark::State& s) { WriteThenRead<vmtxTABLE>(s, TTIndex::vmtx); }
BENCHMARK(BM_Post)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OS2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hdmx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vmtx)->Unit(benchmark::kMillisecond);

}  // namespace
