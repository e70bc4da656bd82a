// OS/2: every version's fields survive reading and writing, short tables are refused,
// and writing recomputes the average width, Windows metrics and character range.
#include <gtest/gtest.h>

#include "GlyphNames.h"
#include "OS2TABLE.h"
#include "TableHarness.h"
#include "cmapTABLE.h"

namespace {

std::unique_ptr<TTGLYPH> ResidentGlyph(int x0, int y0, int x1, int y1) {
    auto g = std::make_unique<TTGLYPH>(TTGLYPH::Simple, 0, 0, 0, 0);
    GlyphPoint pts[3] = {{1, int16_t(x0), int16_t(y0)}, {1, int16_t(x1), int16_t(y0)}, {1, int16_t(x1), int16_t(y1)}};
    g->appendContour(pts, 3);
    return g;
}

Bytes Pattern(size_t size, int version) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = uint8_t(i * 7 + 3);
    b[0] = 0;
    b[1] = uint8_t(version);
    return b;
}

TEST(OS2, EveryVersionRoundTripsWithItsLaterFields) {
    struct Case {
        int version;
        size_t size;
    };
    for (Case c : {Case{0, 68}, Case{0, 78}, Case{1, 86}, Case{2, 96}, Case{3, 96}, Case{4, 96}, Case{5, 100},
                   Case{1, 96}, Case{4, 104}}) {
        Bytes in = Pattern(c.size, c.version);
        int code = -1;
        auto t = ReadAlone<OS2TABLE>(in, &code);
        ASSERT_EQ(code, 0) << c.version << "/" << c.size;
        EXPECT_EQ(WriteTable(*t, &code), in) << c.version << "/" << c.size;
        EXPECT_EQ(code, 0);
    }
}

TEST(OS2, FieldsSitWhereTheFormatPutsThem) {
    Bytes in = Pattern(100, 5);
    auto t = ReadAlone<OS2TABLE>(in);
    EXPECT_EQ(t->xAvgCharWidth, int16_t(Get16(in, 2)));
    EXPECT_EQ(t->sFamilyClass, int16_t(Get16(in, 30)));
    EXPECT_EQ(t->panose[0], in[32]);
    EXPECT_EQ(t->unicoderange[3], Get32(in, 54));
    EXPECT_EQ(t->achVendID[0], in[58]);
    EXPECT_EQ(t->Selection, Get16(in, 62));
    EXPECT_EQ(t->usWinDescent, Get16(in, 76));
    EXPECT_EQ(t->codepagerange[1], Get32(in, 82));
    EXPECT_EQ(t->sxHeight, int16_t(Get16(in, 86)));
    EXPECT_EQ(t->usMaxContext, Get16(in, 94));
    EXPECT_EQ(t->usUpperOpticalPointSize, Get16(in, 98));
    EXPECT_TRUE(t->m_tail.empty());
}

TEST(OS2, TableShorterThanItsVersionIsAReadError) {
    for (auto [version, size] : {std::pair{0, 60}, {1, 80}, {3, 90}, {5, 98}}) {
        int code = 0;
        ReadAlone<OS2TABLE>(Pattern(size_t(size), version), &code);
        EXPECT_EQ(code, TTError::kRead) << version << "/" << size;
    }
}

TEST(OS2, ResetGivesTheDefaults) {
    OS2TABLE t(nullptr);
    t.reset();
    EXPECT_EQ(t.state(), TTSource::Initiated);
    EXPECT_EQ(std::string(t.achVendID.begin(), t.achVendID.end()), "SWAP");
    EXPECT_EQ(t.usWeightClass, 400);
    EXPECT_EQ(t.usWidthClass, 5);
    int code = -1;
    Bytes out = WriteTable(t, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.size(), t.sizeOfVersion());
}

// A font whose glyphs are named after the weight list, mapped by a Unicode subtable.
struct Os2Font {
    TTF font;
    OS2TABLE* os2;
    TTcmapSubtable* map;

