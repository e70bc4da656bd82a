// Fewer segments for a fitted contour: runs of consecutive lines and curves that meet
// without a sharp turn are replaced by one cubic wherever a cubic follows all of them
// within a tolerance. A cubic may bend both ways, so a run may hold an inflection. Both
// ends keep their tangents, so the joins with the neighbouring segments stay as smooth
// as they were.
#pragma once

#include <vector>

#include "EdgePlacement.h"
#include "TraceTypes.h"

struct CurveMergeSettings {
    // Largest distance, in pixels, between the new cubic and any point of the run.
    double tolerance = 0.2;
    // Positive: the mean distance over the run's points must stay within this too.
    double meanTolerance = 0.0;
    // Judge runs against the ink's edge points where they are given (see MergeCurves).
    bool onEdge = false;
    // A join inside a run must turn less than the angle of this cosine (0: a right
    // angle); a sharper join is a corner and ends the run.
    double joinCosine = 0.0;
    // The longest run one cubic may replace, so that the work stays linear.
    int maxRun = 24;
};

// contour: the nodes of one closed contour (start mark first, controls marked, the last
// repeating the first point), rewritten in place with merged runs. The start point stays.
// With edge, the new cubics are judged against the ink's edge points rather than the
// fitted segments, where every on-curve node knows its place in the walk.
void MergeCurves(std::vector<FitNode>& contour, const CurveMergeSettings& settings, const EdgePoints* edge = nullptr);
