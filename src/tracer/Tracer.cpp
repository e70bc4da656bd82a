#include "Tracer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "BoundaryWalker.h"
#include "ContourFitter.h"
#include "CurveMerging.h"
#include "DiagonalJoin.h"
#include "EdgePlacement.h"
#include "EdgeRefit.h"
#include "Error.h"

namespace {

constexpr double kDegree = 0.017453292516666667;
// Scaled coordinates must stay below this magnitude to fit the outline's 16-bit points.
constexpr double kCoordinateLimit = 10000.0;

TraceSettings SettingsFrom(const TraceParams& p) {
    TraceSettings s;
    s.curveMode = (p.curveMode == kTraceQuadratic || p.curveMode == kTraceCubic) ? p.curveMode
                                                                                : kTraceLines;
    s.cornerThreshold = s.curveMode == kTraceLines ? 2.0 : 0.1;
    s.tolerance = double(p.fitTolerance);
    s.meanTolerance = double(p.fitMeanTolerance);
    s.sinStraighten = std::sin(double(p.straightenAngle) * kDegree);
    // A step below one pixel would never move the scan on.
    s.step = double(p.step < 1 ? 1 : p.step);
    s.extremePoints = p.extremePoints != 0;
    s.boundedDrift = p.boundedDrift;
    s.edgePlacement = p.edgePlacement;
    return s;
}

class Tracer {
public:
    explicit Tracer(const TraceParams& params)
        : m_progress(params.progress),
          m_settings(SettingsFrom(params)),
          m_dScale(double(params.outputScale)),
          m_bJoinDiagonals(params.joinDiagonals),
          m_bRefit(params.refitToEdges && params.edgePlacement && m_settings.curveMode == kTraceCubic),
          m_fitter(m_settings) {
        m_merge.tolerance = double(params.mergeTolerance);
        m_merge.meanTolerance = double(params.mergeMeanTolerance);
        m_merge.onEdge = params.edgePlacement;
    }

    std::unique_ptr<Outline> Run(const MonoBitmap& picture) {
        MonoBitmap joined;
        const bool join = m_bJoinDiagonals && picture.bits && picture.width > 0 && picture.height > 0;
        if (join) JoinDiagonalInk(picture, joined);
        const MonoBitmap& image = join ? joined : picture;
        if (image.bits && image.width > 0 && image.height > 0) {
            BoundaryWalker walker(image, int(m_settings.step));
            TracePoint start;
            while (walker.FindNextStart(start)) {
                if (int answer = m_progress ? m_progress(0, 0) : 0) RaiseError(answer);
                walker.Walk(start);
                walker.ReduceToRuns();
                TraceContour(walker);
            }
        }
        return Emit();
    }

private:
    void TraceContour(BoundaryWalker& walker) {
        std::vector<TracePoint>& points = walker.Points();
        m_vertices.Clear();
        m_vertices.Reserve(points.size());
        std::vector<Vec2> placed;
        m_edge.mids.clear();
        m_edge.first.clear();
        if (m_settings.edgePlacement && walker.VertexIndices().size() == points.size()) {
            FindEdgePoints(walker.Walked(), int(m_settings.step), m_edge);
            placed = PlaceOnEdges(walker.Walked(), walker.VertexIndices(), m_edge, int(m_settings.step));
        }
        const TracePoint* previous = nullptr;
        for (size_t i = 0; i < points.size(); ++i) {
            const TracePoint& p = points[i];
            if (previous && previous->x == p.x && previous->y == p.y) continue;
            previous = &p;
            Vec2 at = placed.empty() ? Vec2{double(p.x), double(p.y)} : placed[i];
            TraceVertex vertex{float(at.x), float(at.y), kKindOther, p.colour};
            if (!placed.empty()) vertex.source = walker.VertexIndices()[i];
            m_vertices.PushBack(vertex);
        }
        // The polygon is cyclic: a last vertex on the first one's place is not an edge.
        if (m_vertices.Count() > 1 && previous->x == points.front().x && previous->y == points.front().y)
            m_vertices.Erase(m_vertices.Last());
        points.clear();
        const bool hole = walker.StartColour() == 0;

        m_contour.clear();
        m_fitter.Fit(m_vertices, m_contour);
        if (m_contour.empty()) return;
        if (m_merge.tolerance > 0 && m_settings.curveMode == kTraceCubic)
            MergeCurves(m_contour, m_merge, m_merge.onEdge && !m_edge.mids.empty() ? &m_edge : nullptr);
        if (m_bRefit) RefitToEdges(m_contour, m_edge);
        // The walk runs clockwise around ink; outer contours are turned round so that
        // they come out counter-clockwise and holes clockwise.
        if (!hole) {
            std::reverse(m_contour.begin(), m_contour.end());
            m_contour.back().kind = kKindPlain;
            m_contour.front().kind = kKindStart;
        }
        m_output.insert(m_output.end(), m_contour.begin(), m_contour.end());
    }

