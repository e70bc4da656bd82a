// Placement of a traced outline in the 2048-unit design em, and the moves that follow.
#pragma once

#include <cstdint>

#include "GlyphOutline.h"
#include "Outline.h"

struct PlacementParams {
    int32_t size = 50;        // symbol height, percent of the em (0..100)
    int32_t vertPos = 0;      // vertical shift, percent of the glyph height (-100..100)
    int32_t leftSpace = 10;   // percent of the glyph width (-100..200)
    int32_t rightSpace = 10;  // percent of the glyph width (-100..200)
    int32_t unitsPerEm = 2048;
};

struct PlacementResult {
    bool placed = false;  // false: the tracing has no height, nothing could be scaled
    // The spaces or the size put a coordinate or the advance past 16 bits: the glyph
    // shown is cut to the range and must not go into a font.
    bool overflow = false;
    int32_t width = 0;    // W, the placed box's width in design units
    int32_t height = 0;   // H, its height
};

// Rebuilds glyph from traced: copy, scale so that the height is size percent of the
// em, shift by the left space and vertical position, set the advance width. A tracing
// without height (no points, or all on one horizontal line) cannot be scaled: the glyph
// is then emptied and the result says so, so that the caller can tell the user.
PlacementResult PlaceGlyph(const Outline& traced, const PlacementParams& params,
                           GlyphOutline& glyph);

// Moves every point of the glyph by (dx, dy) as 16-bit offsets, and its stored box with
// it; width, height and advance stay. A move that would take the box past 16 bits is
// not made: false.
bool MoveGlyphPoints(GlyphOutline& glyph, int32_t dx, int32_t dy);

// Whether box moved by (dx, dy) stays inside 16-bit coordinates.
bool BoxFitsAfterMove(const GlyphBox& box, int64_t dx, int64_t dy);

// trunc(percent * extent * 0.01), the product taken in double precision.
int32_t PercentOf(int32_t percent, int32_t extent);
