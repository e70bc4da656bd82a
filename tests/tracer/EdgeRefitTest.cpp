// The ink's edge points and the two stages that fit to them: merging runs of segments
// judged against the edge, and refitting each cubic's handle lengths to it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <utility>

#include "BoundaryWalker.h"
#include "CurveMerging.h"
#include "EdgePlacement.h"
#include "EdgeRefit.h"
#include "FitGeometry.h"
#include "TraceFixtures.h"
#include "TraceTestUtil.h"

using namespace trace_fixtures;

namespace {

constexpr double kPi = std::numbers::pi;

// Edge points on a circle of radius r about the origin, `count` of them, and a walk
// of the same length whose positions map one to one onto them.
EdgePoints CircleEdge(double r, int count) {
    EdgePoints e;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * kPi * i / count;
        e.first.push_back(i);
        e.mids.push_back({r * std::cos(a), r * std::sin(a)});
    }
    e.first.push_back(count);
    return e;
}

// A closed contour of lines through every `every`-th edge point, each node knowing its
// place, displaced outwards by `wobble` on every other node.
std::vector<FitNode> PolygonOn(const EdgePoints& e, int every, double wobble) {
    std::vector<FitNode> c;
    const int n = int(e.mids.size());
    for (int i = 0, k = 0; i <= n; i += every, ++k) {
        const int at = i % n;
        const Vec2 p = e.mids[size_t(at)] * (1 + (k % 2 ? wobble / e.mids[size_t(at)].Length() : 0));
        c.push_back(FitNode{float(p.x), float(p.y), i == 0 ? int(kKindStart) : int(kKindPlain), at});
    }
    return c;
}

using trace_test::WorstRadialError;

using trace_test::FitSegments;

// A contour of four quarter-circle cubics from node 0 to the edge points 0, q, 2q, 3q,
// with tangents along the circle and handles `factor` times the right length.
std::vector<FitNode> QuarterCubics(const EdgePoints& e, double r, double factor) {
    const int q = int(e.mids.size()) / 4;
    const double handle = r * 4.0 / 3.0 * std::tan(kPi / 8) * factor;
    std::vector<FitNode> c;
    auto node = [&](Vec2 p, int kind, int source = -1) { c.push_back(FitNode{float(p.x), float(p.y), kind, source}); };
    node(e.mids[0], kKindStart, 0);
    for (int k = 0; k < 4; ++k) {
        const double a0 = kPi / 2 * k, a1 = kPi / 2 * (k + 1);
        const Vec2 p0{r * std::cos(a0), r * std::sin(a0)}, p3{r * std::cos(a1), r * std::sin(a1)};
        node(p0 + Vec2{-std::sin(a0), std::cos(a0)} * handle, kKindControl);
        node(p3 + Vec2{std::sin(a1), -std::cos(a1)} * handle, kKindControl);
        node(p3, kKindPlain, ((k + 1) * q) % int(e.mids.size()));
    }
    return c;
}

}  // namespace

TEST(EdgePoints, AreTheMiddlesOfTheBoundarysPixelEdgesInWalkOrder) {
    // A 3 x 2 block: ten pixel edges between ink and paper.
    auto picture = Blank(8, 6);
    FillRect(*picture, 2, 2, 5, 4);
    BoundaryWalker walker(*picture, 1);
    TracePoint start;
    ASSERT_TRUE(walker.FindNextStart(start));
    walker.Walk(start);
    walker.ReduceToRuns();
    EdgePoints edge;
    FindEdgePoints(walker.Walked(), 1, edge);
    ASSERT_EQ(edge.first.size(), walker.Walked().size() + 1);
    EXPECT_EQ(edge.first.back(), int(edge.mids.size()));
    for (size_t j = 1; j < edge.first.size(); ++j) EXPECT_LE(edge.first[j - 1], edge.first[j]);
    std::set<std::pair<double, double>> distinct;
    for (const Vec2& m : edge.mids) {
        // Exactly one coordinate is halfway between lattice points.
        const bool halfX = m.x != std::floor(m.x), halfY = m.y != std::floor(m.y);
        EXPECT_NE(halfX, halfY) << m.x << " " << m.y;
        distinct.insert({m.x, m.y});
    }
    EXPECT_EQ(distinct.size(), 10u);
    // Consecutive edge points are neighbours along the boundary.
    for (size_t k = 1; k < edge.mids.size(); ++k) EXPECT_LE((edge.mids[k] - edge.mids[k - 1]).Length(), 1.0 + 1e-9);
}

