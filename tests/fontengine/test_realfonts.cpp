// Every TrueType font of the Debian packages fonts-dejavu-core, fonts-liberation2 and
// fonts-freefont-ttf, read and written, then checked by ots-sanitize and fontTools.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FontBytes.h"
#include "FontSummary.h"
#include "FontCopy.h"
#include "Oracles.h"
#include "RealFonts.h"
#include "TTF.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"
#include "nameTABLE.h"

namespace fs = std::filesystem;

namespace {



// Runs the fontTools and ots checker over (original, written) pairs; its exit status.
int RunChecker(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string cmd = "/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/fontengine/check_fonts.py";
    for (const auto& [a, b] : pairs) cmd += " '" + a + "' '" + b + "'";
    return std::system(cmd.c_str());
}

bool HaveOracles() { return ::access("/usr/bin/ots-sanitize", X_OK) == 0 && ::access("/usr/bin/python3", X_OK) == 0; }

TEST(RealFonts, EveryDebianFontSurvivesTheRoundTrip) {
    auto fonts = DebianFonts();
    PENMARK_NEED(!fonts.empty() && HaveOracles(), "Debian fonts, ots-sanitize or python3 (./test installs them)");
    fs::create_directories(std::string(PENMARK_TEST_TMP) + "/roundtrip");
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& f : fonts) {
        std::string out = std::string(PENMARK_TEST_TMP) + "/roundtrip/" + fs::path(f).filename().string();
        EXPECT_EQ(CopyFont(f, out), 0) << f;
        pairs.emplace_back(f, out);
    }
    EXPECT_EQ(RunChecker(pairs), 0);
}

// A font whose glyph names are not listed per glyph (post format 3) takes a new glyph;
// the checker sees the new glyph and, for every old one, the same data.
TEST(RealFonts, AddedGlyphKeepsTheFontValid) {
    std::string liberation = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    std::string src = std::string(PENMARK_TEST_TMP) + "/post3-" + std::to_string(::getpid()) + ".ttf";
    PENMARK_NEED(::access(liberation.c_str(), R_OK) == 0 && HaveOracles() &&
                     std::system(("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                                  "/tests/symbolfont/derive_font.py '" + liberation + "' '" + src + "' post3").c_str()) == 0,
                 "fonts-liberation2 or the oracles");
    std::string out = std::string(PENMARK_TEST_TMP) + "/added-" + std::to_string(::getpid()) + ".ttf";
    int code = CopyFont(src, out, [](TTF& font) {
        auto g = std::make_unique<TTGLYPH>();
        g->reset();
        g->m_nKind = TTGLYPH::Simple;
        std::vector<GlyphPoint> box = {{1, 100, 0}, {1, 100, 1400}, {1, 1900, 1400}, {0, 1900, 0}};
        g->appendContour(box.data(), box.size());
        g->m_nAdvanceWidth = 2100;
        g->m_nLeftSideBearing = 100;
        font.glyf()->addGlyph(std::move(g));
    });
    ASSERT_EQ(code, 0);
    std::string cmd = "/usr/bin/python3 -c \"from fontTools.ttLib import TTFont; import sys\n"
                      "a = TTFont('" + src + "'); b = TTFont('" + out + "')\n"
                      "n = len(a.getGlyphOrder()); g = b['glyf'][b.getGlyphOrder()[n]]\n"
                      "ok = b['maxp'].numGlyphs == n + 1 and list(g.coordinates) == [(100, 0), (100, 1400), (1900, 1400), (1900, 0)]\n"
                      "ok = ok and list(g.flags) == [1, 1, 1, 0] and b['hmtx'][b.getGlyphOrder()[n]] == (2100, 100)\n"
                      "ok = ok and b['hhea'].advanceWidthMax == max(2100, a['hhea'].advanceWidthMax)\n"
                      "ok = ok and a['post'].formatType == 3.0 and b['post'].formatType == 3.0\n"
                      "sys.exit(0 if ok else 1)\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null").c_str()), 0);
}

