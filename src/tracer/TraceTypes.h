// Working types of the tracer: walked lattice points, polygon vertices and edges, and
// fitted output nodes, held in index-linked lists so that deleting or inserting in the
// middle is cheap and references stay valid while the list changes.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// Curve modes of the tracer; any other value is taken as lines only.
enum TraceCurveMode { kTraceLines = 0, kTraceQuadratic = 2, kTraceCubic = 3 };

struct TracePoint {
    int x = 0;
    int y = 0;
    int colour = 0;  // 1 for an ink pixel, 0 for paper
};

// Kinds of vertices, segments and output nodes.
enum TraceKind : int {
    kKindOther = 0,
    kKindStart = 1,
    kKindCorner = 2,
    kKindSmooth = 3,      // for segments: inflection
    kKindPlain = 4,
    kKindStraight = 5,    // segments only
    kKindControl = 14,    // output nodes only
    kKindMaxY = 41,
    kKindMaxX = 42,
    kKindMinY = 43,
    kKindMinX = 44,
};

inline bool IsExtremeKind(int kind) { return kind >= kKindMaxY && kind <= kKindMinX; }

struct Vec2 {
    double x = 0;
    double y = 0;
    Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
    Vec2 operator*(double f) const { return {x * f, y * f}; }
    double Dot(Vec2 o) const { return x * o.x + y * o.y; }
    double Length() const { return std::sqrt(x * x + y * y); }
};

struct TraceVertex {
    float x = 0;
    float y = 0;
    int kind = kKindOther;
    int colour = 0;
    // How far vertices removed from the edge to the next vertex lay from it, at most.
    float drift = 0;
    // Where in the walked boundary the vertex was taken from; -1 when unknown.
    int source = -1;
    Vec2 Pos() const { return {x, y}; }
    void SetPos(Vec2 p) {
        x = float(p.x);
        y = float(p.y);
    }
};

struct TraceSegment {
    int start = 0;  // vertex ids
    int end = 0;
    double length = 0;
    int kind = kKindOther;
    Vec2 h0;  // start handle, relative to the start vertex
    Vec2 h1;  // end handle, relative to the end vertex
};

struct FitNode {
    float x = 0;
    float y = 0;
    int kind = kKindPlain;
    // For an on-curve node from a polygon vertex, the vertex's place in the walked
    // boundary; -1 otherwise.
    int source = -1;
};

// A doubly linked list over a pool; id 0 is the sentinel. Ids of erased items are not
// reused until Clear, so ids held elsewhere never alias a newer item.
template <class T>
class LinkedPool {
public:
    LinkedPool() { Clear(); }

    void Clear() {
        m_items.clear();
        m_items.push_back(Item{T{}, 0, 0});
        m_nCount = 0;
    }
    int Count() const { return m_nCount; }
    bool Empty() const { return m_nCount == 0; }

    T& operator[](int id) { return m_items[size_t(id)].value; }
    const T& operator[](int id) const { return m_items[size_t(id)].value; }

    // First and last items, 0 when empty.
    int First() const { return m_items[0].next; }
    int Last() const { return m_items[0].prev; }
    // Linear neighbours: 0 past either end.
    int Next(int id) const { return m_items[size_t(id)].next; }
    int Prev(int id) const { return m_items[size_t(id)].prev; }
    // Cyclic neighbours, skipping the sentinel.
    int CyclicNext(int id) const {
        int n = Next(id);
        return n ? n : First();
    }
    int CyclicPrev(int id) const {
        int p = Prev(id);
        return p ? p : Last();
    }

    int PushBack(const T& value) { return InsertAfter(Last(), value); }
    // Inserts after id (0: at the front) and returns the new id.
    int InsertAfter(int id, const T& value) {
        int next = m_items[size_t(id)].next;
        m_items.push_back(Item{value, id, next});
        int nid = int(m_items.size() - 1);
        m_items[size_t(id)].next = nid;
        m_items[size_t(next)].prev = nid;
        ++m_nCount;
        return nid;
    }
    void Erase(int id) {
        Item& it = m_items[size_t(id)];
        m_items[size_t(it.prev)].next = it.next;
        m_items[size_t(it.next)].prev = it.prev;
        it.next = it.prev = -1;
        --m_nCount;
    }
    bool Alive(int id) const { return id > 0 && m_items[size_t(id)].next >= 0; }
    // Moves the first item to the end, keeping its id.
    void RotateLeft() {
        if (m_nCount < 2) return;
        int first = First();
        Item& it = m_items[size_t(first)];
        m_items[0].next = it.next;
        m_items[size_t(it.next)].prev = 0;
        int last = Last();
        it.prev = last;
        it.next = 0;
        m_items[size_t(last)].next = first;
        m_items[0].prev = first;
    }
    void Reserve(size_t n) { m_items.reserve(n + 1); }

private:
    struct Item {
        T value;
        int prev;
        int next;
    };
    std::vector<Item> m_items;
    int m_nCount = 0;
};
