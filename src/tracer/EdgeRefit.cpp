#include "EdgeRefit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FitGeometry.h"

using namespace fitgeom;

namespace {

Vec2 At(const FitNode& n) { return {n.x, n.y}; }

// Sum of squared distances from the points to the cubic, each at its parameter, and the
// largest distance.
struct Error {
    double squares = 0, worst = 0;
};

Error Measure(Vec2 p0, Vec2 c1, Vec2 c2, Vec2 p3, const std::vector<Vec2>& points, const std::vector<double>& u) {
    Error e;
    const CubicPoly curve(p0, c1, c2, p3);
    for (size_t k = 0; k < points.size(); ++k) {
        const double d = (curve.At(u[k]) - points[k]).Length();
        e.squares += d * d;
        e.worst = std::max(e.worst, d);
    }
    return e;
}

// Moves each parameter to its point's nearest place on the cubic, a few Newton steps.
void Reproject(Vec2 p0, Vec2 c1, Vec2 c2, Vec2 p3, const std::vector<Vec2>& points, std::vector<double>& u, int steps) {
    const CubicPoly curve(p0, c1, c2, p3);
    for (size_t k = 0; k < points.size(); ++k)
        for (int s = 0; s < steps; ++s) u[k] = curve.Nearer(points[k], u[k]);
}

class Refitter {
public:
    explicit Refitter(const EdgePoints& edge) : m_edge(edge) {}

    // The cubic p0 c1 c2 p3 over the edge points from index `from` up to `to` (cyclic,
    // `to` left out).
    void Refit(Vec2 p0, Vec2& c1, Vec2& c2, Vec2 p3, size_t from, size_t to) {
        const size_t n = m_edge.mids.size();
        const size_t count = (to + n - from) % n;
        if (count < 3) return;
        const Vec2 t1 = ScaledTo(c1 - p0, 1), t2 = ScaledTo(c2 - p3, 1);
        if (t1.Length() == 0 || t2.Length() == 0) return;
        m_points.clear();
        m_u.clear();
        AppendPairedEdgePoints(m_edge, from, to, m_points);
        // Parameters first by length along the points.
        double along = 0;
        Vec2 previous = p0;
        for (const Vec2& q : m_points) {
            along += (q - previous).Length();
            m_u.push_back(along);
            previous = q;
        }
        const double total = along + (p3 - previous).Length();
        if (!(total > 0)) return;
        for (double& u : m_u) u /= total;
        m_oldU = m_u;
        Reproject(p0, c1, c2, p3, m_points, m_oldU, 2);
        const Error before = Measure(p0, c1, c2, p3, m_points, m_oldU);
        // The new fit starts from the old curve's parameters.
        m_u = m_oldU;
        Vec2 n1 = c1, n2 = c2;
        for (int pass = 0; pass < 2; ++pass) {
            const HandleLengths h = FitHandleLengths(p0, p3, t1, t2, m_points.data(), m_u.data(), m_points.size());
            // Handles longer than the stretch itself would loop between its points.
            if (!(std::fabs(h.det) > 1e-12) || !(h.alpha1 > 0) || !(h.alpha2 > 0) || h.alpha1 > total || h.alpha2 > total)
                return;
            n1 = p0 + t1 * h.alpha1;
            n2 = p3 + t2 * h.alpha2;
            Reproject(p0, n1, n2, p3, m_points, m_u, 1);
        }
        const Error after = Measure(p0, n1, n2, p3, m_points, m_u);
        // A point that strays far suggests the stretch was not matched well; keep the old.
        if (after.squares < before.squares && after.worst <= std::max(before.worst, 1.0)) {
            c1 = n1;
            c2 = n2;
        }
    }

private:
    const EdgePoints& m_edge;
    std::vector<Vec2> m_points;
    std::vector<double> m_u, m_oldU;
};

}  // namespace

void RefitToEdges(std::vector<FitNode>& contour, const EdgePoints& edge) {
    const int walked = int(edge.first.size()) - 1;
    if (contour.size() < 3 || edge.mids.size() < 8 || walked < 1) return;
    auto place = [&](const FitNode& node) {
        return node.source >= 0 && node.source < walked ? edge.first[size_t(node.source)] : -1;
    };
    Refitter refitter(edge);
    for (size_t k = 1; k < contour.size(); ++k) {
        const bool cubic = contour[k].kind == kKindControl && k + 2 < contour.size() && contour[k + 1].kind == kKindControl;
        const size_t end = cubic ? k + 2 : k;
        const int from = place(contour[k - 1]), to = place(contour[end]);
        if (cubic && from >= 0 && to >= 0 && from != to) {
            Vec2 c1 = At(contour[k]), c2 = At(contour[k + 1]);
            refitter.Refit(At(contour[k - 1]), c1, c2, At(contour[end]), size_t(from), size_t(to));
            contour[k].x = float(c1.x);
            contour[k].y = float(c1.y);
            contour[k + 1].x = float(c2.x);
            contour[k + 1].y = float(c2.y);
        }
        k = end;
    }
}
