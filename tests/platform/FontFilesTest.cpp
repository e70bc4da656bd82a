#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "FontFiles.h"

namespace {

// A minimal font resource file: DOS stub, NE header, a resource table with an unrelated
// type first, then the font resource naming the TrueType file.
std::vector<unsigned char> MakeFot(const std::string& target, uint16_t shift = 4) {
    std::vector<unsigned char> f(0x400, 0);
    WriteLE16(&f[0], 0x5A4D);
    WriteLE16(&f[0x18], 0x40);
    WriteLE32(&f[0x3C], 0x80);
    WriteLE16(&f[0x80], 0x454E);
    WriteLE16(&f[0x80 + 0x24], 0x40);
    WriteLE16(&f[0x80 + 0x26], 0x70);
    f[0x80 + 0x36] = 2;
    size_t p = 0xC0;
    WriteLE16(&f[p], shift);
    p += 2;
    WriteLE16(&f[p], 0x8007);  // another resource type, two entries to skip
    WriteLE16(&f[p + 2], 2);
    p += 8 + 24;
    WriteLE16(&f[p], 0x80CC);
    WriteLE16(&f[p + 2], 1);
    p += 8;
    size_t dataAt = 0x200;
    WriteLE16(&f[p], uint16_t(dataAt >> shift));
    WriteLE16(&f[p + 2], uint16_t((target.size() + 1 + (1u << shift) - 1) >> shift));
    p += 12;
    WriteLE16(&f[p], 0);  // end of types
    std::copy(target.begin(), target.end(), f.begin() + long(dataAt));
    return f;
}

}  // namespace

TEST(FontFiles, ReadsTheTargetOfAFontResourceFile) {
    auto fot = MakeFot("DEJAVU.TTF");
    EXPECT_EQ(ReadFotTargetFromBytes(fot.data(), fot.size()), "DEJAVU.TTF");
    auto zero = MakeFot("C:/FONTS/A.TTF", 0);
    EXPECT_EQ(ReadFotTargetFromBytes(zero.data(), zero.size()), "C:/FONTS/A.TTF");

    std::string path = std::string(PENMARK_TEST_TMP) + "/sample.fot";
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    std::fwrite(fot.data(), 1, fot.size(), out);
    std::fclose(out);
    EXPECT_EQ(ReadFotTarget(path), "DEJAVU.TTF");
    std::remove(path.c_str());
    EXPECT_EQ(ReadFotTarget(path), "");
}

TEST(FontFiles, RefusesAnythingElseWithAnEmptyResult) {
    auto good = MakeFot("X.TTF");
    auto expectEmpty = [](std::vector<unsigned char> f, const char* why) {
        EXPECT_EQ(ReadFotTargetFromBytes(f.data(), f.size()), "") << why;
    };
    auto f = good; f[0] = 'Z'; expectEmpty(f, "no MZ");
    f = good; WriteLE16(&f[0x18], 0x3F); expectEmpty(f, "old DOS header");
    f = good; f[0x81] = 'X'; expectEmpty(f, "no NE");
    f = good; f[0x80 + 0x36] = 1; expectEmpty(f, "not for Windows");
    f = good; WriteLE16(&f[0x80 + 0x26], 0x40); expectEmpty(f, "no resource table");
    f = good; WriteLE16(&f[0xC2 + 32 + 2], 2); expectEmpty(f, "two font resources");
    f = good; WriteLE16(&f[0xC2 + 32], 0x80CD); expectEmpty(f, "no font resource");
    f = good; WriteLE32(&f[0x3C], 0xFFFFFFF0); expectEmpty(f, "header offset past the end");
    f = good; WriteLE16(&f[0xC2 + 40], 0xFFFF); expectEmpty(f, "name past the end");
    f = good; f.resize(0x150); expectEmpty(f, "truncated");
    expectEmpty({}, "empty");
}

TEST(FontFiles, FontPathsUseTheUserFontFolder) {
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(GetFontsDirectory(), "/tmp/xdg/fonts/");
    EXPECT_EQ(MakeFontPath("a.ttf"), "/tmp/xdg/fonts/a.ttf");
    EXPECT_EQ(MakeFontPath("/usr/share/fonts/b.ttf"), "/usr/share/fonts/b.ttf");
    EXPECT_EQ(MakeFontPath(""), "");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetFontsDirectory(), "/home/someone/.local/share/fonts/");
}
