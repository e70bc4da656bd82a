#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "FontCatalog.h"

TEST(FontCatalog, ListsTheInstalledTrueTypeFacesWithTheirFiles) {
    std::vector<InstalledFace> faces = ListInstalledFonts();
    ASSERT_FALSE(faces.empty()) << "the test machine has Debian's DejaVu and Liberation fonts";
    const InstalledFace* sans = nullptr;
    for (const InstalledFace& f : faces) {
        struct stat st {};
        EXPECT_EQ(::stat(f.path.c_str(), &st), 0) << f.path;
        EXPECT_EQ(f.path.substr(f.path.size() - 4), ".ttf") << "only TrueType files: " << f.path;
        EXPECT_FALSE(f.charsets.empty());
        if (f.fullName == "DejaVu Sans") sans = &f;
    }
    ASSERT_NE(sans, nullptr);
    // DejaVu Sans declares Latin 1, Latin 2, Cyrillic, Greek, Turkish, Baltic and more.
    for (int32_t charset : {0, 238, 204, 161, 162, 186})
        EXPECT_NE(std::find(sans->charsets.begin(), sans->charsets.end(), charset), sans->charsets.end())
            << charset;
    uint32_t r1 = 0, r2 = 0;
    EXPECT_TRUE(ReadCodePageRanges(sans->path, r1, r2));
    EXPECT_FALSE(ReadCodePageRanges("/nonexistent.ttf", r1, r2));
    EXPECT_EQ(sans->family, "DejaVu Sans");
    EXPECT_EQ(sans->weight, 400);
    EXPECT_FALSE(sans->italic);
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end(),
                               [](const InstalledFace& a, const InstalledFace& b) { return a.fullName < b.fullName; }));
    EXPECT_EQ(LookupFontFile("DejaVu Sans"), sans->path);
    EXPECT_EQ(LookupFontFile("No Such Face Anywhere"), "");
}

TEST(FontCatalog, CharsetsFollowTheCodePageBits) {
    EXPECT_EQ(CharsetsFromCodePages(0x1 | 0x4, 0), (std::vector<int32_t>{0, 204}));
    EXPECT_EQ(CharsetsFromCodePages(0x80000000u, 0), (std::vector<int32_t>{2}));
    EXPECT_TRUE(CharsetsFromCodePages(0, 0xFFFFFFFFu).empty());

    int calls = 0;
    auto reader = [&](const std::string&, uint32_t& r1, uint32_t& r2) {
        ++calls;
        r1 = 0x3;  // Latin 1 and Latin 2
        r2 = 0;
        return true;
    };
    std::vector<InstalledFace> faces = ListInstalledFonts(reader);
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(calls, int(faces.size()));
    EXPECT_EQ(faces.front().charsets, (std::vector<int32_t>{0, 238}));
}
