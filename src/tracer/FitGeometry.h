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

// Makes a handle at an extreme vertex horizontal (maxima and minima in y) or vertical.
inline void AlignToExtreme(Vec2& handle, int kind) {
    if (kind == kKindMaxY || kind == kKindMinY) handle.y = 0;
    if (kind == kKindMaxX || kind == kKindMinX) handle.x = 0;
}

inline bool IsAxisParallel(Vec2 a, Vec2 b) {
    return std::fabs(a.x - b.x) < kEps || std::fabs(a.y - b.y) < kEps;
}

}  // namespace fitgeom
