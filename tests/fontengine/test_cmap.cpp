// Character maps: format 4 segment building, every format's round trip, shared and
// unknown subtables, the Symbol translation and subtables that cannot take a code.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "CmapEncodings.h"
#include "FontBytes.h"
#include "cmapTABLE.h"

namespace {

std::vector<uint16_t> EmptyMap() { return std::vector<uint16_t>(0x10000, 0); }

Bytes Encode(const TTcmapSubtable& s) {
    Bytes out;
    EXPECT_EQ(s.encode(out), 0);
    return out;
}

// Reads bytes as a whole cmap table.
std::unique_ptr<cmapTABLE> ReadCmap(const Bytes& bytes, int* code = nullptr) {
    auto t = std::make_unique<cmapTABLE>(nullptr, uint32_t(bytes.size()));
    TTMemoryStream in(bytes);
    int c = t->readFrom(&in);
    t->setInput(nullptr);
    if (code) *code = c;
    return t;
}

Bytes WriteCmap(cmapTABLE& t) {
    TTMemoryStream out;
    EXPECT_EQ(t.writeTo(&out), 0);
    t.setOutput(nullptr);
    return out.data();
}

// A cmap of raw subtables with the given records (platform, encoding, subtable index).
Bytes CmapBytes(const std::vector<std::tuple<int, int, int>>& records, const std::vector<Bytes>& subtables) {
    Bytes b;
    Be{b}.u16(0).u16(int(records.size()));
    std::vector<uint32_t> offsets;
    uint32_t at = uint32_t(4 + 8 * records.size());
    for (const auto& s : subtables) offsets.push_back(at), at += uint32_t(s.size());
    for (auto [p, e, s] : records) Be{b}.u16(p).u16(e).u32(offsets[size_t(s)]);
    for (const auto& s : subtables) b.insert(b.end(), s.begin(), s.end());
    return b;
}

Bytes Format6(int first, const std::vector<int>& glyphs) {
    Bytes b;
    Be{b}.u16(6).u16(10 + 2 * int(glyphs.size())).u16(0).u16(first).u16(int(glyphs.size()));
    for (int g : glyphs) Be{b}.u16(g);
    return b;
}

TEST(Cmap, AlphabetIsOneDeltaSegment) {
    TTcmapSubtable s(nullptr, 4);
    for (uint32_t c = 'A'; c <= 'Z'; ++c) s.setGlyphForCode(c, uint16_t(c - 'A' + 36));
    Bytes b = Encode(s);
    EXPECT_EQ(GetBE16(b, 6), 4);   // segCountX2
    EXPECT_EQ(GetBE16(b, 8), 4);   // searchRange
    EXPECT_EQ(GetBE16(b, 10), 1);  // entrySelector
    EXPECT_EQ(GetBE16(b, 12), 0);  // rangeShift
    EXPECT_EQ(GetBE16(b, 14), 'Z');
    EXPECT_EQ(GetBE16(b, 16), 0xFFFF);
    EXPECT_EQ(GetBE16(b, 20), 'A');
    EXPECT_EQ(uint16_t(GetBE16(b, 24) + 'A'), 36);  // idDelta
    EXPECT_EQ(GetBE16(b, 26), 1);
    EXPECT_EQ(b.size(), 32u);
}

TEST(Cmap, SegmentsFollowGapsAndRuns) {
    auto map = EmptyMap();
    const uint16_t unrelated[] = {7, 3, 90, 12, 0, 44, 2, 61, 5};
    for (uint32_t c = 32; c <= 40; ++c) map[c] = unrelated[c - 32];  // 37 unmapped
    auto segs = BuildFormat4Segments(map);
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].start, 32u);
    EXPECT_EQ(segs[0].end, 40u);
    EXPECT_FALSE(segs[0].delta);

    map = EmptyMap();
    for (uint32_t c : {32, 33, 34, 35, 36, 42, 43, 44, 45}) map[c] = uint16_t(c * 3 % 17 + 1);
    segs = BuildFormat4Segments(map);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0].end, 36u);
    EXPECT_EQ(segs[1].start, 42u);

    // A consecutive prefix of 5 splits off; 8 consecutive glyphs inside an array do too.
    map = EmptyMap();
    for (uint32_t c = 100; c <= 104; ++c) map[c] = uint16_t(c);
    const uint16_t tail[] = {9, 4, 30, 31, 32, 33, 34, 35, 36, 37, 2, 8};
    for (uint32_t i = 0; i < 12; ++i) map[105 + i] = tail[i];
    segs = BuildFormat4Segments(map);
    ASSERT_EQ(segs.size(), 4u);
    EXPECT_TRUE(segs[0].delta);
    EXPECT_EQ(segs[0].end, 104u);
    EXPECT_FALSE(segs[1].delta);
    EXPECT_EQ(segs[1].end, 106u);
    EXPECT_TRUE(segs[2].delta);
    EXPECT_EQ(segs[2].start, 107u);
    EXPECT_EQ(segs[2].end, 114u);
    EXPECT_FALSE(segs[3].delta);
}

