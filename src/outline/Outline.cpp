#include "Outline.h"

#include <cstdlib>
#include <cstring>

uint16_t OutlineNodeRef::typeWord() const {
    uint16_t t;
    std::memcpy(&t, m_p, 2);
    return t;
}

OutlinePoint OutlineNodeRef::point(int k, int masters, int m) const {
    OutlinePoint pt;
    std::memcpy(&pt, m_p + 2 + 4 * (size_t(k) * size_t(masters) + size_t(m)), 4);
    return pt;
}

void OutlineNodeRef::setPoint(int k, OutlinePoint pt, int masters, int m) {
    std::memcpy(m_p + 2 + 4 * (size_t(k) * size_t(masters) + size_t(m)), &pt, 4);
}

Outline::Outline(int masters) : m_nMasters(masters < 1 ? 1 : masters) {}

Outline::Outline(const Outline& other) : m_nMasters(other.m_nMasters) {
    m_bIndex = other.m_bIndex;
    assign(other);
}

Outline& Outline::operator=(const Outline& other) {
    if (this != &other) {
        m_bIndex = other.m_bIndex;
        assign(other);
    }
    return *this;
}

Outline::~Outline() {
    if (m_bOwns) std::free(m_pBuffer);
}

bool Outline::setCapacity(size_t bytes) {
    if (bytes == 0) {
        if (m_bOwns) std::free(m_pBuffer);
        m_pBuffer = nullptr;
        m_nCapacity = 0;
        m_bOwns = true;
        return true;
    }
    uint8_t* p;
    if (m_bOwns) {
        p = static_cast<uint8_t*>(std::realloc(m_pBuffer, bytes));
    } else {
        // A borrowed buffer is copied into one of our own before it grows.
        p = static_cast<uint8_t*>(std::malloc(bytes));
        if (p && m_pBuffer) std::memcpy(p, m_pBuffer, m_nUsed < bytes ? m_nUsed : bytes);
    }
    if (!p) {
        m_nError = kAllocFailed;
        return false;
    }
    m_pBuffer = p;
    m_nCapacity = bytes;
    m_bOwns = true;
    return true;
}

bool Outline::reserve(size_t bytes) {
    if (m_nUsed + bytes <= m_nCapacity) return true;
    size_t grow = bytes > growthIncrement() ? bytes : growthIncrement();
    return setCapacity(m_nCapacity + grow);
}

OutlineNodeRef Outline::appendNode(uint16_t type, const OutlinePoint* points) {
    size_t bytes = NodeBytes(type, m_nMasters);
    if (!reserve(bytes) || m_nError != kOk) return OutlineNodeRef();
    uint8_t* p = m_pBuffer + m_nUsed;
    std::memcpy(p, &type, 2);
    if (bytes > 2) std::memcpy(p + 2, points, bytes - 2);
    if (m_bIndex) m_index.push_back(uint32_t(m_nUsed / 2));
    m_nUsed += bytes;
    ++m_nCount;
    return OutlineNodeRef(p);
}

OutlineNodeRef Outline::appendMove(OutlinePoint p) { return appendNode(kNodeMove, &p); }
OutlineNodeRef Outline::appendLine(OutlinePoint p) { return appendNode(kNodeLine, &p); }
OutlineNodeRef Outline::appendQuadOff(OutlinePoint p) { return appendNode(kNodeQuadOff, &p); }
OutlineNodeRef Outline::appendCubic(OutlinePoint end, OutlinePoint c1, OutlinePoint c2) {
    OutlinePoint pts[3] = {end, c1, c2};
    return appendNode(kNodeCubic, pts);
}

OutlineNodeRef Outline::node(int i) {
    if (!m_pBuffer) {
        m_nError = kNoBuffer;
        return OutlineNodeRef();
    }
    if (i < 0 || i >= m_nCount) {
        m_nError = kIndexOutOfRange;
        return OutlineNodeRef();
    }
    if (m_bIndex && size_t(i) < m_index.size()) return OutlineNodeRef(m_pBuffer + 2 * size_t(m_index[size_t(i)]));
    uint8_t* p = m_pBuffer;
    for (int k = 0; k < i; ++k) {
        uint16_t t;
        std::memcpy(&t, p, 2);
        p += NodeBytes(t, m_nMasters);
    }
    return OutlineNodeRef(p);
}

