// Filling outlines into pixels with the nonzero rule, and writing them as SVG.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "OutlineRaster.h"
#include "OutlineSvg.h"
#include "TraceFixtures.h"

using namespace trace_fixtures;

namespace {

void Square(Outline& o, int x0, int y0, int x1, int y1, bool counterClockwise = true) {
    o.appendMove({int16_t(x0), int16_t(y0)});
    if (counterClockwise) {
        o.appendLine({int16_t(x1), int16_t(y0)});
        o.appendLine({int16_t(x1), int16_t(y1)});
        o.appendLine({int16_t(x0), int16_t(y1)});
    } else {
        o.appendLine({int16_t(x0), int16_t(y1)});
        o.appendLine({int16_t(x1), int16_t(y1)});
        o.appendLine({int16_t(x1), int16_t(y0)});
    }
    o.appendLine({int16_t(x0), int16_t(y0)});
}

std::unique_ptr<MonoBitmap> Fill(const Outline& o, int w, int h, OutlineRasterParams p = {}) {
    auto b = std::make_unique<MonoBitmap>();
    RasterizeOutline(o, w, h, *b, p);
    return b;
}

// Circle of radius r about (c, c) from four cubic quarter arcs.
Outline CubicCircle(int c, int r) {
    const int k = int(std::lround(0.5522847 * r));
    Outline o;
    auto pt = [&](int dx, int dy) { return OutlinePoint{int16_t(c + dx), int16_t(c + dy)}; };
    o.appendMove(pt(r, 0));
    o.appendCubic(pt(0, r), pt(r, k), pt(k, r));
    o.appendCubic(pt(-r, 0), pt(-k, r), pt(-r, k));
    o.appendCubic(pt(0, -r), pt(-r, -k), pt(-k, -r));
    o.appendCubic(pt(r, 0), pt(k, -r), pt(r, -k));
    return o;
}

}  // namespace

TEST(OutlineRaster, SquareCoversExactlyThePixelsWhoseCentresItHolds) {
    Outline o;
    Square(o, 2, 1, 7, 4);  // y up: rows 1..3 from the bottom of a 10 x 6 picture
    auto b = Fill(o, 10, 6);
    auto expected = Blank(10, 6);
    FillRect(*expected, 2, 2, 7, 5);
    EXPECT_EQ(CountDifferences(*b, *expected), 0);

    // Scale and offset move it: twice the size, one pixel right.
    OutlineRasterParams p;
    p.scale = 2;
    p.offsetX = 1;
    auto scaled = Fill(o, 20, 12, p);
    auto expected2 = Blank(20, 12);
    FillRect(*expected2, 5, 4, 15, 10);
    EXPECT_EQ(CountDifferences(*scaled, *expected2), 0);
}

TEST(OutlineRaster, NonzeroWindingFillsOverlapsAndLeavesOppositeContoursOpen) {
    Outline same;
    Square(same, 0, 0, 10, 10);
    Square(same, 5, 5, 15, 15);
    auto b = Fill(same, 16, 16);
    EXPECT_EQ(InkCount(*b), 100 + 100 - 25);

    Outline holed;
    Square(holed, 0, 0, 12, 12);
    Square(holed, 3, 3, 9, 9, false);
    auto h = Fill(holed, 12, 12);
    EXPECT_EQ(InkCount(*h), 144 - 36);
    EXPECT_FALSE(IsInk(*h, 6, 6));
    EXPECT_TRUE(IsInk(*h, 1, 1));

    // The same inner square drawn the same way round is not a hole.
    Outline doubled;
    Square(doubled, 0, 0, 12, 12);
    Square(doubled, 3, 3, 9, 9, true);
    EXPECT_EQ(InkCount(*Fill(doubled, 12, 12)), 144);
}

