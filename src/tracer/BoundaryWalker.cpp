#include "BoundaryWalker.h"

#include <algorithm>

void VisitedMask::CreateCleared(int32_t w, int32_t h) {
    Create(w, h);
    Fill(0);
}

BoundaryWalker::BoundaryWalker(const MonoBitmap& image, int step)
    : m_image(image),
      m_nWidth(image.bits ? image.width : 0),
      m_nHeight(image.bits ? image.height : 0),
      m_nStep(step < 1 ? 1 : step) {
    if (m_nWidth > 0 && m_nHeight > 0) m_mask.CreateCleared(m_nWidth, m_nHeight);
}

namespace {

// Index (0..7, from the most significant bit) of the first bit in b that is set.
inline int FirstSetBit(uint8_t b) { return __builtin_clz(unsigned(b)) - 24; }

// orient(P, Q, R): the sign of (Q.x - P.x)(P.y - R.y) + (R.x - P.x)(Q.y - P.y), which is
// +1 when R lies to the right of the direction P -> Q.
inline int Orient(const TracePoint& p, const TracePoint& q, const TracePoint& r) {
    int64_t v = int64_t(q.x - p.x) * (p.y - r.y) + int64_t(r.x - p.x) * (q.y - p.y);
    return (v > 0) - (v < 0);
}

}  // namespace

int BoundaryWalker::FindInRow(int from, int y, int value) const {
    const uint8_t* row = m_image.Row(m_nHeight - 1 - y);
    // Bits that differ from "not value" mark a hit: for ink look for 0 bits.
    const uint8_t flip = value ? 0x00 : 0xFF;
    int x = from;
    // Finish the partial first byte bit by bit.
    while (x < m_nWidth && (x & 7) != 0) {
        if (((row[x >> 3] >> (7 - (x & 7))) & 1) == value) return x;
        ++x;
    }
    // Whole bytes: skip those without any hit.
    while (x < m_nWidth) {
        uint8_t hits = uint8_t(row[x >> 3] ^ flip);
        if (hits) {
            int hit = x + FirstSetBit(hits);
            return hit < m_nWidth ? hit : m_nWidth;
        }
        x += 8;
    }
    return m_nWidth;
}

bool BoundaryWalker::FindNextStart(TracePoint& start) {
    while (m_nScanY < m_nHeight) {
        if (m_nStep == 1) {
            int x = FindInRow(m_nScanX, m_nScanY, m_nSought);
            if (x < m_nWidth) {
                m_nScanX = x;
                m_nSought ^= 1;
                if (!m_mask.IsVisited(x, m_nScanY)) {
                    start = MakePoint(x, m_nScanY);
                    return true;
                }
                ++m_nScanX;
                if (m_nScanX < m_nWidth) continue;
            }
        } else if (m_nScanX < m_nWidth) {
            if (Pixel(m_nScanX, m_nScanY) == m_nSought) {
                m_nSought ^= 1;
                if (!m_mask.IsVisited(m_nScanX, m_nScanY)) {
                    start = MakePoint(m_nScanX, m_nScanY);
                    return true;
                }
            }
            m_nScanX += m_nStep;
            if (m_nScanX < m_nWidth) continue;
        }
        m_nScanX = 0;
        m_nSought = 0;
        m_nScanY += m_nStep;
    }
    return false;
}

