// Clean-up and curve fitting of one contour's polygon.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ContourFitter.h"
#include "TraceTestUtil.h"

namespace {

struct P {
    double x, y;
};

LinkedPool<TraceVertex> Polygon(const std::vector<P>& pts, bool alternateColours = true) {
    LinkedPool<TraceVertex> v;
    int i = 0;
    for (const P& p : pts) v.PushBack(TraceVertex{float(p.x), float(p.y), 0, alternateColours ? (i++ & 1) : 1});
    return v;
}

std::vector<P> Circle(double r, int n, bool round = true) {
    std::vector<P> pts;
    for (int i = 0; i < n; ++i) {
        double a = -2 * std::numbers::pi * i / n;  // clockwise, like a walked outer boundary
        P p{r * std::cos(a), r * std::sin(a)};
        pts.push_back(round ? P{std::round(p.x), std::round(p.y)} : p);
    }
    return pts;
}

TraceSettings Settings(int mode, bool extremes = true, double straightenDegrees = 3) {
    TraceSettings s;
    s.curveMode = mode;
    s.cornerThreshold = mode == kTraceLines ? 2.0 : 0.1;
    s.sinStraighten = std::sin(straightenDegrees * std::numbers::pi / 180);
    s.extremePoints = extremes;
    return s;
}

std::vector<FitNode> FitPolygon(const std::vector<P>& pts, const TraceSettings& s) {
    LinkedPool<TraceVertex> v = Polygon(pts);
    std::vector<FitNode> out;
    ContourFitter(s).Fit(v, out);
    return out;
}

int Count(const std::vector<FitNode>& nodes, int kind) {
    int n = 0;
    for (const FitNode& f : nodes) n += f.kind == kind;
    return n;
}

// The fitted contour as a fine polyline.
std::vector<Vec2> Sample(const std::vector<FitNode>& nodes, bool cubic) {
    std::vector<Vec2> out{{nodes[0].x, nodes[0].y}};
    std::vector<Vec2> controls;
    for (size_t i = 1; i < nodes.size(); ++i) {
        Vec2 p{nodes[i].x, nodes[i].y};
        if (nodes[i].kind == kKindControl) {
            controls.push_back(p);
            continue;
        }
        Vec2 p0 = out.back();
        for (int k = 1; k <= 64; ++k) {
            double t = k / 64.0, u = 1 - t;
            if (controls.empty())
                out.push_back(p0 + (p - p0) * t);
            else if (cubic)
                out.push_back(p0 * (u * u * u) + controls[0] * (3 * u * u * t) +
                              controls[1] * (3 * u * t * t) + p * (t * t * t));
            else
                out.push_back(p0 * (u * u) + controls[0] * (2 * u * t) + p * (t * t));
        }
        controls.clear();
    }
    return out;
}

double DistanceToPolyline(Vec2 p, const std::vector<Vec2>& line) {
    double best = 1e18;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        Vec2 a = line[i], d = line[i + 1] - a;
        double l2 = d.Dot(d);
        double t = l2 > 0 ? std::clamp((p - a).Dot(d) / l2, 0.0, 1.0) : 0.0;
        best = std::min(best, (a + d * t - p).Length());
    }
    return best;
}

}  // namespace

TEST(ContourFitterClassify, RedundantShallowInflectionAndExtremeEdges) {
    const double sin3 = std::sin(3 * std::numbers::pi / 180);
    auto classify = [&](P o, P p, P q, P r, int kp = 4, int kq = 4) {
        return ContourFitter::Classify({o.x, o.y}, {p.x, p.y}, {q.x, q.y}, {r.x, r.y}, kp, kq, sin3);
    };
    EXPECT_EQ(classify({0, 0}, {1, 0}, {2, 0}, {2, 5}), 1);        // P on a straight line
    EXPECT_EQ(classify({0, 0}, {1, 1}, {3, 1}, {5, 1}), 2);        // Q on a straight line
    EXPECT_EQ(classify({0, 0}, {20, 10}, {41, 21}, {41, 40}), 1);  // 1.4 degree diagonal bend
    EXPECT_EQ(classify({0, 0}, {20, 0}, {41, 1}, {41, -40}), 3);   // bends of opposite turn
    EXPECT_EQ(classify({0, 0}, {10, 5}, {20, 5}, {30, 0}, 2, 2), 0);  // corners: no extreme
    EXPECT_EQ(classify({0, 0}, {10, 5}, {20, 5}, {30, 0}, 3, 4), kKindMaxY);
    EXPECT_EQ(classify({0, 5}, {10, 0}, {20, 0}, {30, 5}, 4, 42), kKindMinY);
    EXPECT_EQ(classify({0, 0}, {5, 10}, {5, 20}, {0, 30}, 3, 3), kKindMaxX);
    EXPECT_EQ(classify({5, 0}, {0, 10}, {0, 20}, {5, 30}, 3, 3), kKindMinX);
    // A shallow bend between axis-parallel edges is not straightened.
    EXPECT_EQ(classify({0, 0}, {0, 20}, {1, 40}, {30, 40}), 0);
}

