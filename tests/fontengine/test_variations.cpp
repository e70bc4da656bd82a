// Metric variations (HVAR, VVAR) following glyphs appended at the end: the new glyphs map
// to data that applies no delta, the old ones keep theirs, damaged tables are refused.
#include <gtest/gtest.h>

#include "FontBytes.h"
#include "MetricVariations.h"
#include "TTError.h"
#include "TTF_TABLE.h"

namespace {

// HVAR with one region and one item variation data of three rows (deltas 10, 20, 30);
// with an advance map of mapEntries entries (item i, the last repeated) when given.
Bytes SmallHvar(int mapEntries = 0) {
    Bytes t;
    Be b{t};
    b.u32(0x00010000).u32(20).u32(0).u32(0).u32(0);
    b.u16(1).u32(12).u16(1).u32(22);           // store: format, region list, one data
    b.u16(1).u16(1).u16(0).u16(0x4000).u16(0x4000);  // one axis, one region up to the peak
    b.u16(3).u16(0).u16(1).u16(0);             // three items, byte deltas, region 0
    b.u8(10).u8(20).u8(30);
    if (mapEntries) {
        const uint32_t at = uint32_t(t.size());
        b.u8(0).u8(0x01).u16(mapEntries);      // 1-byte entries, 2 inner bits
        for (int i = 0; i < mapEntries; ++i) b.u8(i);
        for (int k = 0; k < 4; ++k) t[8 + size_t(k)] = uint8_t(at >> (24 - 8 * k));
    }
    return t;
}

struct Decoded {
    std::vector<std::pair<uint32_t, uint32_t>> advance;  // outer, inner per glyph
    std::vector<std::vector<int>> rows;                  // per data: its byte deltas
};

Decoded Decode(const Bytes& t) {
    Decoded d;
    const size_t store = GetBE32(t, 4), map = GetBE32(t, 8);
    const size_t count = GetBE16(t, store + 6);
    for (size_t i = 0; i < count; ++i) {
        const size_t data = store + GetBE32(t, store + 8 + 4 * i);
        const size_t items = GetBE16(t, data), regions = GetBE16(t, data + 4);
        std::vector<int> row;
        for (size_t k = 0; k < items * regions; ++k) row.push_back(int8_t(t[data + 6 + 2 * regions + k]));
        d.rows.push_back(row);
    }
    const size_t regionList = store + GetBE32(t, store + 2);
    EXPECT_EQ(GetBE16(t, regionList), 1) << "the region list moved with the store";
    const unsigned format = t[map + 1], size = ((format >> 4) & 3) + 1, innerBits = (format & 15) + 1;
    for (size_t i = 0, n = GetBE16(t, map + 2); i < n; ++i) {
        uint32_t v = 0;
        for (size_t k = 0; k < size; ++k) v = v << 8 | t[map + 4 + i * size + k];
        d.advance.push_back({v >> innerBits, v & ((1u << innerBits) - 1)});
    }
    return d;
}

}  // namespace

TEST(MetricVariations, NewGlyphsMapToDataWithoutDeltas) {
    for (int mapEntries : {0, 3, 2}) {  // implicit, a full map, a map shorter than the glyphs
        Bytes t = SmallHvar(mapEntries);
        ASSERT_EQ(ExtendMetricVariations(t, MakeTag("HVAR"), 3, 5), TTError::kOk) << mapEntries;
        Decoded d = Decode(t);
        ASSERT_EQ(d.rows.size(), 2u);
        EXPECT_EQ(d.rows[0], (std::vector<int>{10, 20, 30}));
        EXPECT_TRUE(d.rows[1].empty()) << "the new data has no regions";
        const uint32_t third = mapEntries == 2 ? 1 : 2;
        EXPECT_EQ(d.advance, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}, {0, 1}, {0, third}, {1, 0}, {1, 0}}));
        // The same change again (a second write) leaves the table as it is.
        Bytes once = t;
        EXPECT_EQ(ExtendMetricVariations(t, MakeTag("HVAR"), 3, 5), TTError::kOk);
        EXPECT_EQ(t, once);
    }
}

TEST(MetricVariations, DamagedTablesAreRefusedUnchanged) {
    const Bytes whole = SmallHvar(3);
    for (size_t size = 0; size < whole.size(); ++size) {
        Bytes cut(whole.begin(), whole.begin() + long(size));
        int code = ExtendMetricVariations(cut, MakeTag("HVAR"), 3, 4);
        if (code != TTError::kOk) {
            EXPECT_EQ(cut, Bytes(whole.begin(), whole.begin() + long(size)));
        }
    }
    Bytes badVersion = whole;
    badVersion[1] = 2;
    EXPECT_EQ(ExtendMetricVariations(badVersion, MakeTag("HVAR"), 3, 4), TTError::kGlyphCountTable);
    Bytes storeInHeader = whole;
    storeInHeader[7] = 4;
    EXPECT_EQ(ExtendMetricVariations(storeInHeader, MakeTag("HVAR"), 3, 4), TTError::kGlyphCountTable);
    Bytes emptyMap = whole;
    emptyMap[GetBE32(whole, 8) + 3] = 0;
    EXPECT_EQ(ExtendMetricVariations(emptyMap, MakeTag("HVAR"), 3, 4), TTError::kGlyphCountTable);
    Bytes fewer = whole;
    EXPECT_EQ(ExtendMetricVariations(fewer, MakeTag("HVAR"), 3, 2), TTError::kGlyphCountTable);
}
