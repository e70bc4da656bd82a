#include "ImageEdits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Slack for the boundary: a pixel centre exactly at the brush's edge is painted.
constexpr double kEdge = 1e-9;

// The interval of x a row meets inside the brush's path; empty while lo > hi.
struct Span {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void Add(double l, double h) {
        if (l > h) return;
        lo = std::min(lo, l);
        hi = std::max(hi, h);
    }
};

void AddDisc(Span& span, PixelPoint c, double y, double r) {
    const double dy = y - c.y;
    const double q = r * r - dy * dy;
    if (q < 0) return;
    const double half = std::sqrt(q);
    span.Add(c.x - half, c.x + half);
}

// The rectangle swept by the brush between the two centres: points whose projection
// falls on the segment and whose distance across it is at most r.
void AddBand(Span& span, PixelPoint a, PixelPoint b, double y, double r) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return;
    const double len = std::sqrt(len2), ry = y - a.y;
    double lo = -std::numeric_limits<double>::infinity(), hi = std::numeric_limits<double>::infinity();
    auto clip = [&](double x1, double x2) {
        lo = std::max(lo, std::min(x1, x2));
        hi = std::min(hi, std::max(x1, x2));
    };
    // Along: 0 <= (x - ax) dx + ry dy <= len2.
    if (dx == 0) {
        const double t = ry * dy;
        if (t < 0 || t > len2) return;
    } else {
        clip(a.x - ry * dy / dx, a.x + (len2 - ry * dy) / dx);
    }
    // Across: |(x - ax) dy - ry dx| <= r len.
    if (dy == 0) {
        if (std::abs(ry * dx) > r * len) return;
    } else {
        clip(a.x + (ry * dx - r * len) / dy, a.x + (ry * dx + r * len) / dy);
    }
    span.Add(lo, hi);
}

// Sets pixels x0..x1 (inclusive) of a row to paper, whole bytes in the middle.
void PaintPaper(uint8_t* row, int32_t x0, int32_t x1) {
    const int32_t b0 = x0 >> 3, b1 = x1 >> 3;
    const uint8_t first = uint8_t(0xFF >> (x0 & 7));
    const uint8_t last = uint8_t(0xFF << (7 - (x1 & 7)));
    if (b0 == b1) {
        row[b0] |= first & last;
        return;
    }
    row[b0] |= first;
    std::memset(row + b0 + 1, 0xFF, size_t(b1 - b0 - 1));
    row[b1] |= last;
}

// One segment of the stroke (a == b: a disc); grows painted by what it painted.
void EraseSegment(MonoImage& image, PixelPoint a, PixelPoint b, int32_t radius, PixelRect& painted) {
    const double r = radius + kEdge;
    const int64_t top = std::max<int64_t>(0, int64_t(std::min(a.y, b.y)) - radius);
    const int64_t bottom = std::min<int64_t>(image.height - 1, int64_t(std::max(a.y, b.y)) + radius);
    for (int64_t y = top; y <= bottom; ++y) {
        Span span;
        AddDisc(span, a, double(y), r);
        AddDisc(span, b, double(y), r);
        AddBand(span, a, b, double(y), r);
        if (span.lo > span.hi) continue;
        const double lo = std::max(std::ceil(span.lo), 0.0);
        const double hi = std::min(std::floor(span.hi), double(image.width - 1));
        if (lo > hi) continue;
        const int32_t x0 = int32_t(lo), x1 = int32_t(hi);
        PaintPaper(image.Row(int32_t(y)), x0, x1);
        if (painted.IsEmpty()) {
            painted = {x0, int32_t(y), x1 + 1, int32_t(y) + 1};
        } else {
            painted.left = std::min(painted.left, x0);
            painted.right = std::max(painted.right, x1 + 1);
            painted.top = std::min(painted.top, int32_t(y));
            painted.bottom = std::max(painted.bottom, int32_t(y) + 1);
        }
    }
}

}  // namespace

PixelRect EraseStroke(MonoImage& image, const std::vector<PixelPoint>& points, int32_t radius) {
    PixelRect painted;
    if (image.IsEmpty() || points.empty() || radius < 0) return painted;
    if (points.size() == 1) EraseSegment(image, points[0], points[0], radius, painted);
    for (size_t i = 1; i < points.size(); ++i) EraseSegment(image, points[i - 1], points[i], radius, painted);
    return painted;
}

bool ApplyImageEdit(MonoImage& image, const ImageEdit& edit) {
    if (edit.command != ImageEdit::kErase) return ApplyImageCommand(image, edit.command);
    EraseStroke(image, edit.points, edit.radius);
    return true;
}
