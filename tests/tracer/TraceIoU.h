// Fidelity of a tracing: the filled outline against the picture's ink at 4x
// supersampling, intersection over union, the outline placed at its best quarter-pixel
// offset and never rescaled, so that a stroke drawn too thick or too thin counts
// against it. Shared by the fidelity test and the side-by-side benchmark.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "MonoBitmap.h"
#include "Outline.h"
#include "OutlineRaster.h"

namespace trace_iou {

constexpr int kSuper = 4;   // subpixels per pixel, each way
constexpr int kMargin = 8;  // subpixels of room around the picture for a straying tracing
constexpr int kReach = 4;   // offsets tried: up to one pixel each way, in quarter pixels

struct Score {
    double iou = 0;
    int dx = 0, dy = 0;  // best offset, in quarter pixels beyond the given placement
};

using Spans = std::vector<std::pair<int, int>>;  // [from, to) runs of ink in one row

// Ink runs of row `row` (as stored, top row 0) of a picture, each coordinate times `times`.
inline Spans InkRuns(const MonoBitmap& b, int row, int times) {
    Spans runs;
    const uint8_t* bits = b.Row(row);
    int x = 0;
    while (x < b.width) {
        if ((x & 7) == 0 && bits[x >> 3] == 0xFF) {
            x += 8;
            continue;
        }
        if ((bits[x >> 3] >> (7 - (x & 7))) & 1) {
            ++x;
            continue;
        }
        int from = x;
        while (x < b.width && !((bits[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
        runs.emplace_back(from * times, x * times);
    }
    return runs;
}

inline long Overlap(const Spans& a, const Spans& b, int shift) {
    long n = 0;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        int a0 = a[i].first + shift, a1 = a[i].second + shift;
        int lo = std::max(a0, b[j].first), hi = std::min(a1, b[j].second);
        if (hi > lo) n += hi - lo;
        if (a1 < b[j].second)
            ++i;
        else
            ++j;
    }
    return n;
}

// unitsPerPixel: outline units in one pixel; offset: where outline point (0, 0) lies in
// the picture, in pixels from its bottom-left corner (0.5 for a tracing whose points are
// pixel centres). The best of the offsets within a pixel of that is taken.
inline Score BestOffsetIoU(const Outline& outline, const MonoBitmap& picture, double unitsPerPixel = 1.0,
                           double offset = 0.0) {
    const int w = picture.width, h = picture.height;
    const int rw = w * kSuper + 2 * kMargin, rh = h * kSuper + 2 * kMargin;
    MonoBitmap raster;
    OutlineRasterParams rp;
    rp.scale = kSuper / unitsPerPixel;
    rp.offsetX = rp.offsetY = offset * kSuper + kMargin;
    RasterizeOutline(outline, rw, rh, raster, rp);

    // Rows counted upward from the bottom, as the outline's y.
    std::vector<Spans> traced(static_cast<size_t>(rh));
    long tracedArea = 0;
    for (int y = 0; y < rh; ++y) {
        traced[size_t(y)] = InkRuns(raster, rh - 1 - y, 1);
        for (auto [a, b] : traced[size_t(y)]) tracedArea += b - a;
    }
    std::vector<Spans> ink(static_cast<size_t>(h));
    long inkArea = 0;
    for (int y = 0; y < h; ++y) {
        ink[size_t(y)] = InkRuns(picture, h - 1 - y, kSuper);
        for (auto [a, b] : ink[size_t(y)]) inkArea += long(b - a) * kSuper;
    }
    Score best;
    best.iou = -1;
    for (int dy = -kReach; dy <= kReach; ++dy) {
        for (int dx = -kReach; dx <= kReach; ++dx) {
            long both = 0;
            for (int y = 0; y < rh; ++y) {
                int q = y - kMargin + dy;
                if (q < 0 || q >= h * kSuper || traced[size_t(y)].empty()) continue;
                both += Overlap(traced[size_t(y)], ink[size_t(q / kSuper)], dx - kMargin);
            }
            long either = inkArea + tracedArea - both;
            double iou = either > 0 ? double(both) / double(either) : 1.0;
            if (iou > best.iou) best = Score{iou, dx, dy};
        }
    }
    return best;
}

}  // namespace trace_iou
