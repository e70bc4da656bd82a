// Joins ink that touches only at a pixel corner.
//
// The boundary walk moves between lattice triangles whose diagonals all lean the same
// way, so ink pixels that meet corner to corner across the other diagonal (one at the
// upper left, one at the lower right, paper at the other two) come out as separate
// contours: a thin pen stroke breaks into many pieces, each with its own rounded ends,
// which costs segments and fidelity. Inking the upper right pixel of every such square
// joins them the way the eye reads the stroke.
#pragma once

#include "MonoBitmap.h"

// out becomes a copy of in (whose buffer it must not share) with those squares joined.
// Linear in the picture, a byte at a time. Raises 2005 when the copy cannot be had.
void JoinDiagonalInk(const MonoBitmap& in, MonoBitmap& out);
