// The subtable formats the character map reads into its code array and writes back, one
// file each. A parser reads the subtable at p (size bytes, its length cut to the table)
// with c just past the format word and answers false for data it cannot hold, which the
// subtable then keeps as bytes; an encoder appends the subtable (it starts at start in
// out) or answers TTError::kInvalid when it outgrows its format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TTBytes.h"
#include "TTcmapSubtable.h"

// Subtables of formats 0 to 6 record their length in 16 bits.
constexpr uint32_t kCmapMaxLength16 = 0xFFFF;

bool ParseFormat0(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size);
bool ParseFormat2(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size);
bool ParseFormat4(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size);
bool ParseFormat6(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size);
bool ParseFormat12(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size);  // and 13

int EncodeFormat0(const TTcmapSubtable& s, std::vector<uint8_t>& out, size_t start);
int EncodeFormat2(const TTcmapSubtable& s, std::vector<uint8_t>& out, size_t start);
int EncodeFormat4(const TTcmapSubtable& s, std::vector<uint8_t>& out, size_t start);
int EncodeFormat6(const TTcmapSubtable& s, std::vector<uint8_t>& out, size_t start);
int EncodeFormat12(const TTcmapSubtable& s, std::vector<uint8_t>& out, size_t start);  // and 13
