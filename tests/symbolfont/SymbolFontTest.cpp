#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "AnsiGlyphNames.h"
#include "Oracles.h"
#include "Placement.h"
#include "PrivateFontFolder.h"
#include "RealFonts.h"
#include "SymbolFont.h"
#include "TTError.h"

namespace {

const std::string kTmp = PENMARK_TEST_TMP;
const std::string kLiberation = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

bool HaveOracles() {
    return ::access("/usr/bin/ots-sanitize", X_OK) == 0 && ::access("/usr/bin/python3", X_OK) == 0 &&
           ::access(kLiberation.c_str(), R_OK) == 0;
}

int Shell(const std::string& cmd) { return std::system(cmd.c_str()); }

// Each test process works in a folder of its own: ctest runs tests side by side.
std::string Scratch() {
    static const std::string dir = [] {
        std::string d = kTmp + "/run-" + std::to_string(::getpid());
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

std::string Derive(const std::string& mode) {
    std::string out = Scratch() + "/" + mode + ".ttf";
    std::string cmd = "/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                      "/tests/symbolfont/derive_font.py '" + kLiberation + "' '" + out + "' " + mode;
    return Shell(cmd) == 0 ? out : std::string();
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

// A placed symbol: a square with one curved side, half an em high.
GlyphOutline Symbol() {
    Outline traced;
    traced.appendMove({0, 0});
    traced.appendLine({100, 0});
    traced.appendCubic({100, 100}, {130, 30}, {130, 70});
    traced.appendLine({0, 100});
    traced.appendLine({0, 0});
    GlyphOutline glyph;
    PlaceGlyph(traced, PlacementParams{}, glyph);
    return glyph;
}

// Runs a fontTools check on the built font; the script sees a (original) and b (built).
int Check(const std::string& original, const std::string& built, const std::string& body) {
    std::string script = Scratch() + "/check.py";
    WriteAll(script, "import sys\nfrom fontTools.ttLib import TTFont\na = TTFont(sys.argv[1]); b = TTFont(sys.argv[2])\n"
                     "n = a['maxp'].numGlyphs; g = b.getGlyphOrder()[n]\nok = True\n" + body +
                     "\nsys.exit(0 if ok else 1)\n");
    return Shell("/usr/bin/python3 '" + script + "' '" + original + "' '" + built + "'");
}

}  // namespace

TEST(SymbolFont, GlyphNamesOfTheAnsiPositions) {
    EXPECT_STREQ(AnsiGlyphName(0x41), "A");
    EXPECT_STREQ(AnsiGlyphName(0x20), "space");
    EXPECT_STREQ(AnsiGlyphName(0xFF), "ydieresis");
    EXPECT_STREQ(AnsiGlyphName(0xAD), "hyphen");
    EXPECT_STREQ(AnsiGlyphName(0xB7), "periodcentered");
    EXPECT_STREQ(AnsiGlyphName(0x8C), "OE");
    EXPECT_STREQ(AnsiGlyphName(0x9F), "Ydieresis");
    for (uint32_t unnamed : {0x7Fu, 0x80u, 0x81u, 0x8Du, 0x90u, 0x9Du, 0x9Eu, 0xA0u, 0x1Fu, 0x100u, 0x2022u})
        EXPECT_EQ(AnsiGlyphName(unnamed), nullptr) << std::hex << unnamed;
}

TEST(SymbolFont, BuildsAValidFontWithTheSymbolAtTheCharacter) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    std::string src = Derive("post3");
    ASSERT_FALSE(src.empty());
    std::string out = Scratch() + "/built.ttf";
    GlyphOutline glyph = Symbol();
    std::vector<intptr_t> positions;
    int result = buildSymbolFont(src.c_str(), out.c_str(), "-Penmark", 0x41, &glyph,
                                 [&](int32_t code, intptr_t param) -> int32_t {
                                     if (code == 1) positions.push_back(param);
                                     return 0;
                                 });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(positions, (std::vector<intptr_t>{50, 100}));
    EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Check(src, out,
                    "glyph_advance = " + std::to_string(glyph.advanceWidth()) + "\n"
                    "ok = ok and b['maxp'].numGlyphs == n + 1 and len(b['hmtx'].metrics) == n + 1\n"
                    "ok = ok and all(t.cmap.get(0x41) == g for t in b['cmap'].tables if 0x41 in t.cmap)\n"
                    "gl = b['glyf'][g]; ok = ok and gl.numberOfContours == 1\n"
                    "ok = ok and (gl.yMin, gl.yMax) == (0, 1024) and b['hmtx'][g][0] == glyph_advance\n"
                    "ok = ok and b['name'].getName(1, 3, 1).toUnicode() == 'Liberation Sans-Penmark'\n"
                    "ok = ok and b['name'].getName(2, 3, 1).toUnicode() == 'Regular'\n"
                    "ok = ok and b['glyf'][b.getGlyphOrder()[36]].coordinates == a['glyf'][a.getGlyphOrder()[36]].coordinates\n"
                    "pts = list(gl.coordinates); ok = ok and len(pts) > 5\n"
                    "area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]))\n"
                    "ok = ok and area < 0  # outer contour clockwise, as TrueType wants\n"),
              0);
}

// A suffix outside ASCII goes into each name record in its own encoding: fontTools reads
// the Windows and the Macintosh Roman records back with the suffix as typed; the
// PostScript name keeps printable ASCII without delimiters, and a CFF font's name
// follows it. ots accepts both fonts.
TEST(SymbolFont, SuffixOutsideAsciiIsWrittenInEachRecordsEncoding) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    const char* suffix = " Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC";  // " Unterschrift äöü€"
    const std::string sfxLine = "sfx = ' Unterschrift \\u00e4\\u00f6\\u00fc\\u20ac'\n";
    const std::string names =
        "import re\n"
        "def before(r): return a['name'].getName(r.nameID, r.platformID, r.platEncID, r.langID).toUnicode()\n"
        "for r in b['name'].names:\n"
        "    s = r.toUnicode()\n"
        "    if r.nameID in (1, 3, 4, 16):\n"
        "        if s != (full if r.nameID == 4 else before(r) + sfx):\n"
        "            ok = False; print('not suffixed:', r.nameID, r.platformID, repr(s))\n"
        "    elif r.nameID == 6:\n"
        "        if not re.fullmatch(r'[!-~]{1,63}', s) or any(c in s for c in '()[]{}<>/%') or s != ps:\n"
        "            ok = False; print('PostScript name:', r.platformID, repr(s))\n"
        "    elif s != before(r): ok = False; print('changed:', r.nameID, r.platformID, repr(s))\n"
        "ok = ok and len(b['name'].names) == len(a['name'].names)\n"
        "ok = ok and b['name'].getDebugName(1) == family + sfx and b['name'].getDebugName(4) == full\n";
    GlyphOutline glyph = Symbol();

