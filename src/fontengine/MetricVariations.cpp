#include "MetricVariations.h"

#include <algorithm>
#include <optional>

#include "TTError.h"
#include "TTF_TABLE.h"

namespace {

// A header: major and minor version, the item variation store's offset, then the offsets
// of the delta-set index maps (HVAR: advance, left and right side bearing; VVAR: advance,
// top and bottom side bearing and vertical origin), 0 for a map the table lacks.
constexpr size_t kVersionAndStore = 8;

uint32_t Get(const std::vector<uint8_t>& d, size_t at, size_t size) {
    uint32_t v = 0;
    for (size_t i = 0; i < size; ++i) v = v << 8 | d[at + i];
    return v;
}

void Put(std::vector<uint8_t>& d, uint32_t v, size_t size) {
    for (size_t i = size; i-- > 0;) d.push_back(uint8_t(v >> (8 * i)));
}

struct Entry {
    uint32_t outer, inner;
};

// A delta-set index map's entries; nullopt when it runs past the table or is empty.
std::optional<std::vector<Entry>> ReadMap(const std::vector<uint8_t>& d, size_t at) {
    if (at + 4 > d.size()) return std::nullopt;
    const uint8_t format = d[at], entryFormat = d[at + 1];
    if (format > 1 || (format == 1 && at + 6 > d.size())) return std::nullopt;
    const uint32_t count = format == 0 ? Get(d, at + 2, 2) : Get(d, at + 2, 4);
    const size_t first = at + (format == 0 ? 4 : 6);
    const size_t size = ((entryFormat >> 4) & 3) + 1, innerBits = (entryFormat & 0xF) + 1;
    if (count == 0 || count > 0xFFFF || first + size_t(count) * size > d.size()) return std::nullopt;
    std::vector<Entry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t v = Get(d, first + size_t(i) * size, size);
        entries[i] = {v >> innerBits, v & ((1u << innerBits) - 1)};
    }
    return entries;
}

unsigned BitLength(uint32_t v) {
    unsigned n = 0;
    for (; v; v >>= 1) ++n;
    return n;
}

// Appends a map of the entries in the smallest entry format that holds them; false when
// none does.
bool WriteMap(std::vector<uint8_t>& d, const std::vector<Entry>& entries) {
    uint32_t maxOuter = 0, maxInner = 0;
    for (const Entry& e : entries) maxOuter = std::max(maxOuter, e.outer), maxInner = std::max(maxInner, e.inner);
    const unsigned innerBits = std::max(1u, BitLength(maxInner));
    const unsigned bits = innerBits + BitLength(maxOuter);
    const size_t size = (bits + 7) / 8;
    if (innerBits > 16 || size > 4) return false;
    d.push_back(0);  // format 0: at most 65535 entries, as glyphs are
    d.push_back(uint8_t((size - 1) << 4 | (innerBits - 1)));
    Put(d, uint32_t(entries.size()), 2);
    for (const Entry& e : entries) Put(d, e.outer << innerBits | e.inner, size);
    return true;
}

bool IsNoDeltaData(const std::vector<uint8_t>& d, size_t at) {
    return at + 6 <= d.size() && Get(d, at, 2) == 1 && Get(d, at + 2, 2) == 0 && Get(d, at + 4, 2) == 0;
}

}  // namespace

