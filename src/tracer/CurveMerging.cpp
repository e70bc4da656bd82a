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
    double error = 0;
};

// Points along a segment, about one per pixel of its course and at least three, its end
// included and its start left out.
void Sample(const Segment& s, std::vector<Vec2>& points) {
    double length = (s.to - s.from).Length();
    if (s.curve) length = std::max(length, ((s.c1 - s.from).Length() + (s.c2 - s.c1).Length() + (s.to - s.c2).Length()) * 0.75);
    const int count = std::clamp(int(std::ceil(length)), 3, 32);
    for (int k = 1; k <= count; ++k) points.push_back(s.At(double(k) / count));
}

class Merger {
public:
    Merger(const std::vector<Segment>& segments, const CurveMergeSettings& settings)
        : m_segs(segments), m_set(settings) {
        m_first.push_back(0);
        m_along.push_back(0);
        Vec2 previous = segments.front().from;
        for (const Segment& seg : segments) {
            Sample(seg, m_points);
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
            double worst = 0;
            for (size_t k = 0; k < n; ++k) {
                double& u = m_u[k];
                u = std::clamp(NearerParameter(p0, result.c1, result.c2, p3, points[k], u), 0.0, 1.0);
                worst = std::max(worst, (Cubic(p0, result.c1, result.c2, p3, u) - points[k]).Length());
            }
            result.error = worst;
            if (worst <= tol) return true;
            if (worst > 4 * tol) return false;  // too far off for a few more passes
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

void MergeCurves(std::vector<FitNode>& contour, const CurveMergeSettings& settings) {
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
        segs.push_back(s);
    }
    const int m = int(segs.size());
    if (m < 2) return;
    Merger merger(segs, settings);
    // fewest[j]: fewest segments over the first j; from[j]: where the last of them starts.
    std::vector<int> fewest(size_t(m) + 1, 0), from(size_t(m) + 1, 0);
    std::vector<double> error(size_t(m) + 1, 0);
    std::vector<Fitted> fitted(size_t(m) + 1);
    for (int j = 1; j <= m; ++j) {
        fewest[size_t(j)] = fewest[size_t(j) - 1] + 1;
        from[size_t(j)] = j - 1;
        error[size_t(j)] = error[size_t(j) - 1];
        for (int i = j - 2; i >= 0 && j - i <= settings.maxRun; --i) {
            // The run gains the join between segments i and i + 1.
            if (segs[size_t(i)].EndDirection().Dot(segs[size_t(i) + 1].StartDirection()) <= settings.joinCosine) break;
            Fitted f;
            if (!merger.Fit(i, j, f)) break;
            const int count = fewest[size_t(i)] + 1;
            const double e = error[size_t(i)] + f.error;
            if (count < fewest[size_t(j)] || (count == fewest[size_t(j)] && e < error[size_t(j)])) {
                fewest[size_t(j)] = count;
                error[size_t(j)] = e;
                from[size_t(j)] = i;
                fitted[size_t(j)] = f;
            }
        }
    }
    if (fewest[size_t(m)] == m) return;
    std::vector<int> ends;
    for (int j = m; j > 0; j = from[size_t(j)]) ends.push_back(j);
    std::reverse(ends.begin(), ends.end());
    std::vector<FitNode> out;
    out.reserve(contour.size());
    out.push_back(contour.front());
    auto push = [&](Vec2 p, int kind) { out.push_back(FitNode{float(p.x), float(p.y), kind}); };
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
        push(segs[size_t(j) - 1].to, segs[size_t(j) - 1].kind);
        at = j;
    }
    contour.swap(out);
}
