#include "Placement.h"

#include <algorithm>
#include <cmath>

int32_t PercentOf(int32_t percent, int32_t extent) {
    return int32_t(std::trunc(double(percent) * double(extent) * 0.01));
}

namespace {
bool InRange16(int64_t v) { return v >= -32768 && v <= 32767; }

// Whether scaling box by f about the origin keeps its corners inside 16 bits (the
// scale itself would cut them silently).
bool ScaledBoxFits(const GlyphBox& box, double f) {
    for (int v : {int(box.xMin), int(box.xMax), int(box.yMin), int(box.yMax)})
        if (!InRange16(int64_t(GlyphOutline::ScaleCoordinate(v, 0, f)))) return false;
    return true;
}
// The box of every point, control points included, over all masters.
GlyphBox PointExtent(const GlyphOutline& glyph) {
    GlyphBox box;
    const int nm = glyph.masters();
    for (OutlineNodeRef nd = glyph.firstNode(); nd; nd = glyph.nextNode(nd))
        for (int k = 0; k < nd.pointCount(); ++k)
            for (int m = 0; m < nm; ++m) {
                OutlinePoint p = nd.point(k, nm, m);
                box.xMin = std::min(box.xMin, p.x);
                box.yMin = std::min(box.yMin, p.y);
                box.xMax = std::max(box.xMax, p.x);
                box.yMax = std::max(box.yMax, p.y);
            }
    return box;
}
}  // namespace

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
    result.overflow = !ScaledBoxFits(PointExtent(glyph), f);
    glyph.scale(f);
    box = glyph.boundingBox();
    result.width = box.IsEmpty() ? 0 : box.xMax - box.xMin;
    result.height = box.IsEmpty() ? 0 : box.yMax - box.yMin;

    int32_t dx = PercentOf(params.leftSpace, result.width);
    int32_t dy = PercentOf(params.vertPos, result.height);
    if (!MoveGlyphPoints(glyph, dx, dy)) result.overflow = true;
    int32_t advance = result.width + PercentOf(params.rightSpace, result.width) + dx;
    if (advance > 65535) result.overflow = true;
    // Negative spaces can make the sum negative; an advance cannot be, so it stops at 0
    // instead of wrapping round to a huge width.
    glyph.setAdvanceWidth(uint16_t(std::clamp(advance, 0, 65535)));
    result.placed = true;
    return result;
}

bool BoxFitsAfterMove(const GlyphBox& box, int64_t dx, int64_t dy) {
    if (box.IsEmpty()) return InRange16(dx) && InRange16(dy);
    return InRange16(box.xMin + dx) && InRange16(box.xMax + dx) && InRange16(box.yMin + dy) &&
           InRange16(box.yMax + dy);
}

bool MoveGlyphPoints(GlyphOutline& glyph, int32_t dx, int32_t dy) {
    // Control points may lie outside the box of the curves: all points must fit.
    if (!BoxFitsAfterMove(PointExtent(glyph), dx, dy) || !BoxFitsAfterMove(glyph.box(), dx, dy)) return false;
    OutlinePoint delta{int16_t(dx), int16_t(dy)};
    if (glyph.nodeCount() > 0) glyph.offsetPoints(-1, 0, glyph.nodeCount() - 1, delta);
    glyph.shiftBox(delta.x, delta.y);
    return true;
}
