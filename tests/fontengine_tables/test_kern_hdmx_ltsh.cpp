// kern, hdmx and LTSH: their records read within the table's bounds, written back, and
// following glyphs added to the font.
#include <gtest/gtest.h>

#include "TableHarness.h"
#include "hdmxTABLE.h"
#include "headTABLE.h"
#include "kernTABLE.h"
#include "ltshTABLE.h"

namespace {

struct Pair {
    int l, r, v;
};

// A format 0 subtable; search fields as given (-1: the correct ones).
Bytes Kern0(const std::vector<Pair>& pairs, int searchRange = -1, uint16_t coverage = 1) {
    Bytes b;
    Be w{b};
    size_t n = pairs.size();
    int range = 0, selector = 0;
    while ((size_t(1) << (selector + 1)) <= n) ++selector;
    range = n ? 6 * (1 << selector) : 0;
    if (searchRange >= 0) range = searchRange;
    w.u16(0).u16(int((14 + 6 * n) & 0xFFFF)).u16(coverage);
    w.u16(int(n)).u16(range).u16(n ? selector : 0).u16(int(6 * n) - range);
    for (auto p : pairs) w.u16(p.l).u16(p.r).u16(p.v);
    return b;
}

Bytes KernTable(const std::vector<Bytes>& subtables) {
    Bytes b;
    Be(b).u16(0).u16(int(subtables.size()));
    for (const auto& s : subtables) b.insert(b.end(), s.begin(), s.end());
    return b;
}

TEST(Kern, Format0AndOtherFormatsRoundTrip) {
    Bytes format2;
    Be(format2).u16(0).u16(6 + 8).u16(0x0201).u32(0xDEADBEEF).u32(0x01020304);
    Bytes in = KernTable({Kern0({{1, 2, -50}, {1, 3, 20}, {4, 5, -7}}), format2});
    int code = -1;
    auto k = ReadAlone<kernTABLE>(in, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(k->subtableCount(), 2u);
    EXPECT_EQ(k->subtable(0)->pairs[0], (KernPair{1, 2, -50}));
    EXPECT_EQ(k->subtable(1)->format(), 2);
    EXPECT_EQ(WriteTable(*k, &code), in);
    EXPECT_EQ(code, 0);
}

TEST(Kern, SearchFieldsAreRecomputedAndLargeTablesCountByPairs) {
    std::vector<Pair> five = {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}};
    auto k = ReadAlone<kernTABLE>(KernTable({Kern0(five, 0)}));
    Bytes out = WriteTable(*k);
    EXPECT_EQ(Get16(out, 4 + 6), 5);   // nPairs
    EXPECT_EQ(Get16(out, 4 + 8), 24);  // searchRange
    EXPECT_EQ(Get16(out, 4 + 10), 2);  // entrySelector
    EXPECT_EQ(Get16(out, 4 + 12), 6);  // rangeShift
    // 11000 pairs overflow the 16-bit length; the pairs are still all read and written.
    std::vector<Pair> many;
    for (int i = 0; i < 11000; ++i) many.push_back({i / 100, i % 100, -i % 300});
    Bytes big = KernTable({Kern0(many), Kern0({{7, 8, 9}})});
    int code = -1;
    auto kb = ReadAlone<kernTABLE>(big, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(kb->subtableCount(), 2u);
    EXPECT_EQ(kb->subtable(0)->pairs.size(), 11000u);
    EXPECT_EQ(kb->subtable(1)->pairs[0], (KernPair{7, 8, 9}));
    EXPECT_EQ(WriteTable(*kb), big);
}

TEST(Kern, PaddingAfterPairsIsSkippedByTheLength) {
    Bytes padded = Kern0({{1, 2, 3}});
    padded[3] += 4;
    padded.insert(padded.end(), 4, 0xEE);
    auto k = ReadAlone<kernTABLE>(KernTable({padded, Kern0({{7, 8, 9}})}));
    ASSERT_EQ(k->subtableCount(), 2u);
    EXPECT_EQ(k->subtable(1)->pairs[0], (KernPair{7, 8, 9}));
    EXPECT_EQ(WriteTable(*k), KernTable({Kern0({{1, 2, 3}}), Kern0({{7, 8, 9}})}));
}

TEST(Kern, DamagedAndForeignTables) {
    int code = 0;
    Bytes cut = KernTable({Kern0({{1, 2, 3}, {4, 5, 6}})});
    Be(cut).u16(0);  // the count says one subtable; claim 10 pairs instead of 2
    cut[4 + 6] = 0;
    cut[4 + 7] = 10;
    ReadAlone<kernTABLE>(cut, &code);
    EXPECT_EQ(code, TTError::kRead);
    Bytes tooMany;
    Be(tooMany).u16(0).u16(500).u16(0).u16(6).u16(1);
    ReadAlone<kernTABLE>(tooMany, &code);
    EXPECT_EQ(code, TTError::kRead);
    // The 32-bit versioned layout is kept as it is.
    Bytes apple;
    Be(apple).u32(0x00010000).u32(1).u32(16).u16(0).u16(0).u32(0x11223344);
    auto k = ReadAlone<kernTABLE>(apple, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(k->carried());
    EXPECT_EQ(WriteTable(*k), apple);
}

// hdmx of a font with the given advances, one record per (ppem, max) with widths w.
Bytes Hdmx(size_t glyphs, const std::vector<std::pair<int, int>>& sizes, int version = 0, int sizeOverride = -1) {
    Bytes b;
    Be w{b};
    uint32_t size = sizeOverride >= 0 ? uint32_t(sizeOverride) : hdmxTABLE::recordSize(glyphs);
    w.u16(version).u16(int(sizes.size())).u32(size);
    for (auto [ppem, max] : sizes) {
        size_t start = b.size();
        w.u8(ppem).u8(max);
        for (size_t i = 0; i < glyphs; ++i) w.u8(int((i * 3 + size_t(ppem)) % 250));
        b.resize(start + size, 0);
    }
    return b;
}

TEST(Hdmx, RecordsRoundTripAndKeepTheirWidths) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(7));
    Bytes in = Hdmx(7, {{12, 9}, {16, 12}});
    int code = -1;
    hdmxTABLE* h = Install<hdmxTABLE>(font, TTIndex::hdmx, in, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(h->records.size(), 2u);
    EXPECT_EQ(h->records[1].PixelSize, 16);
    EXPECT_EQ(h->records[1].Width[6], (6 * 3 + 16) % 250);
    EXPECT_EQ(WriteTable(*h, &code), in);
    EXPECT_EQ(code, 0);
}

TEST(Hdmx, ReadingLimits) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(20));
    int code = -1;
    EXPECT_TRUE(Install<hdmxTABLE>(font, TTIndex::hdmx, Hdmx(20, {{12, 9}}, 257), &code)->records.empty());
    EXPECT_EQ(code, 0);
    Bytes many;
    Be(many).u16(0).u16(2049).u32(24);
    EXPECT_TRUE(Install<hdmxTABLE>(font, TTIndex::hdmx, many, &code)->records.empty());
    EXPECT_TRUE(Install<hdmxTABLE>(font, TTIndex::hdmx, Hdmx(20, {{12, 9}}, 0, 44), &code)->records.empty());
    // Records announced beyond the table's end.
    Bytes cut = Hdmx(20, {{12, 9}, {13, 9}});
    cut.resize(cut.size() - 10);
    Install<hdmxTABLE>(font, TTIndex::hdmx, cut, &code);
    EXPECT_EQ(code, TTError::kRead);
    // A one-glyph font's padded record is larger than twice its glyph count.
    TTF tiny;
    SetGlyphs(tiny, std::vector<GlyphSpec>(1));
    EXPECT_EQ(Install<hdmxTABLE>(tiny, TTIndex::hdmx, Hdmx(1, {{12, 9}}), &code)->records.size(), 1u);
}