    std::string out = Scratch() + "/unterschrift.ttf";
    ASSERT_EQ(buildSymbolFont(kLiberation.c_str(), out.c_str(), suffix, 0x41, &glyph, {}), 0);
    EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Check(kLiberation, out,
                    sfxLine + "ps = 'LiberationSansUnterschrift'; family = 'Liberation Sans'; full = family + sfx\n" + names +
                        "ok = ok and b['name'].getName(1, 1, 0, 0).toUnicode() == family + sfx\n"
                        "ok = ok and b['name'].getName(1, 1, 0, 0).toBytes()[-4:] == bytes([0x8A, 0x9A, 0x9F, 0xDB])\n"),
              0);

    const std::string cantarell = "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf";
    PENMARK_NEED(::access(cantarell.c_str(), R_OK) == 0, "fonts-cantarell");
    std::string otf = Scratch() + "/unterschrift.otf";
    ASSERT_EQ(buildSymbolFont(cantarell.c_str(), otf.c_str(), suffix, 0x41, &glyph, {}), 0);
    EXPECT_EQ(Shell("ots-sanitize '" + otf + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Check(cantarell, otf,
                    sfxLine + "ps = 'Cantarell-RegularUnterschrift'; family = 'Cantarell'; full = 'Cantarell' + sfx + ' Regular'\n" +
                        names + "ok = ok and b['CFF '].cff.fontNames == [ps]\n"),
              0);
}

