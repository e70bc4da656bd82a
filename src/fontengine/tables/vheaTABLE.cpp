#include "vheaTABLE.h"

#include <cstdio>
#include <vector>

#include "AxisMetrics.h"
#include "TTBytes.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

vheaTABLE::vheaTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("vhea"), length, checksum, offset) {}

void vheaTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* v = dynamic_cast<const vheaTABLE*>(&other); v && v != this)
        static_cast<vheaFields&>(*this) = static_cast<const vheaFields&>(*v);
}

void vheaTABLE::reset() {
    TTF_TABLE::reset();
    static_cast<vheaFields&>(*this) = vheaFields{};
}

int vheaTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    ascent = c.s16();
    descent = c.s16();
    lineGap = c.s16();
    advanceHeightMax = c.u16();
    minTopSideBearing = c.s16();
    minBottomSideBearing = c.s16();
    yMaxExtent = c.s16();
    caretSlopeRise = c.s16();
    caretSlopeRun = c.s16();
    caretOffset = c.s16();
    for (auto& r : reserved) r = c.s16();
    metricDataFormat = c.s16();
    numOfLongVerMetrics = c.u16();
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

void vheaTABLE::recompute() {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    if (!g || g->state() == TTSource::None) return;
    setState(TTSource::Calculated);
    const AxisExtremes e = AxisMetrics::Extremes(*g, kVerticalAxis);
    advanceHeightMax = e.advanceMax;
    minTopSideBearing = e.minBearing;
    minBottomSideBearing = e.minTrailingBearing;
    yMaxExtent = e.maxExtent;
    numOfLongVerMetrics = e.longMetrics;
}

int vheaTABLE::writeBody() {
    if (!beginWrite()) return error();
    recompute();
    std::vector<uint8_t> bytes;
    bytes.reserve(kSize);
    ByteWriter w(bytes);
    w.u32(version);
    for (int16_t v : {ascent, descent, lineGap}) w.s16(v);
    w.u16(advanceHeightMax);
    for (int16_t v : {minTopSideBearing, minBottomSideBearing, yMaxExtent, caretSlopeRise, caretSlopeRun, caretOffset})
        w.s16(v);
    for (int16_t r : reserved) w.s16(r);
    w.s16(metricDataFormat);
    w.u16(numOfLongVerMetrics);
    writeBytes(bytes);
    return error();
}

void vheaTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx, ascent %d, descent %d, linegap %d, advheightmax %d\n", (unsigned long)version,
                 ascent, descent, lineGap, advanceHeightMax);
    std::fprintf(out,
                 "minTopSideBearing %d, minBottomSideBearing %d, yMaxExtent %d, caretSlopeRise %d, caretSlopeRun %d\n",
                 minTopSideBearing, minBottomSideBearing, yMaxExtent, caretSlopeRise, caretSlopeRun);
    std::fprintf(out, "caretOffset %d, numOfLongVerMetrics %d\n", caretOffset, numOfLongVerMetrics);
}

void vheaTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("ascent", ascent);
    sink.field("descent", descent);
    sink.field("lineGap", lineGap);
    sink.field("advanceHeightMax", advanceHeightMax);
    sink.field("minTopSideBearing", minTopSideBearing);
    sink.field("minBottomSideBearing", minBottomSideBearing);
    sink.field("yMaxExtent", yMaxExtent);
    sink.field("caretSlopeRise", caretSlopeRise);
    sink.field("caretSlopeRun", caretSlopeRun);
    sink.field("caretOffset", caretOffset);
    sink.array("reserved", reserved.data(), reserved.size());
    sink.field("metricDataFormat", metricDataFormat);
    sink.field("numOfLongVerMetrics", numOfLongVerMetrics);
}