OutlineNodeRef Outline::nextNode(OutlineNodeRef nd) const {
    if (!nd) return OutlineNodeRef();
    uint8_t* p = nd.data() + NodeBytes(nd.typeWord(), m_nMasters);
    return p < m_pBuffer + m_nUsed ? OutlineNodeRef(p) : OutlineNodeRef();
}

int Outline::contourStart(int i) const {
    if (i >= m_nCount) i = m_nCount - 1;
    int start = 0, k = 0;
    for (OutlineNodeRef nd = firstNode(); nd && k <= i; nd = nextNode(nd), ++k)
        if (nd.kind() == kNodeMove) start = k;
    return start;
}

int Outline::contourEnd(int i) const {
    if (m_nCount == 0) return 0;
    if (i < 0) i = 0;
    int k = i + 1;
    for (OutlineNodeRef nd = nextNode(node(i)); nd; nd = nextNode(nd), ++k)
        if (nd.kind() == kNodeMove) return k - 1;
    return m_nCount - 1;
}

void Outline::clear() {
    if (m_bOwns) std::free(m_pBuffer);
    m_pBuffer = nullptr;
    m_bOwns = true;
    m_nUsed = m_nCapacity = 0;
    m_nCount = 0;
    m_index.clear();
}

void Outline::assign(const Outline& other) {
    if (this == &other) return;
    clear();
    m_nError = kOk;
    m_nMasters = other.m_nMasters;
    if (other.m_nUsed > 0) {
        if (!setCapacity(other.m_nUsed)) return;
        std::memcpy(m_pBuffer, other.m_pBuffer, other.m_nUsed);
        m_nUsed = other.m_nUsed;
        m_nCount = other.m_nCount;
    }
    if (m_bIndex) rebuildIndex();
}

void Outline::adopt(Outline& other) {
    if (this == &other) return;
    clear();
    m_nMasters = other.m_nMasters;
    m_pBuffer = other.m_pBuffer;
    m_nUsed = other.m_nUsed;
    m_nCapacity = other.m_nCapacity;
    m_nCount = other.m_nCount;
    m_bOwns = other.m_bOwns;
    m_nError = other.m_nError;
    other.m_pBuffer = nullptr;
    other.m_nUsed = other.m_nCapacity = 0;
    other.m_nCount = 0;
    other.m_bOwns = true;
    other.m_index.clear();
    other.m_bIndex = false;
    if (m_bIndex) rebuildIndex();
}

void Outline::trim(bool roundToIncrement) {
    if (m_nUsed == 0) {
        setCapacity(0);
        return;
    }
    size_t target = m_nUsed;
    if (roundToIncrement) {
        size_t inc = growthIncrement();
        target = (target + inc - 1) / inc * inc;
    }
    if (target != m_nCapacity) setCapacity(target);
}

void Outline::offsetPoints(int master, int from, int to, OutlinePoint delta) {
    if (from < 0) from = 0;
    if (to >= m_nCount) to = m_nCount - 1;
    if (from > to) return;
    OutlineNodeRef nd = node(from);
    for (int i = from; i <= to && nd; ++i, nd = nextNode(nd)) {
        for (int k = 0; k < nd.pointCount(); ++k) {
            for (int m = 0; m < m_nMasters; ++m) {
                if (master != -1 && m != master) continue;
                OutlinePoint p = nd.point(k, m_nMasters, m);
                p.x = int16_t(p.x + delta.x);
                p.y = int16_t(p.y + delta.y);
                nd.setPoint(k, p, m_nMasters, m);
            }
        }
    }
}

void Outline::enableIndex(bool on) {
    m_bIndex = on;
    if (on) {
        rebuildIndex();
    } else {
        m_index.clear();
    }
}

