// Small vector geometry shared by the clean-up and curve-fitting stages.
#pragma once

#include <cmath>

#include "TraceTypes.h"

namespace fitgeom {

constexpr double kEps = 0.001;

inline double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

inline bool IsDiagonal(Vec2 v) { return std::fabs(v.x) > kEps && std::fabs(v.y) > kEps; }

inline Vec2 ScaledTo(Vec2 v, double length) {
    double l = v.Length();
    return l > 0 ? v * (length / l) : Vec2{};
}

// Distance of p from the line through a and b (from a when they coincide).
inline double DistanceFromLine(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 d = b - a;
    double l = d.Length();
    return l > 0 ? std::fabs(Cross(d, p - a)) / l : (p - a).Length();
}

inline Vec2 Cubic(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, double u) {
    double v = 1 - u;
    return p0 * (v * v * v) + p1 * (3 * v * v * u) + p2 * (3 * v * u * u) + p3 * (u * u * u);
}

inline Vec2 CubicDerivative(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, double u) {
    double v = 1 - u;
    return (p1 - p0) * (3 * v * v) + (p2 - p1) * (6 * v * u) + (p3 - p2) * (3 * u * u);
}

inline Vec2 Quadratic(Vec2 p0, Vec2 c, Vec2 p2, double u) {
    return p0 + (c - p0) * ((2 - u) * u) + (p2 - c) * (u * u);
}

// The handle lengths along t1 (from p0) and t2 (from p3) of the cubic from p0 to p3 that
// comes nearest, in least squares, to points[k] at parameters u[k]; det is that of the
// normal equations, and the lengths mean nothing when it is about 0.
struct HandleLengths {
    double alpha1 = 0, alpha2 = 0, det = 0;
};

inline HandleLengths FitHandleLengths(Vec2 p0, Vec2 p3, Vec2 t1, Vec2 t2, const Vec2* points, const double* u,
                                      size_t n) {
    double c11 = 0, c12 = 0, c22 = 0, x1 = 0, x2 = 0;
    for (size_t k = 0; k < n; ++k) {
        const double t = u[k], v = 1 - t;
        const double b0 = v * v * v, b1 = 3 * v * v * t, b2 = 3 * v * t * t, b3 = t * t * t;
        const Vec2 a1 = t1 * b1, a2 = t2 * b2;
        c11 += a1.Dot(a1);
        c12 += a1.Dot(a2);
        c22 += a2.Dot(a2);
        const Vec2 rest = points[k] - (p0 * (b0 + b1) + p3 * (b2 + b3));
        x1 += rest.Dot(a1);
        x2 += rest.Dot(a2);
    }
    HandleLengths h;
    h.det = c11 * c22 - c12 * c12;
    if (h.det != 0) {
        h.alpha1 = (x1 * c22 - x2 * c12) / h.det;
        h.alpha2 = (c11 * x2 - c12 * x1) / h.det;
    }
    return h;
}

// Moves parameter u one Newton step towards the place on the cubic nearest to point.
inline double NearerParameter(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, Vec2 point, double u) {
    const Vec2 d = CubicDerivative(p0, p1, p2, p3, u);
    const double dd = d.Dot(d);
    return dd > 1e-12 ? u + (point - Cubic(p0, p1, p2, p3, u)).Dot(d) / dd : u;
}

// A cubic in power form, p(u) = p0 + u (a + u (b + u c)), for evaluating it and its
// derivative at many parameters in few operations.
struct CubicPoly {
    Vec2 p0, a, b, c;
    CubicPoly(Vec2 q0, Vec2 q1, Vec2 q2, Vec2 q3)
        : p0(q0), a((q1 - q0) * 3), b((q2 - q1 * 2 + q0) * 3), c(q3 - q2 * 3 + q1 * 3 - q0) {}
    Vec2 At(double u) const { return p0 + (a + (b + c * u) * u) * u; }
    Vec2 Derivative(double u) const { return a + (b * 2 + c * (3 * u)) * u; }
    // u moved one Newton step towards the place nearest to point.
    double Step(Vec2 point, double u) const {
        const Vec2 d = Derivative(u);
        const double dd = d.Dot(d);
        return dd > 1e-12 ? u + (point - At(u)).Dot(d) / dd : u;
    }
    // The same, kept within [0, 1].
    double Nearer(Vec2 point, double u) const {
        const double v = Step(point, u);
        return v < 0 ? 0 : (v > 1 ? 1 : v);
    }
};

// Makes a handle at an extreme vertex horizontal (maxima and minima in y) or vertical.
inline void AlignToExtreme(Vec2& handle, int kind) {
    if (kind == kKindMaxY || kind == kKindMinY) handle.y = 0;
    if (kind == kKindMaxX || kind == kKindMinX) handle.x = 0;
}

inline bool IsAxisParallel(Vec2 a, Vec2 b) {
    return std::fabs(a.x - b.x) < kEps || std::fabs(a.y - b.y) < kEps;
}

}  // namespace fitgeom