TEST(SymbolFont, ScalesToTheFontsEmAndRefusesWhatWouldNotFit) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    std::string big = Derive("em16384");
    ASSERT_FALSE(big.empty());
    std::string out = Scratch() + "/big.ttf";
    GlyphOutline glyph = Symbol();
    ASSERT_EQ(buildSymbolFont(big.c_str(), out.c_str(), nullptr, 0x2022, &glyph, {}), 0);
    EXPECT_EQ(Check(big, out, "gl = b['glyf'][g]; ok = (gl.yMin, gl.yMax) == (0, 8192)\n"
                              "ok = ok and b['name'].getName(1, 3, 1).toUnicode() == 'Liberation Sans'"),
              0);

    GlyphOutline huge;
    huge.appendMove({0, 0});
    huge.appendLine({6000, 0});
    huge.appendLine({6000, 6000});
    EXPECT_EQ(buildSymbolFont(big.c_str(), out.c_str(), nullptr, 0x41, &huge, {}), SymbolFontError::kTooLarge);
}

TEST(SymbolFont, FailuresLeaveTheDestinationAsItWas) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    std::string src = Derive("post3");
    ASSERT_FALSE(src.empty());
    GlyphOutline glyph = Symbol();
    std::string out = Scratch() + "/keep.ttf";
    WriteAll(out, "the user's old file");

    auto stop = [](int32_t code, intptr_t param) -> int32_t { return code == 1 && param == 50 ? 3000 : 0; };
    EXPECT_EQ(buildSymbolFont(src.c_str(), out.c_str(), "-X", 0x41, &glyph, stop), SymbolFontError::kCancelled);
    EXPECT_EQ(ReadAll(out), "the user's old file");

    std::string mac = Derive("maconly");
    ASSERT_FALSE(mac.empty());
    EXPECT_EQ(buildSymbolFont(mac.c_str(), out.c_str(), "-X", 0x2022, &glyph, {}), SymbolFontError::kNoCharacterMap);
    EXPECT_EQ(ReadAll(out), "the user's old file");
    // A format 0 map holds glyph indexes as bytes: this font's new glyph is past 255.
    EXPECT_EQ(buildSymbolFont(mac.c_str(), out.c_str(), "-X", 0xE9, &glyph, {}), SymbolFontError::kNoCharacterMap);

    EXPECT_EQ(buildSymbolFont(nullptr, out.c_str(), "", 0x41, &glyph, {}), -1);
    EXPECT_EQ(buildSymbolFont(src.c_str(), out.c_str(), "", 0x41, nullptr, {}), -1);
    EXPECT_EQ(buildSymbolFont((Scratch() + "/none.ttf").c_str(), out.c_str(), "", 0x41, &glyph, {}), ENOENT);
    EXPECT_EQ(buildSymbolFont(src.c_str(), (Scratch() + "/no/dir/x.ttf").c_str(), "", 0x41, &glyph, {}), ENOENT);
    std::string notFont = Scratch() + "/text.ttf";
    WriteAll(notFont, "not a font at all, just some text that is long enough to read a header");
    WriteAll(out, "the user's old file");
    EXPECT_GT(buildSymbolFont(notFont.c_str(), out.c_str(), "", 0x41, &glyph, {}), 0);
    EXPECT_EQ(ReadAll(out), "the user's old file");
    // Nothing is left behind beside the destination.
    EXPECT_EQ(Shell("ls -a '" + Scratch() + "' | grep -q penmark-"), 256);
}

