#include "CurveMerging.h"

#include <algorithm>
#include <cmath>

#include "FitGeometry.h"

using namespace fitgeom;

namespace {

struct Segment {
    Vec2 from, to;
    bool curve = false;
    Vec2 c1, c2;
    int kind = kKindPlain;  // of the end node
    int source = -1;        // of the end node

    Vec2 At(double u) const { return curve ? Cubic(from, c1, c2, to, u) : from + (to - from) * u; }
    // Unit directions leaving `from` and arriving at `to`.
    Vec2 StartDirection() const {
        Vec2 d = curve ? c1 - from : to - from;
        if (curve && d.Length() < 1e-9) d = c2 - from;
        if (d.Length() < 1e-9) d = to - from;
        return ScaledTo(d, 1);
    }
    Vec2 EndDirection() const {
        Vec2 d = curve ? to - c2 : to - from;
        if (curve && d.Length() < 1e-9) d = to - c1;
        if (d.Length() < 1e-9) d = to - from;
        return ScaledTo(d, 1);
    }
};

struct Fitted {
    Vec2 c1, c2;
};

// Points along a segment, about one every two pixels of its course and at least two, its
// end included and its start left out.
void Sample(const Segment& s, std::vector<Vec2>& points) {
    double length = (s.to - s.from).Length();
    if (s.curve) length = std::max(length, ((s.c1 - s.from).Length() + (s.c2 - s.c1).Length() + (s.to - s.c2).Length()) * 0.75);
    const int count = std::clamp(int(std::ceil(length * 0.5)), 2, 16);
    for (int k = 1; k <= count; ++k) points.push_back(s.At(double(k) / count));
}

class Merger {
public:
    Merger(const std::vector<Segment>& segments, const CurveMergeSettings& settings, const EdgePoints* edge, int startSource)
        : m_segs(segments), m_set(settings) {
        m_first.push_back(0);
        m_along.push_back(0);
        Vec2 previous = segments.front().from;
        int source = startSource;
        for (const Segment& seg : segments) {
            if (edge) {
                AppendPairedEdgePoints(*edge, size_t(edge->first[size_t(source)]), size_t(edge->first[size_t(seg.source)]),
                                       m_points);
                m_points.push_back(seg.to);
                source = seg.source;
            } else {
                Sample(seg, m_points);
            }
            for (size_t k = m_along.size() - 1; k < m_points.size(); ++k) {
                m_along.push_back(m_along.back() + (m_points[k] - previous).Length());
                previous = m_points[k];
            }
            m_first.push_back(m_points.size());
        }
    }

    // One cubic from the start of segment i to the end of segment j - 1, tangent to both
    // there, when it stays within the tolerance of every sampled point between.
    bool Fit(int i, int j, Fitted& result) {
        const Vec2 p0 = m_segs[size_t(i)].from, p3 = m_segs[size_t(j) - 1].to;
        const Vec2 t1 = m_segs[size_t(i)].StartDirection(), t2 = m_segs[size_t(j) - 1].EndDirection() * -1;
        // The points strictly between p0 and p3, each with its share of the way along.
        const size_t from = m_first[size_t(i)], n = m_first[size_t(j)] - 1 - from;
        const Vec2* points = m_points.data() + from;
        const double start = m_along[from], total = m_along[from + n + 1] - start;
        if (!(total > 0)) return false;
        m_u.resize(n);
        for (size_t k = 0; k < n; ++k) m_u[k] = (m_along[from + k + 1] - start) / total;
        const double tol = m_set.tolerance;
        for (int pass = 0; pass < 4; ++pass) {
            const HandleLengths h = FitHandleLengths(p0, p3, t1, t2, points, m_u.data(), n);
            if (!(std::fabs(h.det) > 1e-12)) return false;
            const double alpha1 = h.alpha1, alpha2 = h.alpha2;
            if (!(alpha1 > 0) || !(alpha2 > 0) || alpha1 > total || alpha2 > total) return false;
            result.c1 = p0 + t1 * alpha1;
            result.c2 = p3 + t2 * alpha2;
            // Each point's parameter moves to its nearest place on the curve.
            double worst = 0, sum = 0;
            const CubicPoly curve(p0, result.c1, result.c2, p3);
            for (size_t k = 0; k < n; ++k) {
                double& u = m_u[k];
                u = curve.Nearer(points[k], u);
                const double e = (curve.At(u) - points[k]).Length();
                worst = std::max(worst, e);
                sum += e;
            }
            if (worst <= tol && (m_set.meanTolerance <= 0 || sum <= m_set.meanTolerance * double(n))) return true;
            // Too far off for a few more passes to bring it within the tolerances.
            if (worst > 4 * tol || (m_set.meanTolerance > 0 && sum > 3 * m_set.meanTolerance * double(n))) return false;
        }
        return false;
    }

private:
    const std::vector<Segment>& m_segs;
    CurveMergeSettings m_set;
    std::vector<Vec2> m_points;     // samples of every segment, in order
    std::vector<size_t> m_first;    // where each segment's samples begin
    std::vector<double> m_along;    // m_along[k + 1]: length of the polyline to sample k
    std::vector<double> m_u;
};

}  // namespace

