// Contour search, boundary walk and straight-run reduction on the pixel lattice.
//
// Pixels are addressed as (x, y) with y counted upward from the bottom row; pixel (x, y)
// is stored in row height - 1 - y. Reads outside the picture yield paper, so shapes that
// touch the border are closed by it.
#pragma once

#include <cstdint>
#include <vector>

#include "MonoBitmap.h"
#include "TraceTypes.h"

// The visited mask: one bit per pixel, set once a walk has passed the pixel. Shares the
// picture's layout so a row is addressed the same way.
class VisitedMask : public MonoBitmap {
public:
    // A cleared mask of the given size; raises 2005 when it cannot be had.
    void CreateCleared(int32_t w, int32_t h);
    bool IsVisited(int x, int y) const {
        if (unsigned(x) >= unsigned(width) || unsigned(y) >= unsigned(height)) return true;
        return (Row(height - 1 - y)[x >> 3] & (0x80 >> (x & 7))) != 0;
    }
    void Mark(int x, int y) {
        if (unsigned(x) >= unsigned(width) || unsigned(y) >= unsigned(height)) return;
        Row(height - 1 - y)[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
};

class BoundaryWalker {
public:
    // image must outlive the walker and have a buffer; step below 1 counts as 1.
    BoundaryWalker(const MonoBitmap& image, int step);

    // Row scan: finds the start of the next contour not yet walked. False when the
    // picture holds no more.
    bool FindNextStart(TracePoint& start);
    // Walks the boundary from start, keeping the start colour on its right, and fills
    // Points() with every lattice point passed (the start first).
    void Walk(const TracePoint& start);
    // Reduces Points() to the polygon of maximal digital straight runs.
    void ReduceToRuns();

    std::vector<TracePoint>& Points() { return m_points; }
    // After ReduceToRuns: the walked boundary, and where in it each polygon vertex was
    // taken from (empty when the contour was too small for straight runs).
    const std::vector<TracePoint>& Walked() const { return m_walk; }
    const std::vector<int>& VertexIndices() const { return m_vertexIndex; }
    int StartColour() const { return m_nStartColour; }
    int StartColourCount() const { return m_nStartCount; }

    // 0 (ink) or 1 (paper) at lattice point (x, y).
    int Pixel(int x, int y) const {
        if (unsigned(x) >= unsigned(m_nWidth) || unsigned(y) >= unsigned(m_nHeight)) return 1;
        return (m_image.Row(m_nHeight - 1 - y)[x >> 3] >> (7 - (x & 7))) & 1;
    }

private:
    TracePoint MakePoint(int x, int y) const { return {x, y, Pixel(x, y) == 0 ? 1 : 0}; }
    void Visit(const TracePoint& p) {
        m_points.push_back(p);
        m_mask.Mark(p.x, p.y);
    }
    // First x >= from on row y whose pixel equals value; the width when there is none.
    int FindInRow(int from, int y, int value) const;
    void ReduceFewOwnPoints();

    const MonoBitmap& m_image;
    int m_nWidth;
    int m_nHeight;
    int m_nStep;
    VisitedMask m_mask;

    // Row scan state.
    int m_nScanX = 0;
    int m_nScanY = 0;
    int m_nSought = 0;

    int m_nStartColour = 0;
    int m_nStartCount = 0;
    std::vector<TracePoint> m_points;
    std::vector<TracePoint> m_walk;
    std::vector<int> m_vertexIndex;
};
