// The placed glyph as the contours of a PostScript-outline (CFF) font: the outline's own
// cubic curves, scaled to the font's em, in the winding PostScript outlines use.
#pragma once

#include <cstdint>
#include <vector>

#include "CffCharstring.h"
#include "GlyphOutline.h"

struct CffConversion {
    std::vector<Cff::PathContour> contours;
    uint16_t advanceWidth = 0;
    uint16_t advanceHeight = 0;
    bool overflow = false;  // a coordinate or metric left 16 bits on scaling
};

// Scales from the 2048-unit design em to unitsPerEm with the rounding of the TrueType
// conversion; quadratic pieces become the cubic curves they equal.
CffConversion convertToCff(const GlyphOutline& glyph, int unitsPerEm);
