// A table that is one TrueType instruction program, kept as its bytes: the base of
// fpgmTABLE and prepTABLE.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

class TTProgramTable : public TTF_TABLE {
public:
    TTProgramTable(TTObject* owner, uint32_t tag, uint32_t length, uint32_t checksum, uint32_t offset)
        : TTF_TABLE(owner, tag, length, checksum, offset) {}

    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    std::vector<uint8_t> program;
};
