// post: glyph names read from formats 1, 2 and 2.5, written as format 2 by the name
// assignment rule.
#include <gtest/gtest.h>

#include "GlyphNames.h"
#include "TableHarness.h"
#include "postTABLE.h"

namespace {

Bytes Header(uint32_t format) {
    Bytes b;
    Be(b).u32(format).u32(0xFFF48000).u16(-75).u16(50).u32(1).u32(2).u32(3).u32(4).u32(5);
    return b;
}

Bytes Format2(const std::vector<int>& indices, const std::vector<std::string>& strings) {
    Bytes b = Header(postTABLE::kFormat2);
    Be w{b};
    w.u16(int(indices.size()));
    for (int i : indices) w.u16(i);
    for (const auto& s : strings) w.u8(int(s.size())).str(s);
    return b;
}

std::vector<std::string> Names(TTF& font) {
    std::vector<std::string> out;
    for (size_t i = 0; i < font.glyphCount(); ++i) out.push_back(GlyphNames::text(font.glyf()->glyph(i)->m_name));
    return out;
}

TEST(GlyphNames, StandardListAndTextRule) {
    EXPECT_STREQ(GlyphNames::standardName(0), ".notdef");
    EXPECT_STREQ(GlyphNames::standardName(36), "A");
    EXPECT_STREQ(GlyphNames::standardName(257), "dcroat");
    EXPECT_EQ(GlyphNames::standardName(258), nullptr);
    EXPECT_EQ(GlyphNames::standardIndex("space"), 3);
    EXPECT_EQ(GlyphNames::standardIndex("Penmark"), -1);
    EXPECT_EQ(GlyphNames::text(GlyphName{}), ".null");
    EXPECT_EQ(GlyphNames::text(GlyphNames::standard(300)), ".notdef");
    EXPECT_EQ(GlyphNames::text(GlyphNames::own("x")), "x");
}

TEST(Post, Format2ReadsStandardAndOwnNamesAndWritesThemBack) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(4));
    Bytes in = Format2({0, 258, 36, 259}, {"Penmark", "uni0416"});
    int code = -1;
    postTABLE* post = Install<postTABLE>(font, TTIndex::post, in, &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(Names(font), (std::vector<std::string>{".notdef", "Penmark", "A", "uni0416"}));
    EXPECT_EQ(post->ItalicAngle, 0xFFF48000u);
    EXPECT_EQ(post->underlinePosition, -75);
    EXPECT_EQ(post->maxMemType1, 5u);
    EXPECT_EQ(WriteTable(*post, &code), in);
    EXPECT_EQ(code, 0);
}

TEST(Post, Format2BoundsItsCountsAndStrings) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(3));
    int code = 0;
    // Ten indices announced, two present.
    Bytes cut = Header(postTABLE::kFormat2);
    Be(cut).u16(10).u16(0).u16(1);
    Install<postTABLE>(font, TTIndex::post, cut, &code);
    EXPECT_EQ(code, TTError::kRead);
    // A string past the data, an index past the strings, a string cut by the end.
    Bytes odd = Format2({300, 258, 259}, {"ok"});
    Be(odd).u8(40).str("cut");
    Install<postTABLE>(font, TTIndex::post, odd, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Names(font), (std::vector<std::string>{".notdef", "ok", "cut"}));
    // More names than glyphs: the extra ones are ignored.
    SetGlyphs(font, std::vector<GlyphSpec>(1));
    Install<postTABLE>(font, TTIndex::post, Format2({36, 37}, {}), &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Names(font), (std::vector<std::string>{"A"}));
}

TEST(Post, Format1NamesTheFirst258Glyphs) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(260));
    Install<postTABLE>(font, TTIndex::post, Header(postTABLE::kFormat1));
    auto names = Names(font);
    EXPECT_EQ(names[0], ".notdef");
    EXPECT_EQ(names[36], "A");
    EXPECT_EQ(names[257], "dcroat");
    EXPECT_EQ(names[258], ".null");  // beyond the list: left as it was
}

