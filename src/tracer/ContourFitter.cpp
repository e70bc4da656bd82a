#include "ContourFitter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEps = 0.001;

double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

bool IsDiagonal(Vec2 v) { return std::fabs(v.x) > kEps && std::fabs(v.y) > kEps; }

Vec2 ScaledTo(Vec2 v, double length) {
    double l = v.Length();
    return l > 0 ? v * (length / l) : Vec2{};
}

// Distance of p from the line through a and b (from a when they coincide).
double DistanceFromLine(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 d = b - a;
    double l = d.Length();
    return l > 0 ? std::fabs(Cross(d, p - a)) / l : (p - a).Length();
}

Vec2 Cubic(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, double u) {
    double v = 1 - u;
    return p0 * (v * v * v) + p1 * (3 * v * v * u) + p2 * (3 * v * u * u) + p3 * (u * u * u);
}

Vec2 CubicDerivative(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, double u) {
    double v = 1 - u;
    return (p1 - p0) * (3 * v * v) + (p2 - p1) * (6 * v * u) + (p3 - p2) * (3 * u * u);
}

Vec2 Quadratic(Vec2 p0, Vec2 c, Vec2 p2, double u) {
    return p0 + (c - p0) * ((2 - u) * u) + (p2 - c) * (u * u);
}

// Makes a handle at an extreme vertex horizontal (maxima and minima in y) or vertical.
void AlignToExtreme(Vec2& handle, int kind) {
    if (kind == kKindMaxY || kind == kKindMinY) handle.y = 0;
    if (kind == kKindMaxX || kind == kKindMinX) handle.x = 0;
}

bool IsAxisParallel(Vec2 a, Vec2 b) {
    return std::fabs(a.x - b.x) < kEps || std::fabs(a.y - b.y) < kEps;
}

}  // namespace

