#include "QuadraticGlyph.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QPointD operator+(QPointD a, QPointD b) { return {a.x + b.x, a.y + b.y}; }
QPointD operator-(QPointD a, QPointD b) { return {a.x - b.x, a.y - b.y}; }
QPointD operator*(double k, QPointD a) { return {k * a.x, k * a.y}; }
double Cross(QPointD a, QPointD b) { return a.x * b.y - a.y * b.x; }
double Norm2(QPointD a) { return a.x * a.x + a.y * a.y; }
bool Same(QPointD a, QPointD b) { return a.x == b.x && a.y == b.y; }

double RoundHalfDown(double v) { return std::ceil(v - 0.5); }
QPointD Rounded(QPointD p) { return {RoundHalfDown(p.x), RoundHalfDown(p.y)}; }
QPointD Mid(QPointD a, QPointD b) { return 0.5 * (a + b); }

struct Cubic {
    QPointD p0, p1, p2, p3;

    QPointD at(double t) const {
        double u = 1 - t;
        return (u * u * u) * p0 + (3 * u * u * t) * p1 + (3 * u * t * t) * p2 + (t * t * t) * p3;
    }
    QPointD derivative(double t) const {
        double u = 1 - t;
        return (3 * u * u) * (p1 - p0) + (6 * u * t) * (p2 - p1) + (3 * t * t) * (p3 - p2);
    }
};

// Does the quadratic q0, q1, q2 stay within the tolerance of the cubic over [t0, t1]?
bool Matches(const Cubic& c, double t0, double t1, QPointD q0, QPointD q1, QPointD q2) {
    constexpr double kTolerance = 2.0;  // squared font units
    double h = (t1 - t0) / 3;
    QPointD s0 = c.at(t0), s3 = c.at(t1);
    QPointD s1 = s0 + h * c.derivative(t0);
    QPointD s2 = s3 - h * c.derivative(t1);
    QPointD e1 = (1.0 / 3) * (q0 + 2 * q1);
    QPointD e2 = (1.0 / 3) * (q2 + 2 * q1);
    return Norm2(s0 - q0) <= kTolerance && Norm2(s3 - q2) <= kTolerance &&
           Norm2(0.25 * (s0 - q0) + 0.75 * (s1 - e1)) <= kTolerance &&
           Norm2(0.25 * (s3 - q2) + 0.75 * (s2 - e2)) <= kTolerance;
}

// n pieces; empty when this n is not tried or does not match.
std::vector<QPointD> TryPieces(const Cubic& c, int n) {
    std::vector<QPointD> ctrl(static_cast<size_t>(n));
    const double nd = n;
    if (n % 2 == 0) {
        ctrl[0] = c.p0 + (1.5 / nd) * (c.p1 - c.p0);
    } else if (Same(c.p1, c.p0)) {
        ctrl[0] = c.p0 + (1.0 / (nd * nd * nd)) * (c.p2 - c.p0);
    } else if (Same(c.p2, c.p3)) {
        ctrl[0] = c.p0 + ((3 * nd * nd - 1) / (2 * nd * nd * nd)) * (c.p1 - c.p0);
    } else {
        return {};
    }
    ctrl[0] = Rounded(ctrl[0]);
    // Each further control is the previous one reflected through the curve at j / n.
    for (int j = 1; j < n; ++j) ctrl[size_t(j)] = Rounded(2 * c.at(j / nd) - ctrl[size_t(j - 1)]);
    if (n == 10) return ctrl;
    for (int j = 1; j <= n; ++j) {
        QPointD start = j == 1 ? c.p0 : Mid(ctrl[size_t(j - 2)], ctrl[size_t(j - 1)]);
        QPointD end = j == n ? c.p3 : Mid(ctrl[size_t(j - 1)], ctrl[size_t(j)]);
        if (!Matches(c, (j - 1) / nd, j / nd, start, ctrl[size_t(j - 1)], end)) return {};
    }
    return ctrl;
}

