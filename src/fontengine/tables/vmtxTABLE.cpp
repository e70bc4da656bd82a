#include "vmtxTABLE.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "AxisMetrics.h"
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
    if (!AxisMetrics::Read(bytes, *g, v->numOfLongVerMetrics, kVerticalAxis)) setError(TTError::kRead);
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
    std::vector<uint8_t> bytes = AxisMetrics::Encode(*g, v->numOfLongVerMetrics, kVerticalAxis);
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
    AxisMetrics::DumpLines(out, font() ? font()->glyf() : nullptr, kVerticalAxis, "advance height\n    0:",
                           "\n    topside bearing\n    0:");
}

void vmtxTABLE::dumpFields(TTDumpSink& sink) {
    AxisMetrics::DumpFields(sink, font() ? font()->glyf() : nullptr, kVerticalAxis, "advanceHeight",
                            "topSideBearing");
    // A table carried as its bytes (no vertical header) shows them too.
    if (!data().empty()) TTF_TABLE::dumpFields(sink);
}
