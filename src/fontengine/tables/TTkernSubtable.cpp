#include "TTkernSubtable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include "TTBytes.h"
#include "TTF.h"

void TTkernSubtable::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* k = dynamic_cast<const TTkernSubtable*>(&other); k && k != this)
        static_cast<TTkernSubtableFields&>(*this) = static_cast<const TTkernSubtableFields&>(*k);
}

bool TTkernSubtable::parse(ByteCursor& c) {
    version = c.u16();
    length = c.u16();
    coverage = c.u16();
    if (!c.ok()) return false;
    if (format() == 0) {
        nPairs = c.u16();
        searchRange = c.u16();
        entrySelector = c.u16();
        rangeShift = c.u16();
        // The pairs are counted by nPairs: large tables overflow the 16-bit length.
        if (!c.ok() || c.remaining() / kPairSize < nPairs) return false;
        pairs.resize(nPairs);
        for (auto& p : pairs) {
            p.left = c.u16();
            p.right = c.u16();
            p.value = c.s16();
        }
        // A length that fits 16 bits and says more marks padding before the next subtable.
        uint32_t used = kFormat0HeaderSize + kPairSize * uint32_t(nPairs);
        if (used <= 0xFFFF && length > used && c.remaining() >= length - used) c.skip(length - used);
        return c.ok();
    }
    if (length < kHeaderSize || c.remaining() < size_t(length - kHeaderSize)) return false;
    m_body.assign(c.here(), c.here() + (length - kHeaderSize));
    return c.skip(length - kHeaderSize);
}

void TTkernSubtable::encode(std::vector<uint8_t>& out) {
    ByteWriter w(out);
    if (format() == 0) {
        nPairs = uint16_t(pairs.size());
        SearchFields sf = ComputeSearchFields(nPairs, kPairSize);
        searchRange = sf.searchRange;
        entrySelector = sf.entrySelector;
        rangeShift = sf.rangeShift;
        // Kept to 16 bits as the format stores it; readers count the pairs by nPairs.
        length = uint16_t(kFormat0HeaderSize + kPairSize * uint32_t(nPairs));
        w.u16(version).u16(length).u16(coverage);
        w.u16(nPairs).u16(searchRange).u16(entrySelector).u16(rangeShift);
        for (const auto& p : pairs) w.u16(p.left).u16(p.right).s16(p.value);
        return;
    }
    length = uint16_t(kHeaderSize + m_body.size());
    w.u16(version).u16(length).u16(coverage);
    w.bytes(m_body.data(), m_body.size());
}

void TTkernSubtable::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("length", length);
    sink.field("coverage", coverage);
    if (format() != 0) {
        sink.array("data", m_body.data(), m_body.size());
        return;
    }
    sink.field("nPairs", long(pairs.size()));
    sink.field("searchRange", searchRange);
    sink.field("entrySelector", entrySelector);
    sink.field("rangeShift", rangeShift);
    for (const KernPair& p : pairs) sink.print("pair = {left = %u\tright = %u\tvalue = %d}\n", p.left, p.right, p.value);
}
