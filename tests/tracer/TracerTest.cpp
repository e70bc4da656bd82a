// The trace entry operation: contours found, their nodes, orientation, scaling and the
// error codes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <limits>

#include "Error.h"
#include "TraceTestUtil.h"

using namespace trace_fixtures;
using namespace trace_test;

namespace {

std::vector<OutlinePoint> EndPoints(const Outline& o) {
    std::vector<OutlinePoint> pts;
    for (int i = 0; i < o.nodeCount(); ++i) pts.push_back(EndPoint(o, i));
    return pts;
}

int CountKind(const Outline& o, int kind) {
    int n = 0;
    for (int i = 0; i < o.nodeCount(); ++i) n += o.node(i).kind() == kind;
    return n;
}

}  // namespace

TEST(Trace, NullBlockOrImageWritesNothing) {
    EXPECT_EQ(trace(nullptr), 0);
    TraceParams p;
    EXPECT_EQ(trace(&p), 0);
    EXPECT_EQ(p.result, nullptr);
}

TEST(Trace, BlankAndEmptyPicturesGiveAnEmptyOutline) {
    auto blank = Blank(37, 11);
    Traced t = TraceIt(*blank);
    ASSERT_EQ(t.code, 0);
    ASSERT_NE(t.outline, nullptr);
    EXPECT_EQ(t.outline->nodeCount(), 0);
    EXPECT_EQ(t.outline->masters(), 1);

    MonoBitmap noBuffer;  // no pixels at all
    t = TraceIt(noBuffer);
    ASSERT_EQ(t.code, 0);
    ASSERT_NE(t.outline, nullptr);
    EXPECT_EQ(t.outline->nodeCount(), 0);
}

TEST(Trace, RectangleIsFourCornersCounterClockwiseFromItsBottomLeft) {
    // Columns 2..7, rows 1..4 from the top of a 10 x 6 picture: y up, rows 1..4 are 4..1.
    auto bmp = Blank(10, 6);
    FillRect(*bmp, 2, 1, 8, 5);
    const std::vector<OutlinePoint> expected{{2, 1}, {7, 1}, {7, 4}, {2, 4}, {2, 1}};
    for (int mode : {kTraceLines, kTraceQuadratic, kTraceCubic}) {
        Traced t = TraceIt(*bmp, mode);
        ASSERT_EQ(t.code, 0);
        EXPECT_EQ(EndPoints(*t.outline), expected) << "mode " << mode;
        EXPECT_EQ(t.outline->node(0).kind(), kNodeMove);
        EXPECT_EQ(CountKind(*t.outline, kNodeLine), 4);
    }
}

TEST(Trace, InkOnTheLeftAndBottomBorderIsTraced) {
    auto bmp = Blank(6, 5);
    FillRect(*bmp, 0, 2, 4, 5);  // bottom three rows, from the left edge
    Traced t = TraceIt(*bmp, kTraceLines);
    ASSERT_EQ(t.code, 0);
    const std::vector<OutlinePoint> expected{{0, 0}, {3, 0}, {3, 2}, {0, 2}, {0, 0}};
    EXPECT_EQ(EndPoints(*t.outline), expected);

    auto full = Blank(9, 4);
    full->Fill(0);
    t = TraceIt(*full, kTraceLines);
    const std::vector<OutlinePoint> whole{{0, 0}, {8, 0}, {8, 3}, {0, 3}, {0, 0}};
    EXPECT_EQ(EndPoints(*t.outline), whole);
}

