#include "vmtxTABLE.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "TTBytes.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "vheaTABLE.h"

namespace {
vheaTABLE* VerticalHeader(const TTF_TABLE& t) {
    TTF* f = t.font();
    return f ? f->get<vheaTABLE>(TTIndex::vhea) : nullptr;
}
}  // namespace

vmtxTABLE::vmtxTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("vmtx"), length, checksum, offset) {}

std::unique_ptr<TTObject> vmtxTABLE::clone() const {
    auto copy = std::make_unique<vmtxTABLE>(owner());
    copy->assign(*this);
    return copy;
}

int vmtxTABLE::followGlyphCount(uint32_t oldCount, uint32_t newCount) {
    // Bytes kept without a header cannot follow; metrics in the glyphs do.
    if (oldCount != newCount && !data().empty()) {
        setError(TTError::kGlyphCountTable);
        return error();
    }
    return TTError::kOk;
}

int vmtxTABLE::readBody() {
    data().clear();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    vheaTABLE* v = VerticalHeader(*this);
    if (!g || !v) {
        readAll(data());
        return error();
    }
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    size_t count = g->glyphCount();
    size_t longCount = std::min<size_t>(v->numOfLongVerMetrics, count);
    ByteCursor c(bytes);
    uint16_t advance = 0;
    for (size_t i = 0; i < count; ++i) {
        TTGLYPH* glyph = g->glyph(i);
        if (i < longCount) advance = c.u16();
        glyph->m_nAdvanceHeight = advance;
        glyph->m_nTopSideBearing = c.s16();
    }
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

int vmtxTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (!data().empty()) {
        writeBytes(data());
        return error();
    }
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    vheaTABLE* v = VerticalHeader(*this);
    if (!g || !v || g->state() == TTSource::None || v->state() == TTSource::None) return error();
    v->recompute();
    size_t count = g->glyphCount();
    std::vector<uint8_t> bytes;
    bytes.reserve(count * 4);
    ByteWriter w(bytes);
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        if (i < v->numOfLongVerMetrics) w.u16(glyph->m_nAdvanceHeight);
        w.s16(glyph->m_nTopSideBearing);
    }
    writeBytes(bytes);
    return error();
}

uint16_t vmtxTABLE::usualAdvanceHeight() const {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    vheaTABLE* v = VerticalHeader(*this);
    if (!g || !v || !data().empty()) return 0;
    std::unordered_map<uint16_t, uint32_t> counts;
    uint16_t best = 0;
    uint32_t bestCount = 0;
    for (size_t i = 0; i < g->glyphCount(); ++i) {
        uint16_t advance = g->glyph(i)->m_nAdvanceHeight;
        if (advance == 0) continue;
        uint32_t n = ++counts[advance];
        if (n > bestCount || (n == bestCount && advance < best)) best = advance, bestCount = n;
    }
    if (bestCount) return best;
    int height = int(v->ascent) - int(v->descent);
    return height > 0 && height <= 0xFFFF ? uint16_t(height) : 0;
}

void vmtxTABLE::dumpLines(FILE* out) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    TTText::MetricLines(out, "advance height\n    0:", n,
                        [&](size_t i) { return int(g->glyph(i)->m_nAdvanceHeight); });
    TTText::MetricLines(out, "\n    topside bearing\n    0:", n,
                        [&](size_t i) { return int(g->glyph(i)->m_nTopSideBearing); });
    std::fputs("\n", out);
}

void vmtxTABLE::dumpFields(TTDumpSink& sink) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    std::vector<uint16_t> advance(n), bearing(n);
    for (size_t i = 0; i < n; ++i) {
        advance[i] = g->glyph(i)->m_nAdvanceHeight;
        bearing[i] = uint16_t(g->glyph(i)->m_nTopSideBearing);
    }
    sink.array("advanceHeight", advance.data(), n);
    sink.array("topSideBearing", bearing.data(), n);
    // A table carried as its bytes (no vertical header) shows them too.
    if (!data().empty()) TTF_TABLE::dumpFields(sink);
}
