#include "hmtxTABLE.h"

#include <vector>

#include "AxisMetrics.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "hheaTABLE.h"

hmtxTABLE::hmtxTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("hmtx"), length, checksum, offset) {}

int hmtxTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    hheaTABLE* h = f ? f->hhea() : nullptr;
    if (!g || !h) {
        setError(TTError::kInvalid);
        return error();
    }
    if (!AxisMetrics::Read(bytes, *g, h->numberOfHMetrics, kHorizontalAxis)) setError(TTError::kRead);
    return error();
}

int hmtxTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    hheaTABLE* h = f ? f->hhea() : nullptr;
    if (!g || !h || g->state() == TTSource::None || h->state() == TTSource::None) return error();
    h->recompute();
    std::vector<uint8_t> bytes = AxisMetrics::Encode(*g, h->numberOfHMetrics, kHorizontalAxis);
    writeBytes(bytes);
    return error();
}

void hmtxTABLE::dumpLines(FILE* out) {
    AxisMetrics::DumpLines(out, font() ? font()->glyf() : nullptr, kHorizontalAxis, "advance width\n    0:",
                           "\n    leftside bearing\n    0:");
}

void hmtxTABLE::dumpFields(TTDumpSink& sink) {
    AxisMetrics::DumpFields(sink, font() ? font()->glyf() : nullptr, kHorizontalAxis, "advanceWidth",
                            "leftSideBearing");
}
