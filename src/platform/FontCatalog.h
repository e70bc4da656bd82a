// The installed TrueType faces, as fontconfig knows them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>


// Windows charset numbers a face supports, from the code page bits of its OS/2 table
// (ulCodePageRange1 and 2), in ascending bit order.
std::vector<int32_t> CharsetsFromCodePages(uint32_t range1, uint32_t range2);

// Reads a font file's OS/2 code page ranges; false when the file has none.
using CodePageReader = std::function<bool(const std::string& path, uint32_t& range1, uint32_t& range2)>;

// One installed face.
struct InstalledFace {
    std::string fullName;  // family and style, e.g. "DejaVu Sans Bold"
    std::string family;
    std::string style;
    std::string path;      // the font file
    int weight = 400;      // 100 (thin) to 900 (black)
    bool italic = false;
    std::vector<int32_t> charsets;
};

// The engine's reader: the code page bits of a font file's OS/2 table (version 1 on).
bool ReadCodePageRanges(const std::string& path, uint32_t& range1, uint32_t& range2);

// Every installed TrueType face (glyf outlines in a .ttf file; collections and CFF fonts
// are left out, since the engine cannot extend them), sorted by full name. charsets come
// from reader; when it finds nothing, a face counts as Western (0).
std::vector<InstalledFace> ListInstalledFonts(const CodePageReader& reader = ReadCodePageRanges);

// The file of the installed face with this full name; empty when there is none.
std::string LookupFontFile(const std::string& fullName);

// Tells fontconfig to look at the font folders again (after installing a font).
void RefreshFontCatalog();
