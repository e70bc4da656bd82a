// EBLC, EBSC and EBDT: the bitmap index read into sizes and subtables of every index
// format and written back with its offsets recomputed.
#include <gtest/gtest.h>

#include "TableHarness.h"
#include "ebdtTABLE.h"
#include "eblcTABLE.h"
#include "ebscTABLE.h"

namespace {

void LineMetrics(Be& w, int base) {
    for (int i = 0; i < 12; ++i) w.u8(base + i);
}

// An index subtable of format f for glyphs first..last, padded to 4 bytes.
Bytes IndexSubtable(int format, int first, int last) {
    Bytes b;
    Be w{b};
    int n = last - first + 1;
    w.u16(format).u16(format == 2 || format == 5 ? 5 : 1).u32(0x100 * uint32_t(format));
    switch (format) {
    case 1: for (int i = 0; i <= n; ++i) w.u32(uint32_t(i * 12)); break;
    case 2: w.u32(12).u8(4).u8(5).u8(0).u8(4).u8(6).u8(0xFE).u8(0).u8(6); break;
    case 3: for (int i = 0; i <= n; ++i) w.u16(i * 10); break;
    case 4: w.u32(2).u16(first).u16(0).u16(last).u16(9).u16(0).u16(18); break;
    case 5: w.u32(12).u8(4).u8(5).u8(0).u8(4).u8(6).u8(0xFE).u8(0).u8(6).u32(3).u16(first).u16(first + 1).u16(last); break;
    }
    while (b.size() % 4) b.push_back(0);
    return b;
}

struct Range {
    int format, first, last;
};

// An EBLC with one size per list of ranges, laid out as the writer lays it out.
Bytes Eblc(const std::vector<std::vector<Range>>& sizes) {
    Bytes head, index;
    Be w{head};
    w.u32(0x00020000).u32(uint32_t(sizes.size()));
    size_t indexStart = 8 + 48 * sizes.size();
    for (size_t s = 0; s < sizes.size(); ++s) {
        const auto& ranges = sizes[s];
        size_t arrayAt = indexStart + index.size();
        Bytes array, subs;
        Be a{array};
        for (const auto& r : ranges) {
            a.u16(r.first).u16(r.last).u32(uint32_t(8 * ranges.size() + subs.size()));
            Bytes sub = IndexSubtable(r.format, r.first, r.last);
            subs.insert(subs.end(), sub.begin(), sub.end());
        }
        index.insert(index.end(), array.begin(), array.end());
        index.insert(index.end(), subs.begin(), subs.end());
        w.u32(uint32_t(arrayAt)).u32(uint32_t(array.size() + subs.size())).u32(uint32_t(ranges.size())).u32(0);
        LineMetrics(w, 10);
        LineMetrics(w, 40);
        w.u16(ranges.front().first).u16(ranges.back().last).u8(int(12 + s)).u8(int(12 + s)).u8(1).u8(1);
    }
    head.insert(head.end(), index.begin(), index.end());
    return head;
}

TEST(BitmapTables, EveryIndexFormatRoundTrips) {
    Bytes in = Eblc({{{1, 3, 5}, {2, 6, 9}, {3, 10, 12}}, {{4, 3, 40}, {5, 41, 50}, {3, 51, 51}}});
    int code = -1;
    auto t = ReadAlone<eblcTABLE>(in, &code);
    ASSERT_EQ(code, 0);
    ASSERT_FALSE(t->carried());
    ASSERT_EQ(t->sizeCount(), 2u);
    TTbitmapSizeTable* s = t->size(1);
    EXPECT_EQ(s->ppemX, 13);
    EXPECT_EQ(s->hori.ascender, 10);
    EXPECT_EQ(s->vert.pad2, 51);
    ASSERT_EQ(s->subtableCount(), 3u);
    EXPECT_EQ(s->subtable(0)->glyphArray.size(), 3u);
    EXPECT_EQ(s->subtable(1)->glyphIdArray, (std::vector<uint16_t>{41, 42, 50}));
    EXPECT_EQ(s->subtable(1)->bigMetrics.vertBearingX, -2);
    EXPECT_EQ(t->size(0)->subtable(0)->offsets, (std::vector<uint32_t>{0, 12, 24, 36}));
    EXPECT_EQ(WriteTable(*t, &code), in);
    EXPECT_EQ(code, 0);
    auto copy = t->clone();
    EXPECT_EQ(WriteTable(static_cast<eblcTABLE&>(*copy)), in);
}

TEST(BitmapTables, OffsetsAreRecomputedWhenTheLayoutDiffers) {
    Bytes in = Eblc({{{1, 3, 5}, {3, 10, 12}}});
    // Move the index one word further: array offset and size table entry change.
    Bytes moved(in.begin(), in.begin() + 56);
    moved.insert(moved.end(), 4, 0xAA);
    moved.insert(moved.end(), in.begin() + 56, in.end());
    moved[8 + 3] = uint8_t(56 + 4);
    auto t = ReadAlone<eblcTABLE>(moved);
    ASSERT_EQ(t->sizeCount(), 1u);
    EXPECT_EQ(WriteTable(*t), in);
}

TEST(BitmapTables, CountsAndOffsetsStayInsideTheTable) {
    Bytes good = Eblc({{{1, 3, 5}, {4, 6, 7}}});
    auto expectError = [](Bytes b, const char* what) {
        int code = 0;
        auto t = ReadAlone<eblcTABLE>(b, &code);
        EXPECT_EQ(code, TTError::kRead) << what;
        EXPECT_EQ(t->sizeCount(), 0u) << what;
    };
    Bytes sizes = good;
    sizes[7] = 9;
    expectError(sizes, "sizes");
    Bytes subtables = good;
    subtables[8 + 11] = 200;
    expectError(subtables, "subtable count");
    Bytes array = good;
    array[8 + 1] = 0x10;
    expectError(array, "array offset");
    Bytes inverted = good;
    inverted[56 + 1] = 9;  // first glyph 9 > last 5
    expectError(inverted, "inverted range");
    Bytes glyphs = good;
    size_t format4 = 56 + 16 + 8 + 16;  // array, then format 1 subtable of 4 offsets
    glyphs[format4 + 8 + 2] = 0x40;      // numGlyphs 0x4000..
    expectError(glyphs, "format 4 glyph count");
}

TEST(BitmapTables, UnknownIndexFormatKeepsTheTableAsBytes) {
    Bytes in = Eblc({{{1, 3, 5}}});
    in[56 + 8 + 1] = 9;
    int code = -1;
    auto t = ReadAlone<eblcTABLE>(in, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(t->carried());
    EXPECT_EQ(WriteTable(*t), in);
}

TEST(BitmapTables, ScalingAndDataTables) {
    Bytes ebsc;
    Be w{ebsc};
    w.u32(0x00020000).u32(2);
    for (int i = 0; i < 2; ++i) {
        LineMetrics(w, 100 + i);
        LineMetrics(w, 120 + i);
        w.u8(8 + i).u8(8 + i).u8(12).u8(12);
    }
    int code = -1;
    auto s = ReadAlone<ebscTABLE>(ebsc, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(s->scales.size(), 2u);
    EXPECT_EQ(s->scales[1].ppemX, 9);
    EXPECT_EQ(s->scales[1].vert.ascender, 121);
    EXPECT_EQ(WriteTable(*s), ebsc);
    ebsc[7] = 3;
    ReadAlone<ebscTABLE>(ebsc, &code);
    EXPECT_EQ(code, TTError::kRead);

    Bytes ebdt;
    Be(ebdt).u32(0x00020000).u32(0x01020304).u8(0x7F);
    auto d = ReadAlone<ebdtTABLE>(ebdt, &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(d->m_bitmaps.size(), 5u);
    EXPECT_EQ(WriteTable(*d), ebdt);
    ReadAlone<ebdtTABLE>(Bytes{0, 2}, &code);
    EXPECT_EQ(code, TTError::kRead);
}

}  // namespace