// Parameters strictly inside (0, 1) where the cubic turns in x or in y, in order: the
// roots of the derivative's components, a t^2 + b t + c with a = d1 - 2 d2 + d3,
// b = 2 (d2 - d1), c = d1 for the control differences d1, d2, d3.
std::vector<double> TurningParameters(const Cubic& c) {
    std::vector<double> ts;
    auto roots = [&](double d1, double d2, double d3) {
        const double a = d1 - 2 * d2 + d3, b = 2 * (d2 - d1), k = d1;
        auto take = [&](double t) {
            if (t > 1e-3 && t < 1 - 1e-3) ts.push_back(t);
        };
        if (std::fabs(a) < 1e-12) {
            if (std::fabs(b) > 1e-12) take(-k / b);
            return;
        }
        const double disc = b * b - 4 * a * k;
        if (disc < 0) return;
        const double r = std::sqrt(disc);
        take((-b - r) / (2 * a));
        take((-b + r) / (2 * a));
    };
    roots(c.p1.x - c.p0.x, c.p2.x - c.p1.x, c.p3.x - c.p2.x);
    roots(c.p1.y - c.p0.y, c.p2.y - c.p1.y, c.p3.y - c.p2.y);
    std::sort(ts.begin(), ts.end());
    // Turns closer than this to each other are one place.
    ts.erase(std::unique(ts.begin(), ts.end(), [](double a, double b) { return b - a < 1e-3; }), ts.end());
    return ts;
}

// The part of c over [t0, t1], by de Casteljau.
Cubic Stretch(const Cubic& c, double t0, double t1) {
    auto split = [](const Cubic& k, double t, bool keepLeft) {
        const QPointD a = k.p0 + t * (k.p1 - k.p0), b = k.p1 + t * (k.p2 - k.p1), d = k.p2 + t * (k.p3 - k.p2);
        const QPointD ab = a + t * (b - a), bd = b + t * (d - b), m = ab + t * (bd - ab);
        return keepLeft ? Cubic{k.p0, a, ab, m} : Cubic{m, bd, d, k.p3};
    };
    Cubic right = t0 > 0 ? split(c, t0, false) : c;
    return t1 < 1 ? split(right, (t1 - t0) / (1 - t0), true) : right;
}

int16_t ToInt16(double v, bool& overflow) {
    if (v < -32768 || v > 32767) {
        overflow = true;
        return v < 0 ? int16_t(-32768) : int16_t(32767);
    }
    return int16_t(v);
}

}  // namespace

std::vector<QPointD> CubicToQuadraticControls(QPointD p0, QPointD p1, QPointD p2, QPointD p3) {
    const Cubic c{p0, p1, p2, p3};
    QPointD d1 = p1 - p0, d2 = p2 - p1, d3 = p3 - p2;
    QPointD e = d2 - d1, g = d3 - d2 - e;
    double a = g.y * e.x - e.y * g.x;
    double b = d1.y * g.x - d1.x * g.y;
    double cc = e.y * d1.x - e.x * d1.y;

    // 1. Out of range or without any bend: a straight line.
    for (QPointD p : {p0, p1, p2, p3})
        if (std::fabs(p.x) >= 16384 || std::fabs(p.y) >= 16384) return {};
    if (a == 0 && b == 0 && cc == 0) return {};

    // 2. One quadratic through the crossing of the end tangents.
    QPointD t0 = p1 - p0, t1 = p3 - p2;
    double cross = Cross(t0, t1);
    if (std::fabs(cross) > 0.01) {
        double s = Cross(p3 - p0, t1) / cross;
        QPointD q = Rounded(p0 + s * t0);
        if (Matches(c, 0, 1, p0, q, p3)) return {q};
    }

    // 3. Two quadratics meeting halfway between their controls.
    QPointD c1 = Rounded(p0 + 0.7546 * (p1 - p0));
    QPointD c2 = Rounded(p3 + 0.7546 * (p2 - p3));
    QPointD m = Mid(c1, c2);
    if (Matches(c, 0, 0.5, p0, c1, m) && Matches(c, 0.5, 1, m, c2, p3)) return {c1, c2};

    // 4. n quadratics; ten are taken untested.
    const bool everyN = b * b == 4 * a * cc;
    for (int n = 2; n <= 10; n += everyN ? 1 : 2) {
        std::vector<QPointD> ctrl = TryPieces(c, n);
        if (!ctrl.empty()) return ctrl;
    }
    return {};  // not reached: n = 10 always answers
}

