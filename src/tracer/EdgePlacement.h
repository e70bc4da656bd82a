// Places the polygon vertices of a walked boundary on the edge between ink and paper.
//
// The straight-run reduction keeps lattice points, which are pixel centres: half a pixel
// inside the ink or half a pixel outside it. Here each straight run is replaced by the
// least-squares line through the midpoints of the pixel edges it crosses, and each vertex
// moves to where the lines of its two runs meet, so that a thin stroke keeps its width
// and a gentle curve its course.
#pragma once

#include <vector>

#include "TraceTypes.h"

struct EdgePoints {
    // The midpoints of the pixel edges between walked lattice points of different
    // colour, in walk order.
    std::vector<Vec2> mids;
    // first[j]: how many of them come from walk positions before j (one entry a walked
    // point, and one more for the whole walk).
    std::vector<int> first;
};

// Fills edge from the walked boundary; the walk passes each pair of lattice neighbours
// of different colour within two points of each other. Linear in the walk's length.
void FindEdgePoints(const std::vector<TracePoint>& walk, int step, EdgePoints& edge);

// Appends the edge points with indices from `from` up to `to` (cyclic, `to` left out) to
// points, each two taken as their middle: that keeps a staircase's horizontal and
// vertical steps in balance at half the points.
void AppendPairedEdgePoints(const EdgePoints& edge, size_t from, size_t to, std::vector<Vec2>& points);

// walk: the boundary as walked; index[i]: the position in walk of polygon vertex i, in
// increasing order from index[0] = 0; edge: the walk's edge points. Linear in the walk's
// length. Returns one position per vertex, each within `step` (each way) of its lattice
// point.
std::vector<Vec2> PlaceOnEdges(const std::vector<TracePoint>& walk, const std::vector<int>& index,
                               const EdgePoints& edge, int step);
