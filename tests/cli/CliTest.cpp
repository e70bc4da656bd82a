#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CliRunner.h"
#include "Oracles.h"
#include "Strings.h"
#include "TestPictures.h"

TEST(Cli, UsageAndUnknownCommands) {
    SetCurrentLanguage(Language::English);
    CliRun none = Cli({});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("penmark build"), std::string::npos);
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("penmark fonts"), std::string::npos);
    CliRun bad = Cli({"frobnicate"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("Unknown command: frobnicate"), std::string::npos);
    SetCurrentLanguage(Language::German);
    EXPECT_NE(Cli({"frobnicate"}).err.find("Unbekannter Befehl"), std::string::npos);
    SetCurrentLanguage(Language::English);
}

TEST(Cli, FontsListsTheCatalogue) {
    CliRun r = Cli({"fonts"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("DejaVu Sans\t/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n"), std::string::npos);
    EXPECT_EQ(Cli({"fonts", "--extra"}).code, 2);
    EXPECT_EQ(Cli({"fonts", "--help"}).code, 0);
}

TEST(Cli, TraceWritesTheOutlineAsSvg) {
    std::string dir = PENMARK_TEST_TMP;
    ASSERT_TRUE(WriteTestBmp(dir + "/ring.bmp", RingPicture(40)));
    CliRun r = Cli({"trace", dir + "/ring.bmp", "-o", dir + "/ring.svg"});
    ASSERT_EQ(r.code, 0) << r.err;
    FILE* f = std::fopen((dir + "/ring.svg").c_str(), "rb");
    ASSERT_TRUE(f);
    char buf[8192];
    std::string svg(buf, std::fread(buf, 1, sizeof buf, f));
    std::fclose(f);
    EXPECT_EQ(svg.compare(0, 4, "<svg"), 0);
    size_t moves = 0;
    for (size_t at = svg.find(" d=\""); (at = svg.find('M', at + 1)) != std::string::npos;) ++moves;
    EXPECT_EQ(moves, 2u);  // the ring and its hole

    std::string eps = std::string(PENMARK_SOURCE_DIR) + "/tests/eps/data/all_operators.ai";
    EXPECT_EQ(Cli({"trace", eps, "-o", dir + "/eps.svg"}).code, 0);

    SetCurrentLanguage(Language::English);
    CliRun missing = Cli({"trace", dir + "/none.bmp", "-o", dir + "/x.svg"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("File not found."), std::string::npos);
    MonoImage blank;
    blank.Create(10, 10);
    blank.Fill(1);
    ASSERT_TRUE(WriteTestBmp(dir + "/blank.bmp", blank));
    CliRun empty = Cli({"trace", dir + "/blank.bmp", "-o", dir + "/x.svg"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("empty region"), std::string::npos);
    CliRun unwritable = Cli({"trace", dir + "/ring.bmp", "-o", dir + "/no/such/dir.svg"});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("Cannot write"), std::string::npos);
}

namespace {

// A real font the build extends, from a Debian package; empty when it is missing.
std::string BuildableFont() {
    std::string font = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    return ::access(font.c_str(), R_OK) == 0 ? font : std::string();
}

}  // namespace

TEST(Cli, BuildWritesAValidFontAndCanInstallIt) {
    PENMARK_NEED(::access("/usr/bin/ots-sanitize", X_OK) == 0, "ots-sanitize");
    SetCurrentLanguage(Language::English);
    std::string font = BuildableFont();
    ASSERT_FALSE(font.empty());
    std::string dir = PENMARK_TEST_TMP;
    std::string sample = std::string(PENMARK_SOURCE_DIR) + "/samples/signature.tif";
    std::string out = dir + "/Built.ttf";
    CliRun r = Cli({"build", "--font", font, "--image", sample, "--char", "U+00A7", "--enhance",
                    "--size", "60", "--suffix", " Sig", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"Liberation Sans Sig\""), std::string::npos) << r.out;
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null").c_str()), 0);
    std::string check = "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont\n"
                        "a = TTFont('" + font + "'); b = TTFont('" + out + "'); n = a['maxp'].numGlyphs\n"
                        "g = b.getGlyphOrder()[n]; gl = b['glyf'][g]\n"
                        "ok = b['maxp'].numGlyphs == n + 1 and b.getBestCmap()[0xA7] == g and gl.numberOfContours >= 2\n"
                        "h = gl.yMax - gl.yMin  # 60 percent of the em, less the box's rounding to whole units\n"
                        "ok = ok and 1229 - 8 <= h <= 1229\n"
                        "sys.exit(0 if ok else 1)\"";
    EXPECT_EQ(std::system(check.c_str()), 0);

    // Installing copies the font into the user's folder once, and never over a file.
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    std::system(("rm -rf '" + dir + "/data'").c_str());
    CliRun first = Cli({"build", "--font", font, "--image", sample, "--char", "A", "-o", out, "--install"});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(::access((dir + "/data/fonts/Built.ttf").c_str(), R_OK), 0);
    CliRun again = Cli({"build", "--font", font, "--image", sample, "--char", "A", "-o", out, "--install"});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;  // name or file taken
    unsetenv("XDG_DATA_HOME");
}

TEST(Cli, BuildExplainsEveryFailure) {
    SetCurrentLanguage(Language::English);
    std::string dir = PENMARK_TEST_TMP;
    std::string sample = std::string(PENMARK_SOURCE_DIR) + "/samples/signature.tif";
    CliRun noFont = Cli({"build", "--font", "No Such Face", "--image", sample, "--char", "A"});
    EXPECT_EQ(noFont.code, 1);
    EXPECT_NE(noFont.err.find("No font file or installed font"), std::string::npos);
    std::string font = BuildableFont();
    ASSERT_FALSE(font.empty());
    CliRun badDir = Cli({"build", "--font", font, "--image", sample, "--char", "A", "-o", dir + "/none/x.ttf"});
    EXPECT_EQ(badDir.code, 1);
    EXPECT_NE(badDir.err.find("Cannot write"), std::string::npos);
    CliRun notFont = Cli({"build", "--font", sample, "--image", sample, "--char", "A", "-o", dir + "/x.ttf"});
    EXPECT_EQ(notFont.code, 1);
    EXPECT_NE(notFont.err.find("cannot be read"), std::string::npos) << notFont.err;
    CliRun badChar = Cli({"build", "--font", font, "--image", sample, "--char", "xy"});
    EXPECT_EQ(badChar.code, 2);
    std::string eps = std::string(PENMARK_SOURCE_DIR) + "/tests/eps/data/all_operators.ai";
    CliRun fromEps = Cli({"build", "--font", font, "--eps", eps, "--char", "B", "-o", dir + "/eps.ttf"});
    EXPECT_EQ(fromEps.code, 0) << fromEps.err;
}

// A suffix that would make the new name too long is refused before anything is traced
// or written, with the save page's message.
TEST(Cli, BuildRefusesAnOverlongSuffix) {
    SetCurrentLanguage(Language::English);
    std::string font = BuildableFont();
    ASSERT_FALSE(font.empty());
    std::string out = std::string(PENMARK_TEST_TMP) + "/overlong.ttf";
    ::unlink(out.c_str());
    std::string sample = std::string(PENMARK_SOURCE_DIR) + "/samples/signature.tif";
    CliRun r = Cli({"build", "--font", font, "--image", sample, "--char", "A", "--suffix", " " + std::string(60, 'x'),
                    "-o", out});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("The suffix is too long: with it the name of the new font may have at most 63 characters."),
              std::string::npos)
        << r.err;
    EXPECT_NE(::access(out.c_str(), F_OK), 0);
    SetCurrentLanguage(Language::German);
    EXPECT_NE(Cli({"build", "--font", font, "--image", sample, "--char", "A", "--suffix", std::string(64, 'x'), "-o", out})
                  .err.find("Das Suffix ist zu lang"),
              std::string::npos);
    SetCurrentLanguage(Language::English);
}

// A face of a collection is taken as FILE.ttc#N, named by its own name table, listed by
// `fonts` the same way; a face number past the collection's end is explained.
TEST(Cli, BuildTakesAFaceOfACollection) {
    const std::string ttc = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
    PENMARK_NEED(::access(ttc.c_str(), R_OK) == 0 && ::access("/usr/bin/ots-sanitize", X_OK) == 0,
                 "fonts-wqy-zenhei or ots-sanitize");
    SetCurrentLanguage(Language::English);
    std::string dir = PENMARK_TEST_TMP;
    std::string sample = std::string(PENMARK_SOURCE_DIR) + "/samples/signature.tif";
    std::string out = dir + "/Mono.ttf";
    CliRun r = Cli({"build", "--font", ttc + "#1", "--image", sample, "--char", "U+E000", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"WenQuanYi Zen Hei Mono-Penmark\""), std::string::npos) << r.out;
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null").c_str()), 0);

    CliRun missing = Cli({"build", "--font", ttc + "#7", "--image", sample, "--char", "A", "-o", out});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no face of that number"), std::string::npos) << missing.err;

    CliRun fonts = Cli({"fonts"});
    ASSERT_EQ(fonts.code, 0);
    EXPECT_NE(fonts.out.find("WenQuanYi Zen Hei Mono\t" + ttc + "#1\n"), std::string::npos) << fonts.out;
}

// `dump` lists one face of a collection given as FILE.ttc#N.
TEST(Cli, DumpListsOneFaceOfACollection) {
    PENMARK_NEED(::access("/usr/bin/python3", X_OK) == 0, "python3-fonttools");
    SetCurrentLanguage(Language::English);
    const std::string dir = PENMARK_TEST_TMP;
    const std::string ttc = dir + "/dump-pair.ttc";
    std::string make = "/usr/bin/python3 -c \"import sys; from fontTools import subset; from fontTools.ttLib import TTFont, "
                       "TTCollection\nfonts = []\nfor p in sys.argv[1:3]:\n    f = TTFont(p); s = subset.Subsetter(); "
                       "s.populate(text='AB'); s.subset(f); fonts.append(f)\nc = TTCollection(); c.fonts = fonts; "
                       "c.save(sys.argv[3])\" /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "
                       "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf '" + ttc + "' 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    CliRun serif = Cli({"dump", "--structured", ttc + "#1"});
    EXPECT_EQ(serif.code, 0) << serif.err;
    EXPECT_NE(serif.out.find("\"DejaVu Serif\""), std::string::npos);
    EXPECT_EQ(serif.out.find("\"DejaVu Sans\""), std::string::npos);
    CliRun missing = Cli({"dump", ttc + "#2"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("code 10"), std::string::npos) << missing.err;
}
