#include "hheaTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <algorithm>
#include <vector>

#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"

hheaTABLE::hheaTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("hhea"), length, checksum, offset) {}

std::unique_ptr<TTObject> hheaTABLE::clone() const {
    auto copy = std::make_unique<hheaTABLE>(owner());
    copy->assign(*this);
    return copy;
}

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
    // The widest advance counts every glyph, blank ones (spaces) included; the
    // bearings and extent only glyphs with an outline.
    int widthMax = 0, minLsb = 32767, minRsb = 32767, extent = 0;
    bool any = false;
    size_t count = g->glyphCount();
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        widthMax = std::max<int>(widthMax, glyph->m_nAdvanceWidth);
        if (glyph->m_nKind == TTGLYPH::Empty) continue;
        any = true;
        int width = glyph->xMax - glyph->xMin;
        minLsb = std::min<int>(minLsb, glyph->m_nLeftSideBearing);
        minRsb = std::min<int>(minRsb, int(glyph->m_nAdvanceWidth) - glyph->m_nLeftSideBearing - width);
        extent = std::max<int>(extent, glyph->m_nLeftSideBearing + width);
    }
    if (!any) minLsb = minRsb = 0;
    auto clamp = [](int v) { return int16_t(std::clamp(v, -32768, 32767)); };
    advanceWidthMax = uint16_t(widthMax);
    minLeftSideBearing = clamp(minLsb);
    minRightSideBearing = clamp(minRsb);
    xMaxExtent = clamp(extent);
    // Trailing glyphs that share the last advance width need no advance of their own.
    size_t n = count;
    while (n >= 2 && g->glyph(n - 2)->m_nAdvanceWidth == g->glyph(count - 1)->m_nAdvanceWidth) --n;
    numberOfHMetrics = uint16_t(std::min<size_t>(n, 0xFFFF));
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
