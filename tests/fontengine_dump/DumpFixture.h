// A small font built by the engine itself, written and read back, so that its listings
// are exact; and helpers that catch a listing in a string.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TTF.h"

using Bytes = std::vector<uint8_t>;

// The bytes of the small font: four glyphs (.notdef square, empty space, an "A" of two
// contours with off-curve points, a composite of the square moved and scaled), a
// Unicode character map, names, hinting tables and gasp; dated at a fixed time.
Bytes SmallFontBytes();

// Reads bytes into font; answers the font's error. The stream must outlive the font's
// use, since glyphs are decoded on demand.
int ReadFont(TTF& font, TTMemoryStream& in);

// The plain listing and the structured dump as text.
std::string PlainListing(TTObject& object);
std::string StructuredDump(TTObject& object);

// The text of a file under the source tree, and the writing of an actual listing
// beside the test for review when it differs from the expected one.
std::string ReadSourceFile(const std::string& relative);
void KeepActual(const std::string& name, const std::string& text);