QuadraticGlyph ConvertToQuadratic(const GlyphOutline& source, int unitsPerEm) {
    QuadraticGlyph out;
    GlyphOutline glyph(source);
    glyph.reverseContours();

    const double k = unitsPerEm * 0.00048828125;
    auto scale = [&](int v) { return GlyphOutline::ScaleCoordinate(v, 0, k); };
    GlyphMetrics metrics = glyph.metrics();
    int aw = scale(metrics.advanceWidth), ah = scale(metrics.second);
    if (aw < 0 || aw > 65535 || ah < 0 || ah > 65535) out.overflow = true;
    out.advanceWidth = uint16_t(std::clamp(aw, 0, 65535));
    out.advanceHeight = uint16_t(std::clamp(ah, 0, 65535));

    std::vector<QuadPoint> contour;
    auto collect = [&](double x, double y, bool on) {
        contour.push_back({ToInt16(x, out.overflow), ToInt16(y, out.overflow),
                           uint8_t(on ? kQuadOnCurve : 0)});
    };
    auto finish = [&] {
        if (contour.size() >= 2) out.contours.push_back(contour);
        contour.clear();
    };
    auto scaled = [&](OutlinePoint p) { return QPointD{double(scale(p.x)), double(scale(p.y))}; };

    QPointD last{};
    for (OutlineNodeRef nd = glyph.firstNode(); nd; nd = glyph.nextNode(nd)) {
        switch (nd.kind()) {
            case kNodeMove: {
                finish();
                last = scaled(nd.point(0));
                collect(last.x, last.y, true);
                break;
            }
            case kNodeLine:
                last = scaled(nd.point(0));
                collect(last.x, last.y, true);
                break;
            case kNodeQuadOff: {
                QPointD p = scaled(nd.point(0));
                collect(p.x, p.y, false);
                break;
            }
            case kNodeCubic: {
                // Split where the curve turns in x or y, so that every extreme is an
                // on-curve point and the glyph's box, taken over its points, is the
                // ink's own.
                QPointD end = scaled(nd.point(0));
                const Cubic whole{last, scaled(nd.point(1)), scaled(nd.point(2)), end};
                double from = 0;
                std::vector<double> cuts = TurningParameters(whole);
                cuts.push_back(1);
                for (double to : cuts) {
                    Cubic piece = Stretch(whole, from, to);
                    piece.p0 = last;
                    piece.p3 = to < 1 ? Rounded(piece.p3) : end;
                    for (QPointD q : CubicToQuadraticControls(piece.p0, piece.p1, piece.p2, piece.p3))
                        collect(q.x, q.y, false);
                    collect(piece.p3.x, piece.p3.y, true);
                    last = piece.p3;
                    from = to;
                }
                break;
            }
            default:
                break;
        }
    }
    finish();

    bool any = false;
    int16_t xMin = 32767, yMin = 32767, xMax = -32767, yMax = -32767;
    for (const auto& c : out.contours)
        for (const QuadPoint& p : c) {
            any = true;
            xMin = std::min(xMin, p.x);
            yMin = std::min(yMin, p.y);
            xMax = std::max(xMax, p.x);
            yMax = std::max(yMax, p.y);
        }
    if (any) {
        out.xMin = xMin;
        out.yMin = yMin;
        out.xMax = xMax;
        out.yMax = yMax;
    }
    out.leftSideBearing = out.xMin;
    out.topSideBearing = 0;
    return out;
}
