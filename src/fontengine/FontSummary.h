// The engine's front door for the rest of the program: what it asks of a font file
// without holding the font. Everything else about fonts goes through the symbol build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "TTError.h"

struct FontSummary {
    std::u16string fullName;    // name ID 4 of the Windows records; empty when missing
    std::u16string familyName;  // name ID 1
    bool hasCodePageRanges = false;  // OS/2 of version 1 or later
    uint32_t codePageRange[2] = {0, 0};
    uint32_t glyphCount = 0;
    uint16_t unitsPerEm = 0;
    uint32_t faceCount = 1;  // the faces of a collection (.ttc); 1 for a single font
};

// Reads the directory, head, maxp, name and OS/2 of a font file (of its face number face
// when the file is a collection) into summary. Returns 0, an errno value when the file
// cannot be opened, or the engine's code (TTError).
int ReadFontSummary(const std::string& path, FontSummary& summary, uint32_t face = 0);

// Lists the whole font read from fd (its face number face when it is a collection) as
// text: the plain listing, or the structured name = value dump. Returns 0 or the code of
// the first failed read; what was read is listed either way.
int DumpFont(int fd, FILE* out, bool structured, uint32_t face = 0);