TEST(Trace, SinglePixelIsADotShapedByTheCurveMode) {
    // Column 3, row 1 from the top of a 6 x 5 picture: lattice point (3, 3).
    auto bmp = Blank(6, 5);
    SetInk(*bmp, 3, 1);

    Traced cubic = TraceIt(*bmp, kTraceCubic);
    ASSERT_EQ(cubic.code, 0);
    ASSERT_EQ(cubic.outline->nodeCount(), 3);
    const Outline& c = *cubic.outline;
    EXPECT_EQ(c.node(0).kind(), kNodeMove);
    EXPECT_EQ(c.node(0).point(0), (OutlinePoint{3, 4}));
    // Counter-clockwise: down the left side first.
    EXPECT_EQ(c.node(1).kind(), kNodeCubic);
    EXPECT_EQ(c.node(1).point(0), (OutlinePoint{3, 2}));
    EXPECT_EQ(c.node(1).point(1), (OutlinePoint{2, 4}));
    EXPECT_EQ(c.node(1).point(2), (OutlinePoint{2, 2}));
    EXPECT_EQ(c.node(2).point(0), (OutlinePoint{3, 4}));
    EXPECT_EQ(c.node(2).point(1), (OutlinePoint{4, 2}));
    EXPECT_EQ(c.node(2).point(2), (OutlinePoint{4, 4}));

    Traced quad = TraceIt(*bmp, kTraceQuadratic);
    ASSERT_EQ(quad.outline->nodeCount(), 5);
    const std::vector<OutlinePoint> quadPoints{{3, 4}, {1, 3}, {3, 2}, {5, 3}, {3, 4}};
    EXPECT_EQ(EndPoints(*quad.outline), quadPoints);
    EXPECT_EQ(CountKind(*quad.outline, kNodeQuadOff), 2);

    Traced lines = TraceIt(*bmp, kTraceLines);
    ASSERT_EQ(lines.code, 0);
    EXPECT_EQ(lines.outline->nodeCount(), 0);
}

TEST(Trace, EachModeWritesOnlyItsNodeKinds) {
    auto bmp = Signature(300, 100);
    // Unknown modes are taken as lines only.
    for (int mode : {int(kTraceLines), int(kTraceQuadratic), int(kTraceCubic), 1, 7}) {
        Traced t = TraceIt(*bmp, mode);
        ASSERT_EQ(t.code, 0);
        const Outline& o = *t.outline;
        ExpectClosedContours(o);
        int moves = CountKind(o, kNodeMove), lines = CountKind(o, kNodeLine);
        int cubics = CountKind(o, kNodeCubic), offs = CountKind(o, kNodeQuadOff);
        EXPECT_EQ(moves + lines + cubics + offs, o.nodeCount());
        EXPECT_EQ(cubics > 0, mode == kTraceCubic) << "mode " << mode;
        EXPECT_EQ(offs > 0, mode == kTraceQuadratic) << "mode " << mode;
        // Quadratic curves are written with their on-curve ends: no implied midpoints.
        for (int i = 1; i < o.nodeCount(); ++i) {
            if (o.node(i).kind() == kNodeQuadOff) {
                EXPECT_NE(o.node(i - 1).kind(), kNodeQuadOff);
            }
        }
    }
}

TEST(Trace, RingGivesOuterCounterClockwiseAndHoleClockwise) {
    auto bmp = Blank(70, 70);
    FillRing(*bmp, 35, 35, 30, 15);
    for (int mode : {kTraceLines, kTraceQuadratic, kTraceCubic}) {
        Traced t = TraceIt(*bmp, mode);
        ASSERT_EQ(t.code, 0);
        ExpectClosedContours(*t.outline);
        std::vector<double> areas = SignedAreas(*t.outline);
        ASSERT_EQ(areas.size(), 2u) << "mode " << mode;
        // The outer boundary starts first: the scan meets it on a lower row.
        EXPECT_GT(areas[0], 0.9 * std::numbers::pi * 29.5 * 29.5) << "mode " << mode;
        EXPECT_LT(areas[1], -0.9 * std::numbers::pi * 14.5 * 14.5) << "mode " << mode;
    }
}

TEST(Trace, EachBoundaryIsTracedOnce) {
    // Three discs, a ring and a bar with two windows: 3 + 2 + 3 contours.
    auto bmp = Blank(200, 90);
    FillDisc(*bmp, 20, 20, 12);
    FillDisc(*bmp, 60, 25, 8);
    FillDisc(*bmp, 20, 65, 15);
    FillRing(*bmp, 80, 60, 20, 9);
    FillRect(*bmp, 120, 10, 190, 80);
    FillRect(*bmp, 130, 20, 150, 70, false);
    FillRect(*bmp, 160, 20, 180, 70, false);
    for (int mode : {kTraceLines, kTraceCubic}) {
        Traced t = TraceIt(*bmp, mode);
        ASSERT_EQ(t.code, 0);
        std::vector<double> areas = SignedAreas(*t.outline);
        ASSERT_EQ(areas.size(), 8u);
        int holes = 0;
        double total = 0;
        for (double a : areas) {
            holes += a < 0;
            total += a;
        }
        EXPECT_EQ(holes, 3);
        // Signed areas add up to roughly the ink: nothing counted twice.
        double ink = double(InkCount(*bmp)), perimeter = double(Perimeter(*bmp));
        EXPECT_NEAR(total, ink, 0.5 * perimeter);
    }
}

