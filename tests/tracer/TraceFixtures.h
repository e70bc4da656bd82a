// Generated pictures for the tracer's tests and benchmarks, and ways to compare them.
//
// Drawing coordinates are pixel positions with y counted downward from the top row, as
// the picture stores them.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdint>
#include <memory>
#include <random>

#include "MonoBitmap.h"

namespace trace_fixtures {

inline std::unique_ptr<MonoBitmap> Blank(int w, int h) {
    auto bmp = std::make_unique<MonoBitmap>();
    bmp->Create(w, h);
    bmp->Fill(1);
    return bmp;
}

inline bool IsInk(const MonoBitmap& b, int x, int y) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) return false;
    return ((b.Row(y)[x >> 3] >> (7 - (x & 7))) & 1) == 0;
}

inline void SetInk(MonoBitmap& b, int x, int y, bool ink = true) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) return;
    uint8_t mask = uint8_t(0x80 >> (x & 7));
    if (ink)
        b.Row(y)[x >> 3] &= uint8_t(~mask);
    else
        b.Row(y)[x >> 3] |= mask;
}

// Inks pixels [x0, x1) of row y, clipped.
inline void InkSpan(MonoBitmap& b, int y, int x0, int x1, bool ink = true) {
    if (y < 0 || y >= b.height) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, b.width);
    for (int x = x0; x < x1; ++x) SetInk(b, x, y, ink);
}

inline void FillRect(MonoBitmap& b, int x0, int y0, int x1, int y1, bool ink = true) {
    for (int y = y0; y < y1; ++y) InkSpan(b, y, x0, x1, ink);
}

// Every pixel whose centre lies within r of (cx, cy).
inline void FillDisc(MonoBitmap& b, double cx, double cy, double r, bool ink = true) {
    int y0 = int(std::floor(cy - r)), y1 = int(std::ceil(cy + r));
    for (int y = y0; y <= y1; ++y) {
        double dy = y + 0.5 - cy;
        double half = r * r - dy * dy;
        if (half < 0) continue;
        double dx = std::sqrt(half);
        int x0 = int(std::ceil(cx - dx - 0.5)), x1 = int(std::floor(cx + dx - 0.5)) + 1;
        InkSpan(b, y, x0, x1, ink);
    }
}

inline void FillRing(MonoBitmap& b, double cx, double cy, double outer, double inner) {
    FillDisc(b, cx, cy, outer, true);
    FillDisc(b, cx, cy, inner, false);
}

// A round pen of radius r dragged from (x0, y0) to (x1, y1).
inline void StrokeLine(MonoBitmap& b, double x0, double y0, double x1, double y1, double r) {
    double len = std::hypot(x1 - x0, y1 - y0);
    int steps = std::max(1, int(std::ceil(len / std::max(0.25, r * 0.25))));
    for (int i = 0; i <= steps; ++i) {
        double t = double(i) / steps;
        FillDisc(b, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, r);
    }
}

// A signature-like picture: a looping cursive stroke of varying width across the
// picture, a flourish underline and two dots. The same seed gives the same drawing at
// every size, scaled.
inline std::unique_ptr<MonoBitmap> Signature(int w, int h, unsigned seed = 1) {
    auto bmp = Blank(w, h);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> jitter(0.8, 1.2);
    const double unit = h / 200.0;  // drawn at 600 x 200 and scaled
    const double a = jitter(rng), bfac = jitter(rng), c = jitter(rng);
    const int loops = 9;
    double px = 0, py = 0;
    const int samples = int(6000 * std::max(1.0, unit));
    for (int i = 0; i <= samples; ++i) {
        double t = double(i) / samples;
        double base = 40 + 480 * t;
        double phase = 2 * std::numbers::pi * loops * t;
        double x = (base + 22 * a * std::cos(phase + 0.3)) * unit;
        double y = (100 + 35 * std::sin(phase) * bfac + 18 * std::sin(2 * std::numbers::pi * 2 * t * c)) * unit;
        double r = (2.2 + 1.6 * std::sin(phase * 0.5 + 1.0) * std::sin(phase * 0.5 + 1.0)) * unit;
        if (i > 0) StrokeLine(*bmp, px, py, x, y, r);
        px = x;
        py = y;
    }
    // Underline flourish.
    px = 30 * unit;
    py = 165 * unit;
    for (int i = 1; i <= 400; ++i) {
        double t = i / 400.0;
        double x = (30 + 540 * t) * unit;
        double y = (165 + 10 * std::sin(std::numbers::pi * t) - 25 * t * t) * unit;
        StrokeLine(*bmp, px, py, x, y, (1.5 + 1.5 * t) * unit);
        px = x;
        py = y;
    }
    FillDisc(*bmp, 300 * unit, 30 * unit, 4 * unit);
    FillDisc(*bmp, 420 * unit, 28 * unit, 3.5 * unit);
    return bmp;
}

// Pixels where the two pictures differ (over the larger size; outside reads as paper).
inline long CountDifferences(const MonoBitmap& a, const MonoBitmap& b) {
    long n = 0;
    int w = std::max(a.width, b.width), h = std::max(a.height, b.height);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) n += IsInk(a, x, y) != IsInk(b, x, y);
    return n;
}

// Pixel edges between ink and paper, counting the picture's border as paper.
inline long Perimeter(const MonoBitmap& b) {
    long n = 0;
    for (int y = -1; y < b.height; ++y)
        for (int x = -1; x < b.width; ++x) {
            bool here = IsInk(b, x, y);
            n += here != IsInk(b, x + 1, y);
            n += here != IsInk(b, x, y + 1);
        }
    return n;
}

inline long InkCount(const MonoBitmap& b) {
    long n = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) n += IsInk(b, x, y);
    return n;
}

}  // namespace trace_fixtures
