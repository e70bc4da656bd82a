// PostScript glyph names: the standard Macintosh list of 258 names, and the text of a
// glyph's name object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "TTGLYPH.h"

namespace GlyphNames {
constexpr uint16_t kStandardCount = 258;
constexpr uint16_t kOwnText = 65535;

// The standard name of index, nullptr at or above kStandardCount.
const char* standardName(uint16_t index);
// The standard index of a name, -1 when the list does not have it.
int standardIndex(std::string_view name);
// The name's own text if it has one (not empty), else the standard name of its index, else ".notdef".
std::string text(const GlyphName& name);
// A name with a text of its own.
GlyphName own(std::string text);
// A name by standard index.
GlyphName standard(uint16_t index);
}  // namespace GlyphNames
