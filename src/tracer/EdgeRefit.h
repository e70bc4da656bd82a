// A last pass for faithful tracing: each fitted cubic keeps its ends and the directions
// of its handles, and takes the handle lengths that bring it nearest, in least squares,
// to the ink's own edge: the midpoints of the pixel edges between ink and paper that its
// stretch of the boundary crosses. The earlier stages fit to the polygon, whose vertices
// stand off a curved edge; this pass takes that bias out at no cost in segments.
#pragma once

#include <vector>

#include "EdgePlacement.h"
#include "TraceTypes.h"

// contour: the nodes of one closed contour in walk order (start mark first, controls
// marked, the last repeating the first point), on-curve nodes marked with their place in
// the walk where known. Rewrites the controls of a cubic whose ends both have a place,
// unless the new controls would not follow the edge more closely. Linear in the sizes
// of both.
void RefitToEdges(std::vector<FitNode>& contour, const EdgePoints& edge);
