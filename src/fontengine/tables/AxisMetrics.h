// What the horizontal and vertical metrics have in common: hmtx and vmtx code one
// (advance, bearing) pair per glyph the same way, and hhea and vhea take the same
// extremes from them. An axis names the glyph members it works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "TTGLYPH.h"

class glyfTABLE;
class TTDumpSink;

struct MetricAxis {
    uint16_t TTGLYPH::*advance;
    int16_t TTGLYPH::*bearing;
    int16_t TTGLYPH::*low;   // the glyph box along the axis
    int16_t TTGLYPH::*high;
    // Glyphs without an outline (spaces) count for the bearings and the extent too.
    bool blankGlyphsBound;
};

inline constexpr MetricAxis kHorizontalAxis{&TTGLYPH::m_nAdvanceWidth, &TTGLYPH::m_nLeftSideBearing,
                                            &TTGLYPH::xMin, &TTGLYPH::xMax, false};
inline constexpr MetricAxis kVerticalAxis{&TTGLYPH::m_nAdvanceHeight, &TTGLYPH::m_nTopSideBearing,
                                          &TTGLYPH::yMin, &TTGLYPH::yMax, true};

// The header fields recomputed from the glyphs.
struct AxisExtremes {
    uint16_t advanceMax = 0;
    int16_t minBearing = 0;
    int16_t minTrailingBearing = 0;  // the advance less the bearing and the box
    int16_t maxExtent = 0;           // the bearing plus the box
    uint16_t longMetrics = 0;        // glyphs that need an advance of their own
};

namespace AxisMetrics {
// Reads longCount (advance, bearing) pairs, then bare bearings, into the glyphs; glyphs
// after the pairs take the last advance. False when the bytes run short.
bool Read(const std::vector<uint8_t>& bytes, const glyfTABLE& glyphs, size_t longCount, const MetricAxis& axis);
std::vector<uint8_t> Encode(const glyfTABLE& glyphs, size_t longCount, const MetricAxis& axis);
AxisExtremes Extremes(const glyfTABLE& glyphs, const MetricAxis& axis);
void DumpLines(FILE* out, const glyfTABLE* glyphs, const MetricAxis& axis, const char* advanceCaption,
               const char* bearingCaption);
void DumpFields(TTDumpSink& sink, const glyfTABLE* glyphs, const MetricAxis& axis, const char* advanceName,
                const char* bearingName);
}  // namespace AxisMetrics
