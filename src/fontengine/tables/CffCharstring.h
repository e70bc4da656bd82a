// Type 2 charstrings: the outline of one glyph of a CFF table as a small program.
//
// The engine runs a charstring only to learn the glyph's box, and writes charstrings
// of its own for new glyphs: plain moves, lines and curves, without hints or
// subroutines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CffData.h"

namespace Cff {

// The subroutines a charstring may call.
struct Subroutines {
    const Index* global = nullptr;
    const Index* local = nullptr;
};

// The box of an outline, exact at curve extrema; empty when nothing is drawn.
struct Bounds {
    bool empty = true;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    void add(double x, double y);
};

// A glyph's accented-character form (endchar with four operands): the accent's origin
// and the standard-encoding codes of the base and accent glyphs.
struct AccentedForm {
    bool used = false;
    double adx = 0, ady = 0;
    int base = 0, accent = 0;
};

// Runs a charstring, widening bounds by everything it draws. False when the program is
// malformed: an operand stack over- or underflow, a subroutine that does not exist,
// calls nested too deep, an unknown operator, or no endchar.
bool RunCharstring(const uint8_t* data, size_t size, const Subroutines& subrs, Bounds& bounds,
                   AccentedForm* accented = nullptr);

// A point of a new glyph's contours, in font units.
struct PathPoint {
    int32_t x = 0, y = 0;
};
// One segment: a line to `to`, or a curve with controls c1 and c2.
struct PathSegment {
    bool curve = false;
    PathPoint c1, c2, to;
};
struct PathContour {
    PathPoint start;
    std::vector<PathSegment> segments;
};

// The charstring drawing contours (closed implicitly), with the advance written as
// width - nominalWidth unless it equals defaultWidth.
std::vector<uint8_t> EncodeCharstring(const std::vector<PathContour>& contours, int width, int defaultWidth,
                                      int nominalWidth);

}  // namespace Cff
