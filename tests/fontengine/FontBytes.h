// Hand-made font files for the engine's tests: tables are given as bytes, the directory
// is built around them exactly as asked (including wrong orders and bad numbers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TTF.h"

using Bytes = std::vector<uint8_t>;

struct RawTable {
    std::string tag;
    Bytes data;
    // When set, the directory states these instead of the real offset and length.
    int64_t offset = -1;
    int64_t length = -1;
};

struct Be {
    Bytes& b;
    Be& u8(int v) { b.push_back(uint8_t(v)); return *this; }
    Be& u16(int v) { b.push_back(uint8_t(v >> 8)); b.push_back(uint8_t(v)); return *this; }
    Be& u32(uint32_t v) { u16(int(v >> 16)); return u16(int(v & 0xFFFF)); }
};

inline uint32_t GetBE32(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}
inline uint16_t GetBE16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

// An sfnt with the tables in the given order, each 4-byte aligned.
Bytes BuildSfnt(const std::vector<RawTable>& tables, uint32_t version = 0x00010000);

struct DirEntry {
    std::string tag;
    uint32_t checksum, offset, length;
};
std::vector<DirEntry> ReadDirectory(const Bytes& font);
const DirEntry* FindEntry(const std::vector<DirEntry>& dir, const std::string& tag);
Bytes TableBytes(const Bytes& font, const std::string& tag);

// Sum of big-endian words, the last one padded with zeros.
uint32_t WordSum(const uint8_t* p, size_t n);

// A simple glyph in its file form: contours of (x, y, onCurve) points.
struct Pt {
    int x, y;
    bool on = true;
};
Bytes SimpleGlyph(const std::vector<std::vector<Pt>>& contours);

// The tables of a small valid font with these glyph bodies (each padded to even length)
// and advance widths: head, hhea, hmtx, loca (long), maxp, glyf.
std::vector<RawTable> SmallFont(const std::vector<Bytes>& glyphs, const std::vector<int>& advances);

// Reads bytes into font; answers the font's error.
int ReadFont(TTF& font, TTMemoryStream& in);
// Writes font to bytes; answers the font's error.
int WriteFont(TTF& font, Bytes& out);
