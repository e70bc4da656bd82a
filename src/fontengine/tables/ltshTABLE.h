// The linear threshold table: one byte per glyph, kept in the glyphs (m_nYPels).
#pragma once

#include <cstdint>

#include "TTF_TABLE.h"

class ltshTABLE : public TTF_TABLE {
public:
    ltshTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_ltshTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    uint16_t version = 0;
};