TEST(Cmap, EveryFormatReadsBackWhatItWrote) {
    std::mt19937 rng(42);
    for (uint16_t format : {0, 2, 4, 6, 12, 13}) {
        TTcmapSubtable s(nullptr, format);
        uint32_t codes = s.codeCount();
        if (format == 2)
            for (uint32_t hi = 0x81; hi < 0xA0; ++hi) s.m_twoByte[hi] = true;
        for (int i = 0; i < 3000; ++i) {
            uint32_t code = format == 6 ? 0x400 + rng() % 0x800 : rng() % codes;
            if (format == 2 && (code > 0xFF ? !s.m_twoByte[code >> 8] : s.m_twoByte[code])) continue;
            if (code == 0xFFFF) continue;
            uint16_t glyph = uint16_t(format == 0 ? rng() % 256 : rng() % 60000);
            if (format != 13 && i % 3 == 0 && code > 0) glyph = uint16_t(s.glyphForCode(code - 1) + 1);
            if (format == 0) glyph &= 0xFF;
            if (!glyph) continue;
            if (code >= s.m_map.size()) s.m_map.resize(code + 1);  // the Unicode formats grow
            s.m_map[code] = glyph;
        }
        Bytes b = Encode(s);
        ASSERT_EQ(b.size() % 2, 0u) << format;
        TTcmapSubtable back(nullptr, 0);
        ASSERT_EQ(back.parse(b.data(), b.size(), 0), 0) << format;
        EXPECT_FALSE(back.carried()) << format;
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.m_map, s.m_map) << "format " << format;
    }
}

TEST(Cmap, RecordsSortedSharedKeptAndUnknownCarried) {
    Bytes f4;  // maps 'a'..'c' to 1..3
    Be{f4}.u16(4).u16(32).u16(0).u16(4).u16(4).u16(1).u16(0).u16('c').u16(0xFFFF).u16(0).u16('a').u16(0xFFFF);
    Be{f4}.u16(uint16_t(1 - 'a')).u16(1).u16(0).u16(0);
    Bytes f14;  // a variation sequence subtable with no records
    Be{f14}.u16(14).u32(10).u32(0);
    Bytes bytes = CmapBytes({{3, 1, 0}, {0, 3, 0}, {1, 0, 1}, {0, 5, 2}, {3, 7, 1}},
                            {f4, Format6(97, {1, 2, 3}), f14});
    auto t = ReadCmap(bytes);
    ASSERT_EQ(t->subtableCount(), 3u);
    EXPECT_EQ(t->findSubtable(3, 1), t->findSubtable(0, 3));
    EXPECT_EQ(t->findSubtable(3, 1)->glyphForCode('b'), 2);
    EXPECT_TRUE(t->findSubtable(0, 5)->carried());
    EXPECT_EQ(t->findSubtable(3, 7), t->findSubtable(1, 0));  // an unlisted pair is kept too

    Bytes out = WriteCmap(*t);
    uint16_t n = GetBE16(out, 2);
    ASSERT_EQ(n, 5);
    std::vector<std::pair<int, int>> pairs;
    std::map<std::pair<int, int>, uint32_t> offsets;
    for (size_t i = 0; i < n; ++i) {
        auto key = std::make_pair(int(GetBE16(out, 4 + 8 * i)), int(GetBE16(out, 6 + 8 * i)));
        pairs.push_back(key);
        offsets[key] = GetBE32(out, 8 + 8 * i);
        EXPECT_EQ(offsets[key] % 4, 0u);
    }
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{0, 3}, {0, 5}, {1, 0}, {3, 1}, {3, 7}}));
    uint32_t shared = offsets[std::make_pair(0, 3)], carried = offsets[std::make_pair(0, 5)];
    EXPECT_EQ(shared, offsets[std::make_pair(3, 1)]);
    EXPECT_EQ(Bytes(out.begin() + carried, out.begin() + carried + 10), f14);
    auto again = ReadCmap(out);
    EXPECT_EQ(again->findSubtable(3, 1)->m_map, t->findSubtable(3, 1)->m_map);
}

