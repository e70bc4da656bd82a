// Character codes in the encoding of a character map subtable. A subtable that is not
// Unicode numbers its characters by its own encoding: the same Unicode value written
// into it unchanged would name another character there.
#pragma once

#include <cstdint>
#include <optional>

// The code of a Unicode character in the encoding of a subtable with this platform and
// encoding ID; none when that encoding has no code for the character or is one the
// engine cannot translate into. Microsoft Symbol (3, 0) follows its own rule in the
// character map table and is not handled here.
std::optional<uint32_t> CodeInEncoding(uint16_t platformID, uint16_t encodingID, uint32_t unicode);

// Macintosh Roman bytes 0x80..0xFF to Unicode; bytes below 0x80 are ASCII.
extern const uint16_t MacRomanToUnicode[128];
