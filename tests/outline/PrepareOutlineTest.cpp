#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PrepareOutline.h"

namespace {

std::vector<OutlinePoint> AllPoints(const Outline& outline) {
    std::vector<OutlinePoint> out;
    for (int i = 0; i < outline.nodeCount(); ++i) {
        OutlineNodeRef nd = outline.node(i);
        for (int k = 0; k < nd.pointCount(); ++k) out.push_back(nd.point(k));
    }
    return out;
}

TEST(PrepareOutline, MovesTheLowestPointsToTheOrigin) {
    Outline outline;
    outline.appendMove({1000, 2000});
    outline.appendLine({3000, 2000});
    outline.appendNode(kNodeLine | kNodeSmoothFlag, std::vector<OutlinePoint>{{3000, 4000}}.data());
    ASSERT_TRUE(PrepareOutline(outline));
    EXPECT_EQ(AllPoints(outline), (std::vector<OutlinePoint>{{0, 0}, {2000, 0}, {2000, 2000}}));
    EXPECT_EQ(outline.node(2).typeWord(), kNodeLine | kNodeSmoothFlag);
    EXPECT_FALSE(outline.indexEnabled());
}

TEST(PrepareOutline, CurvesCountByTheirTrueExtent) {
    // The controls dip to -100 but the arc only to -75: the outline moves up by 75.
    Outline outline;
    outline.appendMove({0, 0});
    outline.appendCubic({100, 0}, {0, -100}, {100, -100});
    ASSERT_TRUE(PrepareOutline(outline));
    EXPECT_EQ(AllPoints(outline), (std::vector<OutlinePoint>{{0, 75}, {100, 75}, {0, -25}, {100, -25}}));

    // An extent between two integers rounds down (x min of this arc is -18.39...).
    Outline skew;
    skew.appendMove({0, 0});
    skew.appendCubic({0, 100}, {-50, 0}, {20, 100});
    ASSERT_TRUE(PrepareOutline(skew));
    EXPECT_EQ(skew.node(0).point(0), (OutlinePoint{19, 0}));
}

TEST(PrepareOutline, FullSixteenBitShiftAndRefusals) {
    Outline low;
    low.appendMove({-32768, -32768});
    low.appendLine({-1, -1});
    ASSERT_TRUE(PrepareOutline(low));
    EXPECT_EQ(AllPoints(low), (std::vector<OutlinePoint>{{0, 0}, {32767, 32767}}));

    // A point that would leave the range keeps the whole outline as it was, controls
    // included: here the control far below the arc would wrap.
    Outline wide;
    wide.appendMove({-32768, 0});
    wide.appendLine({0, 0});
    const auto before = AllPoints(wide);
    EXPECT_FALSE(PrepareOutline(wide));
    EXPECT_EQ(AllPoints(wide), before);

    Outline deep;
    deep.appendMove({0, 32767});
    deep.appendCubic({10, 32767}, {0, -32768}, {10, 32767});
    EXPECT_FALSE(PrepareOutline(deep));

    Outline empty;
    EXPECT_TRUE(PrepareOutline(empty));
    EXPECT_EQ(empty.nodeCount(), 0);
}

// The lowest x and y of random cubic arcs against fontTools' exact curve bounds.
TEST(PrepareOutline, ExtentAgreesWithFontTools) {
    const std::string dir = PENMARK_TEST_TMP;
    const std::string input = dir + "/cubics.txt", output = dir + "/cubics_min.txt";
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> coord(-3000, 3000);
    std::vector<std::array<OutlinePoint, 4>> curves(300);
    {
        std::ofstream out(input);
        for (auto& c : curves) {
            for (auto& p : c) p = OutlinePoint{int16_t(coord(rng)), int16_t(coord(rng))};
            for (auto& p : c) out << p.x << ' ' << p.y << ' ';
            out << '\n';
        }
    }
    const std::string script =
        "import sys\n"
        "from fontTools.misc.bezierTools import calcCubicBounds\n"
        "out = open(sys.argv[2], 'w')\n"
        "for line in open(sys.argv[1]):\n"
        "    v = [int(t) for t in line.split()]\n"
        "    p = [(v[i], v[i + 1]) for i in range(0, 8, 2)]\n"
        "    b = calcCubicBounds(*p)\n"
        "    out.write('%r %r\\n' % (float(b[0]), float(b[1])))\n";
    const std::string scriptPath = dir + "/cubics.py";
    std::ofstream(scriptPath) << script;
    const std::string command = "/usr/bin/python3 " + scriptPath + " " + input + " " + output;
    ASSERT_EQ(std::system(command.c_str()), 0) << "needs Debian's python3-fonttools";

    std::ifstream in(output);
    int compared = 0;
    for (const auto& c : curves) {
        double xMin, yMin;
        ASSERT_TRUE(in >> xMin >> yMin);
        Outline outline;
        outline.appendMove(c[0]);
        outline.appendCubic(c[3], c[1], c[2]);
        ASSERT_TRUE(PrepareOutline(outline));
        const OutlinePoint moved = outline.node(0).point(0);
        // Skip the rare arcs whose extremum lies within rounding noise of an integer.
        auto nearInteger = [](double v) { return std::fabs(v - std::round(v)) < 1e-6; };
        if (!nearInteger(xMin)) {
            EXPECT_EQ(c[0].x - moved.x, int(std::floor(xMin)));
        }
        if (!nearInteger(yMin)) {
            EXPECT_EQ(c[0].y - moved.y, int(std::floor(yMin)));
        }
        ++compared;
    }
    EXPECT_EQ(compared, 300);
}

}  // namespace
