// The vertical device metrics: for ranges of aspect ratios, the largest and smallest
// y of the glyphs at each pixel height. Ratios point at groups of records; groups
// shared by several ratios stay shared.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

struct VdmxRatio {
    uint8_t bCharSet = 0;
    uint8_t xRatio = 0;
    uint8_t yStartRatio = 0;
    uint8_t yEndRatio = 0;
    bool operator==(const VdmxRatio&) const = default;
};

struct VdmxEntry {
    uint16_t yPelHeight = 0;
    int16_t yMax = 0;
    int16_t yMin = 0;
    bool operator==(const VdmxEntry&) const = default;
};

struct VdmxGroup {
    uint8_t startsz = 0;
    uint8_t endsz = 0;
    std::vector<VdmxEntry> entries;
    bool operator==(const VdmxGroup&) const = default;
};

class vdmxTABLE : public TTF_TABLE {
public:
    vdmxTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_vdmxTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    // Error 4 when a count or offset points past the table.
    int readBody() override;
    // Groups follow the offsets, in the order the ratios first use them.
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    uint16_t version = 1;
    std::vector<VdmxRatio> ratios;
    std::vector<uint16_t> m_ratioGroup;  // per ratio, its index in groups
    std::vector<VdmxGroup> groups;
};
