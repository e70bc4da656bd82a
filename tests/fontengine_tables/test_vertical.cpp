// vhea and vmtx: vertical metrics read into the glyphs, recomputed and written back.
#include <gtest/gtest.h>

#include "TableHarness.h"
#include "vheaTABLE.h"
#include "vmtxTABLE.h"

namespace {

Bytes Vhea(int longMetrics) {
    Bytes b;
    Be w{b};
    w.u32(0x00011000).u16(880).u16(-120).u16(0).u16(1000).u16(5).u16(7).u16(990).u16(0).u16(1).u16(0);
    w.u16(0).u16(0).u16(0).u16(0).u16(0).u16(longMetrics);
    return b;
}

TEST(Vertical, HeaderRoundTripsWithoutGlyphs) {
    Bytes in = Vhea(3);
    int code = -1;
    auto v = ReadAlone<vheaTABLE>(in, &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(v->descent, -120);
    EXPECT_EQ(v->numOfLongVerMetrics, 3);
    EXPECT_EQ(WriteTable(*v), in);
    in.resize(30);
    ReadAlone<vheaTABLE>(in, &code);
    EXPECT_EQ(code, TTError::kRead);
}

TEST(Vertical, MetricsReadIntoTheGlyphsAndWrittenWithTheTrailingRun) {
    TTF font;
    SetGlyphs(font, {{500, -100, 700, ""}, {500, 0, 500, ""}, {500, 0, 600, ""}, {500, 0, 600, ""}});
    Install<vheaTABLE>(font, TTIndex::vhea, Vhea(2));
    Bytes vmtx;
    Be(vmtx).u16(1000).u16(50).u16(900).u16(60).u16(70).u16(80);
    int code = -1;
    vmtxTABLE* m = Install<vmtxTABLE>(font, TTIndex::vmtx, vmtx, &code);
    ASSERT_EQ(code, 0);
    const glyfTABLE& g = *font.glyf();
    EXPECT_EQ(g.glyph(3)->m_nAdvanceHeight, 900);  // repeats the last long metric
    EXPECT_EQ(g.glyph(3)->m_nTopSideBearing, 80);
    // Glyphs 1 to 3 share the advance 900: two long metrics stay.
    EXPECT_EQ(WriteTable(*m), vmtx);
    auto* v = font.get<vheaTABLE>(TTIndex::vhea);
    EXPECT_EQ(v->advanceHeightMax, 1000);
    EXPECT_EQ(v->minTopSideBearing, 50);
    EXPECT_EQ(v->minBottomSideBearing, std::min({1000 - 50 - 800, 900 - 60 - 500, 900 - 70 - 600, 900 - 80 - 600}));
    EXPECT_EQ(v->yMaxExtent, std::max({800 + 50, 500 + 60, 600 + 70, 600 + 80}));
    EXPECT_EQ(v->state(), TTSource::Calculated);
    // Short data: error 4.
    vmtx.resize(10);
    Install<vmtxTABLE>(font, TTIndex::vmtx, vmtx, &code);
    EXPECT_EQ(code, TTError::kRead);
}

TEST(Vertical, LastHundredGlyphsSharingAnAdvanceNeedOneLongMetric) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(150));
    Install<vheaTABLE>(font, TTIndex::vhea, Vhea(150));
    vmtxTABLE* m = Install<vmtxTABLE>(font, TTIndex::vmtx, Bytes(600));
    for (size_t i = 0; i < 150; ++i) font.glyf()->glyph(i)->m_nAdvanceHeight = uint16_t(i < 50 ? 100 + i : 1000);
    Bytes out = WriteTable(*m);
    EXPECT_EQ(font.get<vheaTABLE>(TTIndex::vhea)->numOfLongVerMetrics, 150 - 99);
    EXPECT_EQ(out.size(), size_t(51 * 4 + 99 * 2));
}

TEST(Vertical, MetricsWithoutAHeaderTravelAsBytes) {
    TTF font;
    SetGlyphs(font, std::vector<GlyphSpec>(2));
    Bytes vmtx;
    Be(vmtx).u16(1000).u16(50).u16(60);
    int code = -1;
    vmtxTABLE* m = Install<vmtxTABLE>(font, TTIndex::vmtx, vmtx, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(WriteTable(*m), vmtx);
    EXPECT_EQ(m->followGlyphCount(2, 2), 0);
    EXPECT_EQ(m->followGlyphCount(2, 3), TTError::kGlyphCountTable);
}

}  // namespace
