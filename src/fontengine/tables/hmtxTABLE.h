// The horizontal metrics. The advance widths and left side bearings live in the glyphs;
// the table only reads them in and writes them out.
#pragma once

#include "TTF_TABLE.h"

class hmtxTABLE : public TTF_TABLE {
public:
    hmtxTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_hmtxTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    int readBody() override;
    int writeBody() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }
};
