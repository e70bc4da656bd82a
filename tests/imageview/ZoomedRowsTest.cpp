// Zoomed rows against the plain definition: output pixel x shows source pixel x / k
// (k >= 1) or x * |k| (k <= -2), paper beyond the row.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ZoomedRows.h"

namespace {

int SourcePixel(const std::vector<uint8_t>& row, int32_t width, int64_t x) {
    if (x >= width) return 1;
    return (row[size_t(x / 8)] >> (7 - x % 8)) & 1;
}

int OutPixel(const std::vector<uint8_t>& out, int32_t x) { return (out[size_t(x / 8)] >> (7 - x % 8)) & 1; }

TEST(ZoomedRows, EveryZoomAndOffsetShowsTheRightSourcePixels) {
    std::mt19937 random(7);
    for (int32_t width : {1, 7, 8, 13, 64, 203}) {
        std::vector<uint8_t> row(size_t((width + 15) / 16 * 2));
        for (auto& b : row) b = uint8_t(random());
        for (int k = -16; k <= 16; ++k) {
            if (k == 0 || k == -1) continue;
            int32_t extent = k >= 1 ? width * k : (width + -k - 1) / -k;
            for (int32_t viewX : {0, 1, 5, 8, 9, extent / 2, std::max(0, extent - 3)}) {
                int32_t count = std::max(1, extent - viewX + 5);  // a little past the row
                std::vector<uint8_t> out(size_t((count + 7) / 8));
                std::vector<uint8_t> scratch(size_t(zoomed_rows::ScratchBytes(count, k)));
                zoomed_rows::ZoomRow(row.data(), width, k, viewX, count, out.data(), scratch.data());
                for (int32_t i = 0; i < count; ++i) {
                    int64_t x = viewX + i;
                    int64_t source = k >= 1 ? x / k : x * -k;
                    ASSERT_EQ(OutPixel(out, i), SourcePixel(row, width, source))
                        << "width " << width << " zoom " << k << " from " << viewX << " pixel " << i;
                }
            }
        }
    }
}

TEST(ZoomedRows, ExpansionRepeatsEachBitMsbFirst) {
    const uint8_t* e = zoomed_rows::ExpandedByte(0xA0, 2);  // 1010 0000
    EXPECT_EQ(e[0], 0xCC);
    EXPECT_EQ(e[1], 0x00);
    e = zoomed_rows::ExpandedByte(0x80, 16);
    EXPECT_EQ(e[0], 0xFF);
    EXPECT_EQ(e[1], 0xFF);
    for (int i = 2; i < 16; ++i) EXPECT_EQ(e[i], 0x00);
}

TEST(ZoomedRows, ZoomsThatCannotBeDrawnLeaveTheRowAlone) {
    std::vector<uint8_t> row(2, 0x00), out(2, 0x5A), scratch(64);
    for (int k : {0, -1, 17, -17}) {
        zoomed_rows::ZoomRow(row.data(), 16, k, 0, 16, out.data(), scratch.data());
        EXPECT_EQ(out[0], 0x5A) << k;
    }
}

}  // namespace
