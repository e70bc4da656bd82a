// Pictures for tests, and a plain writer for them.
#pragma once

#include <string>

#include "MonoImage.h"

// Writes img as a 1-bit BMP (palette 0 black, 1 white, bottom row first); false when the
// file cannot be written.
bool WriteTestBmp(const std::string& path, const MonoImage& img);

// A ring of ink (outer radius 0.4, inner 0.2 of size) centred on a size x size page.
MonoImage RingPicture(int32_t size);