TEST(Hdmx, AddedGlyphGetsItsScaledWidth) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(3));
    hdmxTABLE* h = Install<hdmxTABLE>(font, TTIndex::hdmx, Hdmx(3, {{12, 9}, {100, 60}, {20, 11}}));
    ASSERT_EQ(font.head()->unitsPerEm, 2048);
    TTGLYPH glyph(TTGLYPH::Simple, 0, 0, 1500, 1000);  // advance 1500
    h->addGlyph(&glyph);
    EXPECT_EQ(h->state(), TTSource::Calculated);
    EXPECT_EQ(h->records[0].Width.back(), 8);   // 12 * 1500 / 2048
    EXPECT_EQ(h->records[1].Width.back(), 73);  // 100 * 1500 / 2048
    // Wider than a byte holds: 255, and the record's maximum follows.
    TTGLYPH wide(TTGLYPH::Simple, 0, 0, 6144, 1000);
    h->addGlyph(&wide);
    EXPECT_EQ(h->records[1].Width.back(), 255);
    EXPECT_EQ(h->records[1].MaximumWidth, 255);
    EXPECT_EQ(h->records[0].Width.back(), 36);
    EXPECT_EQ(h->records[0].MaximumWidth, 36);
    h->addGlyph(nullptr);
    EXPECT_EQ(h->records[2].Width.back(), h->records[2].MaximumWidth);
    EXPECT_EQ(h->records[2].Width.size(), 6u);
}

