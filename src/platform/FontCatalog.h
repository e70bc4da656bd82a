// The installed TrueType faces, as fontconfig knows them. Everything here comes from
// fontconfig's own cache (names, style, file, face index and the languages its charset
// covers); no font file is opened.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One installed face.
struct InstalledFace {
    std::string fullName;  // family and style, e.g. "DejaVu Sans Bold"
    std::string family;
    std::string style;
    std::string path;      // the font file
    int faceIndex = 0;     // the face inside the file
    int weight = 400;      // 100 (thin) to 900 (black)
    bool italic = false;
    std::vector<int32_t> charsets;  // Windows charset numbers, in the catalogue's fixed order
};

// The Windows charsets a face supports, judged by the languages its character set
// covers: covers("ru") answers whether the face has every letter of that language.
// Charsets come in a fixed order, ANSI (0) first; a face covering none of them is
// Symbol (2) when symbol is set, else counted as ANSI.
std::vector<int32_t> CharsetsFromLanguages(const std::function<bool(const char* lang)>& covers,
                                           bool symbol = false);

// A font set: the system's fontconfig configuration, or a private one read from a
// configuration file (with its own font folders and cache folder).
class FontCatalog {
public:
    FontCatalog();
    explicit FontCatalog(const std::string& configFile);
    ~FontCatalog();
    FontCatalog(const FontCatalog&) = delete;
    FontCatalog& operator=(const FontCatalog&) = delete;

    // False when the configuration could not be loaded; the catalogue is then empty.
    bool Ok() const;

    // Every face the engine can extend (TrueType or CFF outlines in a .ttf or .otf
    // file, or a face of a .ttc or .otc collection), sorted by full name.
    std::vector<InstalledFace> Faces() const;

    // The face with this full name, found by a query rather than a listing; none when
    // no such face is installed.
    std::optional<InstalledFace> FindFace(const std::string& fullName) const;

    // True when font files or folders were added, removed or changed since the font set
    // was read (fontconfig's own check, plus the folders' times to the nanosecond, which
    // fontconfig compares only to the second). The font set is then read again, so the
    // next call answers false until something else changes.
    bool CheckForChanges();

    // Reads the font folders again (after installing a font).
    void Rescan();

    // True when a face of any format has this family or full name.
    bool HasFaceNamed(const std::string& name) const;
    // True when fontconfig finds at least one face in the file.
    static bool FileHoldsFont(const std::string& path);
    // The folder of a new font file is scanned and its cache written, so that this
    // program and every other one see the font now; then the font set is read again.
    bool RescanFolderOf(const std::string& path);
    // True when some face of the font set comes from this file.
    bool HasFile(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// The system's catalogue, shared by the whole program.
FontCatalog& SystemFontCatalog();

// Shorthands on the system's catalogue.
std::vector<InstalledFace> ListInstalledFonts();
// The file of the installed face with this full name; empty when there is none.
std::string LookupFontFile(const std::string& fullName);
// Tells fontconfig to look at the font folders again (after installing a font).
void RefreshFontCatalog();
