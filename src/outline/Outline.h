// The one outline format of the program: a growable byte buffer of nodes.
//
// Each node is a 16-bit type word followed by its points. The low byte of the type is
// the node kind, whose low 4 bits are the point count n; the high byte holds flags
// (0x1000 marks a smooth point). Each point is, per master, x and y as signed 16-bit
// values in native byte order. Contours start with a move node and are closed: the way
// back from the last node to the move point is implied. Coordinates are y up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum OutlineNodeKind : uint16_t {
    kNodeMove = 0x11,
    kNodeLine = 0x01,
    kNodeCubic = 0x23,      // points: end (on-curve), first control, second control
    kNodeQuadOff = 0x41,    // quadratic off-curve point
};
constexpr uint16_t kNodeSmoothFlag = 0x1000;

struct OutlinePoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const OutlinePoint&) const = default;
};

// Read and write access to one node in the buffer (which may be unaligned).
class OutlineNodeRef {
public:
    explicit OutlineNodeRef(uint8_t* p = nullptr) : m_p(p) {}
    explicit operator bool() const { return m_p != nullptr; }
    uint8_t* data() const { return m_p; }

    uint16_t typeWord() const;
    uint16_t kind() const { return typeWord() & 0xFF; }
    int pointCount() const { return kind() & 0x0F; }
    // Point k (0-based) of master m, for an outline with `masters` masters.
    OutlinePoint point(int k, int masters = 1, int m = 0) const;
    void setPoint(int k, OutlinePoint pt, int masters = 1, int m = 0);

private:
    uint8_t* m_p;
};

class Outline {
public:
    enum Error { kOk = 0, kIndexOutOfRange = 1, kNoBuffer = 2, kAllocFailed = 3 };

    explicit Outline(int masters = 1);
    Outline(const Outline& other);
    Outline& operator=(const Outline& other);
    virtual ~Outline();

    // Bytes one node of a kind occupies.
    static size_t NodeBytes(uint16_t type, int masters) {
        return 2 + 4 * size_t(type & 0x0F) * size_t(masters);
    }

    // Makes room for bytes more; false (error 3) when it cannot.
    bool reserve(size_t bytes);
    // Appends a node whose points are n x masters values, point-major; returns it, or a
    // null reference when the outline is in an error state.
    OutlineNodeRef appendNode(uint16_t type, const OutlinePoint* points);
    // Convenience for one-master outlines.
    OutlineNodeRef appendMove(OutlinePoint p);
    OutlineNodeRef appendLine(OutlinePoint p);
    OutlineNodeRef appendCubic(OutlinePoint end, OutlinePoint c1, OutlinePoint c2);
    OutlineNodeRef appendQuadOff(OutlinePoint p);

    // The i-th node; null with error 2 (no buffer) or 1 (i out of range).
    OutlineNodeRef node(int i);
    OutlineNodeRef node(int i) const { return const_cast<Outline*>(this)->node(i); }

    // The node after nd in the buffer, or a null reference after the last one. Walking
    // with it visits every node once, whether or not the index is enabled.
    OutlineNodeRef nextNode(OutlineNodeRef nd) const;
    OutlineNodeRef firstNode() const { return m_nCount > 0 ? OutlineNodeRef(m_pBuffer) : OutlineNodeRef(); }

    // Nearest move node at or before i (0 if none).
    int contourStart(int i) const;
    // Last node before the next move after i, or the last node.
    int contourEnd(int i) const;

    void clear();
    void assign(const Outline& other);
    // Takes over other's buffer and counts; other becomes empty.
    void adopt(Outline& other);
    // Shrinks the capacity to the used length (rounded up to the growth increment when
    // asked); an empty outline frees its buffer.
    void trim(bool roundToIncrement);
    // Adds delta to every point of nodes from..to (inclusive) of one master, or of all
    // masters when master is -1.
    void offsetPoints(int master, int from, int to, OutlinePoint delta);
    // Reverses the direction of every contour; the node count stays.
    void reverseContours();

    // The optional node-offset index makes node(i) constant-time.
    void enableIndex(bool on);
    bool indexEnabled() const { return m_bIndex; }

    int masters() const { return m_nMasters; }
    int nodeCount() const { return m_nCount; }
    int error() const { return m_nError; }
    void clearError() { m_nError = kOk; }
    size_t usedBytes() const { return m_nUsed; }
    size_t capacity() const { return m_nCapacity; }
    size_t growthIncrement() const { return size_t(m_nMasters) * 32 + 8; }
    const uint8_t* buffer() const { return m_pBuffer; }
    bool ownsBuffer() const { return m_bOwns; }

private:
    void rebuildIndex();
    bool setCapacity(size_t bytes);

    int m_nMasters;
    int m_nCount = 0;
    int m_nError = kOk;
    uint8_t* m_pBuffer = nullptr;
    size_t m_nUsed = 0;
    size_t m_nCapacity = 0;
    bool m_bOwns = true;
    bool m_bIndex = false;
    // Offsets of each node from the buffer start in 16-bit words. 32-bit so that a large
    // outline never wraps.
    std::vector<uint32_t> m_index;
};
