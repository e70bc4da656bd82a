// How a new font file becomes a font the user has: copied or linked into the user's font
// folder, and seen by fontconfig (and so by every program) at once.
#pragma once

#include <string>

class FontCatalog;

// A name for a file in dir that is free both with ext and with ".FOT": name itself when
// it is, else the first 8 characters of name padded with '_' and cut so that a number
// fits: "SIGNATU0", "SIGNATU1", ...
std::string MakeUniqueFontFileName(const std::string& dir, const std::string& name, const std::string& ext);

// Copies from to to; an existing to is never replaced, and a copy that fails midway is
// removed. False on any failure.
bool CopyFontFile(const std::string& from, const std::string& to);

// Writes a font resource file (".FOT") at path that names the TrueType file ttfName (a
// file name in the font folder, or a full path). False when it cannot be written.
bool CreateScalableFontResource(const std::string& path, const std::string& ttfName);

// True when a face of this family or full name is installed.
bool IsFontNameInstalled(FontCatalog& fonts, const std::string& name);

// Registers file (a name in the font folder, or a full path) as an installed font:
// a file outside the font folder gets a link there; fontconfig then rescans the folder.
// True when fontconfig has the face afterwards. A link made for a failed registration
// is removed again.
bool RegisterFontFile(FontCatalog& fonts, const std::string& fullName, const std::string& file);

// The file (a TrueType file, or a ".FOT" naming one) is added when it holds a font, then
// registered. False when it holds none or the registration failed.
bool InstallFontFile(FontCatalog& fonts, const std::string& newName, const std::string& file);