// A private-use code pointed at an existing glyph in every map that can take it, and
// the names suffixed: fontTools sees both, ots accepts the font.
TEST(RealFonts, MappedCodeAndSuffixedNames) {
    std::string src = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    PENMARK_NEED(::access(src.c_str(), R_OK) == 0 && HaveOracles(), "fonts-dejavu-core or the oracles");
    std::string out = std::string(PENMARK_TEST_TMP) + "/renamed.ttf";
    ASSERT_EQ(CopyFont(src, out, [](TTF& font) {
                  ASSERT_TRUE(font.get<cmapTABLE>(TTIndex::cmap)->mapCodeToGlyph(0xE000, 36));
                  font.get<nameTABLE>(TTIndex::name)->applySuffix(" Sig");
              }),
              0);
    std::string cmd = "/usr/bin/python3 -c \"from fontTools.ttLib import TTFont; import sys\n"
                      "a = TTFont('" + src + "'); b = TTFont('" + out + "'); g = b.getGlyphOrder()[36]\n"
                      "maps = {(t.platformID, t.platEncID): t.cmap for t in b['cmap'].tables}\n"
                      "old = {(t.platformID, t.platEncID): t.cmap for t in a['cmap'].tables}\n"
                      "ok = all(maps[k].get(0xE000) == g for k in [(0, 3), (0, 4), (3, 1), (3, 10)])\n"
                      "ok = ok and maps[(1, 0)] == old[(1, 0)]\n"
                      "n = b['name']\n"
                      "ok = ok and n.getName(1, 3, 1).toUnicode() == 'DejaVu Sans Sig' and n.getName(1, 1, 0).toUnicode() == 'DejaVu Sans Sig'\n"
                      "ok = ok and n.getName(4, 3, 1).toUnicode() == 'DejaVu Sans Sig' and n.getName(6, 3, 1).toUnicode() == 'DejaVuSansSig'\n"
                      "ok = ok and n.getName(2, 3, 1).toUnicode() == a['name'].getName(2, 3, 1).toUnicode()\n"
                      "sys.exit(0 if ok else 1)\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null").c_str()), 0);
}

// The quick summary of each font (names, glyph count, units per em, code pages) agrees
// with fontTools.
TEST(RealFonts, SummaryAgreesWithFontTools) {
    std::vector<std::string> fonts = DebianFonts();
    PENMARK_NEED(!fonts.empty() && HaveOracles(), "Debian fonts or python3 (./test installs them)");
    std::string cmd = "/usr/bin/python3 -c \"import sys\nfrom fontTools.ttLib import TTFont\n"
                      "for p in sys.argv[1:]:\n"
                      "  f = TTFont(p, lazy=True); n = f['name']; o = f['OS/2']\n"
                      "  print(n.getName(4, 3, 1, 0x409).toUnicode(), '|', n.getName(1, 3, 1, 0x409).toUnicode(), '|',\n"
                      "        f['maxp'].numGlyphs, f['head'].unitsPerEm, o.ulCodePageRange1, o.ulCodePageRange2)\n\"";
    for (const std::string& f : fonts) cmd += " '" + f + "'";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[1024];
    for (const std::string& f : fonts) {
        ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr) << f;
        FontSummary summary;
        ASSERT_EQ(ReadFontSummary(f, summary), 0) << f;
        std::string full(summary.fullName.begin(), summary.fullName.end());  // ASCII names
        std::string family(summary.familyName.begin(), summary.familyName.end());
        char expected[1024];
        std::snprintf(expected, sizeof expected, "%s | %s | %u %u %u %u\n", full.c_str(), family.c_str(),
                      summary.glyphCount, summary.unitsPerEm, summary.codePageRange[0], summary.codePageRange[1]);
        EXPECT_STREQ(expected, line) << f;
        EXPECT_TRUE(summary.hasCodePageRanges) << f;
    }
    ::pclose(pipe);
}

}  // namespace
