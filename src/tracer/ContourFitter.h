// Per-contour clean-up and curve fitting: turns the polygon of one walked boundary into
// on-curve and control nodes. Removes needless vertices, decides corners, smooth and
// extreme points, builds tangent handles and fits quadratic or cubic Bezier curves over
// runs of edges within the tolerance.
#pragma once

#include <vector>

#include "TraceTypes.h"

struct TraceSettings {
    double cornerThreshold = 0.1;  // cosine at or below which a vertex is a corner
    double tolerance = 1.0;
    double meanTolerance = 0.0;  // positive: bound on a curve's mean distance too
    double sinStraighten = 0.0;
    double step = 1.0;
    bool extremePoints = true;
    int curveMode = 3;  // 0, 2 or 3
    bool boundedDrift = true;
    // Vertices lie on the edge between ink and paper rather than on pixel centres.
    bool edgePlacement = false;

    bool CurveModes() const { return cornerThreshold <= 1.0; }
};

// What the edge pair around two vertices P and Q shows. An inflection and the extreme
// edges carry the kind their segment takes.
enum EdgeClass : int {
    kEdgePlain = 0,
    kEdgeDropP = 1,  // P is redundant
    kEdgeDropQ = 2,  // Q is redundant
    kEdgeInflection = kKindSmooth,
    kEdgeMaxY = kKindMaxY,
    kEdgeMaxX = kKindMaxX,
    kEdgeMinY = kKindMinY,
    kEdgeMinX = kKindMinX,
};

// The longest run of edges one curve may replace is kMaxRunJoins + 1 edges.
constexpr int kMaxRunJoins = 50;

class ContourFitter {
public:
    explicit ContourFitter(const TraceSettings& settings) : m_set(settings) {}

    // Processes the contour held in vertices (in walk order) and appends its nodes to out
    // in the same order: the first carries the start mark and the last repeats the first
    // point. Nothing is appended for a dot in line mode. The lists are left in an
    // unspecified state.
    void Fit(LinkedPool<TraceVertex>& vertices, std::vector<FitNode>& out);

    // Vertex classification of the edge pair around P (predecessor O) and Q (successor
    // R). Public for tests.
    static EdgeClass Classify(Vec2 o, Vec2 p, Vec2 q, Vec2 r, int kindP, int kindQ, double sinLimit);

private:
    struct FitResult {
        bool ok = false;
        int splitVertex = 0;  // vertex of largest error of a failed fit, 0 if none
        Vec2 c1, c2;          // controls (c2 unused for quadratics)
    };

    void Straighten();
    // Whether vertex m may go so that a and b join directly: always for a collinear m,
    // otherwise only while no vertex merged into the new edge so far strays from it by
    // more than the tolerance. Records the new edge's drift on a.
    bool MayMerge(int a, int m, int b);
    void EmitDot(std::vector<FitNode>& out);
    void EmitLens(std::vector<FitNode>& out);
    void EmitPixelShape(Vec2 p, Vec2 q, std::vector<FitNode>& out);
    void ClassifyCorners();
    void BuildSegments();
    void SnapShortEdge(int seg);
    void ResolveSegments();
    void MergeChamfers();
    void ComputeHandles(int seg);
    void MarkExtremes();
    void CorrectExtremes();
    void SplitExtremeEdge(int seg);
    void FitRuns(std::vector<FitNode>& out);
    FitResult FitRun(const std::vector<int>& run);
    FitResult FitCubic(const std::vector<int>& run);
    static void PullTowardsNeighbours(std::vector<Vec2>& pts);
    FitResult FitQuadratic(const std::vector<int>& run);
    FitResult FitSingle(int seg);

    Vec2 Pos(int v) const { return (*m_pV)[v].Pos(); }
    int Kind(int v) const { return (*m_pV)[v].kind; }
    void UpdateLength(int seg);
    EdgeClass ClassifySegment(int seg) const;
    void Push(std::vector<FitNode>& out, Vec2 p, int kind, int source = -1) const;
    // An on-curve node at vertex v.
    void PushVertex(std::vector<FitNode>& out, int v, int kind) const { Push(out, Pos(v), kind, (*m_pV)[v].source); }

    TraceSettings m_set;
    LinkedPool<TraceVertex>* m_pV = nullptr;
    LinkedPool<TraceSegment> m_segs;
    // Scratch of the cubic fit, kept so that each run does not allocate.
    std::vector<int> m_ids;
    std::vector<Vec2> m_pts;
    std::vector<double> m_u;
};
