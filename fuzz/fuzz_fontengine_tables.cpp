// Any bytes as each font-wide table: read alone and inside a font with glyphs, then
// changed where the table allows it and written back.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FontWideTables.h"
#include "TTF.h"
#include "TableRegistry.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"
#include "hdmxTABLE.h"

namespace {
constexpr int kIndices[] = {TTIndex::EBDT, TTIndex::EBLC, TTIndex::EBSC, TTIndex::LTSH, TTIndex::OS2,
                            TTIndex::PCLT, TTIndex::VDMX, TTIndex::cvt,  TTIndex::fpgm, TTIndex::gasp,
                            TTIndex::hdmx, TTIndex::kern, TTIndex::post, TTIndex::prep, TTIndex::vhea,
                            TTIndex::vmtx};

constexpr size_t kGlyphs = 40;

void WriteBack(TTF_TABLE& t) {
    TTMemoryStream out;
    t.writeTo(&out);
    t.setOutput(nullptr);
}
}  // namespace

// A font with a few mapped glyphs, built once; the per-glyph fields the tables fill
// are reset before every input so that runs do not depend on each other.
TTF& Font() {
    static TTF* font = [] {
        auto* f = new TTF;
        f->glyf()->setGlyphCount(kGlyphs);
        f->glyf()->setState(TTSource::Calculated);
        if (auto* map = f->get<cmapTABLE>(TTIndex::cmap)->addSubtable(3, 1))
            for (uint32_t c = 0x20; c < 0x20 + kGlyphs - 1; ++c) map->setGlyphForCode(c, uint16_t(c - 0x1F));
        return f;
    }();
    for (size_t i = 0; i < kGlyphs; ++i) {
        TTGLYPH* g = font->glyf()->glyph(i);
        g->m_name = GlyphName{};
        g->m_nYPels = 1;
        g->m_nAdvanceHeight = 0;
        g->m_nTopSideBearing = 0;
    }
    return *font;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTF& font = Font();
    for (int index : kIndices) {
        auto alone = CreateFontWideTable(index, nullptr, uint32_t(size));
        TTMemoryStream in(data, size);
        if (alone->readFrom(&in) == 0) WriteBack(*alone);

        font.removeTable(index);
        auto t = CreateFontWideTable(index, &font, uint32_t(size));
        TTF_TABLE* table = t.get();
        font.setSlot(index, font.addTable(std::move(t)));
        TTMemoryStream again(data, size);
        if (table->readFrom(&again) != 0) continue;
        table->setInput(nullptr);
        if (auto* hdmx = dynamic_cast<hdmxTABLE*>(table)) hdmx->addGlyph(size % 2 ? font.glyf()->glyph(1) : nullptr);
        WriteBack(*table);
    }
    return 0;
}
