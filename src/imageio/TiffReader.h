// Reads the first picture of a TIFF file: 1 bit per sample, uncompressed, PackBits, LZW
// or CCITT modified Huffman, in strips or tiles.
#pragma once

#include "Binarize.h"
#include "ImageFile.h"
#include "MonoBitmap.h"
#include "Progress.h"

// Reads the picture of an opened file into out; raises the code of a failure.
void ReadTiff(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);

// Reads a grey or colour TIFF picture (8 or 16 bits per sample; grey, RGB or palette,
// with or without alpha, which is composited over white) from the start of the file into
// grey, turned upright. More than kMaxPhotoPixels pixels are refused (1032) before
// anything is allocated for them. Raises the code of a failure.
void ReadTiffGrey(ImageFile& file, const ProgressFn& progress, GreyImage& grey);
