// Helpers for the table tests: big-endian byte building, a font with glyphs in memory,
// and installing a table class into a font, read from bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TTF.h"
#include "glyfTABLE.h"

using Bytes = std::vector<uint8_t>;

struct Be {
    Bytes& b;
    Be& u8(int v) { b.push_back(uint8_t(v)); return *this; }
    Be& u16(int v) { b.push_back(uint8_t(v >> 8)); b.push_back(uint8_t(v)); return *this; }
    Be& u32(uint32_t v) { u16(int(v >> 16)); return u16(int(v & 0xFFFF)); }
    Be& str(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); return *this; }
};

inline uint16_t Get16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }
inline uint32_t Get32(const Bytes& b, size_t at) { return uint32_t(Get16(b, at)) << 16 | Get16(b, at + 2); }

// Sets the font's glyphs to count simple glyphs with the given box and metrics.
struct GlyphSpec {
    int advance = 500;
    int yMin = 0;
    int yMax = 700;
    std::string name;  // empty: leave the default name
    bool empty = false;
};
void SetGlyphs(TTF& font, const std::vector<GlyphSpec>& glyphs);

// Reads bytes into a new T in the font's slot of index (replacing what was there); the
// table's error is in *code.
template <class T>
T* Install(TTF& font, int index, const Bytes& bytes, int* code = nullptr) {
    font.removeTable(index);
    auto t = std::make_unique<T>(&font, uint32_t(bytes.size()), 0, 0);
    T* raw = t.get();
    font.setSlot(index, font.addTable(std::move(t)));
    TTMemoryStream in(bytes);
    int c = raw->readFrom(&in);
    raw->setInput(nullptr);
    if (code) *code = c;
    return raw;
}

// Reads bytes into a lone T (no font).
template <class T>
std::unique_ptr<T> ReadAlone(const Bytes& bytes, int* code = nullptr) {
    auto t = std::make_unique<T>(nullptr, uint32_t(bytes.size()), 0, 0);
    TTMemoryStream in(bytes);
    int c = t->readFrom(&in);
    t->setInput(nullptr);
    if (code) *code = c;
    return t;
}

// Writes a table on its own; the table's error in *code.
Bytes WriteTable(TTF_TABLE& table, int* code = nullptr);
