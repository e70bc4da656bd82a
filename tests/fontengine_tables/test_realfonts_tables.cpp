// Real fonts through the engine with the font-wide table classes in place of the plain
// tables: every TrueType font of fonts-dejavu-core, fonts-liberation2 and
// fonts-freefont-ttf, and fonts built by fontTools with the tables those lack. The
// written fonts are checked by ots-sanitize and fontTools (check_tables.py).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "FontCopy.h"
#include "Oracles.h"
#include "RealFonts.h"
#include "FontWideTables.h"
#include "TableHarness.h"
#include "cmapTABLE.h"
#include "hdmxTABLE.h"
#include "postTABLE.h"

namespace fs = std::filesystem;

namespace {

const std::string kTmp = PENMARK_TEST_TMP;
const std::string kHere = std::string(PENMARK_SOURCE_DIR) + "/tests/fontengine_tables";

bool HaveOracles() { return ::access("/usr/bin/ots-sanitize", X_OK) == 0 && ::access("/usr/bin/python3", X_OK) == 0; }


// Puts the font-wide classes in place of the plain tables the font was read with and
// reads them, in the engine's load order.
int AdoptFontWideTables(TTF& font, TTStream* in) {
    for (int index : TableRegistry::loadOrder()) {
        TTF_TABLE* plain = font.table(index);
        if (!plain) continue;
        auto t = CreateFontWideTable(index, &font, plain->m_nLength, plain->m_nChecksum, plain->m_nOffset);
        if (!t) continue;
        font.removeTable(index);
        TTF_TABLE* table = t.get();
        font.setSlot(index, font.addTable(std::move(t)));
        if (table->m_bReadDone) continue;  // zero length
        if (int code = table->readFrom(in)) return code;
        table->m_bReadDone = true;
    }
    return 0;
}

// Copies a font through the font-wide table classes.
int CopyFontWide(const std::string& in, const std::string& out, const std::function<void(TTF&)>& change = {}) {
    return CopyFont(in, out, change, AdoptFontWideTables);
}

int RunChecker(const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& options = "") {
    std::string cmd = "/usr/bin/python3 " + kHere + "/check_tables.py " + options;
    for (const auto& [a, b] : pairs) cmd += " '" + a + "' '" + b + "'";
    return std::system(cmd.c_str());
}

// The fontTools-built fonts, made once per process, in a folder of the first test that
// asks (tests may run in parallel processes).
const std::vector<std::string>& Fixtures() {
    static const std::vector<std::string> fixtures = [] {
        std::string dir = kTmp + "/fixtures-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(dir);
        std::string cmd = "/usr/bin/python3 " + kHere + "/make_fixtures.py '" + dir + "'";
        if (std::system(cmd.c_str()) != 0) return std::vector<std::string>{};
        return std::vector<std::string>{dir + "/extras.ttf", dir + "/symbol.ttf", dir + "/format1.ttf"};
    }();
    return fixtures;
}

TEST(RealFontTables, DebianAndBuiltFontsKeepEveryTable) {
    PENMARK_NEED(HaveOracles(), "ots-sanitize or python3 (./test installs them)");
    auto fonts = DebianFonts();
    auto built = Fixtures();
    ASSERT_FALSE(built.empty()) << "make_fixtures.py failed";
    fonts.insert(fonts.end(), built.begin(), built.end());
    fs::create_directories(kTmp + "/written");
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& f : fonts) {
        std::string out = kTmp + "/written/" + fs::path(f).filename().string();
        EXPECT_EQ(CopyFontWide(f, out), 0) << f;
        pairs.emplace_back(f, out);
    }
    EXPECT_EQ(RunChecker(pairs), 0);
}

TEST(RealFontTables, BuiltFontsComeBackByteForByteWhereNothingIsRecomputed) {
    PENMARK_NEED(HaveOracles(), "python3");
    auto built = Fixtures();
    ASSERT_FALSE(built.empty());
    std::string out = kTmp + "/extras-copy.ttf";
    ASSERT_EQ(CopyFontWide(built[0], out), 0);
    std::string cmd = "/usr/bin/python3 -c \"from fontTools.ttLib import TTFont; import sys\n"
                      "a = TTFont('" + built[0] + "').reader; b = TTFont('" + out + "').reader\n"
                      "same = ['cvt ', 'fpgm', 'prep', 'gasp', 'PCLT', 'VDMX', 'kern', 'LTSH', 'hdmx', 'vmtx',"
                      " 'EBLC', 'EBDT', 'EBSC', 'post']\n"
                      "bad = [t for t in same if a[t] != b[t]]\n"
                      "print('differ:', bad) if bad else None\n"
                      "sys.exit(1 if bad else 0)\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

// The new glyph of a symbol font build: added to glyf, mapped, named, its device widths
// added to hdmx; every table follows it.
TEST(RealFontTables, AddedGlyphIsFollowedByEveryTable) {
    PENMARK_NEED(HaveOracles(), "ots-sanitize or python3");
    auto built = Fixtures();
    ASSERT_FALSE(built.empty());
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& src : {std::string("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"),
                                   built[0]}) {
        if (::access(src.c_str(), R_OK) != 0) continue;
        std::string out = kTmp + "/added-" + fs::path(src).filename().string();
        int code = CopyFontWide(src, out, [](TTF& font) {
            auto g = std::make_unique<TTGLYPH>();
            g->reset();
            g->m_nKind = TTGLYPH::Simple;
            std::vector<GlyphPoint> box = {{1, 100, -300}, {1, 100, 1400}, {1, 1900, 1400}, {1, 1900, -300}};
            g->appendContour(box.data(), box.size());
            g->m_nAdvanceWidth = 2100;
            g->m_nLeftSideBearing = 100;
            g->m_nAdvanceHeight = 1000;
            g->m_name = GlyphNames::own("Penmark");
            TTGLYPH* added = font.glyf()->addGlyph(std::move(g));
            font.get<cmapTABLE>(TTIndex::cmap)->mapCodeToGlyph(0xE000, added->m_nIndex);
            if (auto* hdmx = font.get<hdmxTABLE>(TTIndex::hdmx)) hdmx->addGlyph(added);
        });
        EXPECT_EQ(code, 0) << src;
        pairs.emplace_back(src, out);
    }
    EXPECT_EQ(RunChecker(pairs, "--added Penmark"), 0);
}

}  // namespace
