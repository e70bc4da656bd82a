// 256-entry tables for byte-wide bit work.
#pragma once

#include <array>
#include <cstdint>

struct BitTables {
    // Index of the most significant set bit counted from bit 7 as 0; 8 for a zero byte.
    std::array<uint8_t, 256> firstSet;
    // Index of the least significant set bit in the same numbering; 8 for a zero byte.
    std::array<uint8_t, 256> lastSet;
    // The byte with its bit order reversed.
    std::array<uint8_t, 256> reversed;
    // Number of set bits.
    std::array<uint8_t, 256> popCount;
};

const BitTables& Bits();