TEST(SymbolFont, TheOutputMayReplaceTheInput) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    std::string src = Derive("post3");
    std::string same = Scratch() + "/same.ttf";
    WriteAll(same, ReadAll(src));
    GlyphOutline glyph = Symbol();
    // The replaced file's own mode is kept, whatever the umask.
    ASSERT_EQ(::chmod(same.c_str(), 0600), 0);
    mode_t old = ::umask(0022);
    ASSERT_EQ(buildSymbolFont(same.c_str(), same.c_str(), "-S", 0x42, &glyph, {}), 0);
    EXPECT_EQ(Shell("ots-sanitize '" + same + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Check(src, same, "ok = b['maxp'].numGlyphs == n + 1"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(same.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A new file takes 0666 less the umask.
    std::string fresh = Scratch() + "/fresh.ttf";
    ::umask(0027);
    ASSERT_EQ(buildSymbolFont(src.c_str(), fresh.c_str(), "-S", 0x42, &glyph, {}), 0);
    ::umask(old);
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Fonts whose maps are not Unicode, or whose tables are unusual, built end to end: each
// result passes ots and shows fontTools the symbol where the font's encoding has the
// character.
TEST(SymbolFont, MapsInTheirOwnEncodingsAndUnusualTables) {
    PENMARK_NEED(HaveOracles(), "fonts-liberation2, ots-sanitize or python3-fonttools");
    GlyphOutline glyph = Symbol();
    // ots takes no font without a Unicode or Symbol map: those are checked by fontTools.
    auto build = [&](const std::string& mode, uint16_t code, int expected, bool ots = true) {
        std::string src = Derive(mode);
        EXPECT_FALSE(src.empty()) << mode;
        std::string out = Scratch() + "/" + mode + "-" + std::to_string(code) + ".ttf";
        EXPECT_EQ(buildSymbolFont(src.c_str(), out.c_str(), "-P", code, &glyph, {}), expected) << mode;
        if (expected == 0 && ots) {
            EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0) << mode;
        }
        return std::make_pair(src, out);
    };
    auto cmapIs = [](int platform, int encoding, uint32_t code) {
        return "t = b['cmap'].getcmap(" + std::to_string(platform) + ", " + std::to_string(encoding) +
               "); ok = ok and t is not None and t.cmap.get(" + std::to_string(code) + ") == g\n";
    };
    // Symbol: e acute is code page 1252 byte 0xE9, at 0xF0E9.
    auto [sym, symOut] = build("symbol", 0xE9, 0);
    EXPECT_EQ(Check(sym, symOut, cmapIs(3, 0, 0xF0E9)), 0);
    // Macintosh Roman: e acute is byte 0x8E; a star has no code there.
    auto [mac, macOut] = build("macsmall", 0xE9, 0, false);
    EXPECT_EQ(Check(mac, macOut, cmapIs(1, 0, 0x8E) + "ok = ok and t.cmap.get(0xE9) == a['cmap'].getcmap(1, 0).cmap.get(0xE9)\n"), 0);
    build("macsmall", 0x2605, SymbolFontError::kNoCharacterMap);
    // Shift-JIS format 2: hiragana A is 0x82A0, behind the lead byte 0x82 of the digits;
    // the kanji for "middle" 0x9286, behind a lead byte fontTools gave an empty range;
    // e acute has no Shift-JIS code at all.
    auto [sjis, sjisOut] = build("format2", 0x3042, 0, false);
    EXPECT_EQ(Check(sjis, sjisOut, cmapIs(3, 2, 0x82A0) + "ok = ok and t.cmap.get(0x824F) == a['cmap'].getcmap(3, 2).cmap[0x824F]\n"), 0);
    auto [kanji, kanjiOut] = build("format2", 0x4E2D, 0, false);
    EXPECT_EQ(Check(kanji, kanjiOut, cmapIs(3, 2, 0x9286)), 0);
    build("format2", 0xE9, SymbolFontError::kNoCharacterMap);
    // Vertical metrics: the symbol advances as most glyphs do.
    auto [vert, vertOut] = build("vertical", 0x41, 0);
    EXPECT_EQ(Check(vert, vertOut, "ok = b['vmtx'][g][0] == 2200\n"), 0);
    // Names dropped stay dropped: post format 3 in, format 3 out.
    auto [post3, post3Out] = build("post3", 0x41, 0);
    EXPECT_EQ(Check(post3, post3Out, "ok = b['post'].formatType == 3.0\n"), 0);
    // A table listed twice keeps its first entry; the font written has one.
    auto [dup, dupOut] = build("dupdir", 0x41, 0);
    EXPECT_EQ(Check(dup, dupOut, "ok = b['name'].getName(1, 3, 1).toUnicode() == 'Liberation Sans-P'\n"
                                 "ok = ok and list(b.reader.keys()).count('name') == 1\n"),
              0);
}

#include <filesystem>
#include <vector>

#include "MonoImage.h"
#include "TestPictures.h"
#include "Tracer.h"

namespace {

// The ring picture traced and placed as the document would.
GlyphOutline TracedRing() {
    MonoImage ring = RingPicture(120);
    TraceParams params;
    params.image = &ring;
    EXPECT_EQ(trace(&params), 0);
    GlyphOutline glyph;
    if (params.result) PlaceGlyph(*params.result, PlacementParams{}, glyph);
    return glyph;
}

}  // namespace

// Every font of three Debian packages takes a traced ring at a Latin-1 character and at
// one outside code page 1252; fontTools and ots check every result.
TEST(SymbolFont, EveryDebianFontTakesTheSymbol) {
    PENMARK_NEED(HaveOracles(), "fonts, ots-sanitize or python3-fonttools");
    namespace fs = std::filesystem;
    std::vector<std::string> fonts = DebianFonts();
    ASSERT_FALSE(fonts.empty());
    GlyphOutline ring = TracedRing();
    ASSERT_GT(ring.nodeCount(), 0);
    fs::create_directories(Scratch() + "/every");
    std::string args;
    for (const std::string& font : fonts) {
        for (uint16_t code : {uint16_t(0xE9), uint16_t(0x2605)}) {
            std::string out = Scratch() + "/every/" + fs::path(font).stem().string() + "-" + std::to_string(code) + ".ttf";
            int result = buildSymbolFont(font.c_str(), out.c_str(), "-Penmark", code, &ring, {});
            ASSERT_EQ(result, 0) << font << " code " << code;
            EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0) << out;
            args += " '" + font + "' '" + out + "' " + std::to_string(code);
        }
    }
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                    "/tests/symbolfont/check_symbol.py -Penmark" + args),
              0);
}

