#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>

#include "FontCatalog.h"

namespace {
bool Has(const std::vector<int32_t>& v, int32_t x) { return std::find(v.begin(), v.end(), x) != v.end(); }
}  // namespace

TEST(FontCatalog, ListsTheInstalledOutlineFacesWithTheirFiles) {
    std::vector<InstalledFace> faces = ListInstalledFonts();
    ASSERT_FALSE(faces.empty()) << "the test machine has Debian's DejaVu and Liberation fonts";
    const InstalledFace* sans = nullptr;
    const InstalledFace* fallback = nullptr;
    for (const InstalledFace& f : faces) {
        struct stat st {};
        EXPECT_EQ(::stat(f.path.c_str(), &st), 0) << f.path;
        const std::string ext = f.path.substr(f.path.size() - 4);
        EXPECT_TRUE(ext == ".ttf" || ext == ".ttc" || ext == ".otf" || ext == ".otc")
            << "only TrueType and OpenType files and collections: " << f.path;
        // A face of a collection has its number; a single font, and never a named
        // instance of a variable font (numbered from 65536 on), is face 0.
        if (ext == ".ttf" || ext == ".otf") {
            EXPECT_EQ(f.faceIndex, 0) << f.path;
        }
        EXPECT_LE(f.faceIndex, 0xFFFF) << f.path;
        EXPECT_FALSE(f.charsets.empty());
        if (f.fullName == "DejaVu Sans") sans = &f;
        if (f.fullName == "Droid Sans Fallback") fallback = &f;
    }
    ASSERT_NE(sans, nullptr);
    // DejaVu Sans covers Western, Central European, Cyrillic, Greek, Turkish, Baltic,
    // Hebrew, Arabic and Vietnamese; the charsets come in the catalogue's fixed order.
    EXPECT_EQ(sans->charsets, (std::vector<int32_t>{0, 238, 204, 161, 162, 177, 178, 186, 163}));
    if (fallback) {
        // A CJK face: its languages, not a Western default.
        EXPECT_TRUE(Has(fallback->charsets, 128));
        EXPECT_FALSE(Has(fallback->charsets, 0));
    }
    EXPECT_EQ(sans->family, "DejaVu Sans");
    EXPECT_EQ(sans->style, "Book");
    EXPECT_EQ(sans->weight, 400);
    EXPECT_FALSE(sans->italic);
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end(),
                               [](const InstalledFace& a, const InstalledFace& b) { return a.fullName < b.fullName; }));
    std::set<std::string> faceFiles;  // each face of each file once
    for (const InstalledFace& f : faces)
        EXPECT_TRUE(faceFiles.insert(f.path + "#" + std::to_string(f.faceIndex)).second) << "listed twice: " << f.path;
}

TEST(FontCatalog, FindsOneFaceByItsFullName) {
    std::vector<InstalledFace> faces = ListInstalledFonts();
    ASSERT_FALSE(faces.empty());
    for (const char* name : {"DejaVu Sans", "DejaVu Sans Bold", "Liberation Serif Italic", "Cantarell Regular"}) {
        auto listed = std::find_if(faces.begin(), faces.end(), [&](const InstalledFace& f) { return f.fullName == name; });
        ASSERT_NE(listed, faces.end()) << name;
        std::optional<InstalledFace> found = SystemFontCatalog().FindFace(name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->path, listed->path);
        EXPECT_EQ(found->charsets, listed->charsets);
        EXPECT_EQ(LookupFontFile(name), listed->path);
    }
    // Case and a prefix are not a full name.
    EXPECT_EQ(LookupFontFile("dejavu sans"), "");
    EXPECT_EQ(LookupFontFile("DejaVu"), "");
    EXPECT_EQ(LookupFontFile("No Such Face Anywhere"), "");
    EXPECT_EQ(LookupFontFile(""), "");
}

TEST(FontCatalog, CharsetsFollowTheLanguagesCovered) {
    auto charsets = [](std::set<std::string> langs, bool symbol = false) {
        return CharsetsFromLanguages([&](const char* l) { return langs.count(l) > 0; }, symbol);
    };
    EXPECT_EQ(charsets({"fr", "de", "ru"}), (std::vector<int32_t>{0, 204}));
    // Every language of a charset is needed: Polish alone is not Central European.
    EXPECT_EQ(charsets({"fr", "de", "pl"}), (std::vector<int32_t>{0}));
    EXPECT_EQ(charsets({"pl", "cs", "hu", "ja", "zh-tw"}), (std::vector<int32_t>{238, 128, 136}));
    // Nothing known: Symbol for a symbol font, else Western.
    EXPECT_EQ(charsets({}, true), (std::vector<int32_t>{2}));
    EXPECT_EQ(charsets({"xx"}), (std::vector<int32_t>{0}));
}
