// The paper's own brightness under a picture of ink, and the picture with it taken out.
// Light falling off across the page, a shadow with a hard edge, a tinted sheet: all
// change the paper and the ink under them alike, so dividing by the paper leaves ink
// that one level separates.
#pragma once

#include <cstdint>

#include "GreyImage.h"

// The paper under each pixel: a grey closing (the largest value in a square window
// centred on the pixel, then the smallest of those) with a window of the given odd
// width. Dark features narrower than the window (strokes) are filled with the paper
// around them; a step in the paper's brightness (a shadow's edge) is kept where it is.
// Costs a few operations per pixel whatever the window; needs no more than the
// background itself and a band of the picture's height.
void EstimatePaper(const GreyImage& grey, int32_t window, GreyImage& background);

// background becomes grey * paper / background (at most 255): the picture on an even
// sheet of the given brightness.
void FlattenByPaper(const GreyImage& grey, uint8_t paper, GreyImage& background);