// Each face of a TrueType collection (fonts-wqy-zenhei) takes the symbol and comes out
// as a font of its own that fontTools and ots accept; a face past the last is refused.
TEST(SymbolFont, EachFaceOfACollectionTakesTheSymbol) {
    const std::string ttc = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
    PENMARK_NEED(HaveOracles() && ::access(ttc.c_str(), R_OK) == 0, "fonts-wqy-zenhei, ots-sanitize or python3-fonttools");
    GlyphOutline ring = TracedRing();
    std::string args;
    for (uint32_t face = 0; face < 3; ++face) {
        std::string out = Scratch() + "/wqy-" + std::to_string(face) + ".ttf";
        ASSERT_EQ(buildSymbolFont(ttc.c_str(), out.c_str(), "-Penmark", 0xE9, &ring, {}, face), 0) << face;
        EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0) << out;
        args += " '" + ttc + "#" + std::to_string(face) + "' '" + out + "' 233";
    }
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                    "/tests/symbolfont/check_symbol.py -Penmark" + args),
              0);
    std::string out = Scratch() + "/wqy-3.ttf";
    EXPECT_EQ(buildSymbolFont(ttc.c_str(), out.c_str(), "-Penmark", 0xE9, &ring, {}, 3), TTError::kNoSuchFace);
    EXPECT_NE(::access(out.c_str(), F_OK), 0) << "nothing written";
}

