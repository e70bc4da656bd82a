// Conversion of a placed glyph into quadratic TrueType contours in the font's units.
#pragma once

#include <cstdint>
#include <vector>

#include "GlyphOutline.h"

struct QuadPoint {
    int16_t x = 0;
    int16_t y = 0;
    uint8_t flags = 0;  // bit 0: on-curve
    bool operator==(const QuadPoint&) const = default;
};
constexpr uint8_t kQuadOnCurve = 1;

struct QuadraticGlyph {
    std::vector<std::vector<QuadPoint>> contours;
    uint16_t advanceWidth = 0;
    uint16_t advanceHeight = 0;
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int16_t leftSideBearing = 0;
    int16_t topSideBearing = 0;
    // A coordinate or metric left the 16-bit range on scaling: the glyph is not usable.
    bool overflow = false;
};

// Reverses the contours (TrueType winds outer contours clockwise), scales from the
// 2048-unit design em to unitsPerEm, replaces cubic curves by quadratic pieces and
// collects the points with their on-curve flags.
QuadraticGlyph ConvertToQuadratic(const GlyphOutline& glyph, int unitsPerEm);

// A point of the cubic-to-quadratic work, in font units.
struct QPointD {
    double x = 0, y = 0;
};

// Off-curve controls that replace the cubic P0..P3 (the on-curve points between them
// implied); an empty result means a straight line to P3.
std::vector<QPointD> CubicToQuadraticControls(QPointD p0, QPointD p1, QPointD p2, QPointD p3);
