// Writes an outline as an SVG document for looking at results: one path holding every
// contour, nonzero fill, y flipped so that the outline's y-up coordinates show upright.
#pragma once

#include <string>

#include "Outline.h"

struct OutlineSvgOptions {
    int master = 0;
    // Empty space around the outline's points, in outline units.
    int margin = 2;
    std::string fill = "black";
    // Also mark on-curve points (dots) and control points (rings) for inspection.
    bool showPoints = false;
};

// The SVG document as text.
std::string OutlineToSvg(const Outline& outline, const OutlineSvgOptions& options = {});

// Writes the document to path; false when the file cannot be written.
bool SaveOutlineSvg(const Outline& outline, const std::string& path,
                    const OutlineSvgOptions& options = {});