TEST(EdgeRefit, HandlesTooShortOrTooLongComeToTheEdge) {
    const double r = 30;
    const EdgePoints edge = CircleEdge(r, 200);
    for (double factor : {0.8, 1.25}) {
        std::vector<FitNode> c = QuarterCubics(edge, r, factor);
        const double before = WorstRadialError(c, r);
        RefitToEdges(c, edge);
        // A few passes, not to convergence: the curves it meets are near right already.
        EXPECT_GT(before, 1.5) << factor;
        EXPECT_LT(WorstRadialError(c, r), 0.4) << factor;
        // Ends and handle directions stay.
        const std::vector<FitNode> original = QuarterCubics(edge, r, factor);
        ASSERT_EQ(c.size(), original.size());
        for (size_t i = 0; i < c.size(); ++i) {
            if (c[i].kind != kKindControl) {
                EXPECT_EQ(c[i].x, original[i].x);
                EXPECT_EQ(c[i].y, original[i].y);
            }
        }
        const Vec2 h{c[1].x - c[0].x, c[1].y - c[0].y}, h0{original[1].x - original[0].x, original[1].y - original[0].y};
        EXPECT_NEAR(fitgeom::Cross(h, h0), 0.0, 1e-3 * h.Length() * h0.Length());
    }
}

TEST(EdgeRefit, CubicsWithoutAPlaceInTheWalkAreLeftAlone) {
    const double r = 30;
    const EdgePoints edge = CircleEdge(r, 200);
    std::vector<FitNode> c = QuarterCubics(edge, r, 0.5);
    for (FitNode& n : c) n.source = -1;
    const std::vector<FitNode> before = c;
    RefitToEdges(c, edge);
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].x, before[i].x);
        EXPECT_EQ(c[i].y, before[i].y);
    }
    // Places beyond the walk count as unknown, not as indices to follow.
    std::vector<FitNode> wild = QuarterCubics(edge, r, 0.5);
    wild[3].source = 100000;
    RefitToEdges(wild, edge);
    EXPECT_EQ(wild[1].x, before[1].x);
}

TEST(CurveMerging, JudgedAgainstTheEdgeAWobblyPolygonBecomesCubicsNearTheEdge) {
    // Every other vertex stands 0.6 pixel off the circle. Judged against the polygon,
    // the merged cubics follow the wobble; judged against the edge, they follow the
    // circle, within the mean bound.
    const double r = 40;
    const EdgePoints edge = CircleEdge(r, 240);
    CurveMergeSettings s;
    s.tolerance = 1.0;
    s.meanTolerance = 0.25;
    const std::vector<FitNode> polygon = PolygonOn(edge, 4, 0.6);
    std::vector<FitNode> onPolygon = polygon, onEdge = polygon;
    MergeCurves(onPolygon, s);
    MergeCurves(onEdge, s, &edge);
    EXPECT_LE(FitSegments(onEdge), 6);
    EXPECT_LT(WorstRadialError(onEdge, r), 0.45);
    EXPECT_GT(WorstRadialError(onPolygon, r), WorstRadialError(onEdge, r) + 0.1);
    // The merged nodes keep their places in the walk, for the refit after.
    for (const FitNode& n : onEdge) {
        if (n.kind != kKindControl) {
            EXPECT_GE(n.source, 0);
        }
    }
    // A mean bound below the wobble's own keeps every vertex.
    std::vector<FitNode> tight = polygon;
    s.meanTolerance = 0.1;
    MergeCurves(tight, s, &edge);
    EXPECT_EQ(FitSegments(tight), FitSegments(polygon));
}
