// Drawings as a vector program saves them, read through the registry, traced with the
// program's tracer: the filled tracing must match librsvg's own rendering of the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "SvgTestSupport.h"
#include "TraceIoU.h"
#include "Tracer.h"

using namespace svg_test;

namespace {

const char* kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"\n"
    "   xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\"\n"
    "   xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\"\n"
    "   width=\"210mm\" height=\"297mm\" viewBox=\"0 0 210 297\" version=\"1.1\" id=\"svg1\">\n"
    "  <sodipodi:namedview id=\"namedview1\" pagecolor=\"#ffffff\" inkscape:zoom=\"0.7\"/>\n";

std::string Drawing(const std::string& body) { return std::string(kHead) + body + "</svg>\n"; }

// A signature drawn with a pen tool: one stroked path, round caps and joins.
const std::string kStroke = Drawing(
    "  <g inkscape:label=\"Layer 1\" inkscape:groupmode=\"layer\" id=\"layer1\">\n"
    "    <path style=\"fill:none;stroke:#000000;stroke-width:2.4;stroke-linecap:round;stroke-linejoin:round\"\n"
    "       d=\"m 30,120 c 8,-30 18,-42 24,-30 6,12 -14,40 -4,42 10,2 16,-26 26,-24 9,2 -2,22 8,22 \"\n"
    "       id=\"path1\" sodipodi:nodetypes=\"ccccc\"/>\n"
    "    <path style=\"fill:none;stroke:#000000;stroke-width:2.4;stroke-linecap:round\" d=\"M 96,96 L 140,128\" id=\"path2\"/>\n"
    "  </g>\n");

// A filled outline with a hole, by the even-odd rule and by a reversed inner contour.
const std::string kHole = Drawing(
    "  <g id=\"layer1\" inkscape:groupmode=\"layer\">\n"
    "    <path style=\"fill:#000000;fill-rule:evenodd;stroke:none\"\n"
    "       d=\"M 40,60 C 40,30 110,30 110,60 C 110,100 40,100 40,60 Z M 60,62 C 60,50 90,50 90,62 C 90,76 60,76 60,62 Z\"/>\n"
    "    <path style=\"fill:#000000\" d=\"M 120,40 h 50 v 50 h -50 Z M 135,55 v 20 h 20 v -20 Z\"/>\n"
    "  </g>\n");

// Groups inside groups, each with its own transform.
const std::string kTransforms = Drawing(
    "  <g transform=\"translate(20,40)\" inkscape:groupmode=\"layer\">\n"
    "    <g transform=\"rotate(25) scale(1.6,0.7)\">\n"
    "      <g transform=\"matrix(1,0.3,0,1,10,0)\">\n"
    "        <path style=\"fill:none;stroke:#000;stroke-width:3;stroke-linecap:round\" d=\"M 0,0 C 20,-30 40,30 60,0 S 90,-20 100,10\"/>\n"
    "        <ellipse cx=\"50\" cy=\"30\" rx=\"12\" ry=\"6\" style=\"fill:#000\"/>\n"
    "      </g>\n"
    "    </g>\n"
    "  </g>\n");

// One loop drawn once in the definitions and placed three times.
const std::string kUse = Drawing(
    "  <defs>\n"
    "    <path id=\"loop\" style=\"fill:none;stroke:#000;stroke-width:2.5;stroke-linecap:round\"\n"
    "       d=\"M 0,20 C 10,-10 30,-10 20,20 C 15,35 5,30 10,20\"/>\n"
    "  </defs>\n"
    "  <use xlink:href=\"#loop\" x=\"30\" y=\"80\"/>\n"
    "  <use href=\"#loop\" x=\"70\" y=\"80\"/>\n"
    "  <use xlink:href=\"#loop\" transform=\"translate(110,70) scale(1.4)\"/>\n");

// The look given by a style sheet: classes, an id, a hidden element.
const std::string kCss = Drawing(
    "  <style type=\"text/css\">\n"
    "    .ink { fill: none; stroke: #1a1a80; stroke-width: 3.5px; stroke-linecap: round; }\n"
    "    #dot { fill: black; }\n"
    "    g.draft > path { display: none; }\n"
    "  </style>\n"
    "  <path class=\"ink\" d=\"M 30,100 Q 60,40 90,100 T 150,100\"/>\n"
    "  <circle id=\"dot\" cx=\"160\" cy=\"70\" r=\"4\"/>\n"
    "  <g class=\"draft\"><path style=\"fill:#000\" d=\"M 20,20 h 170 v 20 h -170 Z\"/></g>\n");

struct Case {
    const char* name;
    const std::string* drawing;
    bool packed;
};

// IoU of the tracing of the reader's picture against librsvg's rendering.
void CheckFidelity(const Case& c) {
    const std::string file = c.packed ? Gzip(*c.drawing) : *c.drawing;
    const std::string path = TempPath(std::string(c.name) + (c.packed ? ".svgz" : ".svg"));
    WriteFile(path, file);
    std::unique_ptr<MonoImage> picture;
    ASSERT_EQ(ReadThroughRegistry(path, picture), 0) << c.name;

    // About 2000 pixels on the ink's longer side.
    PixelRect ink = InkBox(*picture);
    const int longer = std::max(ink.Width(), ink.Height());
    EXPECT_GE(longer, kDefaultSvgSize - 8) << c.name;
    EXPECT_LE(longer, kDefaultSvgSize + 2) << c.name;

    MonoBitmap oracle;
    OracleRendering(Bytes(file), LayoutSvg(Bytes(file), kDefaultSvgSize), oracle);
    ASSERT_EQ(oracle.width, picture->width);
    ASSERT_EQ(oracle.height, picture->height);

    TraceParams params;
    params.image = picture.get();
    ASSERT_EQ(trace(&params), 0) << c.name;
    const double iou = trace_iou::BestOffsetIoU(*params.result, oracle, params.outputScale, 0.5).iou;
    std::printf("%-12s %5d x %-5d  IoU of the tracing with librsvg's rendering %.4f\n", c.name, picture->width,
                picture->height, iou);
    EXPECT_GE(iou, 0.97) << c.name;
}

TEST(SvgFidelity, StrokedPathWithRoundCaps) { CheckFidelity({"stroke", &kStroke, false}); }
TEST(SvgFidelity, FilledPathsWithHoles) { CheckFidelity({"hole", &kHole, false}); }
TEST(SvgFidelity, NestedTransforms) { CheckFidelity({"transforms", &kTransforms, false}); }
TEST(SvgFidelity, UseReferences) { CheckFidelity({"use", &kUse, false}); }
TEST(SvgFidelity, CssStyles) { CheckFidelity({"css", &kCss, false}); }
TEST(SvgFidelity, PackedSvgz) { CheckFidelity({"svgz", &kStroke, true}); }

}  // namespace
