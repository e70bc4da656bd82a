// Ids of the texts that more than one part of the program shows. Texts that belong to
// one page or front end keep their ids beside it.
#pragma once

namespace StringId {
constexpr int kCaption = 61288;  // "Penmark": the program's name and every message's caption

// Picture and drawing files.
constexpr int kInvalidData = 61272;
constexpr int kFileNotFound = 61277;
constexpr int kNoMemory = 61281;
constexpr int kEmptyRegion = 61309;
constexpr int kRegionTooLarge = 62230;
constexpr int kCannotPaste = 61287;

// Scanning.
constexpr int kScanNoManager = 61250;
constexpr int kScanNotOneBit = 61251;
constexpr int kScanCompressed = 61252;
constexpr int kScanLowMemory = 61255;

// Saving and installing the new font.
constexpr int kFontFileExists = 61304;
constexpr int kFontNameInstalled = 61305;
constexpr int kFontFileInFolder = 61306;
constexpr int kCannotCopyFont = 61307;
constexpr int kCannotInstallFont = 61308;
constexpr int kSuffixTooLong = 62270;  // the new name past its limit (%d)

// Results of the font build.
constexpr int kNoCharacterMap = 62221;
constexpr int kFontNotWritten = 62222;
constexpr int kGlyphNoHeight = 62223;
constexpr int kFontUnreadable = 62225;
constexpr int kFontCollection = 62226;
constexpr int kNoSuchFace = 62234;
constexpr int kGraphiteDropped = 62235;
constexpr int kNoTrueTypeOutlines = 62227;
constexpr int kCff2Outlines = 62236;
constexpr int kGlyphCountTable = 62228;
constexpr int kSymbolTooLarge = 62229;
constexpr int kUnitsPerEmRange = 62231;
constexpr int kSymbolTooComplex = 62232;
constexpr int kFontFull = 62233;

// Destinations the new font cannot be written to.
constexpr int kSaveIsFolder = 62290;
constexpr int kSaveFolderMissing = 62291;
constexpr int kSaveNotPermitted = 62292;
constexpr int kSaveNoRoom = 62293;
constexpr int kSaveFailed = 62294;
}  // namespace StringId
