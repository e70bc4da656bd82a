// Corners, segments, tangent handles and extreme points.
#include "ContourFitter.h"

#include <algorithm>
#include <cmath>

#include "FitGeometry.h"

using namespace fitgeom;

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

EdgeClass ContourFitter::ClassifySegment(int seg) const {
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
        EdgeClass result = ClassifySegment(seg);
        while (result == kEdgeDropQ && v.Count() > 3 &&
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
        sg.kind = result == kEdgeDropQ ? kKindOther : int(result);
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