void Outline::rebuildIndex() {
    m_index.clear();
    m_index.reserve(size_t(m_nCount));
    size_t off = 0;
    for (int k = 0; k < m_nCount; ++k) {
        m_index.push_back(uint32_t(off / 2));
        uint16_t t;
        std::memcpy(&t, m_pBuffer + off, 2);
        off += NodeBytes(t, m_nMasters);
    }
}

namespace {

// One point of a contour in drawing order, with the role it plays.
enum class Role { On, Off, Control };
struct ContourPoint {
    Role role;
    uint16_t flags;                  // type-word flags of the node an on-curve point ends
    std::vector<OutlinePoint> pts;   // one per master
};

}  // namespace

void Outline::reverseContours() {
    if (m_nCount == 0) return;
    Outline result(m_nMasters);
    result.m_bIndex = false;
    if (!result.reserve(m_nUsed)) {
        m_nError = kAllocFailed;
        return;
    }
    const int masters = m_nMasters;
    auto pointsOf = [masters](const OutlineNodeRef& nd, int k) {
        std::vector<OutlinePoint> v(static_cast<size_t>(masters));
        for (int m = 0; m < masters; ++m) v[size_t(m)] = nd.point(k, masters, m);
        return v;
    };
    std::vector<ContourPoint> seq;
    std::vector<OutlinePoint> buf;
    auto emit = [&](uint16_t type, const std::vector<const ContourPoint*>& pts) {
        buf.clear();
        for (const ContourPoint* cp : pts) buf.insert(buf.end(), cp->pts.begin(), cp->pts.end());
        result.appendNode(type, buf.data());
    };

    OutlineNodeRef nd = firstNode();
    while (nd) {
        // Flatten one contour (up to the next move) into its points in drawing order.
        seq.clear();
        bool first = true;
        for (; nd && (first || nd.kind() != kNodeMove); nd = nextNode(nd), first = false) {
            uint16_t flags = nd.typeWord() & 0xFF00;
            switch (nd.kind()) {
                case kNodeCubic:
                    seq.push_back({Role::Control, 0, pointsOf(nd, 1)});
                    seq.push_back({Role::Control, 0, pointsOf(nd, 2)});
                    seq.push_back({Role::On, flags, pointsOf(nd, 0)});
                    break;
                case kNodeQuadOff:
                    seq.push_back({Role::Off, flags, pointsOf(nd, 0)});
                    break;
                default:  // move and line
                    seq.push_back({Role::On, flags, pointsOf(nd, 0)});
                    break;
            }
        }
        // The reversed contour starts at the last on-curve point and walks the points
        // backwards around the closed path; an off-curve run after that point (closing
        // the contour) comes last, so it still sits between the same two on-curve points.
        size_t last = 0;
        for (size_t k = 0; k < seq.size(); ++k)
            if (seq[k].role == Role::On) last = k;
        std::vector<const ContourPoint*> order;
        order.reserve(seq.size());
        for (size_t k = last + 1; k-- > 0;) order.push_back(&seq[k]);
        for (size_t k = seq.size(); k-- > last + 1;) order.push_back(&seq[k]);

        emit(uint16_t(kNodeMove | order[0]->flags), {order[0]});
        std::vector<const ContourPoint*> controls;
        for (size_t k = 1; k < order.size(); ++k) {
            const ContourPoint* cp = order[k];
            if (cp->role == Role::Control) {
                controls.push_back(cp);
            } else if (cp->role == Role::Off) {
                emit(kNodeQuadOff, {cp});
            } else if (controls.size() == 2) {
                // The old second control is the new first one.
                emit(uint16_t(kNodeCubic | cp->flags), {cp, controls[0], controls[1]});
                controls.clear();
            } else {
                emit(uint16_t(kNodeLine | cp->flags), {cp});
                controls.clear();
            }
        }
    }
    if (result.m_nError != kOk) {
        m_nError = result.m_nError;
        return;
    }
    bool index = m_bIndex;
    adopt(result);
    m_bIndex = index;
    if (m_bIndex) rebuildIndex();
}
