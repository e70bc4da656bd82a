#include "CffConversion.h"

#include <algorithm>
#include <cmath>

namespace {

struct ContourBuilder {
    std::vector<Cff::PathContour>& out;
    bool& overflow;
    Cff::PathContour contour;
    bool open = false;
    Cff::PathPoint last;
    std::vector<Cff::PathPoint> offs;  // quadratic controls waiting for their end point

    Cff::PathPoint checked(Cff::PathPoint p) {
        if (std::abs(p.x) > 32767 || std::abs(p.y) > 32767) overflow = true;
        return p;
    }
    void start(Cff::PathPoint p) {
        finish();
        contour = Cff::PathContour{checked(p), {}};
        last = p;
        open = true;
    }
    // An on-curve point: the end of a waiting quadratic run, else of a straight line.
    void line(Cff::PathPoint p) {
        if (!offs.empty()) return flushQuadratic(p);
        contour.segments.push_back({false, {}, {}, checked(p)});
        last = p;
    }
    void cubic(Cff::PathPoint c1, Cff::PathPoint c2, Cff::PathPoint to) {
        if (!offs.empty()) {  // a run without an end point of its own ends at its last control
            Cff::PathPoint end = offs.back();
            offs.pop_back();
            line(end);
        }
        contour.segments.push_back({true, checked(c1), checked(c2), checked(to)});
        last = to;
    }
    // A quadratic run (controls with implied on-curve points halfway between them) that
    // ends at end, as the cubic curves it equals.
    void flushQuadratic(Cff::PathPoint end) {
        if (offs.empty()) return;
        Cff::PathPoint from = last;
        for (size_t i = 0; i < offs.size(); ++i) {
            Cff::PathPoint q = offs[i];
            Cff::PathPoint to = i + 1 < offs.size()
                                    ? Cff::PathPoint{(q.x + offs[i + 1].x) / 2, (q.y + offs[i + 1].y) / 2}
                                    : end;
            auto third = [](int32_t a, int32_t b) { return int32_t(std::lround(a + (b - a) * 2.0 / 3.0)); };
            contour.segments.push_back({true, checked({third(from.x, q.x), third(from.y, q.y)}),
                                        checked({third(to.x, q.x), third(to.y, q.y)}), checked(to)});
            from = to;
        }
        offs.clear();
        last = end;
    }
    void finish() {
        if (!open) return;
        if (!offs.empty()) {  // a closing quadratic run ends at the contour's start
            flushQuadratic(contour.start);
        }
        if (!contour.segments.empty()) out.push_back(std::move(contour));
        contour = {};
        open = false;
    }
};

}  // namespace

CffConversion convertToCff(const GlyphOutline& glyph, int unitsPerEm) {
    CffConversion out;
    const double k = unitsPerEm * 0.00048828125;
    auto scale = [&](int v) { return GlyphOutline::ScaleCoordinate(v, 0, k); };
    auto scaled = [&](OutlinePoint p) { return Cff::PathPoint{scale(p.x), scale(p.y)}; };
    GlyphMetrics metrics = glyph.metrics();
    int aw = scale(metrics.advanceWidth), ah = scale(metrics.second);
    if (aw < 0 || aw > 65535 || ah < 0 || ah > 65535) out.overflow = true;
    out.advanceWidth = uint16_t(std::clamp(aw, 0, 65535));
    out.advanceHeight = uint16_t(std::clamp(ah, 0, 65535));

    ContourBuilder b{out.contours, out.overflow, {}, false, {}, {}};
    for (OutlineNodeRef nd = glyph.firstNode(); nd; nd = glyph.nextNode(nd)) {
        switch (nd.kind()) {
            case kNodeMove: b.start(scaled(nd.point(0))); break;
            case kNodeLine:
                if (b.open) b.line(scaled(nd.point(0)));
                break;
            case kNodeQuadOff:
                if (b.open) b.offs.push_back(scaled(nd.point(0)));
                break;
            case kNodeCubic:
                if (b.open) b.cubic(scaled(nd.point(1)), scaled(nd.point(2)), scaled(nd.point(0)));
                break;
            default: break;
        }
    }
    b.finish();
    return out;
}
