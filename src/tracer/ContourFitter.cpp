// The driver of the per-contour stages, and the classification of edge pairs that the
// clean-up and the segment stage share.
#include "ContourFitter.h"

#include <algorithm>
#include <cmath>

#include "FitGeometry.h"

using namespace fitgeom;

EdgeClass ContourFitter::Classify(Vec2 o, Vec2 p, Vec2 q, Vec2 r, int kindP, int kindQ,
                            double sinLimit) {
    Vec2 d1 = p - o, d2 = q - p, d3 = r - q;
    double cross12 = d2.y * d1.x - d2.x * d1.y, dot12 = d2.y * d1.y + d2.x * d1.x;
    double cross23 = d3.y * d2.x - d3.x * d2.y, dot23 = d3.y * d2.y + d3.x * d2.x;
    if (std::fabs(cross12) < kEps && dot12 > 0) return kEdgeDropP;
    if (std::fabs(cross23) < kEps && dot23 > 0) return kEdgeDropQ;
    auto shallow = [&](Vec2 a, Vec2 b, double cross, double dot) {
        double lengths = a.Length() * b.Length();
        return dot > 0 && lengths > 0 && std::fabs(cross) / lengths < sinLimit &&
               a.x * b.x > 0 && a.y * b.y > 0 && IsDiagonal(a) && IsDiagonal(b);
    };
    if (shallow(d1, d2, cross12, dot12)) return kEdgeDropP;
    if (shallow(d2, d3, cross23, dot23)) return kEdgeDropQ;
    if (cross12 != 0 && cross23 != 0 && (cross12 > 0) != (cross23 > 0)) return kEdgeInflection;
    // Only an edge with a smooth, plain or extreme end can be an extreme edge.
    if (kindP < kKindSmooth && kindQ < kKindSmooth) return kEdgePlain;
    if (std::fabs(d2.y) < kEps) {
        if (d1.y > 0 && d3.y < 0) return kEdgeMaxY;
        if (d1.y < 0 && d3.y > 0) return kEdgeMinY;
    }
    if (std::fabs(d2.x) < kEps) {
        if (d1.x > 0 && d3.x < 0) return kEdgeMaxX;
        if (d1.x < 0 && d3.x > 0) return kEdgeMinX;
    }
    return kEdgePlain;
}

void ContourFitter::Fit(LinkedPool<TraceVertex>& vertices, std::vector<FitNode>& out) {
    m_pV = &vertices;
    m_segs.Clear();
    Straighten();
    if (vertices.Count() == 0) return;
    if (vertices.Count() == 1) return EmitDot(out);
    if (vertices.Count() == 2) return EmitLens(out);
    ClassifyCorners();
    BuildSegments();
    ResolveSegments();
    MergeChamfers();
    for (int s = m_segs.First(); s; s = m_segs.Next(s))
        if (m_segs[s].kind != kKindStraight) ComputeHandles(s);
    if (m_set.extremePoints) {
        MarkExtremes();
        CorrectExtremes();
    } else {
        vertices[vertices.First()].kind = kKindSmooth;
    }
    FitRuns(out);
}

void ContourFitter::Push(std::vector<FitNode>& out, Vec2 p, int kind, int source) const {
    // Straight and extreme kinds describe edges; their on-curve nodes are plain.
    if (kind != kKindStart && kind != kKindControl && kind != kKindCorner && kind != kKindSmooth)
        kind = kKindPlain;
    out.push_back(FitNode{float(p.x), float(p.y), kind, source});
}