TEST(Cmap, MappingGoesWhereTheFormatCanHoldIt) {
    // Symbol font: printable codes move to 0xF000 plus their code page 1252 byte.
    cmapTABLE sym(nullptr);
    sym.reset();
    TTcmapSubtable* s = sym.addSubtable(3, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format, 4);
    EXPECT_TRUE(sym.mapCodeToGlyph(0x2022, 7));
    EXPECT_EQ(s->glyphForCode(0xF095), 7);
    EXPECT_TRUE(sym.mapCodeToGlyph(0x41, 8));
    EXPECT_EQ(s->glyphForCode(0xF041), 8);
    EXPECT_TRUE(sym.mapCodeToGlyph(0x4E00, 9));
    EXPECT_EQ(s->glyphForCode(0x4E00), 9);
    EXPECT_EQ(sym.addSubtable(9, 9), nullptr);

    // Macintosh Roman format 0 takes its own codes and glyph indices below 256: the
    // bullet is its byte 0xA5, e acute 0x8E; a star has no code there.
    cmapTABLE mac(nullptr);
    mac.reset();
    mac.addSubtable(1, 0);
    EXPECT_TRUE(mac.mapCodeToGlyph(0x41, 200));
    EXPECT_TRUE(mac.mapCodeToGlyph(0x2022, 5));
    EXPECT_EQ(mac.findSubtable(1, 0)->glyphForCode(0xA5), 5);
    EXPECT_TRUE(mac.mapCodeToGlyph(0xE9, 6));
    EXPECT_EQ(mac.findSubtable(1, 0)->glyphForCode(0x8E), 6);
    EXPECT_EQ(mac.findSubtable(1, 0)->glyphForCode(0xE9), 0);  // there 0xE9 is E grave
    EXPECT_FALSE(mac.mapCodeToGlyph(0x2605, 5));
    EXPECT_FALSE(mac.mapCodeToGlyph(0x42, 3000));
    EXPECT_EQ(mac.findSubtable(1, 0)->glyphForCode(0x42), 0);

    // A format 6 table over 0..255 cannot stretch to U+E000 without outgrowing its
    // 16-bit length: it stays as it was, while the Unicode maps take the code.
    std::vector<int> glyphs(256, 3);
    Bytes f4;
    Be{f4}.u16(4).u16(24).u16(0).u16(2).u16(2).u16(0).u16(0).u16(0xFFFF).u16(0).u16(0xFFFF).u16(1).u16(0);
    auto t = ReadCmap(CmapBytes({{1, 0, 0}, {3, 1, 1}, {3, 10, 2}}, {Format6(0, glyphs), f4, [] {
        Bytes b;
        Be{b}.u16(12).u16(0).u32(16).u32(0).u32(0);
        return b;
    }()}));
    ASSERT_EQ(t->subtableCount(), 3u);
    EXPECT_TRUE(t->mapCodeToGlyph(0xE000, 400));
    EXPECT_EQ(t->findSubtable(1, 0)->glyphForCode(0xE000), 0);
    EXPECT_EQ(t->findSubtable(3, 1)->glyphForCode(0xE000), 400);
    EXPECT_EQ(t->findSubtable(3, 10)->glyphForCode(0xE000), 400);
    EXPECT_TRUE(t->mapCodeToGlyph(0x1F600, 401));
    EXPECT_EQ(t->findSubtable(3, 10)->glyphForCode(0x1F600), 401);
    // The full Unicode map grows to the last code Unicode has, and no further.
    EXPECT_TRUE(t->findSubtable(3, 10)->setGlyphForCode(0x10FFFF, 402));
    EXPECT_FALSE(t->findSubtable(3, 10)->setGlyphForCode(0x110000, 403));
    EXPECT_EQ(t->findSubtable(3, 10)->glyphForCode(0x110000), 0);
    EXPECT_EQ(t->findSubtable(3, 10)->codeCount(), 0x110000u);
    auto back = ReadCmap(WriteCmap(*t));
    EXPECT_EQ(back->findSubtable(3, 10)->glyphForCode(0x1F600), 401);
    EXPECT_EQ(back->findSubtable(1, 0)->glyphForCode(255), 3);
}

