// Reads the first picture of a TIFF file: 1 bit per sample, uncompressed, PackBits, LZW
// or CCITT modified Huffman, in strips or tiles.
#pragma once

#include "ImageFile.h"
#include "MonoBitmap.h"
#include "Progress.h"

// Reads the picture of an opened file into out; raises the code of a failure.
void ReadTiff(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);
