// Curve fitting: quadratic or cubic Bezier curves over runs of edges within the tolerance.
#include "ContourFitter.h"

#include <algorithm>
#include <cmath>

#include "FitGeometry.h"

using namespace fitgeom;

void ContourFitter::FitRuns(std::vector<FitNode>& out) {
    const int count = m_pV->Count();
    for (int i = 0; i < count && Kind(m_segs[m_segs.First()].start) == kKindPlain; ++i)
        m_segs.RotateLeft();
    const size_t firstNode = out.size();
    PushVertex(out, m_segs[m_segs.First()].start, kKindStart);
    std::vector<int> run;
    for (int seg = m_segs.First(); seg;) {
        int stop = 0;
        FitResult fit;
        while (true) {
            run.assign(1, seg);
            for (int joins = 0; joins < kMaxRunJoins; ++joins) {
                const TraceSegment& cur = m_segs[run.back()];
                int next = m_segs.Next(run.back());
                if (!next || Kind(cur.end) != kKindPlain || cur.kind == kKindStraight ||
                    cur.end == stop)
                    break;
                run.push_back(next);
            }
            if (run.size() == 1 && m_segs[seg].kind == kKindStraight) {
                fit = FitResult{};  // a lone straight edge stays a line
                break;
            }
            fit = FitRun(run);
            if (fit.ok || run.size() == 1) break;
            // Cut the run at the worst vertex, or drop its last edge.
            int dropLast = m_segs[run[run.size() - 2]].end;
            size_t at = run.size();  // edges the cut run keeps
            for (size_t i = 0; i + 1 < run.size(); ++i)
                if (fit.splitVertex && m_segs[run[i]].end == fit.splitVertex) at = i + 1;
            stop = at < run.size() ? fit.splitVertex : dropLast;
            // On the ink's edge, each cut takes at least a quarter of a long run, so that
            // a start costs a few fits even where the worst vertex is always near the end.
            const size_t most = run.size() - std::max<size_t>(1, run.size() / 4);
            if (m_set.edgePlacement && std::min(at, run.size() - 1) > most) stop = m_segs[run[most - 1]].end;
        }
        const TraceSegment& last = m_segs[run.back()];
        if (fit.ok) {
            Push(out, fit.c1, kKindControl);
            if (m_set.curveMode == kTraceCubic) Push(out, fit.c2, kKindControl);
        }
        PushVertex(out, last.end, Kind(last.end));
        seg = m_segs.Next(run.back());
    }
    // The contour closes on its start point, which is not a second start.
    if (out.size() > firstNode + 1) out.back().kind = kKindPlain;
}

ContourFitter::FitResult ContourFitter::FitRun(const std::vector<int>& run) {
    if (m_set.curveMode != kTraceCubic && m_set.curveMode != kTraceQuadratic) return {};
    if (run.size() == 1) return FitSingle(run[0]);
    return m_set.curveMode == kTraceCubic ? FitCubic(run) : FitQuadratic(run);
}

ContourFitter::FitResult ContourFitter::FitSingle(int seg) {
    const TraceSegment& sg = m_segs[seg];
    FitResult r;
    Vec2 a = Pos(sg.start), b = Pos(sg.end);
    if (sg.h0.Length() == 0 && sg.h1.Length() == 0) return r;  // nothing to bend it
    if (m_set.curveMode == kTraceQuadratic) {
        r.ok = true;
        r.c1 = a + sg.h0;
        return r;
    }
    r.c1 = a + sg.h0 * 0.3;
    r.c2 = b + sg.h1 * 0.3;
    Vec2 mid = Cubic(a, r.c1, r.c2, b, 0.5);
    r.ok = sg.length > 0 && DistanceFromLine(mid, a, b) <= m_set.step;
    return r;
}

// Vertices placed on the ink's edge are where the lines fitted to neighbouring straight
// runs meet, so on a bend they stand off the curve on the outer side of the bend: the
// edges touch the curve near their middles rather than at their ends. The curve is fitted through a point halfway
// between each inner vertex and the middle of the chord joining its two edges' middles.
void ContourFitter::PullTowardsNeighbours(std::vector<Vec2>& pts) {
    if (pts.size() < 3) return;
    Vec2 before = pts[0];
    for (size_t i = 1; i + 1 < pts.size(); ++i) {
        const Vec2 at = pts[i];
        pts[i] = at * 0.75 + (before + pts[i + 1]) * 0.125;
        before = at;
    }
}

