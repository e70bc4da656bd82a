// The control value table: signed 16-bit values, length / 2 of them.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

class cvtTABLE : public TTF_TABLE {
public:
    cvtTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_cvtTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    std::vector<int16_t> values;
};
