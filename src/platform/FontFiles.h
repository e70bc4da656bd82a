// Where installed fonts live and how a face's file is found.
#pragma once

#include <string>

// The folder a user's own fonts are installed into: $XDG_DATA_HOME/fonts, by default
// ~/.local/share/fonts, always ending in '/'.
std::string GetFontsDirectory();

// Empty for an empty file; the file unchanged when it holds a folder; otherwise the
// file inside GetFontsDirectory().
std::string MakeFontPath(const std::string& file);

// The TrueType file name stored in a font resource (".FOT") file: a 16-bit Windows
// executable with one resource of type 0x80CC. Empty when the file cannot be read or is
// not such a file.
std::string ReadFotTarget(const std::string& path);
// The same, from the file's bytes.
std::string ReadFotTargetFromBytes(const unsigned char* data, size_t size);

// Error codes raised inside ReadFotTarget (the caller only sees an empty result).
namespace FotError {
constexpr int kNotExecutable = 1500;
constexpr int kNoFontResource = 1501;
}  // namespace FotError
