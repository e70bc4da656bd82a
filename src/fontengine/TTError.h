// The engine's error codes.
#pragma once

// The last error of an engine object; 0 is success.
namespace TTError {
constexpr int kOk = 0;
constexpr int kNoMemory = 1;       // an allocation failed
constexpr int kNoHandle = 2;       // neither the object nor any owner has a stream
constexpr int kInvalid = 3;        // invalid argument or inconsistent data
constexpr int kRead = 4;           // the data ends before the requested bytes
constexpr int kCollection = 5;     // a font collection, not a single font
constexpr int kNoGlyphData = 6;    // no outlines the engine reads (glyf and loca, or CFF)
constexpr int kGlyphCountTable = 7;  // a table tied to the glyph count cannot follow a change of it
constexpr int kWrite = 8;          // the output could not be written
constexpr int kNotTrueType = 9;    // the file is not a TrueType font
constexpr int kNoSuchFace = 10;    // the collection has no face of the index asked for
constexpr int kCff2 = 11;          // PostScript outlines in the CFF2 format
}  // namespace TTError