TEST(Trace, OutputScaleRoundsHalfUp) {
    auto bmp = Blank(10, 6);
    FillRect(*bmp, 2, 1, 8, 5);  // corners (2, 1) .. (7, 4)
    Traced twice = TraceIt(*bmp, kTraceLines, 2.0f);
    const std::vector<OutlinePoint> doubled{{4, 2}, {14, 2}, {14, 8}, {4, 8}, {4, 2}};
    EXPECT_EQ(EndPoints(*twice.outline), doubled);
    Traced half = TraceIt(*bmp, kTraceLines, 0.5f);
    const std::vector<OutlinePoint> halved{{1, 1}, {4, 1}, {4, 2}, {1, 2}, {1, 1}};
    EXPECT_EQ(EndPoints(*half.outline), halved);
}

TEST(Trace, CoordinatesOutOfRangeFailWith5000AndLeaveResultAlone) {
    auto bmp = Blank(10, 6);
    FillRect(*bmp, 2, 1, 8, 5);
    for (float scale : {1429.0f, -2000.0f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        TraceParams p;
        p.image = bmp.get();
        p.outputScale = scale;
        auto sentinel = std::make_unique<Outline>(1);
        Outline* before = sentinel.get();
        p.result = std::move(sentinel);
        EXPECT_EQ(trace(&p), ErrorCode::kTracerRange) << "scale " << scale;
        EXPECT_EQ(p.result.get(), before);
    }
    // 1428 x 7 = 9996 still fits.
    EXPECT_EQ(TraceIt(*bmp, kTraceLines, 1428.0f).code, 0);

    // A pixel 10000 columns in reaches the limit at scale 1.
    auto wide = Blank(10002, 1);
    SetInk(*wide, 10000, 0);
    EXPECT_EQ(TraceIt(*wide, kTraceCubic).code, ErrorCode::kTracerRange);
    SetInk(*wide, 10000, 0, false);
    SetInk(*wide, 9998, 0);
    EXPECT_EQ(TraceIt(*wide, kTraceCubic).code, 0);
}

TEST(Trace, ProgressIsPolledPerContourAndCanStopTheTrace) {
    auto bmp = Blank(100, 40);
    FillDisc(*bmp, 15, 20, 10);
    FillRing(*bmp, 50, 20, 15, 6);
    FillDisc(*bmp, 85, 20, 5);
    int calls = 0;
    TraceParams p;
    p.image = bmp.get();
    p.progress = [&](int32_t code, intptr_t param) {
        EXPECT_EQ(code, 0);
        EXPECT_EQ(param, 0);
        ++calls;
        return 0;
    };
    ASSERT_EQ(trace(&p), 0);
    EXPECT_EQ(calls, 4);

    calls = 0;
    p.result.reset();
    p.progress = [&](int32_t, intptr_t) { return ++calls == 2 ? ErrorCode::kCancelled : 0; };
    EXPECT_EQ(trace(&p), ErrorCode::kCancelled);
    EXPECT_EQ(p.result, nullptr);
    EXPECT_EQ(calls, 2);

    // Any nonzero answer comes back as it is.
    p.progress = [](int32_t, intptr_t) { return 77; };
    EXPECT_EQ(trace(&p), 77);
}

TEST(Trace, CoarseStepsStillGiveClosedContours) {
    auto bmp = Signature(300, 100);
    for (int step : {0, 2, 3}) {
        Traced t = TraceIt(*bmp, kTraceCubic, 1.0f, 1, step);
        ASSERT_EQ(t.code, 0) << "step " << step;
        ExpectClosedContours(*t.outline);
        EXPECT_GT(t.outline->nodeCount(), 0);
    }
}