int ContourFitter::Classify(Vec2 o, Vec2 p, Vec2 q, Vec2 r, int kindP, int kindQ,
                            double sinLimit) {
    Vec2 d1 = p - o, d2 = q - p, d3 = r - q;
    double cross12 = d2.y * d1.x - d2.x * d1.y, dot12 = d2.y * d1.y + d2.x * d1.x;
    double cross23 = d3.y * d2.x - d3.x * d2.y, dot23 = d3.y * d2.y + d3.x * d2.x;
    if (std::fabs(cross12) < kEps && dot12 > 0) return 1;
    if (std::fabs(cross23) < kEps && dot23 > 0) return 2;
    auto shallow = [&](Vec2 a, Vec2 b, double cross, double dot) {
        double lengths = a.Length() * b.Length();
        return dot > 0 && lengths > 0 && std::fabs(cross) / lengths < sinLimit &&
               a.x * b.x > 0 && a.y * b.y > 0 && IsDiagonal(a) && IsDiagonal(b);
    };
    if (shallow(d1, d2, cross12, dot12)) return 1;
    if (shallow(d2, d3, cross23, dot23)) return 2;
    if (cross12 != 0 && cross23 != 0 && (cross12 > 0) != (cross23 > 0)) return kKindSmooth;
    if (kindP < 3 && kindQ < 3) return 0;
    if (std::fabs(d2.y) < kEps) {
        if (d1.y > 0 && d3.y < 0) return kKindMaxY;
        if (d1.y < 0 && d3.y > 0) return kKindMinY;
    }
    if (std::fabs(d2.x) < kEps) {
        if (d1.x > 0 && d3.x < 0) return kKindMaxX;
        if (d1.x < 0 && d3.x > 0) return kKindMinX;
    }
    return 0;
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

bool ContourFitter::MayMerge(int a, int m, int b) {
    LinkedPool<TraceVertex>& v = *m_pV;
    Vec2 pa = Pos(a), pm = Pos(m), pb = Pos(b);
    Vec2 in = pm - pa, out = pb - pm;
    const bool collinear = std::fabs(Cross(in, out)) < kEps && in.Dot(out) > 0;
    // Every point merged into a-m or m-b so far lies within its drift of that edge, and
    // those edges lie within m's distance of the new edge a-b.
    const double drift = std::max(v[a].drift, v[m].drift) + DistanceFromLine(pm, pa, pb);
    if (!collinear && drift > m_set.tolerance) return false;
    v[a].drift = float(drift);
    return true;
}

void ContourFitter::Straighten() {
    LinkedPool<TraceVertex>& v = *m_pV;
    int p = v.First();
    while (p && v.Count() > 2) {
        int o = v.CyclicPrev(p), q = v.CyclicNext(p), r = v.CyclicNext(q);
        int result = Classify(Pos(o), Pos(p), Pos(q), Pos(r), Kind(p), Kind(q), m_set.sinStraighten);
        if (result == 1 && MayMerge(o, p, q)) {
            int back = v.Prev(p) ? v.Prev(v.Prev(p)) : 0;
            v.Erase(p);
            p = back ? back : v.First();
        } else if (result == 2 && MayMerge(p, q, r)) {
            int back = v.Prev(p);
            v.Erase(q);
            p = back ? back : v.First();
        } else {
            p = v.Next(p);
        }
    }
}

void ContourFitter::Push(std::vector<FitNode>& out, Vec2 p, int kind) const {
    if (kind != kKindStart && kind != kKindControl && kind != kKindCorner && kind != kKindSmooth)
        kind = kKindPlain;
    out.push_back(FitNode{float(p.x), float(p.y), kind});
}

void ContourFitter::EmitDot(std::vector<FitNode>& out) {
    Vec2 c = Pos(m_pV->First());
    auto at = [&](double dx, double dy) { return Vec2{c.x + dx, c.y + dy}; };
    if (m_set.curveMode == kTraceQuadratic) {
        Push(out, at(0, 1), kKindStart);
        Push(out, at(2, 0), kKindControl);
        Push(out, at(0, -1), kKindPlain);
        Push(out, at(-2, 0), kKindControl);
        Push(out, at(0, 1), kKindPlain);
    } else if (m_set.curveMode == kTraceCubic) {
        Push(out, at(0, 1), kKindStart);
        Push(out, at(1, 1), kKindControl);
        Push(out, at(1, -1), kKindControl);
        Push(out, at(0, -1), kKindPlain);
        Push(out, at(-1, -1), kKindControl);
        Push(out, at(-1, 1), kKindControl);
        Push(out, at(0, 1), kKindPlain);
    }
}

void ContourFitter::EmitLens(std::vector<FitNode>& out) {
    Vec2 p = Pos(m_pV->First()), q = Pos(m_pV->Last());
    Push(out, p, kKindStart);
    Vec2 d = q - p;
    double l = d.Length();
    if (m_set.curveMode == kTraceLines || l <= 0) {
        Push(out, q, kKindPlain);
        Push(out, p, kKindPlain);
        return;
    }
    Vec2 n{-d.y / l, d.x / l};
    Vec2 mid = (p + q) * 0.5;
    auto curveTo = [&](Vec2 from, Vec2 to, Vec2 control) {
        if (m_set.curveMode == kTraceCubic) {
            Push(out, from + (control - from) * 0.3, kKindControl);
            Push(out, to + (control - to) * 0.3, kKindControl);
        } else {
            Push(out, control, kKindControl);
        }
        Push(out, to, kKindPlain);
    };
    curveTo(p, q, mid + n * (2 * m_set.step));
    curveTo(q, p, mid - n * (2 * m_set.step));
}

void ContourFitter::ClassifyCorners() {
    LinkedPool<TraceVertex>& v = *m_pV;
    const double s = m_set.step;
    for (int p = v.First(); p; p = v.Next(p)) {
        v[p].kind = kKindPlain;
        Vec2 o = Pos(v.CyclicPrev(p)), pp = Pos(p), q = Pos(v.CyclicNext(p));
        Vec2 out = q - pp, in = pp - o;
        double lengths = out.Length() * in.Length();
        double cosTheta = lengths > 0 ? out.Dot(in) / lengths : out.Dot(in);
        if (cosTheta <= m_set.cornerThreshold) {
            v[p].kind = kKindCorner;
            continue;
        }
        double area = std::fabs(Cross(out, in));
        if (area <= kEps) continue;
        double radius = (q - o).Length() / area * out.Length() * in.Length() * 0.5;
        auto sagitta = [&](double chord) {
            return radius - std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
        };
        if (sagitta(in.Length()) > s || sagitta(out.Length()) > s) v[p].kind = kKindSmooth;
    }
}

void ContourFitter::UpdateLength(int seg) {
    TraceSegment& s = m_segs[seg];
    s.length = (Pos(s.end) - Pos(s.start)).Length();
}

void ContourFitter::BuildSegments() {
    LinkedPool<TraceVertex>& v = *m_pV;
    m_segs.Reserve(size_t(v.Count()) * 2);
    for (int p = v.First(); p; p = v.Next(p)) {
        TraceSegment seg;
        seg.start = p;
        seg.end = v.CyclicNext(p);
        m_segs.PushBack(seg);
    }
    for (int s = m_segs.First(); s; s = m_segs.Next(s)) UpdateLength(s);
    auto isCornerOrSmooth = [&](int id) {
        return Kind(id) == kKindCorner || Kind(id) == kKindSmooth;
    };
    for (int s = m_segs.First(); s; s = m_segs.Next(s)) {
        if (isCornerOrSmooth(m_segs[s].start) && isCornerOrSmooth(m_segs[s].end)) {
            m_segs[s].kind = kKindStraight;
            if (m_set.CurveModes()) SnapShortEdge(s);
        }
    }
    // A smooth vertex between two plain ones is a corner.
    for (int p = v.First(); p; p = v.Next(p)) {
        if (v[p].kind == kKindSmooth && Kind(v.CyclicPrev(p)) == kKindPlain &&
            Kind(v.CyclicNext(p)) == kKindPlain)
            v[p].kind = kKindCorner;
    }
}

void ContourFitter::SnapShortEdge(int seg) {
    TraceSegment& sg = m_segs[seg];
    const double s = m_set.step;
    TraceVertex& a = (*m_pV)[sg.start];
    TraceVertex& b = (*m_pV)[sg.end];
    if (sg.length < 3 * s || a.colour == b.colour) return;
    bool snapped = false;
    if (std::fabs(b.x - a.x) < 1.05 * s) {
        float mean = (a.x + b.x) / 2;
        if (mean != a.x && mean != b.x) {
            a.x = b.x = mean;
            snapped = true;
        }
    } else if (std::fabs(b.y - a.y) < 1.05 * s) {
        float mean = (a.y + b.y) / 2;
        if (mean != a.y && mean != b.y) {
            a.y = b.y = mean;
            snapped = true;
        }
    }
    if (snapped) {
        // Both ends moved: the edges on either side change length too.
        UpdateLength(seg);
        UpdateLength(m_segs.CyclicPrev(seg));
        UpdateLength(m_segs.CyclicNext(seg));
    }
}

int ContourFitter::ClassifySegment(int seg) const {
    const TraceSegment& s = m_segs[seg];
    const LinkedPool<TraceVertex>& v = *m_pV;
    return Classify(Pos(v.CyclicPrev(s.start)), Pos(s.start), Pos(s.end),
                    Pos(v.CyclicNext(s.end)), Kind(s.start), Kind(s.end), m_set.sinStraighten);
}

void ContourFitter::ResolveSegments() {
    LinkedPool<TraceVertex>& v = *m_pV;
    const double s = m_set.step;
    for (int seg = m_segs.First(); seg; seg = m_segs.Next(seg)) {
        if (m_segs[seg].kind == kKindStraight) {
            if (m_segs[m_segs.CyclicPrev(seg)].kind == kKindStraight)
                v[m_segs[seg].start].kind = kKindCorner;
            continue;
        }
        int result = ClassifySegment(seg);
        while (result == 2 && v.Count() > 3 &&
               MayMerge(m_segs[seg].start, m_segs[seg].end, m_segs[m_segs.CyclicNext(seg)].end)) {
            // The end vertex is redundant: extend this edge over the next one.
            int next = m_segs.CyclicNext(seg);
            int dropped = m_segs[seg].end;
            m_segs[seg].end = m_segs[next].end;
            m_segs.Erase(next);
            v.Erase(dropped);
            UpdateLength(seg);
            result = ClassifySegment(seg);
        }
        TraceSegment& sg = m_segs[seg];
        sg.kind = result == 2 ? kKindOther : result;
        ComputeHandles(seg);
        TraceVertex& a = v[sg.start];
        TraceVertex& b = v[sg.end];
        if (sg.kind == kKindSmooth) {
            if (a.kind == kKindSmooth) a.kind = kKindCorner;
            if (b.kind == kKindSmooth) b.kind = kKindCorner;
        } else if ((a.kind == kKindSmooth || b.kind == kKindSmooth) && sg.length > 0) {
            // How far the arc through the handles strays from the chord.
            Vec2 u = (b.Pos() - a.Pos()) * (1 / sg.length);
            double c0 = sg.h0.x * u.y - sg.h0.y * u.x;
            double c1 = sg.h1.y * u.x - sg.h1.x * u.y;
            if (std::fabs(c1) > 1e-12) {
                double t = -c0 / (2 * c1);
                double dev = std::fabs(((1 - t) * t + 1) * t * c0 + (2 - t) * t * t * c1);
                if (dev > s) {
                    if (a.kind == kKindSmooth)
                        a.kind = kKindCorner;
                    else
                        b.kind = kKindCorner;
                }
            }
        }
    }
}

void ContourFitter::MergeChamfers() {
    LinkedPool<TraceVertex>& v = *m_pV;
    for (int seg = m_segs.First(); seg;) {
        int following = m_segs.Next(seg);
        int prev = m_segs.CyclicPrev(seg), next = m_segs.CyclicNext(seg);
        if (v.Count() > 3 && prev != seg && next != seg && prev != next &&
            m_segs[prev].kind == kKindStraight && m_segs[next].kind == kKindStraight) {
            Vec2 ps = Pos(m_segs[prev].start), pe = Pos(m_segs[prev].end);
            Vec2 ns = Pos(m_segs[next].start), ne = Pos(m_segs[next].end);
            Vec2 dp = pe - ps, dn = ne - ns;
            double cross = Cross(dp, dn);
            if (std::fabs(cross) > kEps) {
                Vec2 w = ns - ps;
                double a = Cross(w, dn) / cross;
                double b = Cross(w, dp) / cross;
                Vec2 x = ps + dp * a;
                if (a > 1 && b < 0 &&
                    DistanceFromLine(x, Pos(m_segs[seg].start), Pos(m_segs[seg].end)) <
                        m_set.step) {
                    int keep = m_segs[seg].start;
                    int dropped = m_segs[seg].end;
                    v[keep].SetPos(x);
                    m_segs[next].start = keep;
                    m_segs.Erase(seg);
                    v.Erase(dropped);
                    UpdateLength(prev);
                    UpdateLength(next);
                }
            }
        }
        seg = following;
    }
}

void ContourFitter::ComputeHandles(int seg) {
    const LinkedPool<TraceVertex>& v = *m_pV;
    TraceSegment& sg = m_segs[seg];
    sg.h0 = sg.h1 = Vec2{};
    const int ka = Kind(sg.start), kb = Kind(sg.end);
    const bool cornerA = ka == kKindCorner, cornerB = kb == kKindCorner;
    if (cornerA && cornerB) return;
    Vec2 a = Pos(sg.start), b = Pos(sg.end);
    Vec2 before = Pos(v.CyclicPrev(sg.start)), after = Pos(v.CyclicNext(sg.end));
    Vec2 tA = (ka == kKindSmooth ? a : b) - before;
    Vec2 tB = (kb == kKindSmooth ? b : a) - after;
    AlignToExtreme(tA, ka);
    AlignToExtreme(tB, kb);
    Vec2 d = b - a;
    double l = d.Length();
    auto thirds = [&] {
        sg.h0 = ScaledTo(tA, 0.33 * l);
        sg.h1 = ScaledTo(tB, 0.33 * l);
    };
    if (sg.kind == kKindSmooth && !cornerA && !cornerB) {
        thirds();
    } else if (cornerA) {
        double den = std::fabs(2 * d.Dot(tB));
        if (den > 1e-9) {
            sg.h1 = tB * (l * l / den);
            sg.h0 = sg.h1 + d;
        }
    } else if (!cornerB) {
        // Both handles point at the crossing of the two tangent lines.
        double den = tB.y * tA.x - tB.x * tA.y;
        if (std::fabs(den) > 1e-9) {
            double k = (d.x * tB.y - d.y * tB.x) / den;
            sg.h0 = tA * k;
            sg.h1 = sg.h0 - d;
        } else {
            thirds();
        }
    } else {
        double den = std::fabs(2 * d.Dot(tA));
        if (den > 1e-9) {
            sg.h0 = tA * (l * l / den);
            sg.h1 = sg.h0 - d;
        }
    }
}

void ContourFitter::MarkExtremes() {
    LinkedPool<TraceVertex>& v = *m_pV;
    for (int p = v.First(); p; p = v.Next(p)) {
        if (v[p].kind == kKindCorner) continue;
        Vec2 c = Pos(p), a = Pos(v.CyclicPrev(p)), b = Pos(v.CyclicNext(p));
        int kind = kKindPlain;
        if (a.x < c.x && b.x < c.x)
            kind = kKindMaxX;
        else if (a.x > c.x && b.x > c.x)
            kind = kKindMinX;
        else if (a.y < c.y && b.y < c.y)
            kind = kKindMaxY;
        else if (a.y > c.y && b.y > c.y)
            kind = kKindMinY;
        v[p].kind = kind;
    }
}

void ContourFitter::CorrectExtremes() {
    LinkedPool<TraceVertex>& v = *m_pV;
    for (int s0 = m_segs.First(); s0;) {
        int s1 = m_segs.CyclicNext(s0);
        TraceSegment& seg0 = m_segs[s0];
        TraceSegment& seg1 = m_segs[s1];
        const int a = seg0.start, b = seg0.end, c = seg1.end;
        if (s1 != s0 && IsAxisParallel(Pos(a), Pos(b)) && IsAxisParallel(Pos(b), Pos(c)) &&
            seg0.length > 0 && seg1.length > 0) {
            Vec2 d0 = Pos(b) - Pos(a), d1 = Pos(b) - Pos(c);
            double l0 = seg0.length, l1 = seg1.length;
            Vec2 correction;
            if (Kind(a) != kKindCorner && seg0.kind != kKindStraight) {
                Vec2 h0 = seg0.h0;
                double c0 = h0.y * d0.x - h0.x * d0.y;
                if (std::fabs(c0) > 1e-12) {
                    double k0 = (l0 * h0.Length() / c0 - h0.Dot(d0) / c0) * l0 / l1;
                    correction = correction + d1 * k0;
                }
                if (std::fabs(d0.x) >= 0.01)
                    seg0.h1.y = 0;
                else
                    seg0.h1.x = 0;
            }
            if (Kind(c) != kKindCorner && seg1.kind != kKindStraight) {
                Vec2 h1 = seg1.h1;
                double c1 = -(h1.y * d1.x - h1.x * d1.y);
                if (std::fabs(c1) > 1e-12) {
                    double k1 = (l1 * h1.Length() / c1 - h1.Dot(d1) / c1) * l1 / l0;
                    correction = correction + d0 * k1;
                }
                if (std::fabs(d1.x) >= 0.01)
                    seg1.h0.y = 0;
                else
                    seg1.h0.x = 0;
            }
            v[b].SetPos(Pos(b) + correction);
            UpdateLength(s0);
            UpdateLength(s1);
            if (seg0.kind != kKindStraight) seg0.kind = kKindOther;
            if (seg1.kind != kKindStraight) seg1.kind = kKindOther;
        }
        int following = m_segs.Next(s0);
        if (IsExtremeKind(m_segs[s0].kind)) {
            SplitExtremeEdge(s0);
            following = m_segs.Next(m_segs.Next(s0));
        }
        s0 = following;
    }
}

void ContourFitter::SplitExtremeEdge(int seg) {
    LinkedPool<TraceVertex>& v = *m_pV;
    TraceSegment sg = m_segs[seg];
    Vec2 a = Pos(sg.start), b = Pos(sg.end);
    Vec2 mid = Cubic(a, a + sg.h0 * 0.3, b + sg.h1 * 0.3, b, 0.5);
    TraceVertex nv;
    nv.SetPos(mid);
    nv.kind = sg.kind;
    nv.colour = v[sg.start].colour;
    int added = v.InsertAfter(sg.start, nv);
    TraceSegment second;
    second.start = added;
    second.end = sg.end;
    m_segs[seg].end = added;
    m_segs[seg].kind = kKindOther;
    int secondId = m_segs.InsertAfter(seg, second);
    UpdateLength(seg);
    UpdateLength(secondId);
    ComputeHandles(seg);
    ComputeHandles(secondId);
    AlignToExtreme(m_segs[seg].h1, nv.kind);
    AlignToExtreme(m_segs[secondId].h0, nv.kind);
}

void ContourFitter::FitRuns(std::vector<FitNode>& out) {
    const int count = m_pV->Count();
    for (int i = 0; i < count && Kind(m_segs[m_segs.First()].start) == kKindPlain; ++i)
        m_segs.RotateLeft();
    const size_t firstNode = out.size();
    Push(out, Pos(m_segs[m_segs.First()].start), kKindStart);
    std::vector<int> run;
    for (int seg = m_segs.First(); seg;) {
        int stop = 0;
        FitResult fit;
        while (true) {
            run.assign(1, seg);
            for (int joins = 0; joins < kMaxRunJoins; ++joins) {
                const TraceSegment& cur = m_segs[run.back()];
                int next = m_segs.Next(run.back());
                if (!next || Kind(cur.end) != kKindPlain || cur.kind == kKindStraight ||
                    cur.end == stop)
                    break;
                run.push_back(next);
            }
            if (run.size() == 1 && m_segs[seg].kind == kKindStraight) {
                fit = FitResult{};  // a lone straight edge stays a line
                break;
            }
            fit = FitRun(run);
            if (fit.ok || run.size() == 1) break;
            // Cut the run at the worst vertex, or drop its last edge.
            int dropLast = m_segs[run[run.size() - 2]].end;
            bool inside = false;
            for (size_t i = 0; i + 1 < run.size(); ++i)
                inside = inside || m_segs[run[i]].end == fit.splitVertex;
            stop = fit.splitVertex && inside ? fit.splitVertex : dropLast;
        }
        const TraceSegment& last = m_segs[run.back()];
        if (fit.ok) {
            Push(out, fit.c1, kKindControl);
            if (m_set.curveMode == kTraceCubic) Push(out, fit.c2, kKindControl);
        }
        Push(out, Pos(last.end), Kind(last.end));
        seg = m_segs.Next(run.back());
    }
    // The contour closes on its start point, which is not a second start.
    if (out.size() > firstNode + 1) out.back().kind = kKindPlain;
}

ContourFitter::FitResult ContourFitter::FitRun(const std::vector<int>& run) {
    if (m_set.curveMode != kTraceCubic && m_set.curveMode != kTraceQuadratic) return {};
    if (run.size() == 1) return FitSingle(run[0]);
    return m_set.curveMode == kTraceCubic ? FitCubic(run) : FitQuadratic(run);
}

ContourFitter::FitResult ContourFitter::FitSingle(int seg) {
    const TraceSegment& sg = m_segs[seg];
    FitResult r;
    Vec2 a = Pos(sg.start), b = Pos(sg.end);
    if (sg.h0.Length() == 0 && sg.h1.Length() == 0) return r;  // nothing to bend it
    if (m_set.curveMode == kTraceQuadratic) {
        r.ok = true;
        r.c1 = a + sg.h0;
        return r;
    }
    r.c1 = a + sg.h0 * 0.3;
    r.c2 = b + sg.h1 * 0.3;
    Vec2 mid = Cubic(a, r.c1, r.c2, b, 0.5);
    r.ok = sg.length > 0 && DistanceFromLine(mid, a, b) <= m_set.step;
    return r;
}

ContourFitter::FitResult ContourFitter::FitCubic(const std::vector<int>& run) {
    FitResult r;
    const size_t m = run.size();
    std::vector<int> ids(m + 1);
    std::vector<Vec2> pts(m + 1);
    std::vector<double> u(m + 1);
    ids[0] = m_segs[run[0]].start;
    double total = 0;
    for (size_t i = 0; i < m; ++i) {
        ids[i + 1] = m_segs[run[i]].end;
        total += m_segs[run[i]].length;
        u[i + 1] = total;
    }
    if (!(total > 0)) return r;
    for (size_t i = 0; i <= m; ++i) {
        pts[i] = Pos(ids[i]);
        u[i] /= total;
    }
    u[m] = 1;
    const Vec2 p0 = pts[0], p3 = pts[m];
    const Vec2 t1 = m_segs[run[0]].h0, t2 = m_segs[run.back()].h1;
    const double tol = m_set.tolerance;

    for (int pass = 1;; ++pass) {
        // Least squares for the handle lengths with fixed tangents.
        double c11 = 0, c12 = 0, c22 = 0, x1 = 0, x2 = 0;
        for (size_t i = 1; i < m; ++i) {
            double t = u[i], v = 1 - t;
            double b0 = v * v * v, b1 = 3 * v * v * t, b2 = 3 * v * t * t, b3 = t * t * t;
            Vec2 a1 = t1 * b1, a2 = t2 * b2;
            c11 += a1.Dot(a1);
            c12 += a1.Dot(a2);
            c22 += a2.Dot(a2);
            Vec2 rest = pts[i] - (p0 * (b0 + b1) + p3 * (b2 + b3));
            x1 += rest.Dot(a1);
            x2 += rest.Dot(a2);
        }
        double det = c11 * c22 - c12 * c12;
        if (!(det >= 0.001)) return FitResult{};
        double alpha1 = (x1 * c22 - x2 * c12) / det;
        double alpha2 = (c11 * x2 - c12 * x1) / det;
        if (alpha1 < 0 || alpha2 < 0) return FitResult{};
        Vec2 c1 = p0 + t1 * alpha1, c2 = p3 + t2 * alpha2;

        double worst = -1;
        int worstId = 0;
        for (size_t i = 1; i < m; ++i) {
            double e = (Cubic(p0, c1, c2, p3, u[i]) - pts[i]).Length();
            if (e > worst) {
                worst = e;
                worstId = ids[i];
            }
        }
        bool ok = tol > worst;
        for (size_t i = 0; ok && i < m; ++i) {
            Vec2 onCurve = Cubic(p0, c1, c2, p3, (u[i] + u[i + 1]) / 2);
            ok = (onCurve - (pts[i] + pts[i + 1]) * 0.5).Length() < tol;
        }
        if (ok) {
            r.ok = true;
            r.c1 = c1;
            r.c2 = c2;
            return r;
        }
        if (pass == 4) {
            r.splitVertex = worstId;
            return r;
        }
        // Newton step on each parameter, first derivative only.
        for (size_t i = 1; i < m; ++i) {
            Vec2 d = CubicDerivative(p0, c1, c2, p3, u[i]);
            double dd = d.Dot(d);
            if (dd > 1e-12) u[i] += (pts[i] - Cubic(p0, c1, c2, p3, u[i])).Dot(d) / dd;
        }
    }
}

ContourFitter::FitResult ContourFitter::FitQuadratic(const std::vector<int>& run) {
    FitResult r;
    const size_t m = run.size();
    const Vec2 p0 = Pos(m_segs[run[0]].start), p2 = Pos(m_segs[run.back()].end);
    const Vec2 t1 = m_segs[run[0]].h0, h = m_segs[run.back()].h1;
    // The control is where the start tangent meets the end tangent: P0 + a t1 = P2 + b h,
    // both handles pointing from their end towards the control.
    Vec2 w = p2 - p0;
    double det = -t1.x * h.y + h.x * t1.y;
    if (std::fabs(det) < 0.001) return r;
    double a = (-w.x * h.y + h.x * w.y) / det;
    double b = (t1.x * w.y - t1.y * w.x) / det;
    if (a < 0 || b < 0) return r;
    Vec2 c = p0 + t1 * a;
    double total = 0;
    for (int s : run) total += m_segs[s].length;
    if (!(total > 0)) return r;
    double cumulative = 0, worst = -1;
    int worstId = 0;
    for (size_t i = 0; i + 1 < m; ++i) {
        cumulative += m_segs[run[i]].length;
        int id = m_segs[run[i]].end;
        double e = (Quadratic(p0, c, p2, cumulative / total) - Pos(id)).Length();
        if (e > worst) {
            worst = e;
            worstId = id;
        }
    }
    if (m_set.tolerance > worst) {
        r.ok = true;
        r.c1 = c;
    } else {
        r.splitVertex = worstId;
    }
    return r;
}
