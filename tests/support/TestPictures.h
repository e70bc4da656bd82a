// Pictures for tests, and a plain writer for them.
#pragma once

#include <string>

#include "MonoImage.h"

// Writes img as a 1-bit BMP (palette 0 black, 1 white, bottom row first); false when the
// file cannot be written.
bool WriteTestBmp(const std::string& path, const MonoImage& img);

// Writes img as an uncompressed 1-bit TIFF (BlackIsZero, strips of rowsPerStrip rows);
// false when the file cannot be written.
bool WriteTestTiff(const std::string& path, const MonoImage& img, int32_t rowsPerStrip = 64);

// A ring of ink (outer radius 0.4, inner 0.2 of size) centred on a size x size page.
MonoImage RingPicture(int32_t size);
