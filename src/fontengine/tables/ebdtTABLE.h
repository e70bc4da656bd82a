// The embedded bitmap data: a version, then the bitmaps, kept as bytes. The location
// table points into them by offset, so they are written back unchanged.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

class ebdtTABLE : public TTF_TABLE {
public:
    ebdtTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_ebdtTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    uint32_t version = 0x00020000;
    std::vector<uint8_t> m_bitmaps;  // everything after the version
};