TEST(ContourFitter, CollinearVerticesNeverSurvive) {
    // A square walked clockwise with extra points along every side.
    std::vector<P> square{{0, 0},   {0, 10},  {0, 20},  {0, 30},  {15, 30}, {30, 30},
                          {30, 20}, {30, 10}, {30, 0},  {20, 0},  {10, 0}};
    for (int mode : {kTraceLines, kTraceQuadratic, kTraceCubic}) {
        std::vector<FitNode> out = FitPolygon(square, Settings(mode));
        ASSERT_EQ(out.size(), 5u) << "mode " << mode;
        EXPECT_EQ(Count(out, kKindControl), 0);
        EXPECT_EQ(out.front().kind, kKindStart);
        EXPECT_EQ(out.front().x, out.back().x);
        EXPECT_EQ(out.front().y, out.back().y);
        for (size_t i = 1; i < out.size(); ++i) {
            bool corner = (out[i].x == 0 || out[i].x == 30) && (out[i].y == 0 || out[i].y == 30);
            EXPECT_TRUE(corner) << out[i].x << "," << out[i].y;
        }
    }
}

TEST(ContourFitter, StraighteningKeepsTheOutlineWithinTolerance) {
    // A long, gentle arc of diagonal edges, each bend far below the straightening angle,
    // closed through the arc's centre.
    std::vector<P> arc;
    for (int i = 0; i <= 200; ++i) {
        double a = (60.0 - 40.0 * i / 200) * std::numbers::pi / 180;
        arc.push_back({std::round(5000 * std::cos(a)), std::round(5000 * std::sin(a))});
    }
    std::vector<P> polygon = arc;
    polygon.push_back({0, 0});
    for (int mode : {kTraceLines, kTraceCubic}) {
        TraceSettings s = Settings(mode);
        std::vector<FitNode> out = FitPolygon(polygon, s);
        EXPECT_LT(out.size(), 150u) << "mode " << mode;  // shallow bends did go
        std::vector<Vec2> fitted = Sample(out, true);
        // Straightening may move the outline by the tolerance; after it either a fitted
        // curve (tolerance) or merged chamfers between lines (step) add at most as much.
        const double bound = s.tolerance + std::max(s.tolerance, s.step);
        for (const P& p : arc) EXPECT_LE(DistanceToPolyline({p.x, p.y}, fitted), bound) << "mode " << mode;
    }
}

TEST(ContourFitter, DotsAndLenses) {
    for (auto [mode, size] : {std::pair{kTraceLines, 0u}, {kTraceQuadratic, 5u}, {kTraceCubic, 7u}})
        EXPECT_EQ(FitPolygon({{4, 4}}, Settings(mode)).size(), size) << "mode " << mode;

    std::vector<FitNode> lines = FitPolygon({{0, 0}, {6, 0}}, Settings(kTraceLines));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].x, 6);
    EXPECT_EQ(lines[2].x, 0);

    // Quadratic lens: controls at the midpoint plus and minus twice the step along the
    // normal (-dy, dx).
    std::vector<FitNode> quad = FitPolygon({{0, 0}, {6, 0}}, Settings(kTraceQuadratic));
    ASSERT_EQ(quad.size(), 5u);
    EXPECT_EQ(quad[1].kind, kKindControl);
    EXPECT_FLOAT_EQ(quad[1].x, 3);
    EXPECT_FLOAT_EQ(quad[1].y, 2);
    EXPECT_FLOAT_EQ(quad[2].x, 6);
    EXPECT_FLOAT_EQ(quad[3].y, -2);

    std::vector<FitNode> cubic = FitPolygon({{0, 0}, {6, 0}}, Settings(kTraceCubic));
    ASSERT_EQ(cubic.size(), 7u);
    EXPECT_EQ(Count(cubic, kKindControl), 4);
    EXPECT_FLOAT_EQ(cubic[1].x, 0.9f);
    EXPECT_FLOAT_EQ(cubic[1].y, 0.6f);
}

