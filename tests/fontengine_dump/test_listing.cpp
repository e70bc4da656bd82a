// The plain listing and the structured dump of a small font the engine built itself,
// against reviewed expected texts, and the listing's handling of broken glyphs.
#include <gtest/gtest.h>

#include <string>

#include "DumpFixture.h"
#include "TTDump.h"
#include "glyfTABLE.h"
#include "headTABLE.h"

namespace {
void ExpectGolden(const std::string& actual, const std::string& file) {
    std::string expected = ReadSourceFile("tests/fontengine_dump/golden/" + file);
    if (actual != expected) KeepActual(file, actual);
    ASSERT_FALSE(expected.empty()) << file;
    EXPECT_EQ(actual, expected) << "actual listing kept as " << PENMARK_TEST_TMP << "/" << file;
}

struct ReadBack {
    TTMemoryStream in{SmallFontBytes()};
    TTF font;
    ReadBack() { EXPECT_EQ(ReadFont(font, in), 0); }
};

// Offset of glyph index in the font bytes.
size_t GlyphAt(const Bytes& bytes, size_t index) {
    TTMemoryStream in(bytes);
    TTF font;
    EXPECT_EQ(ReadFont(font, in), 0);
    return font.glyf()->m_nOffset + font.glyf()->glyph(index)->m_nOffset;
}
}  // namespace

TEST(PlainListing, SmallFontMatchesItsReviewedText) {
    ReadBack f;
    ExpectGolden(PlainListing(f.font), "small_plain.txt");
}

TEST(StructuredDump, SmallFontMatchesItsReviewedText) {
    ReadBack f;
    ExpectGolden(StructuredDump(f.font), "small_structured.txt");
}

TEST(PlainListing, GlyphsDecodedForTheListingAreReleasedAfterwards) {
    ReadBack f;
    glyfTABLE* glyf = f.font.glyf();
    std::vector<bool> loaded;
    for (size_t i = 0; i < glyf->glyphCount(); ++i) loaded.push_back(glyf->glyph(i)->m_bLoaded);
    ASSERT_FALSE(loaded[2]);
    std::string plain = PlainListing(*glyf);
    std::string structured = StructuredDump(*glyf);
    EXPECT_NE(plain.find("  5:(300,500)\tON  xSh ySh ySm \n"), std::string::npos);
    EXPECT_NE(structured.find("x = 300 y = 500 flags = OnCurve xShort yShort ySame\n"), std::string::npos);
    for (size_t i = 0; i < glyf->glyphCount(); ++i) {
        EXPECT_EQ(glyf->glyph(i)->m_bLoaded, loaded[i]) << i;
        if (!loaded[i]) {
            EXPECT_TRUE(glyf->glyph(i)->m_points.empty()) << i;
        }
    }
}

TEST(PlainListing, ATableInStateNonePrintsNothing) {
    ReadBack f;
    auto* head = f.font.head();
    head->setState(TTSource::None);
    EXPECT_EQ(PlainListing(*head), "");
    head->setState(TTSource::Calculated);
    EXPECT_EQ(PlainListing(*head).rfind("\nTable head ;source: calculated\n", 0), 0u);
}

TEST(PlainListing, DirectionHintsAndDates) {
    headTABLE head(nullptr);
    head.reset();
    const char* expected[] = {"", "Right to left and neutrals", "Right to left only", "Mixed", "Left to right only",
                              "Left to right and neutrals", ""};
    for (int hint = -3; hint <= 3; ++hint) {
        head.fontDirectionHint = int16_t(hint);
        std::string text = PlainListing(head);
        EXPECT_NE(text.find(std::string("font direction hint: ") + expected[hint + 3] + ", index"), std::string::npos)
            << hint;
    }
    EXPECT_EQ(TTText::DateText(0), "Fri Jan  1 00:00:00 1904\n");
    EXPECT_EQ(TTText::DateText(2082844800LL), "Thu Jan  1 00:00:00 1970\n");
    // A date no calendar can show does not break the listing.
    EXPECT_EQ(TTText::DateText(INT64_MAX), "?\n");
}

TEST(PlainListing, AnUndecodableGlyphEndsTheGlyphListing) {
    Bytes bytes = SmallFontBytes();
    // Glyph 2 gets xMin > xMax, which decoding refuses.
    size_t at = GlyphAt(bytes, 2);
    bytes[at + 2] = 0x7F;
    TTMemoryStream in(bytes);
    TTF font;
    ASSERT_EQ(ReadFont(font, in), 0);
    std::string text = PlainListing(*font.glyf());
    EXPECT_NE(text.find("\nGlyph #    1:"), std::string::npos);
    EXPECT_EQ(text.find("\nGlyph #    2:"), std::string::npos);
    EXPECT_EQ(text.find("\nGlyph #    3:"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 30), "\n------glyph read error------\n");
}

TEST(PlainListing, BrokenContoursAreNamed) {
    TTGLYPH g;
    g.reset();
    g.m_nKind = TTGLYPH::Simple;
    std::string none = PlainListing(g);
    EXPECT_NE(none.find("\nendpoint missing (?!)\n"), std::string::npos);
    EXPECT_NE(none.find("\nglyph.instr[0] = {\n}\n"), std::string::npos);

    g.m_endPoints = {1, 5};
    g.m_points.resize(3);
    g.m_instructions = {1, 2};
    std::string broken = PlainListing(g);
    EXPECT_NE(broken.find("glyph.endpoint[2] = {\n   1,    5, }\n\nThe contour is incorrect.\n"), std::string::npos);
    // The glyph's listing ends there: no picture, no points, no instructions.
    EXPECT_EQ(broken.find("|----"), std::string::npos);
    EXPECT_EQ(broken.find("glyph.instr"), std::string::npos);
}

TEST(PlainListing, PictureScalesAndClampsEveryPoint) {
    TTGLYPH g;
    g.reset();
    g.m_nKind = TTGLYPH::Simple;
    // A box claiming less than its points cover: points outside still land in the frame.
    GlyphPoint pts[] = {{1, -30000, -30000}, {0, 30000, 30000}, {1, 0, 0}};
    g.appendContour(pts, 3);
    g.xMin = g.yMin = 0;
    g.xMax = g.yMax = 10;
    std::string text = PlainListing(g);
    size_t top = text.find("\n|-------------------------|");
    ASSERT_NE(top, std::string::npos);
    // 15 rows of 25 characters between the frame lines.
    for (int row = 0; row < 15; ++row) {
        size_t line = top + 1 + 28 * size_t(row + 1);
        EXPECT_EQ(text[line], '|') << row;
        EXPECT_EQ(text[line + 26], '|') << row;
    }
    EXPECT_NE(text.find("  1:(30000,30000)\tOFF "), std::string::npos);
}
