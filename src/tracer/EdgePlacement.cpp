#include "EdgePlacement.h"

#include <cmath>
#include <cstdlib>

namespace {

// Sums over pixel-edge midpoints, relative to an origin near them (the run's first
// vertex), so that the variances keep their precision far from the picture's corner.
struct Moments {
    double n = 0, x = 0, y = 0, xx = 0, xy = 0, yy = 0;
    void Add(double px, double py) {
        n += 1;
        x += px;
        y += py;
        xx += px * px;
        xy += px * py;
        yy += py * py;
    }
};

struct Line {
    Vec2 at, dir;
};

double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

// The least-squares line of the midpoints in m; along `chord` through them when they
// do not decide a direction.
Line Fitted(const Moments& m, Vec2 origin, Vec2 chord) {
    if (m.n < 1) return {origin, chord};
    Vec2 mean{m.x / m.n, m.y / m.n};
    double a = m.xx / m.n - mean.x * mean.x, b = m.xy / m.n - mean.x * mean.y;
    double c = m.yy / m.n - mean.y * mean.y;
    double lambda = (a + c) / 2 + std::sqrt((a - c) * (a - c) / 4 + b * b);
    Vec2 d1{b, lambda - a}, d2{lambda - c, b};
    Vec2 dir = d1.Length() >= d2.Length() ? d1 : d2;
    if (m.n < 2 || dir.Length() < 1e-9) dir = chord;
    return {origin + mean, dir};
}

}  // namespace

void FindEdgePoints(const std::vector<TracePoint>& walk, int step, EdgePoints& edge) {
    const size_t n = walk.size();
    edge.first.resize(n + 1);
    // About one edge point a walked point; reserved, not filled, so that no page is
    // touched before it is needed.
    edge.mids.clear();
    edge.mids.reserve(n + 8);
    int* first = edge.first.data();
    auto pair = [&](const TracePoint& p, const TracePoint& q) {
        if (p.colour != q.colour && std::abs(p.x - q.x) + std::abs(p.y - q.y) == step)
            edge.mids.push_back({(p.x + q.x) * 0.5, (p.y + q.y) * 0.5});
    };
    for (size_t j = 0; j < n; ++j) {
        first[j] = int(edge.mids.size());
        if (n < 2) continue;
        pair(walk[j], walk[j + 1 < n ? j + 1 : j + 1 - n]);
        if (n > 2) pair(walk[j], walk[j + 2 < n ? j + 2 : j + 2 - n]);
    }
    first[n] = int(edge.mids.size());
}

void AppendPairedEdgePoints(const EdgePoints& edge, size_t from, size_t to, std::vector<Vec2>& points) {
    const size_t n = edge.mids.size();
    if (n == 0) return;
    const size_t count = (to + n - from) % n;
    for (size_t k = 0; k < count; k += 2) {
        const Vec2 p = edge.mids[(from + k) % n];
        points.push_back(k + 1 < count ? (p + edge.mids[(from + k + 1) % n]) * 0.5 : p);
    }
}

std::vector<Vec2> PlaceOnEdges(const std::vector<TracePoint>& walk, const std::vector<int>& index,
                               const EdgePoints& edge, int step) {
    const size_t n = walk.size(), count = index.size();
    std::vector<Vec2> placed(count);
    for (size_t i = 0; i < count; ++i) placed[i] = {double(walk[size_t(index[i])].x), double(walk[size_t(index[i])].y)};
    if (count < 3 || n < 3 || edge.first.size() != n + 1) return placed;

    // Line i runs from vertex i to vertex i + 1 (the last one back to the first, which
    // is the walk's first point), through the edge points of its stretch of the walk.
    std::vector<Line> lines(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t from = size_t(index[i]), to = i + 1 < count ? size_t(index[i + 1]) : n;
        const Vec2 origin = placed[i];
        Moments m;
        for (int k = edge.first[from]; k < edge.first[to]; ++k) m.Add(edge.mids[size_t(k)].x - origin.x, edge.mids[size_t(k)].y - origin.y);
        lines[i] = Fitted(m, origin, placed[(i + 1) % count] - placed[i]);
    }
    const double reach = double(step);
    for (size_t i = 0; i < count; ++i) {
        const Line& in = lines[(i + count - 1) % count];
        const Line& out = lines[i];
        const Vec2 lattice = placed[i];
        double den = Cross(in.dir, out.dir);
        Vec2 meet;
        bool ok = std::fabs(den) > 1e-9 * in.dir.Length() * out.dir.Length();
        if (ok) {
            double t = Cross(out.at - in.at, out.dir) / den;
            meet = in.at + in.dir * t;
            ok = std::fabs(meet.x - lattice.x) <= reach && std::fabs(meet.y - lattice.y) <= reach;
        }
        if (!ok) {
            // Nearly parallel runs: halfway between the feet of the lattice point on both.
            auto foot = [&](const Line& l) {
                double t = (lattice - l.at).Dot(l.dir) / l.dir.Dot(l.dir);
                return l.at + l.dir * t;
            };
            meet = (foot(in) + foot(out)) * 0.5;
            if (!(std::fabs(meet.x - lattice.x) <= reach && std::fabs(meet.y - lattice.y) <= reach)) meet = lattice;
        }
        placed[i] = meet;
    }
    return placed;
}
