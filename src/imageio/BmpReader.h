// Reads an uncompressed 1-bit Windows bitmap file (file header plus an info header of
// at least 40 bytes). Bit 0 is ink whatever the colour table says.
#pragma once

#include "Binarize.h"
#include "ImageFile.h"
#include "MonoBitmap.h"
#include "Progress.h"

// Reads the picture of an opened file into out; raises the code of a failure.
void ReadBmp(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);

// Reads a grey or colour bitmap from the start of the file into grey: 4 or 8 bits per
// pixel with a colour table, or 24 or 32 bits, uncompressed, bottom-up or top-down. More
// than kMaxPhotoPixels pixels are refused (1032) before anything is allocated for them.
void ReadBmpGrey(ImageFile& file, const ProgressFn& progress, GreyImage& grey);