TEST(ContourFitter, RunsSpanAtMost51EdgesAndStayWithinTolerance) {
    // A fine, large circle without extremes or straightening: only the run limit and the
    // tolerance cut the runs.
    std::vector<P> circle = Circle(3000, 600, false);
    TraceSettings s = Settings(kTraceCubic, false, 0);
    std::vector<FitNode> out = FitPolygon(circle, s);
    ASSERT_GT(out.size(), 2u);
    int curves = 0;
    size_t previous = 0;
    for (size_t i = 1; i < out.size(); ++i) {
        if (out[i].kind == kKindControl) continue;
        // Where this on-curve node sits in the polygon.
        size_t at = circle.size();
        for (size_t k = 0; k < circle.size(); ++k)
            if (float(circle[k].x) == out[i].x && float(circle[k].y) == out[i].y) at = k;
        ASSERT_LT(at, circle.size());
        if (at == 0 && i + 1 == out.size()) at = circle.size();
        EXPECT_LE(at - previous, 51u);
        previous = at;
        curves += out[i - 1].kind == kKindControl;
    }
    EXPECT_GE(curves, 12);  // 600 edges, at most 51 per curve
    std::vector<Vec2> fitted = Sample(out, true);
    for (const P& p : circle) EXPECT_LT(DistanceToPolyline({p.x, p.y}, fitted), s.tolerance);
}

TEST(ContourFitter, QuadraticRunsJoinSeveralEdges) {
    std::vector<P> circle = Circle(200, 120);
    TraceSettings s = Settings(kTraceQuadratic, true, 0);
    std::vector<FitNode> out = FitPolygon(circle, s);
    int controls = Count(out, kKindControl);
    EXPECT_GT(controls, 0);
    EXPECT_LT(controls, 60) << controls;  // far fewer curves than edges
    std::vector<Vec2> fitted = Sample(out, false);
    for (const P& p : circle) EXPECT_LT(DistanceToPolyline({p.x, p.y}, fitted), s.tolerance + 0.5);
}

TEST(ContourFitter, ExtremesBecomeOnCurvePointsWithAxisParallelTangents) {
    auto bmp = trace_fixtures::Blank(200, 160);
    trace_fixtures::FillDisc(*bmp, 70, 80, 60);
    trace_fixtures::FillDisc(*bmp, 160, 60, 30);
    trace_test::Traced t = trace_test::TraceIt(*bmp, kTraceCubic);
    ASSERT_EQ(t.code, 0);
    const Outline& o = *t.outline;
    for (auto [first, last] : trace_test::Contours(o)) {
        // Node index and point of the highest, lowest, leftmost and rightmost on-curve points.
        int top = first, bottom = first, left = first, right = first;
        for (int i = first; i <= last; ++i) {
            OutlinePoint p = o.node(i).point(0);
            if (p.y > o.node(top).point(0).y) top = i;
            if (p.y < o.node(bottom).point(0).y) bottom = i;
            if (p.x < o.node(left).point(0).x) left = i;
            if (p.x > o.node(right).point(0).x) right = i;
        }
        auto tangents = [&](int i, bool horizontal) {
            // The control before the point (its own second control) and the one after.
            int next = i == last ? first + 1 : i + 1;
            int here = i == first ? last : i;
            ASSERT_EQ(o.node(here).kind(), kNodeCubic);
            ASSERT_EQ(o.node(next).kind(), kNodeCubic);
            OutlinePoint p = o.node(here).point(0), in = o.node(here).point(2), out = o.node(next).point(1);
            if (horizontal) {
                EXPECT_NEAR(in.y, p.y, 1);
                EXPECT_NEAR(out.y, p.y, 1);
            } else {
                EXPECT_NEAR(in.x, p.x, 1);
                EXPECT_NEAR(out.x, p.x, 1);
            }
        };
        tangents(top, true);
        tangents(bottom, true);
        tangents(left, false);
        tangents(right, false);
    }
}
