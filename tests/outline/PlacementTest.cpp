#include <gtest/gtest.h>

#include <cmath>

#include "Placement.h"
#include "QuadraticGlyph.h"

namespace {

Outline Rectangle(int16_t w, int16_t h) {
    Outline o;
    o.appendMove({0, 0});
    o.appendLine({w, 0});
    o.appendLine({w, h});
    o.appendLine({0, h});
    o.appendLine({0, 0});
    return o;
}

// Twice the signed area of every contour's polygon (on- and off-curve points alike).
double SignedArea(const QuadraticGlyph& g) {
    double a = 0;
    for (const auto& c : g.contours)
        for (size_t i = 0; i < c.size(); ++i) {
            const QuadPoint& p = c[i];
            const QuadPoint& q = c[(i + 1) % c.size()];
            a += double(p.x) * q.y - double(q.x) * p.y;
        }
    return a;
}

QPointD CubicAt(QPointD p0, QPointD p1, QPointD p2, QPointD p3, double t) {
    double u = 1 - t;
    return {u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
            u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
}

// Largest distance from points of the quadratic spline to the cubic (sampled densely).
double SplineDeviation(QPointD p0, QPointD p1, QPointD p2, QPointD p3,
                       const std::vector<QPointD>& ctrl) {
    std::vector<QPointD> cubic;
    for (int i = 0; i <= 2000; ++i) cubic.push_back(CubicAt(p0, p1, p2, p3, i / 2000.0));
    double worst = 0;
    for (size_t j = 0; j < ctrl.size(); ++j) {
        QPointD a = j == 0 ? p0 : QPointD{(ctrl[j - 1].x + ctrl[j].x) / 2, (ctrl[j - 1].y + ctrl[j].y) / 2};
        QPointD b = j + 1 == ctrl.size() ? p3 : QPointD{(ctrl[j].x + ctrl[j + 1].x) / 2, (ctrl[j].y + ctrl[j + 1].y) / 2};
        for (int i = 0; i <= 100; ++i) {
            double t = i / 100.0, u = 1 - t;
            QPointD q{u * u * a.x + 2 * u * t * ctrl[j].x + t * t * b.x,
                      u * u * a.y + 2 * u * t * ctrl[j].y + t * t * b.y};
            double best = 1e300;
            for (const QPointD& c : cubic) best = std::min(best, std::hypot(c.x - q.x, c.y - q.y));
            worst = std::max(worst, best);
        }
    }
    return worst;
}

}  // namespace

TEST(Placement, SizeSetsTheHeightAsPercentOfTheEm) {
    GlyphOutline g;
    PlacementParams p;  // size 50, spaces 10
    PlacementResult r = PlaceGlyph(Rectangle(50, 100), p, g);
    ASSERT_TRUE(r.placed);
    EXPECT_EQ(r.height, 1024);  // f = 10.24
    EXPECT_EQ(r.width, 512);
    EXPECT_EQ(g.box().yMin, 0);
    EXPECT_EQ(g.box().xMin, 51);  // the stored box moves with the points
    EXPECT_EQ(g.node(0).point(0), (OutlinePoint{51, 0}));  // trunc(10% of 512)
    EXPECT_EQ(g.advanceWidth(), 512 + 51 + 51);
}

TEST(Placement, SpacesAndPositionShiftTruncatingTowardZero) {
    EXPECT_EQ(PercentOf(10, 500), 50);
    EXPECT_EQ(PercentOf(-15, 333), -49);
    EXPECT_EQ(PercentOf(-100, 7), -7);

    GlyphOutline g;
    PlacementParams p;
    p.size = 100;
    p.leftSpace = 10;
    p.rightSpace = 10;
    p.vertPos = -20;
    PlacementResult r = PlaceGlyph(Rectangle(250, 1024), p, g);  // f = 2.0
    ASSERT_TRUE(r.placed);
    EXPECT_EQ(r.width, 500);
    EXPECT_EQ(r.height, 2048);
    EXPECT_EQ(g.node(0).point(0), (OutlinePoint{50, -409}));
    EXPECT_EQ(g.advanceWidth(), 600);
}

TEST(Placement, ATracingWithoutHeightIsRefused) {
    GlyphOutline g;
    Outline flat;
    flat.appendMove({0, 5});
    flat.appendLine({100, 5});
    PlacementResult r = PlaceGlyph(flat, PlacementParams{}, g);
    EXPECT_FALSE(r.placed);
    EXPECT_EQ(g.nodeCount(), 0);
    EXPECT_FALSE(PlaceGlyph(Outline{}, PlacementParams{}, g).placed);
}

TEST(Placement, NegativeAdvanceStopsAtZero) {
    GlyphOutline g;
    PlacementParams p;
    p.leftSpace = -100;
    p.rightSpace = -100;
    ASSERT_TRUE(PlaceGlyph(Rectangle(100, 100), p, g).placed);
    EXPECT_EQ(g.advanceWidth(), 0);
}

TEST(Placement, MovesShiftPointsAndBox) {
    GlyphOutline g;
    ASSERT_TRUE(PlaceGlyph(Rectangle(100, 100), PlacementParams{}, g).placed);
    g.boundingBox();
    GlyphBox before = g.box();
    uint16_t advance = g.advanceWidth();
    MoveGlyphPoints(g, 7, -3);
    EXPECT_EQ(g.box().xMin, before.xMin + 7);
    EXPECT_EQ(g.box().yMax, before.yMax - 3);
    EXPECT_EQ(g.advanceWidth(), advance);
    GlyphBox recomputed = g.boundingBox();
    EXPECT_EQ(recomputed.xMin, before.xMin + 7);
}

TEST(QuadraticConversion, ScalesToTheFontEmAndReversesDirection) {
    GlyphOutline g;
    // Counter-clockwise square in design units, as the tracer leaves outer contours.
    g.appendMove({0, 0});
    g.appendLine({1024, 0});
    g.appendLine({1024, 1024});
    g.appendLine({0, 1024});
    g.setAdvanceWidth(1200);
    QuadraticGlyph same = ConvertToQuadratic(g, 2048);
    ASSERT_EQ(same.contours.size(), 1u);
    EXPECT_EQ(same.contours[0][0], (QuadPoint{0, 1024, kQuadOnCurve}));
    EXPECT_LT(SignedArea(same), 0);  // clockwise
    EXPECT_EQ(same.advanceWidth, 1200);
    EXPECT_EQ(same.xMax, 1024);

    QuadraticGlyph small = ConvertToQuadratic(g, 1000);  // k = 0.48828125
    EXPECT_EQ(small.xMax, 500);
    EXPECT_EQ(small.advanceWidth, 586);  // 585.9375
    EXPECT_EQ(small.leftSideBearing, 0);
    EXPECT_FALSE(small.overflow);

    g.appendLine({2000, 0});
    EXPECT_FALSE(ConvertToQuadratic(g, 16384).overflow);  // 16000 still fits
    EXPECT_TRUE(ConvertToQuadratic(g, 65535).overflow);   // 64000 does not
}

TEST(QuadraticConversion, ACurveTurnsOnCurvePointsAtItsExtremes) {
    // One arch from (0, 0) to (1000, 0) whose top, at y = 750, lies between its ends; its
    // controls stand at y = 1000. Closed by a line back along the base.
    GlyphOutline g;
    g.appendMove({0, 0});
    g.appendCubic({1000, 0}, {0, 1000}, {1000, 1000});
    g.appendLine({0, 0});
    QuadraticGlyph q = ConvertToQuadratic(g, 2048);
    ASSERT_EQ(q.contours.size(), 1u);
    EXPECT_EQ(q.yMax, 750);  // the ink's top, not the controls'
    EXPECT_EQ(q.xMin, 0);
    EXPECT_EQ(q.xMax, 1000);
    bool topOnCurve = false;
    for (const QuadPoint& p : q.contours[0]) {
        EXPECT_LE(p.y, 750);
        topOnCurve = topOnCurve || (p.flags == kQuadOnCurve && p.x == 500 && p.y == 750);
    }
    EXPECT_TRUE(topOnCurve);
    // A curve with its extremes at its ends gains no points.
    GlyphOutline quarter;
    quarter.appendMove({0, 0});
    quarter.appendCubic({1000, 1000}, {552, 0}, {1000, 448});
    quarter.appendLine({0, 0});
    QuadraticGlyph plain = ConvertToQuadratic(quarter, 2048);
    int onCurve = 0;
    for (const QuadPoint& p : plain.contours[0]) onCurve += p.flags == kQuadOnCurve;
    EXPECT_EQ(onCurve, 3);
}

TEST(QuadraticConversion, ShortContoursAreDroppedAndEmptyGlyphHasZeroBox) {
    GlyphOutline g;
    g.appendMove({5, 5});
    g.appendMove({0, 0});
    g.appendLine({10, 10});
    QuadraticGlyph q = ConvertToQuadratic(g, 2048);
    ASSERT_EQ(q.contours.size(), 1u);
    QuadraticGlyph none = ConvertToQuadratic(GlyphOutline{}, 2048);
    EXPECT_TRUE(none.contours.empty());
    EXPECT_EQ(none.xMin, 0);
    EXPECT_EQ(none.yMax, 0);
}

TEST(CubicToQuadratic, StraightAndOutOfRangeCubicsBecomeLines) {
    EXPECT_TRUE(CubicToQuadraticControls({0, 0}, {10, 0}, {20, 0}, {30, 0}).empty());
    EXPECT_TRUE(CubicToQuadraticControls({0, 0}, {16384, 5}, {0, 9}, {3, 3}).empty());
}

TEST(CubicToQuadratic, AQuadraticInDisguiseTakesOneControl) {
    // The cubic elevation of the quadratic (0,0) (100,200) (200,0).
    auto ctrl = CubicToQuadraticControls({0, 0}, {200.0 / 3, 400.0 / 3}, {400.0 / 3, 400.0 / 3},
                                         {200, 0});
    ASSERT_EQ(ctrl.size(), 1u);
    EXPECT_EQ(ctrl[0].x, 100);
    EXPECT_EQ(ctrl[0].y, 200);
}

TEST(CubicToQuadratic, PiecesStayCloseToTheCubic) {
    struct Case { QPointD p0, p1, p2, p3; };
    const Case cases[] = {
        {{0, 0}, {0, 552}, {448, 1000}, {1000, 1000}},     // quarter circle
        {{0, 0}, {300, 900}, {700, -900}, {1000, 0}},      // S curve with an inflection
        {{0, 0}, {0, 0}, {500, 1000}, {1000, 0}},          // first control on the start
        {{0, 0}, {1000, 800}, {0, 800}, {1000, 0}},        // loop-like
        {{100, 100}, {4000, 100}, {4000, 3000}, {100, 3000}},  // wide U
    };
    for (const Case& c : cases) {
        auto ctrl = CubicToQuadraticControls(c.p0, c.p1, c.p2, c.p3);
        ASSERT_FALSE(ctrl.empty());
        for (const QPointD& q : ctrl) {
            EXPECT_EQ(q.x, std::round(q.x));  // controls are whole font units
            EXPECT_EQ(q.y, std::round(q.y));
        }
        // Accepted pieces match within sqrt(2) units at their control polygons; allow
        // for the rounding of the controls and the untested ten-piece fallback.
        EXPECT_LT(SplineDeviation(c.p0, c.p1, c.p2, c.p3, ctrl), 4.0)
            << "cubic " << c.p1.x << "," << c.p1.y << " pieces " << ctrl.size();
    }
}

// Piece counts and controls worked out by hand from the rule (one control where the end
// tangents cross, then two at 0.7546 along them, then n reflected pieces), so that a
// converter that took more pieces than it needs, or always ten, fails.
TEST(CubicToQuadratic, TakesTheFewestPiecesThatMatch) {
    struct Case {
        QPointD p0, p1, p2, p3;
        std::vector<QPointD> controls;
    };
    const Case cases[] = {
        // Small quarter circle: the tangents' crossing (0, 30) is close enough.
        {{0, 0}, {0, 20}, {10, 30}, {30, 30}, {{0, 30}}},
        // Radius 100: the crossing is too far off; two controls at 0.7546 of the handles.
        {{0, 0}, {0, 55}, {45, 100}, {100, 100}, {{0, 42}, {58, 100}}},
        // Radius 1000: six reflected pieces, C1 = P0 + (1.5 / 6)(P1 - P0).
        {{0, 0}, {0, 552}, {448, 1000}, {1000, 1000},
         {{0, 138}, {71, 393}, {202, 616}, {384, 798}, {607, 929}, {862, 1000}}},
        // First control on the start point: odd counts are tried, nine pieces match.
        {{0, 0}, {0, 0}, {500, 1000}, {1000, 0},
         {{1, 1}, {35, 65}, {102, 165}, {194, 279}, {311, 379}, {443, 444}, {594, 445}, {750, 362}, {918, 165}}},
    };
    for (const Case& c : cases) {
        auto ctrl = CubicToQuadraticControls(c.p0, c.p1, c.p2, c.p3);
        ASSERT_EQ(ctrl.size(), c.controls.size()) << "cubic to " << c.p3.x << "," << c.p3.y << " via " << c.p1.y;
        for (size_t i = 0; i < ctrl.size(); ++i) {
            EXPECT_EQ(ctrl[i].x, c.controls[i].x) << i;
            EXPECT_EQ(ctrl[i].y, c.controls[i].y) << i;
        }
    }
    // An S curve within 2 units nowhere short of ten pieces takes ten, untested.
    EXPECT_EQ(CubicToQuadraticControls({0, 0}, {300, 900}, {700, -900}, {1000, 0}).size(), 10u);
}

// Sizes and spaces that would put a coordinate or the advance past 16 bits are reported,
// and moves past the range are not made.
TEST(Placement, CoordinatesPast16BitsAreReportedNotWrapped) {
    GlyphOutline g;
    PlacementParams p;
    p.size = 100;
    // 20 : 1 wide: 40960 units wide at full size.
    PlacementResult wide = PlaceGlyph(Rectangle(2000, 100), p, g);
    EXPECT_TRUE(wide.placed);
    EXPECT_TRUE(wide.overflow);
    // 6 : 1 is 12288 wide; a left space of 200 % moves it to 24576..36864.
    p.leftSpace = 200;
    EXPECT_TRUE(PlaceGlyph(Rectangle(600, 100), p, g).overflow);
    // 11 : 1 is 22528 wide and fits, but its advance with a right space of 200 % does not.
    p.leftSpace = 0;
    p.rightSpace = 200;
    EXPECT_TRUE(PlaceGlyph(Rectangle(1100, 100), p, g).overflow);
    p.leftSpace = 100;
    p.rightSpace = 10;
    PlacementResult fits = PlaceGlyph(Rectangle(400, 100), p, g);
    EXPECT_FALSE(fits.overflow);
    g.boundingBox();
    GlyphBox before = g.box();
    EXPECT_FALSE(MoveGlyphPoints(g, 20000, 0));
    EXPECT_EQ(g.boundingBox(), before);
    EXPECT_TRUE(MoveGlyphPoints(g, -8192, 0));
}