// East Asian subtables number characters by their own encodings: the kanji for "middle"
// is 0x9286 in Shift-JIS, 0xA4A4 in Big5, 0xD6D0 in GBK, 0xF1E9 in Wansung and 0xF3E9
// in Johab (Python's codecs agree). A format 2 subtable holds a two-byte code only behind a lead
// byte it has, and reports nothing else as mapped.
TEST(Cmap, EastAsianCodesAndFormat2HoldOnlyWhatTheyWrite) {
    cmapTABLE t(nullptr);
    t.reset();
    TTcmapSubtable* sjis = t.addSubtable(3, 2);
    TTcmapSubtable* wansung = t.addSubtable(3, 5);
    ASSERT_EQ(sjis->format, 2);
    for (TTcmapSubtable* s : {sjis, wansung})
        for (uint32_t lead = 0x81; lead <= 0xFE; ++lead) s->m_twoByte[lead] = lead != 0xA0 || s == wansung;
    for (auto [platform, encoding] : {std::pair{3, 3}, {3, 4}, {3, 6}}) t.addSubtable(uint16_t(platform), uint16_t(encoding));
    ASSERT_TRUE(t.mapCodeToGlyph(0x4E2D, 77));
    const std::pair<std::pair<int, int>, uint32_t> expected[] = {
        {{3, 2}, 0x9286}, {{3, 3}, 0xA4A4}, {{3, 4}, 0xD6D0}, {{3, 5}, 0xF1E9}, {{3, 6}, 0xF3E9}};
    for (const auto& [pair, code] : expected) {
        const TTcmapSubtable* s = t.findSubtable(uint16_t(pair.first), uint16_t(pair.second));
        EXPECT_EQ(s->glyphForCode(code), 77) << pair.first << "," << pair.second;
        EXPECT_EQ(s->glyphForCode(0x4E2D), 0) << pair.first << "," << pair.second;
    }
    // Written and read back, the format 2 subtables still hold it.
    auto back = ReadCmap(WriteCmap(t));
    EXPECT_EQ(back->findSubtable(3, 2)->glyphForCode(0x9286), 77);
    EXPECT_EQ(back->findSubtable(3, 5)->glyphForCode(0xF1E9), 77);

    // Half-width katakana A is the one-byte code 0xB1 in Shift-JIS; U+00E9 has no
    // Shift-JIS code at all.
    cmapTABLE f2(nullptr);
    f2.reset();
    TTcmapSubtable* s = f2.addSubtable(3, 2);
    s->m_twoByte[0x82] = true;
    EXPECT_TRUE(f2.mapCodeToGlyph(0xFF71, 5));
    EXPECT_EQ(s->glyphForCode(0xB1), 5);
    EXPECT_FALSE(f2.mapCodeToGlyph(0xE9, 6));
    // Kanji for "middle" is 0x9286: 0x92 starts no two-byte code in this table, so the
    // code cannot be written and the build must hear that.
    EXPECT_FALSE(f2.mapCodeToGlyph(0x4E2D, 7));
    EXPECT_EQ(s->glyphForCode(0x9286), 0);
    // A one-byte code whose byte leads two-byte codes cannot be held either.
    s->m_twoByte[0xB1] = true;
    EXPECT_FALSE(f2.mapCodeToGlyph(0xFF71, 8));
    auto read = ReadCmap(WriteCmap(f2));
    EXPECT_EQ(read->findSubtable(3, 2)->glyphForCode(0xB1), 0);
}