// Every font of fonts-noto-core (some 270 TrueType fonts of many scripts) takes the
// symbol at a Latin-1 and at a private-use character; ots and fontTools check each.
TEST(SymbolFont, EveryNotoCoreFontTakesTheSymbol) {
    namespace fs = std::filesystem;
    const std::string dir = "/usr/share/fonts/truetype/noto";
    std::vector<std::string> fonts;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ".ttf") fonts.push_back(e.path().string());
    std::sort(fonts.begin(), fonts.end());
    PENMARK_NEED(HaveOracles() && fonts.size() > 100, "fonts-noto-core, ots-sanitize or python3-fonttools");
    GlyphOutline ring = TracedRing();
    const std::string out = Scratch() + "/noto";
    fs::create_directories(out);
    std::string args;
    for (const std::string& font : fonts) {
        for (uint16_t code : {uint16_t(0xE9), uint16_t(0xE000)}) {
            std::string built = out + "/" + fs::path(font).stem().string() + "-" + std::to_string(code) + ".ttf";
            ASSERT_EQ(buildSymbolFont(font.c_str(), built.c_str(), "-Penmark", code, &ring, {}), 0) << font;
            EXPECT_EQ(Shell("ots-sanitize '" + built + "' /dev/null > /dev/null"), 0) << built;
            args += " '" + font + "' '" + built + "' " + std::to_string(code);
        }
    }
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/check_symbol.py -Penmark" +
                    args),
              0);
    fs::remove_all(out, ec);
}

