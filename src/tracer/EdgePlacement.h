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

// walk: the boundary as walked; index[i]: the position in walk of polygon vertex i, in
// increasing order from index[0] = 0. Linear in the walk's length. Returns one position per vertex, each within `step` (each way) of
// its lattice point.
std::vector<Vec2> PlaceOnEdges(const std::vector<TracePoint>& walk, const std::vector<int>& index, int step);
