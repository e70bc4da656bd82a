#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BufferedFile.h"
#include "ByteOrder.h"

namespace {
std::string TempPath(const char* name) { return std::string(PENMARK_TEST_TMP) + "/" + name; }
}  // namespace

TEST(BufferedFile, WritesAndReadsFieldsAcrossBufferBoundaries) {
    const std::string path = TempPath("fields.bin");
    {
        BufferedFile out;
        ASSERT_TRUE(out.open(path, BufferedFile::Mode::Write));
        for (uint32_t i = 0; i < 50000; ++i) {
            ASSERT_TRUE(out.writeBE32(i * 2654435761u));
            ASSERT_TRUE(out.writeBE16(uint16_t(i)));
            ASSERT_TRUE(out.writeU8(uint8_t(i)));
        }
        std::vector<uint8_t> big(200000, 0xAB);  // larger than the buffer
        ASSERT_TRUE(out.write(big.data(), big.size()));
        ASSERT_TRUE(out.close());
    }
    BufferedFile in;
    ASSERT_TRUE(in.open(path, BufferedFile::Mode::Read));
    EXPECT_EQ(in.size(), 50000u * 7 + 200000);
    for (uint32_t i = 0; i < 50000; ++i) {
        uint32_t a;
        uint16_t b;
        uint8_t c;
        ASSERT_TRUE(in.readBE32(a));
        ASSERT_TRUE(in.readBE16(b));
        ASSERT_TRUE(in.readU8(c));
        ASSERT_EQ(a, i * 2654435761u);
        ASSERT_EQ(b, uint16_t(i));
        ASSERT_EQ(c, uint8_t(i));
    }
    std::vector<uint8_t> big(200000);
    ASSERT_TRUE(in.read(big.data(), big.size()));
    EXPECT_EQ(big.front(), 0xAB);
    EXPECT_EQ(big.back(), 0xAB);
    uint8_t extra;
    EXPECT_FALSE(in.read(&extra, 1));  // end of file is a failure, not garbage
    std::remove(path.c_str());
}

TEST(BufferedFile, SeekRereadsAndRewrites) {
    const std::string path = TempPath("seek.bin");
    {
        BufferedFile out;
        ASSERT_TRUE(out.open(path, BufferedFile::Mode::Write));
        for (int i = 0; i < 100000; ++i) ASSERT_TRUE(out.writeU8(uint8_t(i)));
        ASSERT_TRUE(out.seek(10));  // a header written a second time
        ASSERT_TRUE(out.writeBE32(0xDEADBEEF));
        EXPECT_EQ(out.tell(), 14u);
        ASSERT_TRUE(out.close());
    }
    BufferedFile in;
    ASSERT_TRUE(in.open(path, BufferedFile::Mode::Read));
    EXPECT_EQ(in.size(), 100000u);
    uint32_t v;
    ASSERT_TRUE(in.seek(10));
    ASSERT_TRUE(in.readBE32(v));
    EXPECT_EQ(v, 0xDEADBEEFu);
    ASSERT_TRUE(in.seek(99999));
    uint8_t b;
    ASSERT_TRUE(in.readU8(b));
    EXPECT_EQ(b, uint8_t(99999));
    ASSERT_TRUE(in.seek(70000));
    ASSERT_TRUE(in.readU8(b));
    EXPECT_EQ(b, uint8_t(70000));
    EXPECT_EQ(in.tell(), 70001u);
    ASSERT_TRUE(in.seek(200000));
    EXPECT_FALSE(in.readU8(b));
    std::remove(path.c_str());
}

TEST(BufferedFile, RefusesMissingFilesAndDirectories) {
    BufferedFile f;
    EXPECT_FALSE(f.open(TempPath("does-not-exist"), BufferedFile::Mode::Read));
    EXPECT_FALSE(f.open(PENMARK_TEST_TMP, BufferedFile::Mode::Read));
    EXPECT_FALSE(f.isOpen());
    std::vector<uint8_t> data;
    EXPECT_FALSE(ReadWholeFile(TempPath("does-not-exist"), data));
}

TEST(ByteOrder, BothOrders) {
    uint8_t b[4];
    WriteBE32(b, 0x01020304);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(ReadBE32(b), 0x01020304u);
    EXPECT_EQ(ReadLE32(b), 0x04030201u);
    WriteBE16(b, 0xFF80);
    EXPECT_EQ(ReadBE16s(b), -128);
    WriteLE16(b, 0x1234);
    EXPECT_EQ(ReadLE16(b), 0x1234);
}