void MergeCurves(std::vector<FitNode>& contour, const CurveMergeSettings& settings, const EdgePoints* edge) {
    std::vector<Segment> segs;
    for (size_t k = 1; k < contour.size(); ++k) {
        Segment s;
        s.from = {contour[k - 1].x, contour[k - 1].y};
        if (contour[k].kind == kKindControl && k + 2 < contour.size() && contour[k + 1].kind == kKindControl) {
            s.curve = true;
            s.c1 = {contour[k].x, contour[k].y};
            s.c2 = {contour[k + 1].x, contour[k + 1].y};
            k += 2;
        } else if (contour[k].kind == kKindControl) {
            return;  // quadratic nodes are left as they are
        }
        s.to = {contour[k].x, contour[k].y};
        s.kind = contour[k].kind;
        s.source = contour[k].source;
        segs.push_back(s);
    }
    const int m = int(segs.size());
    if (m < 2) return;
    // Against the ink's edge when every on-curve node knows its place in the walk.
    const int walked = edge ? int(edge->first.size()) - 1 : 0;
    bool known = edge && edge->mids.size() >= 8 && contour.front().source >= 0 && contour.front().source < walked;
    for (size_t k = 0; known && k < segs.size(); ++k) known = segs[k].source >= 0 && segs[k].source < walked;
    Merger merger(segs, settings, known ? edge : nullptr, contour.front().source);
    // A run that fits still fits without its first or last segment, near enough, so
    // taking the longest run that fits from each start on gives the fewest runs. The
    // longest is found by doubling the run and then halving the gap, a few fits each.
    std::vector<int> ends;
    std::vector<Fitted> fitted(size_t(m) + 1);
    bool merged = false;
    for (int start = 0; start < m;) {
        int limit = std::min(m, start + settings.maxRun);
        for (int k = start; k + 1 < limit; ++k)
            if (segs[size_t(k)].EndDirection().Dot(segs[size_t(k) + 1].StartDirection()) <= settings.joinCosine) {
                limit = k + 1;
                break;
            }
        int good = start + 1, bad = limit + 1;
        Fitted f;
        for (int step = 1; good < limit; step *= 2) {
            const int end = std::min(good + step, limit);
            if (!merger.Fit(start, end, f)) {
                bad = end;
                break;
            }
            good = end;
            fitted[size_t(end)] = f;
        }
        while (bad - good > 1) {
            const int end = (good + bad) / 2;
            if (merger.Fit(start, end, f)) {
                good = end;
                fitted[size_t(end)] = f;
            } else {
                bad = end;
            }
        }
        merged = merged || good > start + 1;
        ends.push_back(good);
        start = good;
    }
    if (!merged) return;
    std::vector<FitNode> out;
    out.reserve(contour.size());
    out.push_back(contour.front());
    auto push = [&](Vec2 p, int kind, int source = -1) { out.push_back(FitNode{float(p.x), float(p.y), kind, source}); };
    int at = 0;
    for (int j : ends) {
        if (j == at + 1) {
            const Segment& s = segs[size_t(at)];
            if (s.curve) {
                push(s.c1, kKindControl);
                push(s.c2, kKindControl);
            }
        } else {
            push(fitted[size_t(j)].c1, kKindControl);
            push(fitted[size_t(j)].c2, kKindControl);
        }
        push(segs[size_t(j) - 1].to, segs[size_t(j) - 1].kind, segs[size_t(j) - 1].source);
        at = j;
    }
    contour.swap(out);
}
