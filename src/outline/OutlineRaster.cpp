#include "OutlineRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Point = std::pair<double, double>;

// Pieces needed so that uniform steps along a curve whose second differences are at most
// `bend` in length stray from it by no more than flatness.
int PiecesFor(double bend, double factor, double flatness) {
    double n = std::ceil(std::sqrt(factor * bend / (8 * flatness)));
    if (!(n >= 1)) return 1;
    return n > 1000 ? 1000 : int(n);
}

class Flattener {
public:
    Flattener(const OutlineRasterParams& p, std::vector<RasterPolygon>& out)
        : m_p(p), m_out(out), m_flat(p.flatness > 1e-6 ? p.flatness : 1e-6) {}

    Point Map(OutlinePoint pt) const {
        return {pt.x * m_p.scale + m_p.offsetX, pt.y * m_p.scale + m_p.offsetY};
    }

    void Move(Point p) {
        Close();
        m_out.emplace_back();
        m_out.back().push_back(p);
        m_start = p;
        m_open = true;
    }
    void Line(Point p) {
        EnsureOpen(p);
        FlushOffCurve(p);
        m_out.back().push_back(p);
    }
    void Cubic(Point c1, Point c2, Point end) {
        EnsureOpen(end);
        FlushOffCurve(c1);
        Point p0 = m_out.back().back();
        double bx = std::max(std::hypot(p0.first - 2 * c1.first + c2.first,
                                        p0.second - 2 * c1.second + c2.second),
                             std::hypot(c1.first - 2 * c2.first + end.first,
                                        c1.second - 2 * c2.second + end.second));
        int n = PiecesFor(bx, 6.0, m_flat);
        for (int i = 1; i <= n; ++i) {
            double t = double(i) / n, u = 1 - t;
            double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            m_out.back().emplace_back(a * p0.first + b * c1.first + c * c2.first + d * end.first,
                                      a * p0.second + b * c1.second + c * c2.second +
                                          d * end.second);
        }
    }
    void OffCurve(Point p) {
        EnsureOpen(p);
        m_pending.push_back(p);
    }
    void Close() {
        if (!m_open) return;
        FlushOffCurve(m_start);
        m_open = false;
    }

private:
    void EnsureOpen(Point p) {
        if (!m_open) Move(p);
    }
    void Quadratic(Point c, Point end) {
        Point p0 = m_out.back().back();
        double bend = std::hypot(p0.first - 2 * c.first + end.first,
                                 p0.second - 2 * c.second + end.second);
        int n = PiecesFor(bend, 2.0, m_flat);
        for (int i = 1; i <= n; ++i) {
            double t = double(i) / n, u = 1 - t;
            m_out.back().emplace_back(u * u * p0.first + 2 * u * t * c.first + t * t * end.first,
                                      u * u * p0.second + 2 * u * t * c.second +
                                          t * t * end.second);
        }
    }
    // Ends a run of off-curve points at the on-curve point `end`; two off-curve points in a
    // row imply an on-curve point halfway between them.
    void FlushOffCurve(Point end) {
        for (size_t i = 0; i < m_pending.size(); ++i) {
            Point c = m_pending[i];
            Point to = i + 1 < m_pending.size()
                           ? Point{(c.first + m_pending[i + 1].first) / 2,
                                   (c.second + m_pending[i + 1].second) / 2}
                           : end;
            Quadratic(c, to);
        }
        m_pending.clear();
    }

    const OutlineRasterParams& m_p;
    std::vector<RasterPolygon>& m_out;
    double m_flat;
    std::vector<Point> m_pending;
    Point m_start;
    bool m_open = false;
};

struct Edge {
    double yLow, yHigh;  // yLow < yHigh
    double xAtLow, slope;  // x at yLow and dx/dy
    int winding;
};

