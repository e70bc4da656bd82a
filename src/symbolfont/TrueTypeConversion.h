// The placed glyph as a TrueType glyph of a font with a given em: the quadratic contours
// of the outline module turned into the engine's glyph object.
#pragma once

#include <memory>

#include "GlyphOutline.h"
#include "TTGLYPH.h"

struct TrueTypeConversion {
    std::unique_ptr<TTGLYPH> glyph;  // simple, loaded and resident
    bool overflow = false;           // a coordinate or metric left 16 bits on scaling
    bool tooComplex = false;         // more contours or points than a glyph may hold
};

// Reverses the contours, scales from the 2048-unit design em to unitsPerEm, replaces
// cubic curves by quadratic pieces and fills in metrics and box.
TrueTypeConversion convertToTrueType(const GlyphOutline& glyph, int unitsPerEm);
