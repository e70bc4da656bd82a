// Helpers shared by the tracer tests: running a trace and looking at its contours.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "FitGeometry.h"
#include "OutlineRaster.h"
#include "TraceFixtures.h"
#include "Tracer.h"

namespace trace_test {

struct Traced {
    int code = -1;
    std::unique_ptr<Outline> outline;
};

inline Traced TraceIt(const MonoBitmap& bmp, int curveMode = kTraceCubic, float scale = 1.0f,
                  int extremes = 1, int step = 1) {
    TraceParams p;
    p.image = &bmp;
    p.curveMode = curveMode;
    p.outputScale = scale;
    p.extremePoints = extremes;
    p.step = step;
    Traced t;
    t.code = trace(&p);
    t.outline = std::move(p.result);
    return t;
}

// [first, last] node ranges of each contour.
inline std::vector<std::pair<int, int>> Contours(const Outline& o) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < o.nodeCount(); ++i) {
        if (o.node(i).kind() == kNodeMove) out.emplace_back(i, i);
        else if (!out.empty()) out.back().second = i;
    }
    return out;
}

// The on-curve end point of a node.
inline OutlinePoint EndPoint(const Outline& o, int i) { return o.node(i).point(0); }

// Signed areas of the flattened contours (positive = counter-clockwise, y up).
inline std::vector<double> SignedAreas(const Outline& o) {
    std::vector<double> areas;
    for (const RasterPolygon& poly : FlattenOutline(o)) {
        double a = 0;
        for (size_t i = 0; i < poly.size(); ++i) {
            const auto& p = poly[i];
            const auto& q = poly[(i + 1) % poly.size()];
            a += p.first * q.second - q.first * p.second;
        }
        areas.push_back(a / 2);
    }
    return areas;
}

// Every contour ends on its own start point and holds nothing but known node kinds.
inline void ExpectClosedContours(const Outline& o) {
    ASSERT_EQ(o.error(), 0);
    for (auto [first, last] : Contours(o)) {
        EXPECT_GT(last, first) << "contour at node " << first << " has no edges";
        EXPECT_EQ(EndPoint(o, first), EndPoint(o, last)) << "contour at node " << first;
        EXPECT_NE(o.node(last).kind(), kNodeQuadOff);
    }
    if (o.nodeCount() > 0) {
        EXPECT_EQ(o.node(0).kind(), kNodeMove);
    }
}

// The tracing filled back into a picture of the source's size. Lattice point (x, y) is
// the centre of pixel (x, y), so the outline is shifted by half a pixel.
inline std::unique_ptr<MonoBitmap> Rasterized(const Outline& o, int w, int h) {
    auto out = std::make_unique<MonoBitmap>();
    OutlineRasterParams rp;
    rp.offsetX = rp.offsetY = 0.5;
    RasterizeOutline(o, w, h, *out, rp);
    return out;
}

// Segments of a fitted contour: every node after the start but the controls.
inline int FitSegments(const std::vector<FitNode>& c) {
    int n = 0;
    for (size_t i = 1; i < c.size(); ++i) n += c[i].kind != kKindControl;
    return n;
}

// Largest distance of a fitted contour's course (lines and cubics, sampled) from the
// circle of radius r about the origin.
inline double WorstRadialError(const std::vector<FitNode>& c, double r) {
    double worst = 0;
    Vec2 at{c[0].x, c[0].y};
    for (size_t i = 1; i < c.size(); ++i) {
        const bool cubic = c[i].kind == kKindControl;
        const Vec2 c1{c[i].x, c[i].y}, c2 = cubic ? Vec2{c[i + 1].x, c[i + 1].y} : c1;
        const Vec2 end = cubic ? Vec2{c[i + 2].x, c[i + 2].y} : c1;
        for (int k = 0; k <= 20; ++k) {
            const double u = k / 20.0;
            const Vec2 p = cubic ? fitgeom::Cubic(at, c1, c2, end, u) : at + (end - at) * u;
            worst = std::max(worst, std::fabs(p.Length() - r));
        }
        at = end;
        if (cubic) i += 2;
    }
    return worst;
}

}  // namespace trace_test