TEST(Hdmx, GlyphsAddedToTheFontAreFollowedWhenWriting) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(3));
    hdmxTABLE* h = Install<hdmxTABLE>(font, TTIndex::hdmx, Hdmx(3, {{24, 20}}));
    font.glyf()->addGlyph(std::make_unique<TTGLYPH>(TTGLYPH::Simple, 0, 0, 1024, 1000));
    EXPECT_EQ(h->followGlyphCount(3, 4), 0);
    Bytes out = WriteTable(*h);
    EXPECT_EQ(Get32(out, 4), 8u);  // (4 + 2) rounded up to 4
    ASSERT_EQ(out.size(), 8u + 8);
    EXPECT_EQ(out[8 + 2 + 3], 12);  // 24 * 1024 / 2048
}

TEST(Ltsh, BytesLiveInTheGlyphsAndFollowTheGlyphCount) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(4));
    Bytes in;
    Be(in).u16(0).u16(4).u8(1).u8(9).u8(30).u8(255);
    int code = -1;
    ltshTABLE* l = Install<ltshTABLE>(font, TTIndex::LTSH, in, &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(font.glyf()->glyph(2)->m_nYPels, 30);
    EXPECT_EQ(WriteTable(*l), in);
    font.glyf()->addGlyph(std::make_unique<TTGLYPH>(TTGLYPH::Simple, 0, 0, 10, 10));
    EXPECT_EQ(l->followGlyphCount(4, 5), 0);
    Bytes out = WriteTable(*l);
    EXPECT_EQ(Get16(out, 2), 5);
    EXPECT_EQ(out.back(), 1);
    // A count above the glyph count is limited to it; glyphs not listed get 1.
    Bytes more;
    Be(more).u16(0).u16(9).u8(7).u8(7).u8(7).u8(7).u8(7).u8(7).u8(7).u8(7).u8(7);
    Install<ltshTABLE>(font, TTIndex::LTSH, more, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(font.glyf()->glyph(4)->m_nYPels, 7);
    Bytes fewer;
    Be(fewer).u16(0).u16(2).u8(5).u8(6);
    Install<ltshTABLE>(font, TTIndex::LTSH, fewer, &code);
    EXPECT_EQ(font.glyf()->glyph(1)->m_nYPels, 6);
    EXPECT_EQ(font.glyf()->glyph(2)->m_nYPels, 1);
    Bytes cut;
    Be(cut).u16(0).u16(4).u8(5);
    Install<ltshTABLE>(font, TTIndex::LTSH, cut, &code);
    EXPECT_EQ(code, TTError::kRead);
}

}  // namespace
