#include "GlyphOutline.h"

#include <algorithm>
#include <cmath>

namespace {

// Running box in doubles, stored rounded outwards.
struct Extent {
    double xMin = 1e300, yMin = 1e300, xMax = -1e300, yMax = -1e300;
    void add(double x, double y) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
    bool empty() const { return xMax < xMin; }
};

double CubicAt(double p0, double p1, double p2, double p3, double t) {
    double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// Parameters in (0, 1) where the cubic's derivative on one axis vanishes.
int CubicExtremaParams(double p0, double p1, double p2, double p3, double out[2]) {
    // B'(t)/3 = a t^2 + b t + c
    double a = -p0 + 3 * p1 - 3 * p2 + p3;
    double b = 2 * (p0 - 2 * p1 + p2);
    double c = p1 - p0;
    int n = 0;
    auto keep = [&](double t) {
        if (t > 0 && t < 1) out[n++] = t;
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) keep(-c / b);
        return n;
    }
    double disc = b * b - 4 * a * c;
    if (disc < 0) return 0;
    double s = std::sqrt(disc);
    keep((-b + s) / (2 * a));
    keep((-b - s) / (2 * a));
    return n;
}

int16_t Clamp16(double v) { return int16_t(std::clamp(v, -32768.0, 32767.0)); }

}  // namespace

void ExtendByCubicAxis(double p0, double p1, double p2, double p3, double& lo, double& hi) {
    double a = std::min(p0, p3), b = std::max(p0, p3);
    if (p1 >= a && p1 <= b && p2 >= a && p2 <= b) return;
    double ts[2];
    int n = CubicExtremaParams(p0, p1, p2, p3, ts);
    for (int k = 0; k < n; ++k) {
        double v = CubicAt(p0, p1, p2, p3, ts[k]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

GlyphOutline::GlyphOutline(int masters) : Outline(masters), m_metrics(size_t(this->masters())) {}

GlyphOutline::GlyphOutline(const GlyphOutline& other)
    : Outline(other),
      m_components(other.m_components),
      m_hints(other.m_hints),
      m_nGlyphIndex(other.m_nGlyphIndex),
      m_nFlags(other.m_nFlags),
      m_box(other.m_box),
      m_metrics(other.m_metrics) {
    other.m_bitmap.CopyTo(m_bitmap);
}

GlyphOutline& GlyphOutline::operator=(const GlyphOutline& other) {
    if (this == &other) return *this;
    Outline::operator=(other);
    m_components = other.m_components;
    m_hints = other.m_hints;
    m_nGlyphIndex = other.m_nGlyphIndex;
    m_nFlags = other.m_nFlags;
    m_box = other.m_box;
    m_metrics = other.m_metrics;
    if (other.m_bitmap.IsEmpty()) {
        m_bitmap.Free();
    } else {
        other.m_bitmap.CopyTo(m_bitmap);
    }
    return *this;
}

GlyphOutline::~GlyphOutline() = default;

void GlyphOutline::assignOutline(const Outline& other) {
    Outline::assign(other);
    if (size_t(masters()) != m_metrics.size()) m_metrics.resize(size_t(masters()));
}

const GlyphBox& GlyphOutline::boundingBox(int master) {
    Extent e;
    const int nm = masters();
    bool havePrev = false;
    OutlinePoint prev;
    for (OutlineNodeRef nd = firstNode(); nd; nd = nextNode(nd)) {
        switch (nd.kind()) {
            case kNodeCubic: {
                OutlinePoint end = nd.point(0, nm, master);
                OutlinePoint c1 = nd.point(1, nm, master);
                OutlinePoint c2 = nd.point(2, nm, master);
                e.add(end.x, end.y);
                if (havePrev) {
                    double xlo = end.x, xhi = end.x, ylo = end.y, yhi = end.y;
                    ExtendByCubicAxis(prev.x, c1.x, c2.x, end.x, xlo, xhi);
                    ExtendByCubicAxis(prev.y, c1.y, c2.y, end.y, ylo, yhi);
                    e.add(std::floor(xlo), std::floor(ylo));
                    e.add(std::ceil(xhi), std::ceil(yhi));
                }
                prev = end;
                havePrev = true;
                break;
            }
            case kNodeMove:
            case kNodeLine: {
                OutlinePoint p = nd.point(0, nm, master);
                e.add(p.x, p.y);
                prev = p;
                havePrev = true;
                break;
            }
            case kNodeQuadOff: {
                OutlinePoint p = nd.point(0, nm, master);
                e.add(p.x, p.y);
                break;
            }
            default:
                break;
        }
    }
    for (const GlyphBox& c : m_components) {
        if (c.IsEmpty()) continue;
        e.add(c.xMin, c.yMin);
        e.add(c.xMax, c.yMax);
    }
    m_box = GlyphBox{};
    if (!e.empty()) {
        m_box.xMin = Clamp16(e.xMin);
        m_box.yMin = Clamp16(e.yMin);
        m_box.xMax = Clamp16(e.xMax);
        m_box.yMax = Clamp16(e.yMax);
    }
    return m_box;
}

void GlyphOutline::transform(const std::function<OutlinePoint(OutlinePoint)>& rule) {
    const int nm = masters();
    for (OutlineNodeRef nd = firstNode(); nd; nd = nextNode(nd)) {
        for (int k = 0; k < nd.pointCount(); ++k)
            for (int m = 0; m < nm; ++m) nd.setPoint(k, rule(nd.point(k, nm, m)), nm, m);
    }
}

int GlyphOutline::ScaleCoordinate(int v, int origin, double f) {
    return origin + int(std::ceil(double(v - origin) * f - 0.5));
}

void GlyphOutline::scale(double f, OutlinePoint origin) {
    transform([&](OutlinePoint p) {
        return OutlinePoint{Clamp16(ScaleCoordinate(p.x, origin.x, f)),
                            Clamp16(ScaleCoordinate(p.y, origin.y, f))};
    });
}

void GlyphOutline::translate(int dx, int dy) {
    transform([&](OutlinePoint p) { return OutlinePoint{Clamp16(p.x + dx), Clamp16(p.y + dy)}; });
}

void GlyphOutline::shiftBox(int16_t dx, int16_t dy) {
    if (m_box.IsEmpty()) return;
    m_box.xMin = int16_t(m_box.xMin + dx);
    m_box.xMax = int16_t(m_box.xMax + dx);
    m_box.yMin = int16_t(m_box.yMin + dy);
    m_box.yMax = int16_t(m_box.yMax + dy);
}

uint16_t GlyphOutline::advanceWidth(int master) const {
    return size_t(master) < m_metrics.size() ? m_metrics[size_t(master)].advanceWidth : 0;
}

void GlyphOutline::setAdvanceWidth(uint16_t width, int master) {
    if (size_t(master) < m_metrics.size()) m_metrics[size_t(master)].advanceWidth = width;
}

GlyphMetrics GlyphOutline::metrics(int master) const {
    return size_t(master) < m_metrics.size() ? m_metrics[size_t(master)] : GlyphMetrics{};
}