// Every OpenType font with PostScript outlines of fonts-linuxlibertine, fonts-cantarell
// and fonts-urw-base35, and a CID-keyed font made from one (two Font DICTs, CIDs with gaps),
// takes the symbol at a Latin-1 and a private-use character as a charstring of its own;
// ots and fontTools check each (old charstrings byte for byte), FreeType draws it. The
// CFF font name follows the suffixed PostScript name; CFF2 outlines are refused.
TEST(SymbolFont, EveryPostScriptOutlineFontTakesTheSymbol) {
    namespace fs = std::filesystem;
    std::vector<std::string> fonts;
    std::error_code ec;
    for (const char* dir : {"/usr/share/fonts/opentype/linux-libertine", "/usr/share/fonts/opentype/cantarell",
                            "/usr/share/fonts/opentype/urw-base35"})
        for (const auto& e : fs::directory_iterator(dir, ec))
            if (e.path().extension() == ".otf") fonts.push_back(e.path().string());
    std::sort(fonts.begin(), fonts.end());
    PENMARK_NEED(HaveOracles() && fonts.size() >= 50,
                 "fonts-linuxlibertine, fonts-cantarell, fonts-urw-base35, ots-sanitize or python3-fonttools");
    const std::string out = Scratch() + "/otf";
    fs::create_directories(out);
    const std::string cantarell = "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf";
    const std::string cid = out + "/cid.otf";
    ASSERT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/derive_cid.py '" +
                    cantarell + "' '" + cid + "'"),
              0);
    fonts.push_back(cid);
    GlyphOutline ring = TracedRing();
    std::string args;
    // A collection of PostScript-outline faces: the second one comes out on its own.
    const std::string otc = out + "/pair.otc";
    ASSERT_EQ(Shell("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont, TTCollection; "
                    "c = TTCollection(); c.fonts = [TTFont(sys.argv[1]), TTFont(sys.argv[2])]; c.save(sys.argv[3])\" '" +
                    cid + "' '" + cantarell + "' '" + otc + "'"),
              0);
    const std::string fromCollection = out + "/pair-1.otf";
    ASSERT_EQ(buildSymbolFont(otc.c_str(), fromCollection.c_str(), "-Penmark", 0xE9, &ring, {}, 1), 0);
    EXPECT_EQ(Shell("ots-sanitize '" + fromCollection + "' /dev/null > /dev/null"), 0);
    args += " '" + otc + "#1' '" + fromCollection + "' 233";
    for (const std::string& font : fonts) {
        for (uint16_t code : {uint16_t(0xE9), uint16_t(0xE000)}) {
            std::string built = out + "/" + fs::path(font).stem().string() + "-" + std::to_string(code) + ".otf";
            ASSERT_EQ(buildSymbolFont(font.c_str(), built.c_str(), "-Penmark", code, &ring, {}), 0) << font;
            EXPECT_EQ(Shell("ots-sanitize '" + built + "' /dev/null > /dev/null"), 0) << built;
            args += " '" + font + "' '" + built + "' " + std::to_string(code);
        }
    }
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/check_symbol.py -Penmark" +
                    args),
              0);

    // The same font with its outline table tagged CFF2: refused, nothing written.
    std::string bytes = ReadAll(cantarell);
    size_t at = bytes.find("CFF ");
    ASSERT_LT(at, 12 + 16 * 20u);
    bytes[at + 3] = '2';
    WriteAll(out + "/cff2.otf", bytes);
    std::string refused = out + "/cff2-built.otf";
    EXPECT_EQ(buildSymbolFont((out + "/cff2.otf").c_str(), refused.c_str(), "-Penmark", 0xE9, &ring, {}), TTError::kCff2);
    EXPECT_NE(::access(refused.c_str(), F_OK), 0);
    fs::remove_all(out, ec);
}

// A font with Graphite tables (fonts-sil-scheherazade) takes the symbol without them, and
// says so; its OpenType layout tables stay.
TEST(SymbolFont, GraphiteTablesAreLeftOutWithANote) {
    const std::string font = "/usr/share/fonts/truetype/scheherazade/Scheherazade-Regular.ttf";
    PENMARK_NEED(HaveOracles() && ::access(font.c_str(), R_OK) == 0,
                 "fonts-sil-scheherazade, ots-sanitize or python3-fonttools");
    GlyphOutline ring = TracedRing();
    std::string out = Scratch() + "/graphite.ttf";
    SymbolFontNotes notes;
    ASSERT_EQ(buildSymbolFont(font.c_str(), out.c_str(), "-Penmark", 0xE9, &ring, {}, 0, &notes), 0);
    EXPECT_TRUE(notes.droppedGraphite);
    EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/check_symbol.py -Penmark '" +
                    font + "' '" + out + "' 233"),
              0);
    EXPECT_EQ(Shell("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
                    "sys.exit(0 if 'GSUB' in f and 'GPOS' in f and not {'Silf', 'Glat', 'Gloc', 'Feat', 'Sill'} & set(f.keys()) "
                    "else 1)\" '" + out + "'"),
              0);
    SymbolFontNotes plain;
    ASSERT_EQ(buildSymbolFont(kLiberation.c_str(), out.c_str(), "-Penmark", 0xE9, &ring, {}, 0, &plain), 0);
    EXPECT_FALSE(plain.droppedGraphite);
}

