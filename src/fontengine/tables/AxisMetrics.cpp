#include "AxisMetrics.h"

#include <algorithm>

#include "TTBytes.h"
#include "TTDump.h"
#include "glyfTABLE.h"

namespace AxisMetrics {

bool Read(const std::vector<uint8_t>& bytes, const glyfTABLE& glyphs, size_t longCount, const MetricAxis& axis) {
    const size_t count = glyphs.glyphCount();
    longCount = std::min(longCount, count);
    ByteCursor c(bytes);
    uint16_t advance = 0;
    for (size_t i = 0; i < count; ++i) {
        TTGLYPH* glyph = glyphs.glyph(i);
        if (i < longCount) advance = c.u16();
        glyph->*axis.advance = advance;
        glyph->*axis.bearing = c.s16();
    }
    return c.ok();
}

std::vector<uint8_t> Encode(const glyfTABLE& glyphs, size_t longCount, const MetricAxis& axis) {
    const size_t count = glyphs.glyphCount();
    std::vector<uint8_t> bytes;
    bytes.reserve(count * 4);
    ByteWriter w(bytes);
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = glyphs.glyph(i);
        if (i < longCount) w.u16(glyph->*axis.advance);
        w.s16(glyph->*axis.bearing);
    }
    return bytes;
}

AxisExtremes Extremes(const glyfTABLE& glyphs, const MetricAxis& axis) {
    const size_t count = glyphs.glyphCount();
    // The largest advance counts every glyph; the bearings and extent only the glyphs
    // the axis says bound them.
    int advanceMax = 0, minBearing = 32767, minTrailing = 32767, extent = 0;
    bool any = false;
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = glyphs.glyph(i);
        const int advance = glyph->*axis.advance, bearing = glyph->*axis.bearing;
        advanceMax = std::max(advanceMax, advance);
        if (!axis.blankGlyphsBound && glyph->m_nKind == TTGLYPH::Empty) continue;
        any = true;
        const int size = glyph->*axis.high - glyph->*axis.low;
        minBearing = std::min(minBearing, bearing);
        minTrailing = std::min(minTrailing, advance - bearing - size);
        extent = std::max(extent, bearing + size);
    }
    if (!any) minBearing = minTrailing = 0;
    auto clamp = [](int v) { return int16_t(std::clamp(v, -32768, 32767)); };
    AxisExtremes e;
    e.advanceMax = uint16_t(advanceMax);
    e.minBearing = clamp(minBearing);
    e.minTrailingBearing = clamp(minTrailing);
    e.maxExtent = clamp(extent);
    // Trailing glyphs that share the last advance need no advance of their own.
    size_t n = count;
    while (n >= 2 && glyphs.glyph(n - 2)->*axis.advance == glyphs.glyph(count - 1)->*axis.advance) --n;
    e.longMetrics = uint16_t(std::min<size_t>(n, 0xFFFF));
    return e;
}

void DumpLines(FILE* out, const glyfTABLE* glyphs, const MetricAxis& axis, const char* advanceCaption,
               const char* bearingCaption) {
    const size_t n = glyphs ? glyphs->glyphCount() : 0;
    TTText::MetricLines(out, advanceCaption, n, [&](size_t i) { return int(glyphs->glyph(i)->*axis.advance); });
    TTText::MetricLines(out, bearingCaption, n, [&](size_t i) { return int(glyphs->glyph(i)->*axis.bearing); });
    std::fputs("\n", out);
}

void DumpFields(TTDumpSink& sink, const glyfTABLE* glyphs, const MetricAxis& axis, const char* advanceName,
                const char* bearingName) {
    const size_t n = glyphs ? glyphs->glyphCount() : 0;
    std::vector<uint16_t> advance(n), bearing(n);
    for (size_t i = 0; i < n; ++i) {
        advance[i] = glyphs->glyph(i)->*axis.advance;
        bearing[i] = uint16_t(glyphs->glyph(i)->*axis.bearing);
    }
    sink.array(advanceName, advance.data(), n);
    sink.array(bearingName, bearing.data(), n);
}

}  // namespace AxisMetrics
