// The bitmap tracer: turns a 1-bit picture into closed outline contours.
//
// One entry operation, `trace`, runs four stages: contour search and boundary walk on
// the pixel lattice, reduction of each boundary to maximal digital straight runs,
// polygon clean-up with curve fitting, and emission into a new `Outline`.
#pragma once

#include <memory>

#include "MonoBitmap.h"
#include "Outline.h"
#include "Progress.h"
#include "TraceTypes.h"

struct TraceParams {
    // Scan step in pixels; also the distance threshold of the fitter.
    int step = 1;
    // Largest allowed distance between a fitted curve and the polygon points it replaces.
    float fitTolerance = 1.0f;
    // Positive: their mean distance from the curve must stay within this too, so that a
    // curve may pass a lone ragged bump of the edge without following it.
    float fitMeanTolerance = 0.0f;
    // Bends shallower than this many degrees between diagonal edges are straightened.
    int straightenAngle = 3;
    int curveMode = kTraceCubic;
    // Nonzero: horizontal and vertical extremes become on-curve points.
    int extremePoints = 1;
    // Straightening deletes a vertex only while the points merged into the new edge stay
    // within the fit tolerance of it (true), or whenever the bend test says so (false);
    // see ContourCleanup for why the bound is the default.
    bool boundedDrift = true;
    // Polygon vertices on the edge between ink and paper (see EdgePlacement.h) instead
    // of on pixel centres; curves are then judged near the vertices alone, and dots and
    // two-pixel specks get pixel-sized shapes. Meant with the settings FaithfulTracing
    // gives.
    bool edgePlacement = false;
    // Ink pixels touching only at a corner are joined before the walk (DiagonalJoin.h).
    bool joinDiagonals = false;
    // Positive: after fitting, runs of lines and curves that meet at less than a right
    // angle become one cubic wherever it stays within this many pixels of them (see
    // CurveMerging.h). Meant for faithful tracing too.
    float mergeTolerance = 0.0f;
    // Positive: the merged cubic's mean distance from them must stay within this too.
    // With edge placement, both are measured against the ink's edge itself.
    float mergeMeanTolerance = 0.0f;
    // After merging, each cubic takes the handle lengths that bring it nearest to the
    // ink's edge itself (see EdgeRefit.h). Needs edge placement and cubic curves.
    bool refitToEdges = false;
    // Factor applied to tracer coordinates when the outline is written.
    float outputScale = 1.0f;
    // Polled once per contour with (0, 0); a nonzero answer ends the trace with it.
    ProgressFn progress;
    // Receives the new outline (one master) on success; untouched on failure.
    std::unique_ptr<Outline> result;
    // The picture to trace: 0 bits are ink, 1 bits and everything outside are paper.
    const MonoBitmap* image = nullptr;
};

// Settings for the faithful tracing of a width x height picture: ink touching at corners
// joined, vertices on the ink's edge, no straightening, curves fitted within 0.75 pixel
// of the polygon and 0.2 pixel of it on average, runs merged where one cubic stays
// within a pixel of the ink's edge and a quarter pixel of it on average, handles
// refitted to the ink's edge, no forced extreme points, and coordinates in quarter
// pixels (halves or whole pixels when the picture is too large for the outline's range),
// so the outline's units per pixel are params.outputScale afterwards. The other fields
// are left as they are.
void FaithfulTracing(TraceParams& params, int width, int height);

// Traces params->image into params->result. Returns 0 on success (also for a null block
// or image, in which case nothing is written), 2005 when memory ran out, 5000 when a
// scaled coordinate reaches 10000 in magnitude, or the nonzero answer of `progress`.
int trace(TraceParams* params);