    explicit Os2Font(bool symbol = false, bool unicode = true) {
        std::vector<GlyphSpec> glyphs = {{500, 0, 0, ".notdef"}};
        const char* names[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n",
                               "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "space"};
        for (size_t i = 0; i < 27; ++i) glyphs.push_back({int(100 + 10 * i), -int(i), 600 + int(i), names[i]});
        SetGlyphs(font, glyphs);
        os2 = Install<OS2TABLE>(font, TTIndex::OS2, Pattern(96, 4));
        os2->usWinAscent = os2->usWinDescent = 10;
        auto* cmap = font.get<cmapTABLE>(TTIndex::cmap);
        map = unicode ? cmap->addSubtable(3, 1) : nullptr;
        if (symbol) cmap->addSubtable(3, 0);
        for (int i = 0; i < 26 && map; ++i) map->setGlyphForCode(uint32_t('a' + i), uint16_t(i + 1));
        if (map) map->setGlyphForCode(' ', 27);
    }
    void write() {
        int code = -1;
        WriteTable(*os2, &code);
        ASSERT_EQ(code, 0);
    }
};

TEST(OS2, AverageWidthFollowsTheWeightListOnlyWhenItsWeightsAddUpTo1000) {
    const int weights[] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                           56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2, 166};
    int64_t sum = 0;
    for (int i = 0; i < 27; ++i) sum += int64_t(weights[i]) * (100 + 10 * i);
    {
        Os2Font f;
        f.write();
        EXPECT_EQ(f.os2->xAvgCharWidth, sum / 1000);
        EXPECT_EQ(f.os2->state(), TTSource::Calculated);
    }
    // Plain average of all 28 glyphs: with a Symbol subtable, or with a name missing.
    int64_t all = 500;
    for (int i = 0; i < 27; ++i) all += 100 + 10 * i;
    {
        Os2Font f(true);
        f.write();
        EXPECT_EQ(f.os2->xAvgCharWidth, all / 28);
    }
    {
        Os2Font f;
        f.font.glyf()->glyph(5)->m_name = GlyphNames::own("e.alt");
        f.write();
        EXPECT_EQ(f.os2->xAvgCharWidth, all / 28);
    }
    {
        // Standard-index names count as their standard text.
        Os2Font f;
        f.font.glyf()->glyph(1)->m_name = GlyphNames::standard(uint16_t(GlyphNames::standardIndex("a")));
        f.write();
        EXPECT_EQ(f.os2->xAvgCharWidth, sum / 1000);
    }
}

TEST(OS2, WindowsMetricsComeFromTheLatin1GlyphsOnly) {
    Os2Font f;
    auto& g = *f.font.glyf();
    // Glyph 28: tall but reachable only beyond Latin-1; glyph 29: mapped at 0xE9, built
    // in memory with a box not yet brought up to date with its points.
    g.addGlyph(std::make_unique<TTGLYPH>(TTGLYPH::Simple, 0, -900, 100, 3000))->m_bResident = false;
    g.addGlyph(ResidentGlyph(0, -410, 100, 1200));
    f.map->setGlyphForCode(0x3A9, 28);
    f.map->setGlyphForCode(0xE9, 29);
    f.write();
    EXPECT_EQ(f.os2->usWinAscent, 1200);
    EXPECT_EQ(f.os2->usWinDescent, 410);
    EXPECT_EQ(f.os2->usFirstCharIndex, 0x20);
    EXPECT_EQ(f.os2->usLastCharIndex, 0x3A9);
}

TEST(OS2, WindowsMetricsAreRaisedButNeverLowered) {
    Os2Font f;
    f.os2->usWinAscent = 2400;
    f.os2->usWinDescent = 5;
    f.write();
    EXPECT_EQ(f.os2->usWinAscent, 2400);
    EXPECT_EQ(f.os2->usWinDescent, 26);
}

TEST(OS2, CharactersBeyond16BitsMakeTheLastCharacterFFFF) {
    Os2Font f;
    TTcmapSubtable* full = f.font.get<cmapTABLE>(TTIndex::cmap)->addSubtable(3, 10);
    ASSERT_NE(full, nullptr);
    full->setGlyphForCode(0x41, 1);
    f.write();
    EXPECT_EQ(f.os2->usLastCharIndex, 0x7A);
    full->setGlyphForCode(0x1F600, 2);
    f.write();
    EXPECT_EQ(f.os2->usLastCharIndex, 0xFFFF);
    EXPECT_EQ(f.os2->usFirstCharIndex, 0x20);
}

TEST(OS2, SymbolFontTakesItsCodesInThePrivateArea) {
    Os2Font f(true, false);
    TTcmapSubtable* sym = f.font.get<cmapTABLE>(TTIndex::cmap)->findSubtable(3, 0);
    for (int i = 0; i < 26; ++i) sym->setGlyphForCode(0xF041 + uint32_t(i), uint16_t(i + 1));
    f.write();
    EXPECT_GE(f.os2->usFirstCharIndex, 0xF020);
    EXPECT_EQ(f.os2->usFirstCharIndex, 0xF041);
    EXPECT_EQ(f.os2->usLastCharIndex, 0xF05A);
    EXPECT_EQ(f.os2->usWinAscent, 625);  // glyph 26 ("z"), yMax 600 + 25
    EXPECT_EQ(f.os2->usWinDescent, 25);
}

TEST(OS2, WithoutAWindowsSubtableTheFirstGlyphsSetTheMetrics) {
    Os2Font f(false, false);
    f.font.get<cmapTABLE>(TTIndex::cmap)->addSubtable(1, 0);
    uint16_t first = f.os2->usFirstCharIndex, last = f.os2->usLastCharIndex;
    f.write();
    EXPECT_EQ(f.os2->usWinAscent, 626);
    EXPECT_EQ(f.os2->usWinDescent, 26);
    EXPECT_EQ(f.os2->usFirstCharIndex, first);
    EXPECT_EQ(f.os2->usLastCharIndex, last);
}

TEST(OS2, LaterVersionFieldsSurviveTheRecomputation) {
    Os2Font f;
    Bytes before = Pattern(96, 4);
    f.write();
    Bytes after = WriteTable(*f.os2);
    ASSERT_EQ(after.size(), 96u);
    // Everything from codepagerange on is kept as read.
    EXPECT_TRUE(std::equal(before.begin() + 78, before.end(), after.begin() + 78));
}

}  // namespace
