// The platform's font enumeration: families, then the faces of one family, each entry
// one face under one charset, and the platform's table from a face's full name to its
// file. The font page builds its list from these; tests give it enumerations of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "FontCatalog.h"

// Font type of an enumeration entry: only TrueType faces are offered.
constexpr int kTrueTypeFontType = 4;

struct FontEnumEntry {
    std::string fullName;  // a family entry carries the family's name here
    std::string faceName;  // the family
    std::string style;
    int weight = 400;
    bool italic = false;
    int32_t charset = 0;
    int fontType = kTrueTypeFontType;
    int faceIndex = 0;  // the face inside a collection file (.ttc)
};

using FontEnumCallback = std::function<void(const FontEnumEntry&)>;

class FontEnumerator {
public:
    virtual ~FontEnumerator() = default;
    // basic: each family once; otherwise each family once per charset.
    virtual void EnumFamilies(bool basic, const FontEnumCallback& callback) = 0;
    // basic: each face of the family once; otherwise each face once per charset.
    virtual void EnumFaces(const std::string& family, bool basic, const FontEnumCallback& callback) = 0;
    // The file recorded for a face's full name; empty when there is none.
    virtual std::string LookupFontFile(const std::string& fullName) = 0;
};

// The enumeration over one listing of a catalogue: one fontconfig query, then
// everything in memory.
class CatalogFontEnumerator : public FontEnumerator {
public:
    explicit CatalogFontEnumerator(std::vector<InstalledFace> faces);
    void EnumFamilies(bool basic, const FontEnumCallback& callback) override;
    void EnumFaces(const std::string& family, bool basic, const FontEnumCallback& callback) override;
    std::string LookupFontFile(const std::string& fullName) override;

private:
    struct Family {
        std::string name;
        std::vector<size_t> faces;     // indexes into m_faces, in listing order
        std::vector<int32_t> charsets;  // the union of its faces' charsets, first seen first
    };
    std::vector<InstalledFace> m_faces;
    std::vector<Family> m_families;  // in order of first appearance
    std::unordered_map<std::string, size_t> m_familyIndex;
    std::unordered_map<std::string, std::string> m_files;  // full name -> first file listed
};