ContourFitter::FitResult ContourFitter::FitCubic(const std::vector<int>& run) {
    FitResult r;
    const size_t m = run.size();

    std::vector<int>& ids = m_ids;
    std::vector<Vec2>& pts = m_pts;
    std::vector<double>& u = m_u;
    ids.resize(m + 1);
    pts.resize(m + 1);
    u.resize(m + 1);
    u[0] = 0;
    ids[0] = m_segs[run[0]].start;
    double total = 0;
    for (size_t i = 0; i < m; ++i) {
        ids[i + 1] = m_segs[run[i]].end;
        total += m_segs[run[i]].length;
        u[i + 1] = total;
    }
    if (!(total > 0)) return r;
    const double totalLength = total;
    for (size_t i = 0; i <= m; ++i) {
        pts[i] = Pos(ids[i]);
        u[i] /= total;
    }
    if (m_set.edgePlacement) PullTowardsNeighbours(pts);
    u[m] = 1;
    const Vec2 p0 = pts[0], p3 = pts[m];
    const Vec2 t1 = m_segs[run[0]].h0, t2 = m_segs[run.back()].h1;
    const double tol = m_set.tolerance;

    for (int pass = 1;; ++pass) {
        // Least squares for the handle lengths with fixed tangents.
        const HandleLengths h = FitHandleLengths(p0, p3, t1, t2, pts.data() + 1, u.data() + 1, m - 1);
        // A long run no cubic with these tangents can follow loses its last quarter
        // rather than one edge at a time, so that finding its pieces takes few fits.
        FitResult none;
        if (m_set.edgePlacement && m > 5) none.splitVertex = ids[m - m / 4];
        if (!(h.det >= 0.001)) return none;
        if (h.alpha1 < 0 || h.alpha2 < 0) return none;
        // Handles longer than the run itself make a loop between the points it passes.
        if (m_set.edgePlacement && (h.alpha1 * t1.Length() > totalLength || h.alpha2 * t2.Length() > totalLength))
            return none;
        Vec2 c1 = p0 + t1 * h.alpha1, c2 = p3 + t2 * h.alpha2;

        double worst = -1, sum = 0;
        int worstId = 0;
        const CubicPoly curve(p0, c1, c2, p3);
        for (size_t i = 1; i < m; ++i) {
            double e = (curve.At(u[i]) - pts[i]).Length();
            sum += e;
            if (e > worst) {
                worst = e;
                worstId = ids[i];
            }
        }
        bool ok = tol > worst && (m_set.meanTolerance <= 0 || sum / double(m - 1) < m_set.meanTolerance);
        // Vertices placed on the ink's edge are what the curve must follow; the middles
        // of the edges between them lie inside a curved stroke, so they are not checked.
        for (size_t i = 0; ok && !m_set.edgePlacement && i < m; ++i) {
            Vec2 onCurve = Cubic(p0, c1, c2, p3, (u[i] + u[i + 1]) / 2);
            ok = (onCurve - (pts[i] + pts[i + 1]) * 0.5).Length() < tol;
        }
        if (ok) {
            r.ok = true;
            r.c1 = c1;
            r.c2 = c2;
            return r;
        }
        if (pass == 4) {
            r.splitVertex = worstId;
            return r;
        }
        // Newton step on each parameter, first derivative only.
        for (size_t i = 1; i < m; ++i) u[i] = curve.Step(pts[i], u[i]);
    }
}

ContourFitter::FitResult ContourFitter::FitQuadratic(const std::vector<int>& run) {
    FitResult r;
    const size_t m = run.size();
    const Vec2 p0 = Pos(m_segs[run[0]].start), p2 = Pos(m_segs[run.back()].end);
    const Vec2 t1 = m_segs[run[0]].h0, h = m_segs[run.back()].h1;
    // The control is where the start tangent meets the end tangent: P0 + a t1 = P2 + b h,
    // both handles pointing from their end towards the control.
    Vec2 w = p2 - p0;
    double det = -t1.x * h.y + h.x * t1.y;
    if (std::fabs(det) < 0.001) return r;
    double a = (-w.x * h.y + h.x * w.y) / det;
    double b = (t1.x * w.y - t1.y * w.x) / det;
    if (a < 0 || b < 0) return r;
    Vec2 c = p0 + t1 * a;
    double total = 0;
    for (int s : run) total += m_segs[s].length;
    if (!(total > 0)) return r;
    double cumulative = 0, worst = -1;
    int worstId = 0;
    for (size_t i = 0; i + 1 < m; ++i) {
        cumulative += m_segs[run[i]].length;
        int id = m_segs[run[i]].end;
        double e = (Quadratic(p0, c, p2, cumulative / total) - Pos(id)).Length();
        if (e > worst) {
            worst = e;
            worstId = id;
        }
    }
    if (m_set.tolerance > worst) {
        r.ok = true;
        r.c1 = c;
    } else {
        r.splitVertex = worstId;
    }
    return r;
}
