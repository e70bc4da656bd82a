// PostScript glyph names of the code page 1252 positions 0x20 to 0xFF.
#pragma once

#include <cstdint>

// The standard name of a position, or nullptr for a position without one (and for every
// code outside 0x20..0xFF).
const char* AnsiGlyphName(uint32_t code);
