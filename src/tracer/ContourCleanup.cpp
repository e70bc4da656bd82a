// Clean-up: removal of needless vertices, and the contours too small to fit (dots, lenses).
#include "ContourFitter.h"

#include <algorithm>
#include <cmath>

#include "FitGeometry.h"

using namespace fitgeom;

bool ContourFitter::MayMerge(int a, int m, int b) {
    LinkedPool<TraceVertex>& v = *m_pV;
    Vec2 pa = Pos(a), pm = Pos(m), pb = Pos(b);
    Vec2 in = pm - pa, out = pb - pm;
    const bool collinear = std::fabs(Cross(in, out)) < kEps && in.Dot(out) > 0;
    // Every point merged into a-m or m-b so far lies within its drift of that edge, and
    // those edges lie within m's distance of the new edge a-b.
    const double drift = std::max(v[a].drift, v[m].drift) + DistanceFromLine(pm, pa, pb);
    // Deleting whenever the bend test allows lets many shallow bends add up: on long
    // gentle strokes the edge walks off the ink. Bounding the accumulated drift by the
    // fit tolerance keeps the outline on the ink for a few more segments (figures in
    // tests/tracer/TracerDriftRuleTest.cpp, which keeps this rule the better one).
    if (m_set.boundedDrift && !collinear && drift > m_set.tolerance) return false;
    v[a].drift = float(drift);
    return true;
}

void ContourFitter::Straighten() {
    LinkedPool<TraceVertex>& v = *m_pV;
    int p = v.First();
    while (p && v.Count() > 2) {
        int o = v.CyclicPrev(p), q = v.CyclicNext(p), r = v.CyclicNext(q);
        EdgeClass result = Classify(Pos(o), Pos(p), Pos(q), Pos(r), Kind(p), Kind(q), m_set.sinStraighten);
        if (result == kEdgeDropP && MayMerge(o, p, q)) {
            int back = v.Prev(p) ? v.Prev(v.Prev(p)) : 0;
            v.Erase(p);
            p = back ? back : v.First();
        } else if (result == kEdgeDropQ && MayMerge(p, q, r)) {
            int back = v.Prev(p);
            v.Erase(q);
            p = back ? back : v.First();
        } else {
            p = v.Next(p);
        }
    }
}

// Pixel-sized shapes for contours of one or two lattice points: two curves, each from
// one end of the axis through the points to the other, with both controls kAcross to
// the side of its ends; the ends lie kBeyond past the points. Fitted for the greatest
// overlap with one or two pixels.
constexpr double kBeyond = 0.56;
constexpr double kAcross = 0.72;

void ContourFitter::EmitPixelShape(Vec2 p, Vec2 q, std::vector<FitNode>& out) {
    Vec2 d = q - p;
    double l = d.Length();
    Vec2 u = l > 0 ? d * (1 / l) : Vec2{0, -1};
    Vec2 n{-u.y * kAcross, u.x * kAcross};
    Vec2 a = p - u * kBeyond, b = q + u * kBeyond;
    Push(out, a, kKindStart);
    Push(out, a + n, kKindControl);
    Push(out, b + n, kKindControl);
    Push(out, b, kKindPlain);
    Push(out, b - n, kKindControl);
    Push(out, a - n, kKindControl);
    Push(out, a, kKindPlain);
}

void ContourFitter::EmitDot(std::vector<FitNode>& out) {
    Vec2 c = Pos(m_pV->First());
    if (m_set.edgePlacement && m_set.curveMode == kTraceCubic) return EmitPixelShape(c, c, out);
    auto at = [&](double dx, double dy) { return Vec2{c.x + dx, c.y + dy}; };
    if (m_set.curveMode == kTraceQuadratic) {
        Push(out, at(0, 1), kKindStart);
        Push(out, at(2, 0), kKindControl);
        Push(out, at(0, -1), kKindPlain);
        Push(out, at(-2, 0), kKindControl);
        Push(out, at(0, 1), kKindPlain);
    } else if (m_set.curveMode == kTraceCubic) {
        Push(out, at(0, 1), kKindStart);
        Push(out, at(1, 1), kKindControl);
        Push(out, at(1, -1), kKindControl);
        Push(out, at(0, -1), kKindPlain);
        Push(out, at(-1, -1), kKindControl);
        Push(out, at(-1, 1), kKindControl);
        Push(out, at(0, 1), kKindPlain);
    }
}

void ContourFitter::EmitLens(std::vector<FitNode>& out) {
    Vec2 p = Pos(m_pV->First()), q = Pos(m_pV->Last());
    if (m_set.edgePlacement && m_set.curveMode == kTraceCubic) return EmitPixelShape(p, q, out);
    Push(out, p, kKindStart);
    Vec2 d = q - p;
    double l = d.Length();
    if (m_set.curveMode == kTraceLines || l <= 0) {
        Push(out, q, kKindPlain);
        Push(out, p, kKindPlain);
        return;
    }
    Vec2 n{-d.y / l, d.x / l};
    Vec2 mid = (p + q) * 0.5;
    auto curveTo = [&](Vec2 from, Vec2 to, Vec2 control) {
        if (m_set.curveMode == kTraceCubic) {
            Push(out, from + (control - from) * 0.3, kKindControl);
            Push(out, to + (control - to) * 0.3, kKindControl);
        } else {
            Push(out, control, kKindControl);
        }
        Push(out, to, kKindPlain);
    };
    curveTo(p, q, mid + n * (2 * m_set.step));
    curveTo(q, p, mid - n * (2 * m_set.step));
}