TEST(Cmap, DamagedSubtablesStayBoundedAndUnchanged) {
    // idRangeOffset pointing far outside the subtable: the codes are unmapped.
    Bytes f4;
    Be{f4}.u16(4).u16(32).u16(0).u16(4).u16(4).u16(1).u16(0).u16('c').u16(0xFFFF).u16(0).u16('a').u16(0xFFFF);
    Be{f4}.u16(0).u16(1).u16(0x7000).u16(0);
    auto t = ReadCmap(CmapBytes({{3, 1, 0}}, {f4}));
    ASSERT_EQ(t->subtableCount(), 1u);
    EXPECT_EQ(t->subtable(0)->glyphForCode('a'), 0);

    // Overlapping segments and a format 12 group over every code are kept as bytes.
    Bytes overlap;
    Be{overlap}.u16(4).u16(32).u16(0).u16(4).u16(4).u16(1).u16(0).u16(0xF000).u16(0xFFFF).u16(0).u16(0x10).u16(0x20);
    Be{overlap}.u16(0).u16(0).u16(0).u16(0);
    Bytes wide;
    Be{wide}.u16(12).u16(0).u32(40).u32(0).u32(2).u32(0).u32(0xFFFFFFFF).u32(1).u32(5).u32(6).u32(1);
    Bytes bytes = CmapBytes({{3, 1, 0}, {3, 10, 1}}, {overlap, wide});
    auto d = ReadCmap(bytes);
    ASSERT_EQ(d->subtableCount(), 2u);
    EXPECT_TRUE(d->subtable(0)->carried());
    EXPECT_TRUE(d->subtable(1)->carried());
    EXPECT_FALSE(d->mapCodeToGlyph(0x41, 1));
    Bytes out = WriteCmap(*d);
    EXPECT_EQ(Bytes(out.begin() + GetBE32(out, 8), out.begin() + GetBE32(out, 8) + 32), overlap);

    // Too many records: nothing parsed, no error, and the table written back as it was.
    // A truncated header: error 4.
    Bytes many;
    Be{many}.u16(0).u16(257);
    for (int i = 0; i < 257; ++i) Be{many}.u16(1).u16(i).u32(0);
    int code;
    auto kept = ReadCmap(many, &code);
    EXPECT_EQ(kept->subtableCount(), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(kept->mapCodeToGlyph(0x41, 1));
    EXPECT_EQ(WriteCmap(*kept), many);
    ReadCmap(Bytes{0, 0, 0}, &code);
    EXPECT_EQ(code, TTError::kRead);
}

TEST(Cmap, EncodingListIsOrderedAndNamed) {
    EXPECT_EQ(CmapEncodingList::size(), 50);
    for (int i = 1; i < CmapEncodingList::size(); ++i) {
        const CmapEncoding* a = CmapEncodingList::entry(i - 1);
        const CmapEncoding* b = CmapEncodingList::entry(i);
        EXPECT_LT(std::make_pair(a->platformID, a->encodingID), std::make_pair(b->platformID, b->encodingID));
    }
    EXPECT_STREQ(CmapEncodingList::entry(CmapEncodingList::indexOf(1, 7))->encodingName, "Russian");
    EXPECT_EQ(CmapEncodingList::entry(CmapEncodingList::indexOf(3, 10))->newFormat, 12);
    EXPECT_EQ(AnsiToUnicode[0x80], 0x20AC);
    EXPECT_EQ(AnsiToUnicode[0x81], 0x81);
}

}  // namespace