int ExtendMetricVariations(std::vector<uint8_t>& d, uint32_t tag, uint32_t oldCount, uint32_t newCount) {
    const size_t mapCount = tag == MakeTag("VVAR") ? 4 : 3;
    const size_t header = kVersionAndStore + 4 * mapCount;
    if (newCount < oldCount || newCount > 0xFFFF || oldCount == 0 || d.size() < header || Get(d, 0, 2) != 1)
        return TTError::kGlyphCountTable;
    if (newCount == oldCount) return TTError::kOk;

    // The item variation store: format 1, the region list's offset, the item variation
    // data count and their offsets, all from the store's start.
    const size_t store = Get(d, 4, 4);
    if (store < header || store + 8 > d.size() || Get(d, store, 2) != 1) return TTError::kGlyphCountTable;
    const uint32_t regions = Get(d, store + 2, 4);
    const size_t dataCount = Get(d, store + 6, 2);
    if (dataCount >= 0xFFFF || store + 8 + 4 * dataCount > d.size()) return TTError::kGlyphCountTable;
    std::vector<uint32_t> dataOffsets(dataCount);
    for (size_t i = 0; i < dataCount; ++i) dataOffsets[i] = Get(d, store + 8 + 4 * i, 4);

    // The maps; a missing advance map means glyph i uses item i of the first data.
    std::vector<std::optional<std::vector<Entry>>> maps(mapCount);
    for (size_t k = 0; k < mapCount; ++k) {
        const size_t at = Get(d, kVersionAndStore + 4 * k, 4);
        if (at == 0) continue;
        maps[k] = ReadMap(d, at);
        if (!maps[k]) return TTError::kGlyphCountTable;
    }
    // Already followed (a second write): the advance map covers the new glyphs and its
    // last data applies no delta.
    if (maps[0] && maps[0]->size() == newCount && dataCount > 0 &&
        IsNoDeltaData(d, store + dataOffsets.back()) && maps[0]->back().outer == dataCount - 1)
        return TTError::kOk;
    if (!maps[0]) {
        if (dataCount == 0) return TTError::kGlyphCountTable;
        maps[0].emplace();
        for (uint32_t g = 0; g < oldCount; ++g) maps[0]->push_back({0, g});
    }

    // The new table: the header, a store header with one more data, the old bytes after
    // the old header (everything the old offsets point at, moved by the new store
    // header), the no-delta data, and the maps with the new glyphs.
    const size_t storeHeader = 8 + 4 * (dataCount + 1);
    const size_t moved = storeHeader;  // how far the old bytes past the header move
    std::vector<uint8_t> out(d.begin(), d.begin() + long(header));
    out.reserve(d.size() + storeHeader + 8 + size_t(newCount) * 4 * mapCount);
    auto relocated = [&](size_t oldOffsetFromStore) { return uint32_t(store + oldOffsetFromStore + moved - header); };
    Put(out, 1, 2);
    Put(out, relocated(regions), 4);
    Put(out, uint32_t(dataCount + 1), 2);
    for (uint32_t offset : dataOffsets) Put(out, relocated(offset), 4);
    const size_t tail = header + storeHeader + (d.size() - header);
    Put(out, uint32_t(tail - header), 4);  // the no-delta data, after the old bytes
    out.insert(out.end(), d.begin() + long(header), d.end());
    Put(out, 1, 2);  // one item, no word deltas, no regions: a zero delta everywhere
    Put(out, 0, 2);
    Put(out, 0, 2);
    for (size_t k = 0; k < mapCount; ++k) {
        size_t field = kVersionAndStore + 4 * k;
        if (!maps[k]) {
            for (size_t i = 0; i < 4; ++i) out[field + i] = 0;
            continue;
        }
        std::vector<Entry>& entries = *maps[k];
        // A map shorter than the glyphs gives the rest its last entry: spell them out first.
        const Entry last = entries.back();
        while (entries.size() < oldCount) entries.push_back(last);
        entries.resize(oldCount);
        for (uint32_t g = oldCount; g < newCount; ++g) entries.push_back({uint32_t(dataCount), 0});
        const uint32_t at = uint32_t(out.size());
        if (!WriteMap(out, entries)) return TTError::kGlyphCountTable;
        for (size_t i = 0; i < 4; ++i) out[field + i] = uint8_t(at >> (24 - 8 * i));
    }
    out[4] = out[5] = out[6] = 0;
    out[7] = uint8_t(header);  // the store right after the header
    d.swap(out);
    return TTError::kOk;
}
