// How closely the tracing, filled back into pixels, matches the picture it came from.
//
// Bounds: the differing pixels number at most kMaxDiffPerEdge times the ink's perimeter
// (pixel edges between ink and paper), and a pixel may only differ where the picture
// changes between ink and paper within `reach` pixels of it. Lattice points are pixel
// centres, so a straight edge of the tracing runs through the outermost ink pixels and
// about half of them read as outside: 0.5 is what straight edges alone cost; curves do
// better. Curved tracings stay within one pixel; the large signature within two (a
// fitted curve may stray by the tolerance, one pixel, from the polygon, which itself
// lies half a pixel inside the ink's edge).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "TraceTestUtil.h"

using namespace trace_fixtures;
using namespace trace_test;

namespace {

constexpr double kMaxDiffPerEdge = 0.5;

struct Fidelity {
    long differing = 0;
    long far = 0;  // differing pixels with a uniform 3 x 3 neighbourhood in the picture
    long perimeter = 0;
};

Fidelity Measure(const MonoBitmap& picture, const MonoBitmap& traced, int reach) {
    Fidelity f;
    f.perimeter = Perimeter(picture);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            bool ink = IsInk(picture, x, y);
            if (ink == IsInk(traced, x, y)) continue;
            ++f.differing;
            bool uniform = true;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    uniform = uniform && IsInk(picture, x + dx, y + dy) == ink;
            f.far += uniform;
        }
    }
    return f;
}

struct Shape {
    const char* name;
    int w, h;
    int reach;
    std::function<void(MonoBitmap&)> draw;
};

std::vector<Shape> Shapes() {
    return {
        {"signature", 600, 200, 1, [](MonoBitmap& b) { b.Fill(1); auto s = Signature(600, 200, 1);
                                                       std::copy(s->bits, s->bits + s->size, b.bits); }},
        {"signature2", 450, 150, 1, [](MonoBitmap& b) { b.Fill(1); auto s = Signature(450, 150, 7);
                                                        std::copy(s->bits, s->bits + s->size, b.bits); }},
        {"rings", 160, 90, 1, [](MonoBitmap& b) { FillRing(b, 40, 45, 35, 20); FillRing(b, 115, 45, 30, 27); }},
        {"dots", 60, 30, 1, [](MonoBitmap& b) {
             SetInk(b, 5, 5); FillDisc(b, 20, 15, 1.2); FillDisc(b, 35, 15, 2.5); FillDisc(b, 50, 15, 4);
             FillRect(b, 5, 20, 7, 22); }},
        {"diagonals", 200, 120, 1, [](MonoBitmap& b) {
             StrokeLine(b, 5, 110, 60, 5, 0.6); StrokeLine(b, 30, 115, 190, 60, 0.7);
             StrokeLine(b, 70, 5, 195, 100, 1.0); StrokeLine(b, 10, 60, 120, 62, 0.55); }},
        {"solid", 120, 100, 1, [](MonoBitmap& b) {
             FillRect(b, 5, 5, 60, 50); FillDisc(b, 90, 30, 25); FillRect(b, 10, 60, 110, 95);
             FillDisc(b, 60, 78, 12, false); }},
    };
}

void Check(const Shape& shape, int mode, double maxDiffPerEdge = kMaxDiffPerEdge, int extraReach = 0) {
    auto picture = Blank(shape.w, shape.h);
    shape.draw(*picture);
    Traced t = TraceIt(*picture, mode);
    ASSERT_EQ(t.code, 0);
    ExpectClosedContours(*t.outline);
    auto back = Rasterized(*t.outline, shape.w, shape.h);
    Fidelity f = Measure(*picture, *back, shape.reach + extraReach);
    std::printf("%-10s mode %d: %ld differing, %ld far, perimeter %ld, ratio %.3f, %d nodes\n",
                shape.name, mode, f.differing, f.far, f.perimeter,
                double(f.differing) / double(f.perimeter), t.outline->nodeCount());
    EXPECT_EQ(f.far, 0) << shape.name << " mode " << mode;
    EXPECT_LE(double(f.differing), maxDiffPerEdge * double(f.perimeter)) << shape.name << " mode " << mode;
}

}  // namespace

TEST(TraceFidelity, CubicTracingMatchesThePicture) {
    for (const Shape& s : Shapes()) Check(s, kTraceCubic);
}

TEST(TraceFidelity, QuadraticTracingMatchesThePicture) {
    for (const Shape& s : Shapes()) Check(s, kTraceQuadratic);
}

// Without curves, a long gentle stroke becomes a few long edges, and merging chamfers
// between straight edges may move a corner out by up to a step: one pixel more.
TEST(TraceFidelity, LineTracingMatchesThePicture) {
    for (const Shape& s : Shapes()) Check(s, kTraceLines, kMaxDiffPerEdge, 1);
}

// Long, gently bending strokes at scanner resolution: straightening must not let the
// outline drift away from the ink as the picture grows.
TEST(TraceFidelity, LargeSignatureStaysClose) {
    Shape large{"large", 3000, 1000, 2, [](MonoBitmap& b) {
                    auto s = Signature(3000, 1000, 1);
                    std::copy(s->bits, s->bits + s->size, b.bits);
                }};
    Check(large, kTraceCubic, 0.3);
}