void BoundaryWalker::Walk(const TracePoint& start) {
    const int s = m_nStep;
    m_points.clear();
    TracePoint a = start;
    TracePoint b = MakePoint(start.x - s, start.y);
    TracePoint c = MakePoint(start.x, start.y + s);
    Visit(a);
    Visit(b);
    Visit(c);
    m_nStartColour = a.colour;
    m_nStartCount = 0;
    const int64_t sumX = int64_t(a.x) + b.x + c.x;
    const int64_t sumY = int64_t(a.y) + b.y + c.y;

    // The walk is a deterministic move between lattice triangles near the boundary, so it
    // comes back to its start; the cap only guards against a picture that would make it
    // circle forever.
    const int64_t cols = int64_t(m_nWidth) / s + 4;
    const int64_t rows = int64_t(m_nHeight) / s + 4;
    const int64_t cap = 24 * cols * rows + 64;
    for (int64_t n = 0; n < cap; ++n) {
        TracePoint next;
        if (b.colour != c.colour) {
            next = MakePoint(c.x + (b.x - a.x), c.y + (b.y - a.y));
            a = c;
        } else {
            next = MakePoint(c.x + (a.x - b.x), c.y + (a.y - b.y));
            b = c;
        }
        c = next;
        Visit(c);
        if (c.colour == m_nStartColour) ++m_nStartCount;
        if (int64_t(a.x) + b.x + c.x == sumX && int64_t(a.y) + b.y + c.y == sumY) {
            m_points.pop_back();  // repeats the start
            return;
        }
    }
}

void BoundaryWalker::ReduceFewOwnPoints() {
    const int own = m_nStartColour;
    std::vector<TracePoint> kept;
    for (const TracePoint& p : m_points) {
        if (p.colour != own) continue;
        bool seen = std::any_of(kept.begin(), kept.end(), [&](const TracePoint& k) {
            return k.x == p.x && k.y == p.y;
        });
        if (!seen) kept.push_back(p);
    }
    if (m_nStartCount == 3 && kept.size() >= 3 && Orient(kept[0], kept[1], kept[2]) < 0) {
        TracePoint second = kept[1];
        kept.erase(kept.begin() + 1);
        kept.push_back(second);
    }
    m_points.swap(kept);
}

void BoundaryWalker::ReduceToRuns() {
    m_walk.clear();
    m_vertexIndex.clear();
    if (m_nStartCount < 4) {
        ReduceFewOwnPoints();
        return;
    }
    const std::vector<TracePoint>& pts = m_points;
    const int n = int(pts.size());
    const int own = m_nStartColour;
    auto isOwn = [&](int i) { return pts[size_t(i)].colour == own; };
    // The points after anchor p run p+1 .. n-1 and then wrap to the first point, where
    // the scan stops. Index n stands for that wrapped first point.
    auto at = [&](int i) -> const TracePoint& { return pts[size_t(i == n ? 0 : i)]; };
    auto ownAt = [&](int i) { return isOwn(i == n ? 0 : i); };

    std::vector<TracePoint> kept;
    kept.reserve(size_t(n) / 4 + 4);
    int p = 0;
    while (true) {
        kept.push_back(pts[size_t(p)]);
        m_vertexIndex.push_back(p);
        if (p + 1 > n - 1) break;  // nothing after the anchor but the first point
        const TracePoint& anchor = pts[size_t(p)];
        // Other bound: the last point of the first run of other points after p.
        int o = p + 1;
        while (o <= n && ownAt(o)) ++o;
        while (o + 1 <= n && !ownAt(o + 1)) ++o;
        // Own bound: the first own point after p.
        int w = p + 1;
        while (w <= n && !ownAt(w)) ++w;
        if (o > n || w > n) break;  // no bound: the run closes the contour

        int r = p + 1;
        while (r <= n && (Orient(anchor, at(w), at(r)) >= 1 || Orient(anchor, at(o), at(r)) < 0))
            ++r;
        int end = -1;
        for (; r <= n; ++r) {
            const TracePoint& pr = at(r);
            if (!ownAt(r)) {
                if (Orient(anchor, at(o), pr) >= 0) {
                    if (Orient(anchor, at(w), pr) < 1) {
                        o = r;
                    } else {
                        end = w;
                        break;
                    }
                }
            } else if (Orient(anchor, at(w), pr) < 1) {
                if (Orient(anchor, at(o), pr) >= 0) {
                    w = r;
                } else {
                    end = o;
                    break;
                }
            }
        }
        // No end, or an end at the wrapped first point: the run closes the contour.
        if (end < 0 || end >= n) break;
        p = end;
    }
    m_walk.swap(m_points);
    m_points.swap(kept);
}