// A variable TrueType font (fonts-inter-variable) takes the symbol without making it
// vary: with HVAR's advance map, with no maps at all, and with a VVAR beside it. Every
// instance at the axis extremes still builds, old glyphs unchanged (check_variable.py).
TEST(SymbolFont, VariableFontsTakeASymbolThatDoesNotVary) {
    const std::string inter = "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf";
    PENMARK_NEED(HaveOracles() && ::access(inter.c_str(), R_OK) == 0,
                 "fonts-inter-variable, ots-sanitize or python3-fonttools");
    GlyphOutline ring = TracedRing();
    std::vector<std::string> sources = {inter};
    for (const char* mode : {"implicit", "vvar"}) {
        std::string derived = Scratch() + "/inter-" + mode + ".ttf";
        ASSERT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/derive_font.py '" +
                        inter + "' '" + derived + "' " + mode),
                  0);
        sources.push_back(derived);
    }
    std::string args;
    for (size_t i = 0; i < sources.size(); ++i) {
        std::string out = Scratch() + "/variable-" + std::to_string(i) + ".ttf";
        ASSERT_EQ(buildSymbolFont(sources[i].c_str(), out.c_str(), "-Penmark", 0xE000, &ring, {}), 0) << sources[i];
        EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0) << out;
        args += " '" + sources[i] + "' '" + out + "'";
    }
    // A font built so takes a second symbol the same way.
    std::string again = Scratch() + "/variable-again.ttf";
    ASSERT_EQ(buildSymbolFont((Scratch() + "/variable-0.ttf").c_str(), again.c_str(), "", 0xE001, &ring, {}), 0);
    args += " '" + Scratch() + "/variable-0.ttf' '" + again + "'";
    EXPECT_EQ(Shell("/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) + "/tests/symbolfont/check_variable.py" + args),
              0);
}

namespace {

// The families fontconfig lists for the fonts of a private configuration, one set per font.
std::vector<std::vector<std::string>> ListedFamilies(const test_fonts::PrivateFontFolder& folder) {
    std::string listing = Scratch() + "/families.txt";
    Shell("FONTCONFIG_FILE='" + folder.ConfigFile() + "' fc-list --format '%{family}\\n' > '" + listing + "'");
    std::vector<std::vector<std::string>> fonts;
    std::istringstream lines(ReadAll(listing));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> names;
        std::istringstream parts(line);
        for (std::string name; std::getline(parts, name, ',');) names.push_back(name);
        fonts.push_back(names);
    }
    return fonts;
}

bool HasTypographicFamily(const std::string& font) {
    return Shell("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; "
                 "sys.exit(0 if any(r.nameID in (16, 21) for r in TTFont(sys.argv[1])['name'].names) else 1)\" '" +
                 font + "'") == 0;
}

}  // namespace

// Installed beside its source, every new font forms a family of its own, also for fonts
// whose typographic or WWS family differs from the plain one.
TEST(SymbolFont, TheNewFontInstallsAsAFamilyBesideItsSource) {
    PENMARK_NEED(HaveOracles() && ::access("/usr/bin/fc-list", X_OK) == 0, "fonts, ots-sanitize, python3 or fc-list");
    namespace fs = std::filesystem;
    GlyphOutline ring = TracedRing();
    int withTypographicFamily = 0;
    for (const char* dir : {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation2",
                            "/usr/share/fonts/truetype/freefont"}) {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec)) {
            if (e.path().extension() != ".ttf") continue;
            test_fonts::PrivateFontFolder folder(Scratch() + "/fc");
            std::string out = folder.Fonts() + "/new.ttf";
            ASSERT_EQ(buildSymbolFont(e.path().c_str(), out.c_str(), "-Penmark", 0xE9, &ring, {}), 0) << e.path();
            ASSERT_FALSE(folder.Add(e.path()).empty());
            auto fonts = ListedFamilies(folder);
            ASSERT_EQ(fonts.size(), 2u) << e.path();
            if (HasTypographicFamily(e.path().string())) ++withTypographicFamily;
            for (const std::string& a : fonts[0])
                for (const std::string& b : fonts[1]) EXPECT_NE(a, b) << e.path() << " shares a family";
        }
    }
    EXPECT_GT(withTypographicFamily, 0) << "no test font has a typographic family";
}
