// Grid-fitting and scan-conversion behaviour by size.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

constexpr uint16_t GASP_GRIDFIT = 0x0001;
constexpr uint16_t GASP_DOGRAY = 0x0002;

struct GaspRange {
    uint16_t rangeMaxpPPEM = 0;
    uint16_t rangeGaspBehavior = 0;
    bool operator==(const GaspRange&) const = default;
};

class gaspTABLE : public TTF_TABLE {
public:
    gaspTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_gaspTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    uint16_t version = 0;
    std::vector<GaspRange> ranges;
};
