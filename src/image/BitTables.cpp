#include "BitTables.h"

namespace {
constexpr BitTables MakeTables() {
    BitTables t{};
    for (int v = 0; v < 256; ++v) {
        uint8_t first = 8, last = 8, rev = 0, pop = 0;
        for (int i = 0; i < 8; ++i) {
            bool set = (v & (0x80 >> i)) != 0;
            if (set && first == 8) first = uint8_t(i);
            if (set) last = uint8_t(i), ++pop;
            if (v & (1 << i)) rev = uint8_t(rev | (0x80 >> i));
        }
        t.firstSet[v] = first;
        t.lastSet[v] = last;
        t.reversed[v] = rev;
        t.popCount[v] = pop;
    }
    return t;
}
constexpr BitTables kTables = MakeTables();
}  // namespace

const BitTables& Bits() { return kTables; }