TEST(OutlineRaster, CurvesAreFlattenedFaithfully) {
    auto b = Fill(CubicCircle(50, 40), 100, 100);
    EXPECT_NEAR(double(InkCount(*b)), std::numbers::pi * 40 * 40, 0.01 * std::numbers::pi * 40 * 40);

    // Quadratic circle from off-curve points only (implied on-curve midpoints) after the
    // move: the midpoints lie on the axes at radius r.
    Outline q;
    q.appendMove({90, 50});
    q.appendQuadOff({90, 90});
    q.appendQuadOff({10, 90});
    q.appendQuadOff({10, 10});
    q.appendQuadOff({90, 10});
    auto qb = Fill(q, 100, 100);
    EXPECT_TRUE(IsInk(*qb, 50, 50));
    EXPECT_TRUE(IsInk(*qb, 50, 100 - 88));  // just inside the top midpoint (50, 90)
    EXPECT_FALSE(IsInk(*qb, 50, 100 - 92));
    EXPECT_FALSE(IsInk(*qb, 88, 100 - 88));  // the square's corner is cut off
    // Area of a quadratic "circle" with control square side 2r is 8r^2 * 5/6 ... within
    // the inscribed disc and the square.
    double ink = double(InkCount(*qb));
    EXPECT_GT(ink, std::numbers::pi * 40 * 40);
    EXPECT_LT(ink, 80.0 * 80.0);
}

TEST(OutlineRaster, ClipsToThePictureAndIgnoresDegenerateInput) {
    Outline big;
    Square(big, -100, -100, 300, 300);
    auto b = Fill(big, 17, 9);
    EXPECT_EQ(InkCount(*b), 17 * 9);

    Outline empty;
    EXPECT_EQ(InkCount(*Fill(empty, 8, 8)), 0);

    Outline flat;  // no area
    flat.appendMove({1, 1});
    flat.appendLine({6, 1});
    flat.appendLine({1, 1});
    EXPECT_EQ(InkCount(*Fill(flat, 8, 8)), 0);

    // Nodes before any move still make a contour; the picture is never overrun.
    Outline noMove;
    noMove.appendLine({0, 0});
    noMove.appendLine({4, 0});
    noMove.appendLine({4, 4});
    EXPECT_GT(InkCount(*Fill(noMove, 8, 8)), 0);

    MonoBitmap none;
    FillOutline(big, none);  // no buffer: nothing happens
    EXPECT_TRUE(none.IsEmpty());
}

TEST(OutlineSvg, OnePathWithYFlippedAndEveryNodeKind) {
    Outline o;
    o.appendMove({0, 0});
    o.appendLine({10, 0});
    o.appendCubic({10, 10}, {13, 3}, {13, 7});
    o.appendQuadOff({5, 14});
    o.appendQuadOff({0, 10});
    o.appendLine({0, 0});
    Square(o, 20, 0, 25, 5);
    std::string svg = OutlineToSvg(o);
    EXPECT_NE(svg.find("d=\"M0 0 L10 0 C13 -3 13 -7 10 -10 Q5 -14 2.5 -12 Q0 -10 0 0 Z "
                       "M20 0 L25 0 L25 -5 L20 -5 L20 0 Z\""),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("fill-rule=\"nonzero\""), std::string::npos);
    // Bounds 0..25 x 0..14 with the default margin of 2, y flipped.
    EXPECT_NE(svg.find("viewBox=\"-2 -16 29 18\""), std::string::npos) << svg;
    EXPECT_EQ(svg.find("<path", svg.find("<path") + 1), std::string::npos);  // one path
}

TEST(OutlineSvg, WrittenFileIsWellFormedXml) {
    Outline o = CubicCircle(50, 40);
    Square(o, 30, 30, 70, 70, false);
    OutlineSvgOptions opt;
    opt.showPoints = true;
    opt.fill = "a<b&\"c\"";
    const std::string path = std::string(PENMARK_TEST_TMP) + "/outline_svg_test.svg";
    ASSERT_TRUE(SaveOutlineSvg(o, path, opt));
    const std::string cmd =
        "/usr/bin/python3 -c \"import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); "
        "assert len(d.getElementsByTagName('path')) == 1\" " + path;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_FALSE(SaveOutlineSvg(o, "/nonexistent-dir/x.svg"));
}