    OutlinePoint Scaled(const FitNode& n) const {
        double x = std::floor(double(n.x) * m_dScale + 0.5);
        double y = std::floor(double(n.y) * m_dScale + 0.5);
        // Written as !(a < b) so that a non-finite value is refused too.
        if (!(std::fabs(x) < kCoordinateLimit) || !(std::fabs(y) < kCoordinateLimit))
            RaiseError(ErrorCode::kTracerRange);
        return OutlinePoint{int16_t(x), int16_t(y)};
    }

    std::unique_ptr<Outline> Emit() {
        const bool cubic = m_settings.curveMode == kTraceCubic;
        const bool quadratic = m_settings.curveMode == kTraceQuadratic;
        // Room for every node at once, so the buffer grows once.
        size_t bytes = 0;
        for (size_t i = 0; i < m_output.size(); ++i) {
            if (m_output[i].kind == kKindControl)
                bytes += cubic ? 0 : 6;
            else
                bytes += (cubic && i > 0 && m_output[i - 1].kind == kKindControl) ? 14 : 6;
        }
        auto outline = std::make_unique<Outline>(1);
        if (!outline->reserve(bytes)) RaiseError(ErrorCode::kNoMemory);

        OutlinePoint controls[2];
        int pending = 0;
        for (size_t i = 0; i < m_output.size(); ++i) {
            const FitNode& n = m_output[i];
            OutlinePoint p = Scaled(n);
            if (i == 0 || n.kind == kKindStart) {
                pending = 0;
                outline->appendMove(p);
            } else if (n.kind == kKindControl) {
                if (cubic) {
                    if (pending < 2) controls[pending++] = p;
                } else if (quadratic) {
                    outline->appendQuadOff(p);
                } else {
                    outline->appendLine(p);
                }
            } else if (pending > 0) {
                outline->appendCubic(p, controls[0], controls[pending - 1]);
                pending = 0;
            } else {
                outline->appendLine(p);
            }
            if (outline->error() != Outline::kOk) RaiseError(ErrorCode::kNoMemory);
        }
        outline->trim(true);
        return outline;
    }

    ProgressFn m_progress;
    TraceSettings m_settings;
    double m_dScale;
    bool m_bJoinDiagonals;
    bool m_bRefit;
    ContourFitter m_fitter;
    CurveMergeSettings m_merge;
    LinkedPool<TraceVertex> m_vertices;
    std::vector<FitNode> m_contour;
    EdgePoints m_edge;
    std::vector<FitNode> m_output;
};

}  // namespace

void FaithfulTracing(TraceParams& params, int width, int height) {
    params.edgePlacement = true;
    params.joinDiagonals = true;
    params.fitTolerance = 0.75f;
    params.fitMeanTolerance = 0.2f;
    params.mergeTolerance = 1.0f;
    params.mergeMeanTolerance = 0.25f;
    params.refitToEdges = true;
    params.straightenAngle = 0;
    params.extremePoints = 0;
    params.curveMode = kTraceCubic;
    // A fitted curve may stray a little past the picture; two pixels of room.
    const double extent = double(std::max(width, height)) + 2;
    float scale = 1.0f;
    for (float s : {4.0f, 2.0f})
        if (extent * s < kCoordinateLimit) {
            scale = s;
            break;
        }
    params.outputScale = scale;
}

int trace(TraceParams* params) {
    if (!params || !params->image) return ErrorCode::kOk;
    try {
        Tracer tracer(*params);
        std::unique_ptr<Outline> outline = tracer.Run(*params->image);
        params->result = std::move(outline);
        return ErrorCode::kOk;
    } catch (const CodeError& e) {
        return e.code();
    } catch (const std::bad_alloc&) {
        return ErrorCode::kNoMemory;
    }
}