// Sets pixels [from, to) of a row to ink.
void InkSpan(uint8_t* row, int from, int to) {
    if (from >= to) return;
    int firstByte = from >> 3, lastByte = (to - 1) >> 3;
    uint8_t headMask = uint8_t(0xFF >> (from & 7));
    uint8_t tailMask = uint8_t(0xFF << (7 - ((to - 1) & 7)));
    if (firstByte == lastByte) {
        row[firstByte] &= uint8_t(~(headMask & tailMask));
        return;
    }
    row[firstByte] &= uint8_t(~headMask);
    if (lastByte > firstByte + 1) std::memset(row + firstByte + 1, 0, size_t(lastByte - firstByte - 1));
    row[lastByte] &= uint8_t(~tailMask);
}

}  // namespace

std::vector<RasterPolygon> FlattenOutline(const Outline& outline, const OutlineRasterParams& params) {
    std::vector<RasterPolygon> polygons;
    const int masters = outline.masters();
    if (params.master < 0 || params.master >= masters) return polygons;
    Flattener f(params, polygons);
    for (OutlineNodeRef node = outline.firstNode(); node; node = outline.nextNode(node)) {
        auto pt = [&](int k) { return f.Map(node.point(k, masters, params.master)); };
        switch (node.kind()) {
            case kNodeMove: f.Move(pt(0)); break;
            case kNodeLine: f.Line(pt(0)); break;
            case kNodeCubic: f.Cubic(pt(1), pt(2), pt(0)); break;
            case kNodeQuadOff: f.OffCurve(pt(0)); break;
            default:
                // Unknown kinds: their last point is taken as on-curve.
                if (node.pointCount() > 0) f.Line(pt(node.pointCount() - 1));
                break;
        }
    }
    f.Close();
    return polygons;
}

void FillOutline(const Outline& outline, MonoBitmap& target, const OutlineRasterParams& params) {
    if (!target.bits || target.width <= 0 || target.height <= 0) return;
    std::vector<Edge> edges;
    for (const RasterPolygon& poly : FlattenOutline(outline, params)) {
        for (size_t i = 0; i < poly.size(); ++i) {
            Point a = poly[i], b = poly[(i + 1) % poly.size()];
            if (a.second == b.second || !std::isfinite(a.first) || !std::isfinite(a.second) ||
                !std::isfinite(b.first) || !std::isfinite(b.second))
                continue;
            int winding = b.second > a.second ? 1 : -1;
            if (a.second > b.second) std::swap(a, b);
            edges.push_back(
                Edge{a.second, b.second, a.first, (b.first - a.first) / (b.second - a.second), winding});
        }
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.yLow < r.yLow; });

    const int h = target.height, w = target.width;
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t nextEdge = 0;
    for (int yi = 0; yi < h; ++yi) {
        const double yc = yi + 0.5;
        while (nextEdge < edges.size() && edges[nextEdge].yLow <= yc) active.push_back(&edges[nextEdge++]);
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](const Edge* e) { return e->yHigh <= yc; }),
                     active.end());
        if (active.empty()) continue;
        crossings.clear();
        for (const Edge* e : active)
            if (e->yLow <= yc) crossings.emplace_back(e->xAtLow + (yc - e->yLow) * e->slope, e->winding);
        std::sort(crossings.begin(), crossings.end());
        uint8_t* row = target.Row(h - 1 - yi);
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].second;
            if (winding == 0) continue;
            // Pixels whose centre col + 0.5 lies in [x0, x1).
            double from = std::ceil(crossings[i].first - 0.5);
            double to = std::ceil(crossings[i + 1].first - 0.5);
            int c0 = int(std::clamp(from, 0.0, double(w)));
            int c1 = int(std::clamp(to, 0.0, double(w)));
            InkSpan(row, c0, c1);
        }
    }
}

void RasterizeOutline(const Outline& outline, int32_t width, int32_t height, MonoBitmap& target,
                      const OutlineRasterParams& params) {
    target.Create(width, height);
    target.Fill(1);
    FillOutline(outline, target, params);
}
