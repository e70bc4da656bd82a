#include <gtest/gtest.h>

#include "GlyphOutline.h"

TEST(GlyphOutline, EmptyBoxStaysEmpty) {
    GlyphOutline g;
    EXPECT_EQ(g.boundingBox(), (GlyphBox{32767, 32767, -32767, -32767}));
}

TEST(GlyphOutline, CubicBoxIsTheArcNotItsControls) {
    GlyphOutline g;
    g.appendMove({0, 0});
    // Symmetric arch: controls at y = 100, the arc peaks at 75 (0.75 * 100).
    g.appendCubic({100, 0}, {0, 100}, {100, 100});
    GlyphBox box = g.boundingBox();
    EXPECT_EQ(box, (GlyphBox{0, 0, 100, 75}));

    GlyphOutline dip;
    dip.appendMove({0, 0});
    dip.appendCubic({90, 0}, {30, -31}, {60, -31});  // minimum -23.25 rounds down
    EXPECT_EQ(dip.boundingBox(), (GlyphBox{0, -24, 90, 0}));

    // Controls inside the end points' range add nothing.
    GlyphOutline flat;
    flat.appendMove({0, 0});
    flat.appendCubic({100, 50}, {20, 10}, {80, 40});
    EXPECT_EQ(flat.boundingBox(), (GlyphBox{0, 0, 100, 50}));
}

TEST(GlyphOutline, BoxIncludesOffCurvePointsAndComponents) {
    GlyphOutline g;
    g.appendMove({0, 0});
    g.appendQuadOff({50, 80});
    g.appendLine({100, 0});
    g.m_components.push_back(GlyphBox{-10, -20, 5, 5});
    EXPECT_EQ(g.boundingBox(), (GlyphBox{-10, -20, 100, 80}));
}

TEST(GlyphOutline, ScalingRoundsHalvesDown) {
    EXPECT_EQ(GlyphOutline::ScaleCoordinate(3, 0, 0.5), 1);    // 1.5 -> 1
    EXPECT_EQ(GlyphOutline::ScaleCoordinate(-3, 0, 0.5), -2);  // -1.5 -> -2
    EXPECT_EQ(GlyphOutline::ScaleCoordinate(7, 0, 0.4), 3);    // 2.8 -> 3
    EXPECT_EQ(GlyphOutline::ScaleCoordinate(10, 4, 2.0), 16);
    EXPECT_EQ(GlyphOutline::ScaleCoordinate(5, 4, 0.25), 4);   // 4.25 -> 4

    GlyphOutline g;
    g.appendMove({10, -10});
    g.appendLine({3, 5});
    g.setAdvanceWidth(500);
    g.scale(0.5);
    EXPECT_EQ(g.node(0).point(0), (OutlinePoint{5, -5}));
    EXPECT_EQ(g.node(1).point(0), (OutlinePoint{1, 2}));
    g.translate(100, 1);
    EXPECT_EQ(g.node(1).point(0), (OutlinePoint{101, 3}));
    EXPECT_EQ(g.advanceWidth(), 500);
}

TEST(GlyphOutline, AssignOutlineKeepsGlyphData) {
    GlyphOutline g;
    g.setAdvanceWidth(321);
    Outline o;
    o.appendMove({1, 1});
    o.appendLine({2, 2});
    g.assignOutline(o);
    EXPECT_EQ(g.nodeCount(), 2);
    EXPECT_EQ(g.advanceWidth(), 321);
    GlyphOutline copy(g);
    EXPECT_EQ(copy.nodeCount(), 2);
    EXPECT_EQ(copy.advanceWidth(), 321);
}
