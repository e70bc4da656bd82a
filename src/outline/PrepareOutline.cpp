#include "PrepareOutline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GlyphOutline.h"

namespace {

// Lowest value of one axis of a cubic arc.
double CubicAxisMin(double p0, double p1, double p2, double p3) {
    double lo = std::min(p0, p3), hi = std::max(p0, p3);
    ExtendByCubicAxis(p0, p1, p2, p3, lo, hi);
    return lo;
}

struct OutlineScan {
    int minX = 32767, minY = 32767;  // lowest on-curve and arc extent, master 0
    int lowX = 32767, lowY = 32767;  // lowest and highest stored values, all masters
    int highX = -32768, highY = -32768;
};

// One linear pass over the node buffer.
OutlineScan ScanOutline(const Outline& outline) {
    OutlineScan s;
    const uint8_t* buf = outline.buffer();
    const size_t used = outline.usedBytes();
    const int nm = outline.masters();
    size_t off = 0;
    bool havePrev = false;
    OutlinePoint prev;
    for (int i = 0; i < outline.nodeCount() && buf; ++i) {
        uint16_t type;
        std::memcpy(&type, buf + off, 2);
        const size_t bytes = Outline::NodeBytes(type, nm);
        if (off + bytes > used) break;
        OutlineNodeRef nd(const_cast<uint8_t*>(buf + off));
        off += bytes;
        const int n = nd.pointCount();
        for (int k = 0; k < n; ++k) {
            for (int m = 0; m < nm; ++m) {
                OutlinePoint p = nd.point(k, nm, m);
                s.lowX = std::min<int>(s.lowX, p.x);
                s.lowY = std::min<int>(s.lowY, p.y);
                s.highX = std::max<int>(s.highX, p.x);
                s.highY = std::max<int>(s.highY, p.y);
            }
        }
        if (n == 0) continue;
        const OutlinePoint end = nd.point(0, nm, 0);
        if (nd.kind() == kNodeCubic && havePrev) {
            const OutlinePoint c1 = nd.point(1, nm, 0), c2 = nd.point(2, nm, 0);
            s.minX = std::min(s.minX, int(std::floor(CubicAxisMin(prev.x, c1.x, c2.x, end.x))));
            s.minY = std::min(s.minY, int(std::floor(CubicAxisMin(prev.y, c1.y, c2.y, end.y))));
        }
        s.minX = std::min<int>(s.minX, end.x);
        s.minY = std::min<int>(s.minY, end.y);
        prev = end;
        havePrev = true;
    }
    return s;
}

bool ShiftFits(const OutlineScan& s) {
    if (s.lowX > s.highX) return true;  // no points: nothing moves
    auto fits = [](int v) { return v >= -32768 && v <= 32767; };
    return fits(s.lowX - s.minX) && fits(s.highX - s.minX) && fits(s.lowY - s.minY) &&
           fits(s.highY - s.minY);
}

}  // namespace

bool OutlineFitsAtOrigin(const Outline& outline) {
    return outline.nodeCount() == 0 || ShiftFits(ScanOutline(outline));
}

bool PrepareOutline(Outline& outline) {
    if (outline.nodeCount() == 0) return true;
    const OutlineScan s = ScanOutline(outline);
    if (!ShiftFits(s)) return false;
    const int dx = -s.minX, dy = -s.minY;
    if (s.lowX > s.highX || (dx == 0 && dy == 0)) return true;
    // The index makes the offset pass linear in the node count.
    const bool hadIndex = outline.indexEnabled();
    if (!hadIndex) outline.enableIndex(true);
    const int last = outline.nodeCount() - 1;
    if (dx >= -32768 && dx <= 32767 && dy >= -32768 && dy <= 32767) {
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx), int16_t(dy)});
    } else {
        // A shift of 32768 does not fit one step; both halves keep every point in range
        // because each point only moves towards its final place.
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx / 2), int16_t(dy / 2)});
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx - dx / 2), int16_t(dy - dy / 2)});
    }
    if (!hadIndex) outline.enableIndex(false);
    return true;
}
