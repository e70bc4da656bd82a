// Reads an uncompressed 1-bit Windows bitmap file (file header plus an info header of
// at least 40 bytes). Bit 0 is ink whatever the colour table says.
#pragma once

#include "ImageFile.h"
#include "MonoBitmap.h"
#include "Progress.h"

// Reads the picture of an opened file into out; raises the code of a failure.
void ReadBmp(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);
