// The record of one installed TrueType face, as the font page lists it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A logical font: how the user interface asks for the face.
struct LogFont {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 400;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 1;  // DEFAULT_CHARSET
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 2;  // PROOF_QUALITY
    uint8_t lfPitchAndFamily = 0;
    std::string lfFaceName = "Arial";
    bool operator==(const LogFont&) const = default;
};

// Names and paths are kept whole: a Linux path may be far longer than the fixed buffers
// a face record once had, and a truncated path would name another file.
struct FontInfo {
    std::string szFullName;  // family plus style: the list text
    std::string szFaceName;  // family name
    std::string szRegFile;   // the file as the catalogue names it
    std::string szPath;      // full path of the TrueType file
    uint32_t nFaceIndex = 0;  // the face of a collection file (.ttc); 0 for a single font
    LogFont lf;
    std::vector<int32_t> charsets;  // every charset the face was listed under
    bool operator==(const FontInfo&) const = default;
};
