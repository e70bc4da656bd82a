// Lookup tables of the fax run-length codes (white and black terminating and make-up
// codes), indexed by the next 13 bits of the data, most significant bit first.
#pragma once

#include <cstdint>

namespace RunCodes {

constexpr int kPeekBits = 13;

// kZeros: eight or more leading zeros, which start no run code (an end-of-line code,
// fill, or an extension code).
enum Kind : uint8_t { kInvalid = 0, kTerminating, kMakeUp, kZeros };

struct Entry {
    uint16_t run = 0;
    uint8_t length = 0;
    Kind kind = kInvalid;
};

struct Tables {
    Entry colour[2][1 << kPeekBits];  // 0 white, 1 black
};

// Built on first use; thread-safe.
const Tables& GetTables();

}  // namespace RunCodes
