#include "vdmxTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <map>

#include "TTBytes.h"

namespace {
constexpr size_t kHeaderSize = 6;
constexpr size_t kRatioSize = 4;
constexpr size_t kGroupHeaderSize = 4;
constexpr size_t kEntrySize = 6;
}  // namespace

vdmxTABLE::vdmxTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("VDMX"), length, checksum, offset) {}

void vdmxTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* v = dynamic_cast<const vdmxTABLE*>(&other); v && v != this) {
        version = v->version;
        ratios = v->ratios;
        m_ratioGroup = v->m_ratioGroup;
        groups = v->groups;
    }
}

void vdmxTABLE::reset() {
    TTF_TABLE::reset();
    version = 1;
    ratios.clear();
    m_ratioGroup.clear();
    groups.clear();
}

int vdmxTABLE::readBody() {
    reset();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    auto fail = [this] {
        ratios.clear();
        m_ratioGroup.clear();
        groups.clear();
        setError(TTError::kRead);
        return error();
    };
    ByteCursor c(bytes);
    version = c.u16();
    c.u16();  // numRecs: the groups are found through the offsets
    uint16_t numRatios = c.u16();
    if (!c.ok() || c.remaining() / (kRatioSize + 2) < numRatios) return fail();
    ratios.resize(numRatios);
    for (auto& r : ratios) {
        r.bCharSet = c.u8();
        r.xRatio = c.u8();
        r.yStartRatio = c.u8();
        r.yEndRatio = c.u8();
    }
    std::map<uint16_t, uint16_t> groupAt;  // offset -> group index
    m_ratioGroup.resize(numRatios);
    for (auto& index : m_ratioGroup) {
        uint16_t offset = c.u16();
        auto [it, added] = groupAt.emplace(offset, uint16_t(groups.size()));
        if (added) {
            ByteCursor g(bytes);
            if (offset < kHeaderSize || !g.seek(offset)) return fail();
            VdmxGroup group;
            uint16_t recs = g.u16();
            group.startsz = g.u8();
            group.endsz = g.u8();
            if (!g.ok() || g.remaining() / kEntrySize < recs) return fail();
            group.entries.resize(recs);
            for (auto& e : group.entries) {
                e.yPelHeight = g.u16();
                e.yMax = g.s16();
                e.yMin = g.s16();
            }
            groups.push_back(std::move(group));
        }
        index = it->second;
    }
    if (!c.ok()) return fail();
    return error();
}

int vdmxTABLE::writeBody() {
    if (!beginWrite()) return error();
    size_t size = kHeaderSize + ratios.size() * (kRatioSize + 2);
    std::vector<uint16_t> groupOffset(groups.size());
    for (size_t i = 0; i < groups.size(); ++i) {
        groupOffset[i] = uint16_t(size);
        size += kGroupHeaderSize + groups[i].entries.size() * kEntrySize;
    }
    // Offsets are 16-bit; a ratio must name a group.
    bool fits = size <= 0x10000 && ratios.size() == m_ratioGroup.size() && groups.size() <= 0xFFFF;
    for (uint16_t g : m_ratioGroup) fits = fits && g < groups.size();
    for (const auto& g : groups) fits = fits && g.entries.size() <= 0xFFFF;
    if (!fits) {
        setError(TTError::kInvalid);
        return error();
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(size);
    ByteWriter w(bytes);
    w.u16(version).u16(uint16_t(groups.size())).u16(uint16_t(ratios.size()));
    for (const auto& r : ratios) w.u8(r.bCharSet).u8(r.xRatio).u8(r.yStartRatio).u8(r.yEndRatio);
    for (uint16_t g : m_ratioGroup) w.u16(groupOffset[g]);
    for (const auto& g : groups) {
        w.u16(uint16_t(g.entries.size())).u8(g.startsz).u8(g.endsz);
        for (const auto& e : g.entries) w.u16(e.yPelHeight).s16(e.yMax).s16(e.yMin);
    }
    writeBytes(bytes);
    return error();
}

void vdmxTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver %x, %d records, %d ratios\n", version, int(groups.size()), int(ratios.size()));
    // Group offsets as the table is written: after the header, the ratios and the offsets.
    std::vector<uint32_t> groupOffset(groups.size());
    uint32_t at = uint32_t(6 + 6 * ratios.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        groupOffset[g] = at;
        at += uint32_t(4 + 6 * groups[g].entries.size());
    }
    for (size_t i = 0; i < ratios.size(); ++i) {
        const VdmxRatio& r = ratios[i];
        int g = i < m_ratioGroup.size() ? int(m_ratioGroup[i]) : -1;
        std::fprintf(out, "Ratio[%3d]: charset = %d, xRatio = %d, yStartRatio = %d, yEndRatio = %d, VDMX group %i (offset %x)\n",
                     int(i), r.bCharSet, r.xRatio, r.yStartRatio, r.yEndRatio, g,
                     g >= 0 && size_t(g) < groups.size() ? groupOffset[size_t(g)] : 0u);
    }
    for (size_t g = 0; g < groups.size(); ++g) {
        const VdmxGroup& group = groups[g];
        std::fprintf(out, "VDMX group[%3d]: %d recs, %d..%d yPelHeight\n", int(g), int(group.entries.size()),
                     group.startsz, group.endsz);
        for (size_t k = 0; k < group.entries.size(); ++k) {
            const VdmxEntry& e = group.entries[k];
            bool last = (k + 1) % 4 == 0 || k + 1 == group.entries.size();
            std::fprintf(out, "%3d->[%4d..%4d]%s", e.yPelHeight, e.yMin, e.yMax, last ? "\n" : ", ");
        }
    }
}

void vdmxTABLE::dumpFields(TTDumpSink& sink) {
    sink.field("version", version);
    sink.field("numRecs", long(groups.size()));
    sink.field("numRatios", long(ratios.size()));
    for (size_t i = 0; i < ratios.size(); ++i) {
        sink.begin("Ratios");
        sink.field("bCharSet", ratios[i].bCharSet);
        sink.field("xRatio", ratios[i].xRatio);
        sink.field("yStartRatio", ratios[i].yStartRatio);
        sink.field("yEndRatio", ratios[i].yEndRatio);
        if (i < m_ratioGroup.size()) sink.field("group", m_ratioGroup[i]);
        sink.end();
    }
    for (const VdmxGroup& g : groups) {
        sink.begin("Vdmx");
        sink.field("recs", long(g.entries.size()));
        sink.field("startsz", g.startsz);
        sink.field("endsz", g.endsz);
        for (const VdmxEntry& e : g.entries)
            sink.print("vTable = {yPelHeight = %u\tyMax = %d\tyMin = %d}\n", e.yPelHeight, e.yMax, e.yMin);
        sink.end();
    }
}
