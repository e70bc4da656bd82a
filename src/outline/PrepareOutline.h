// Moving an outline to the origin, for drawings and tracings alike.
#pragma once

#include "Outline.h"

// Moves the outline so that its lowest x and y (the exact extent of its curves, not
// their control points) become 0. False, and the outline unchanged, when a point would
// leave the 16-bit range.
bool PrepareOutline(Outline& outline);

// True when PrepareOutline can move the outline without a point leaving the 16-bit range.
bool OutlineFitsAtOrigin(const Outline& outline);
