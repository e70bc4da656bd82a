// The two steps faithful tracing adds around the classic stages: joining ink that touches
// at corners before the walk, and merging runs of fitted segments into single cubics.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "CurveMerging.h"
#include "DiagonalJoin.h"
#include "FitGeometry.h"
#include "TraceTestUtil.h"

using namespace trace_fixtures;

namespace {

// The rule spelled out pixel by pixel, for comparison with the byte-wide version.
std::unique_ptr<MonoBitmap> JoinedByPixels(const MonoBitmap& in) {
    auto out = Blank(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) SetInk(*out, x, y, IsInk(in, x, y));
    for (int y = 0; y + 1 < in.height; ++y)
        for (int x = 0; x + 1 < in.width; ++x)
            if (IsInk(in, x, y) && IsInk(in, x + 1, y + 1) && !IsInk(in, x + 1, y) && !IsInk(in, x, y + 1))
                SetInk(*out, x + 1, y);
    return out;
}

int ContourCount(const MonoBitmap& picture, bool join) {
    TraceParams p;
    p.image = &picture;
    FaithfulTracing(p, picture.width, picture.height);
    p.joinDiagonals = join;
    EXPECT_EQ(trace(&p), 0);
    return int(trace_test::Contours(*p.result).size());
}

}  // namespace

TEST(DiagonalJoin, MatchesThePixelRuleAtEveryWidth) {
    std::mt19937 rng(7);
    for (int w : {2, 7, 8, 9, 15, 16, 17, 33, 64, 71}) {
        auto picture = Blank(w, 13);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < w; ++x) SetInk(*picture, x, y, rng() % 3 == 0);
        // Padding bits set to ink must not count as ink beyond the last column.
        for (int y = 0; y < 13; ++y)
            for (int x = w; x < picture->stride * 8; ++x)
                picture->Row(y)[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        MonoBitmap joined;
        JoinDiagonalInk(*picture, joined);
        auto expected = JoinedByPixels(*picture);
        ASSERT_EQ(joined.width, w);
        EXPECT_EQ(CountDifferences(joined, *expected), 0) << "width " << w;
    }
}

TEST(DiagonalJoin, ADiagonalHairlineBecomesOneContour) {
    // A one-pixel line from the upper left to the lower right: every pixel meets the next
    // at a corner only, across the diagonal the walk does not follow.
    auto picture = Blank(40, 40);
    for (int i = 5; i < 35; ++i) SetInk(*picture, i, i);
    EXPECT_GT(ContourCount(*picture, false), 20);
    EXPECT_EQ(ContourCount(*picture, true), 1);
    // The other diagonal was one contour already and is left alone.
    auto other = Blank(40, 40);
    for (int i = 5; i < 35; ++i) SetInk(*other, i, 39 - i);
    EXPECT_EQ(ContourCount(*other, false), 1);
    MonoBitmap joined;
    JoinDiagonalInk(*other, joined);
    EXPECT_EQ(CountDifferences(joined, *other), 0);
}

namespace {

std::vector<FitNode> Polyline(const std::vector<Vec2>& pts) {
    std::vector<FitNode> c;
    for (size_t i = 0; i < pts.size(); ++i)
        c.push_back(FitNode{float(pts[i].x), float(pts[i].y), i == 0 ? int(kKindStart) : int(kKindPlain)});
    c.push_back(FitNode{float(pts[0].x), float(pts[0].y), kKindPlain});
    return c;
}

using trace_test::WorstRadialError;

using trace_test::FitSegments;

}  // namespace

TEST(CurveMerging, ACircleOfShortEdgesBecomesAFewCubicsOnIt) {
    const double r = 40;
    std::vector<Vec2> pts;
    for (int i = 0; i < 120; ++i) {
        double a = 2 * std::numbers::pi * i / 120;
        pts.push_back({r * std::cos(a), r * std::sin(a)});
    }
    std::vector<FitNode> c = Polyline(pts);
    CurveMergeSettings s;
    s.tolerance = 0.2;
    MergeCurves(c, s);
    // Runs of at most 24 edges, each a quarter circle at most: 5 or 6 cubics.
    EXPECT_LE(FitSegments(c), 6);
    EXPECT_LT(WorstRadialError(c, r), 0.25);
    EXPECT_EQ(c.front().kind, kKindStart);
    EXPECT_EQ(c.back().x, c.front().x);
    EXPECT_EQ(c.back().y, c.front().y);
}

TEST(CurveMerging, CornersAndBumpsBeyondTheToleranceStay) {
    // A square: every join turns a right angle, so nothing merges.
    std::vector<FitNode> square = Polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    std::vector<FitNode> before = square;
    MergeCurves(square, CurveMergeSettings{});
    ASSERT_EQ(square.size(), before.size());
    for (size_t i = 0; i < square.size(); ++i) EXPECT_EQ(square[i].x, before[i].x);
    // A straight run with a step of one pixel in it: the step is kept at 0.2 pixel and
    // smoothed over at 2 pixels.
    std::vector<Vec2> stepped{{0, 0}, {10, 0}, {11, 1}, {21, 1}, {21, 20}, {0, 20}};
    std::vector<FitNode> tight = Polyline(stepped), loose = tight;
    CurveMergeSettings s;
    s.joinCosine = 0.5;
    s.tolerance = 0.2;
    MergeCurves(tight, s);
    EXPECT_EQ(FitSegments(tight), 6);
    s.tolerance = 2;
    MergeCurves(loose, s);
    EXPECT_LT(FitSegments(loose), 6);
}

TEST(CurveMerging, QuadraticContoursAreLeftAlone) {
    std::vector<FitNode> c{{0, 0, kKindStart}, {5, 5, kKindControl}, {10, 0, kKindPlain}, {5, -5, kKindControl},
                           {0, 0, kKindPlain}};
    std::vector<FitNode> before = c;
    MergeCurves(c, CurveMergeSettings{});
    ASSERT_EQ(c.size(), before.size());
    for (size_t i = 0; i < c.size(); ++i) EXPECT_EQ(c[i].kind, before[i].kind);
}
