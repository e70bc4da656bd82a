// cvt, fpgm, prep, gasp, PCLT and VDMX: read into their fields, written back unchanged.
#include <gtest/gtest.h>

#include "TableHarness.h"
#include "cvtTABLE.h"
#include "fpgmTABLE.h"
#include "gaspTABLE.h"
#include "pcltTABLE.h"
#include "prepTABLE.h"
#include "vdmxTABLE.h"

namespace {

template <class T>
void ExpectRoundTrip(const Bytes& in, const char* what) {
    int code = -1;
    auto t = ReadAlone<T>(in, &code);
    EXPECT_EQ(code, 0) << what;
    EXPECT_EQ(WriteTable(*t, &code), in) << what;
    EXPECT_EQ(code, 0) << what;
    auto copy = t->clone();
    EXPECT_EQ(WriteTable(static_cast<T&>(*copy)), in) << what << " (clone)";
}

TEST(PlainTables, ControlValuesAndProgramsRoundTrip) {
    Bytes cvt;
    Be(cvt).u16(0).u16(-1).u16(1234).u16(-32768);
    ExpectRoundTrip<cvtTABLE>(cvt, "cvt");
    auto c = ReadAlone<cvtTABLE>(cvt);
    EXPECT_EQ(c->values, (std::vector<int16_t>{0, -1, 1234, -32768}));
    EXPECT_EQ(c->name(), "cvt ");
    Bytes program = {0xB0, 0x01, 0x2C, 0x4B, 0xB0, 0x09};
    ExpectRoundTrip<fpgmTABLE>(program, "fpgm");
    ExpectRoundTrip<prepTABLE>(program, "prep");
    EXPECT_EQ(ReadAlone<prepTABLE>(program)->program, program);
    EXPECT_STREQ(ReadAlone<fpgmTABLE>(program)->typeName(), "type_fpgmTABLE");
}

TEST(PlainTables, GaspRangesAreBoundedByTheTable) {
    Bytes gasp;
    Be(gasp).u16(1).u16(3).u16(8).u16(GASP_DOGRAY).u16(16).u16(GASP_GRIDFIT).u16(0xFFFF).u16(0x000F);
    ExpectRoundTrip<gaspTABLE>(gasp, "gasp");
    auto g = ReadAlone<gaspTABLE>(gasp);
    ASSERT_EQ(g->ranges.size(), 3u);
    EXPECT_EQ(g->ranges[1], (GaspRange{16, GASP_GRIDFIT}));
    gasp[3] = 4;  // one range more than there is
    int code = 0;
    ReadAlone<gaspTABLE>(gasp, &code);
    EXPECT_EQ(code, TTError::kRead);
}

TEST(PlainTables, PcltFieldsInOrder) {
    Bytes pclt;
    Be(pclt).u32(0x00010000).u32(0x80001234).u16(550).u16(1062).u16(0).u16(4099).u16(1409).u16(0x0115);
    Be(pclt).str("Typeface 16 char").str("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE").str("FNAME0");
    Be(pclt).u8(0xFD).u8(0).u8(0x40).u8(0);
    ASSERT_EQ(pclt.size(), pcltTABLE::kSize);
    ExpectRoundTrip<pcltTABLE>(pclt, "PCLT");
    auto p = ReadAlone<pcltTABLE>(pclt);
    EXPECT_EQ(p->FontNumber, 0x80001234u);
    EXPECT_EQ(p->CapHeight, 1409);
    EXPECT_EQ(p->StrokeWeight, -3);
    EXPECT_EQ(p->SerifStyle, 0x40);
    int code = 0;
    pclt.resize(50);
    ReadAlone<pcltTABLE>(pclt, &code);
    EXPECT_EQ(code, TTError::kRead);
}

Bytes Vdmx() {
    // Two ratios sharing the first group, a third with its own.
    Bytes b;
    Be w{b};
    w.u16(1).u16(2).u16(3);
    w.u8(1).u8(1).u8(1).u8(1).u8(1).u8(2).u8(1).u8(2).u8(0).u8(0).u8(0).u8(0);
    size_t first = 6 + 3 * 4 + 3 * 2;
    size_t second = first + 4 + 2 * 6;
    w.u16(int(first)).u16(int(first)).u16(int(second));
    w.u16(2).u8(8).u8(9).u16(8).u16(7).u16(-2).u16(9).u16(8).u16(-2);
    w.u16(1).u8(10).u8(10).u16(10).u16(9).u16(-3);
    return b;
}

TEST(PlainTables, VdmxKeepsSharedGroupsShared) {
    ExpectRoundTrip<vdmxTABLE>(Vdmx(), "VDMX");
    auto v = ReadAlone<vdmxTABLE>(Vdmx());
    ASSERT_EQ(v->groups.size(), 2u);
    EXPECT_EQ(v->m_ratioGroup, (std::vector<uint16_t>{0, 0, 1}));
    EXPECT_EQ(v->groups[0].entries[1], (VdmxEntry{9, 8, -2}));
}

TEST(PlainTables, VdmxCountsAndOffsetsStayInsideTheTable) {
    int code = 0;
    Bytes far = Vdmx();
    far[6 + 12 + 5] = 0xF0;  // third offset past the end
    ReadAlone<vdmxTABLE>(far, &code);
    EXPECT_EQ(code, TTError::kRead);
    Bytes many = Vdmx();
    many[6 + 12 + 6] = 0x7F;  // the first group claims 0x7F02 records
    auto v = ReadAlone<vdmxTABLE>(many, &code);
    EXPECT_EQ(code, TTError::kRead);
    EXPECT_TRUE(v->groups.empty());
    Bytes ratios = Vdmx();
    ratios[5] = 200;  // 200 ratios
    ReadAlone<vdmxTABLE>(ratios, &code);
    EXPECT_EQ(code, TTError::kRead);
}

}  // namespace
