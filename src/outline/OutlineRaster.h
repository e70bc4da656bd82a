// Fills an outline into a 1-bit picture with the nonzero winding rule, curves flattened,
// so that a tracing can be compared with the picture it came from and previews drawn.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "MonoBitmap.h"
#include "Outline.h"

// Where the outline lands in the picture: outline point (x, y) maps to the picture
// position (x * scale + offsetX, y * scale + offsetY), measured in pixels from the
// picture's bottom-left corner with y up. A pixel is inked when its centre lies inside.
struct OutlineRasterParams {
    double scale = 1.0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    // Largest distance between a curve and the line pieces replacing it, in pixels.
    double flatness = 0.1;
    int master = 0;
};

// One contour flattened into a closed polygon, in picture units (y up).
using RasterPolygon = std::vector<std::pair<double, double>>;

// The contours of an outline as closed polygons after the mapping above.
std::vector<RasterPolygon> FlattenOutline(const Outline& outline,
                                          const OutlineRasterParams& params = {});

// Sets the pixels of target that lie inside the outline to ink; others are untouched.
void FillOutline(const Outline& outline, MonoBitmap& target,
                 const OutlineRasterParams& params = {});

// target becomes a new width x height picture of paper with the outline filled in ink.
// Raises 2005 when the picture cannot be had.
void RasterizeOutline(const Outline& outline, int32_t width, int32_t height, MonoBitmap& target,
                      const OutlineRasterParams& params = {});