TEST(Post, Format25OffsetsIntoTheStandardList) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(3));
    Bytes in = Header(postTABLE::kFormat25);
    Be(in).u16(3).u8(0).u8(35).u8(0xFF);  // glyph 1 -> 36 "A", glyph 2 -> 1 ".null"
    int code = -1;
    Install<postTABLE>(font, TTIndex::post, in, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Names(font), (std::vector<std::string>{".notdef", "A", ".null"}));
}

// A font without glyph names keeps none, and so does one whose name format is not read:
// names made up on writing would all be glyph 0's.
TEST(Post, FontsWithoutNamesStayFormat3) {
    for (uint32_t format : {postTABLE::kFormat3, uint32_t(0x00040000)}) {
        TTF font;
        SetGlyphs(font, std::vector<GlyphSpec>(3));
        Bytes in = Header(format);
        Be(in).u16(7);  // a format 4 table's per-glyph words
        postTABLE* post = Install<postTABLE>(font, TTIndex::post, in);
        Bytes out = WriteTable(*post);
        ASSERT_EQ(out.size(), 32u) << std::hex << format;
        EXPECT_EQ(Get32(out, 0), postTABLE::kFormat3);
        EXPECT_EQ(Bytes(out.begin() + 4, out.end()), Bytes(in.begin() + 4, in.begin() + 32));
    }
}

TEST(Post, NameAssignmentUsesStandardIndicesAndNumbersTheRest) {
    TTF font;
    SetGlyphs(font, {{500, 0, 0, ".notdef"}, {500, 0, 0, "A"}, {500, 0, 0, "dup"}, {500, 0, 0, "dup"},
                     {500, 0, 0, "Penmark"}, {500, 0, 0, std::string(300, 'x')}, {500, 0, 0, "A"}});
    Bytes in = Header(postTABLE::kFormat2);
    Be(in).u16(0);  // no glyph listed: each keeps the name it has
    postTABLE* post = Install<postTABLE>(font, TTIndex::post, in);
    Bytes out = WriteTable(*post);
    std::vector<int> indices;
    for (size_t i = 0; i < 7; ++i) indices.push_back(Get16(out, 34 + 2 * i));
    // The added "A" of a font that already has one takes the standard index too.
    EXPECT_EQ(indices, (std::vector<int>{0, 36, 258, 259, 260, 261, 36}));
    EXPECT_EQ(font.glyf()->glyph(1)->m_name.index, 36);
    // Equal names get a string each; a name longer than a length byte is cut to 255.
    Bytes strings(out.begin() + 48, out.end());
    Bytes expect;
    Be(expect).u8(3).str("dup").u8(3).str("dup").u8(7).str("Penmark").u8(255).str(std::string(255, 'x'));
    EXPECT_EQ(strings, expect);
    // Read back, the names are the same.
    TTF again;
    SetGlyphs(again, std::vector<GlyphSpec>(7));
    Install<postTABLE>(again, TTIndex::post, out);
    auto names = Names(again);
    EXPECT_EQ(names[1], "A");
    EXPECT_EQ(names[3], "dup");
    EXPECT_EQ(names[4], "Penmark");
}

TEST(Post, FollowsAnyGlyphCount) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(2));
    postTABLE* post = Install<postTABLE>(font, TTIndex::post, Format2({0, 3}, {}));
    EXPECT_EQ(post->followGlyphCount(2, 3), 0);
    font.glyf()->addGlyph(std::make_unique<TTGLYPH>(TTGLYPH::Simple, 0, 0, 10, 10))->m_name = GlyphNames::own("A");
    Bytes out = WriteTable(*post);
    EXPECT_EQ(Get16(out, 32), 3);
    EXPECT_EQ(Get16(out, 38), 36);
}

}  // namespace
