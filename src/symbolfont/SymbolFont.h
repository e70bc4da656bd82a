// A new font made from an installed one with the user's symbol as one more glyph.
#pragma once

#include <cstdint>

#include "GlyphOutline.h"
#include "Progress.h"

// Results besides 0 (success), -1 (an argument is missing), an errno value (a file
// cannot be opened or created) and the font's own error codes (1 to 9).
namespace SymbolFontError {
constexpr int kMissingArgument = -1;
constexpr int kNoCharacterMap = 101;  // no character map can take the code
constexpr int kCancelled = 102;       // the user stopped at the midpoint
constexpr int kTooLarge = 103;        // the symbol leaves the font's coordinate range
constexpr int kBadEm = 104;           // the font's units per em are outside 16..16384
constexpr int kTooComplex = 105;      // more contours or points than a glyph may hold
constexpr int kFontFull = 106;        // the font already has 65535 glyphs
}  // namespace SymbolFontError

// What a build did beyond the symbol itself, for the user to hear of.
struct SymbolFontNotes {
    // The Graphite tables (Silf, Glat, Gloc, Feat, Sill) were left out: their glyph
    // numbering (pseudo-glyphs after the real ones) cannot take a new glyph. OpenType's
    // own layout tables still shape the text.
    bool droppedGraphite = false;
    // When the build failed in writing the output (creating it, writing or moving it into
    // place), the errno value of that failure; 0 otherwise.
    int outputError = 0;
};

// Reads the TrueType font input, appends glyph (placed in a 2048-unit em) scaled to the
// font's em as a new glyph, points code at it in every character map that can take it,
// adds suffix to the family names (none when null or empty) and writes the result to
// output. The result is written to a new file beside output and moved into place only
// when everything succeeded, so a failure or cancellation leaves output as it was (and
// output may even name input). progress gets the range 0..100 and positions 50 and 100;
// a nonzero answer at 50 cancels. From a collection (.ttc), face is the face to extend;
// the result is a font file of that face alone. notes, when given, tells what else changed.
int buildSymbolFont(const char* input, const char* output, const char* suffix, uint16_t code,
                    const GlyphOutline* glyph, const ProgressFn& progress, uint32_t face = 0,
                    SymbolFontNotes* notes = nullptr);
