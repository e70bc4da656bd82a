#include "Placement.h"

#include <algorithm>
#include <cmath>

int32_t PercentOf(int32_t percent, int32_t extent) {
    return int32_t(std::trunc(double(percent) * double(extent) * 0.01));
}

PlacementResult PlaceGlyph(const Outline& traced, const PlacementParams& params,
                           GlyphOutline& glyph) {
    PlacementResult result;
    glyph.assignOutline(traced);
    GlyphBox box = glyph.boundingBox();
    if (box.IsEmpty() || box.yMax == box.yMin) {
        glyph.clear();
        glyph.boundingBox();
        glyph.setAdvanceWidth(0);
        return result;
    }
    // f = (size * em) / (height * 100), both products integer.
    double f = double(int64_t(params.size) * params.unitsPerEm) /
               double(int64_t(box.yMax - box.yMin) * 100);
    glyph.scale(f);
    box = glyph.boundingBox();
    result.width = box.IsEmpty() ? 0 : box.xMax - box.xMin;
    result.height = box.IsEmpty() ? 0 : box.yMax - box.yMin;

    int32_t dx = PercentOf(params.leftSpace, result.width);
    int32_t dy = PercentOf(params.vertPos, result.height);
    MoveGlyphPoints(glyph, dx, dy);
    int32_t advance = result.width + PercentOf(params.rightSpace, result.width) + dx;
    // Negative spaces can make the sum negative; an advance cannot be, so it stops at 0
    // instead of wrapping round to a huge width.
    glyph.setAdvanceWidth(uint16_t(std::clamp(advance, 0, 65535)));
    result.placed = true;
    return result;
}

void MoveGlyphPoints(GlyphOutline& glyph, int32_t dx, int32_t dy) {
    OutlinePoint delta{int16_t(dx), int16_t(dy)};
    if (glyph.nodeCount() > 0) glyph.offsetPoints(-1, 0, glyph.nodeCount() - 1, delta);
    glyph.shiftBox(delta.x, delta.y);
}
