// The fixed list of the 26 tables the engine knows. A table's index in this list is its
// identity throughout the engine: it selects the class created for the tag, the font's
// slot for it, and the order in which tables are written (which is ascending tag order).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "TTF_TABLE.h"

namespace TTIndex {
enum : int {
    EBDT = 0, EBLC, EBSC, LTSH, OS2, PCLT, VDMX, bdat, bloc, cmap, cvt, fpgm, gasp,
    glyf, hdmx, head, hhea, hmtx, kern, loca, maxp, name, post, prep, vhea, vmtx,
    kCount
};
}  // namespace TTIndex

struct TableRegistryEntry {
    uint32_t tag;
    const char* description;
};

class TableRegistry {
public:
    static constexpr int kSize = TTIndex::kCount;

    // The entry of an index, nullptr when out of range.
    static const TableRegistryEntry* entry(int index);
    // The index of a tag, -1 when the engine does not know it.
    static int indexOf(uint32_t tag);
    // A new object of the index's class (a plain table where the engine keeps the bytes
    // unparsed), with the directory's length, checksum and offset.
    static std::unique_ptr<TTF_TABLE> create(int index, TTObject* owner, uint32_t length = 0,
                                             uint32_t checksum = 0, uint32_t offset = 0);

    // Tables read later may use tables read earlier (loca needs head and maxp).
    static const std::array<int, kSize>& loadOrder();
    static const std::array<int, 4>& quickOrder();
    // Registry order with glyf moved to the end.
    static const std::array<int, kSize>& dumpOrder();
};
