#include "hheaTABLE.h"

#include <cstdio>
#include <vector>

#include "AxisMetrics.h"
#include "TTBytes.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

hheaTABLE::hheaTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("hhea"), length, checksum, offset) {}

void hheaTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* h = dynamic_cast<const hheaTABLE*>(&other); h && h != this) {
        version = h->version;
        Ascender = h->Ascender;
        Descender = h->Descender;
        LineGap = h->LineGap;
        advanceWidthMax = h->advanceWidthMax;
        minLeftSideBearing = h->minLeftSideBearing;
        minRightSideBearing = h->minRightSideBearing;
        xMaxExtent = h->xMaxExtent;
        caretSlopeRise = h->caretSlopeRise;
        caretSlopeRun = h->caretSlopeRun;
        reserved = h->reserved;
        metricDataFormat = h->metricDataFormat;
        numberOfHMetrics = h->numberOfHMetrics;
    }
}

void hheaTABLE::reset() {
    TTF_TABLE::reset();
    version = 0x00010000;
    Ascender = Descender = LineGap = 0;
    advanceWidthMax = 0;
    minLeftSideBearing = minRightSideBearing = xMaxExtent = 0;
    caretSlopeRise = 1;
    caretSlopeRun = 0;
    reserved.fill(0);
    metricDataFormat = 0;
    numberOfHMetrics = 0;
}

int hheaTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    Ascender = c.s16();
    Descender = c.s16();
    LineGap = c.s16();
    advanceWidthMax = c.u16();
    minLeftSideBearing = c.s16();
    minRightSideBearing = c.s16();
    xMaxExtent = c.s16();
    caretSlopeRise = c.s16();
    caretSlopeRun = c.s16();
    for (auto& r : reserved) r = c.s16();
    metricDataFormat = c.s16();
    numberOfHMetrics = c.u16();
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

void hheaTABLE::recompute() {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    if (!g || g->state() == TTSource::None) return;
    setState(TTSource::Calculated);
    const AxisExtremes e = AxisMetrics::Extremes(*g, kHorizontalAxis);
    advanceWidthMax = e.advanceMax;
    minLeftSideBearing = e.minBearing;
    minRightSideBearing = e.minTrailingBearing;
    xMaxExtent = e.maxExtent;
    numberOfHMetrics = e.longMetrics;
}

int hheaTABLE::writeBody() {
    if (!beginWrite()) return error();
    recompute();
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u32(version);
    w.s16(Ascender);
    w.s16(Descender);
    w.s16(LineGap);
    w.u16(advanceWidthMax);
    w.s16(minLeftSideBearing);
    w.s16(minRightSideBearing);
    w.s16(xMaxExtent);
    w.s16(caretSlopeRise);
    w.s16(caretSlopeRun);
    for (int16_t r : reserved) w.s16(r);
    w.s16(metricDataFormat);
    w.u16(numberOfHMetrics);
    writeBytes(bytes);
    return error();
}

void hheaTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx, Ascender %d, Descender %d, LineGap %d, advwidthmax %d\n", (unsigned long)version,
                 Ascender, Descender, LineGap, advanceWidthMax);
    std::fprintf(out,
                 "minLeftSideBearing %d, minRightSideBearing %d, xMaxExtent %d, caretSlopeRise %d, caretSlopeRun %d\n",
                 minLeftSideBearing, minRightSideBearing, xMaxExtent, caretSlopeRise, caretSlopeRun);
    std::fprintf(out, "numberOfHMetrics %d\n", numberOfHMetrics);
}

void hheaTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("Ascender", Ascender);
    sink.field("Descender", Descender);
    sink.field("LineGap", LineGap);
    sink.field("advanceWidthMax", advanceWidthMax);
    sink.field("minLeftSideBearing", minLeftSideBearing);
    sink.field("minRightSideBearing", minRightSideBearing);
    sink.field("xMaxExtent", xMaxExtent);
    sink.field("caretSlopeRise", caretSlopeRise);
    sink.field("caretSlopeRun", caretSlopeRun);
    sink.array("reserved", reserved.data(), reserved.size());
    sink.field("metricDataFormat", metricDataFormat);
    sink.field("numberOfHMetrics", numberOfHMetrics);
}
