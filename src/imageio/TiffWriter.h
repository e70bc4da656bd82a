// Writes a 1-bit picture as an uncompressed TIFF (BlackIsZero, strips of 64 rows), the
// form every reader takes. The file appears whole or not at all.
#pragma once

#include <string>

#include "MonoBitmap.h"

bool WriteTiffFile(const std::string& path, const MonoBitmap& image);
