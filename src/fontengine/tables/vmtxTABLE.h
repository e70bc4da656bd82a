// The vertical metrics. The advance heights and top side bearings live in the glyphs;
// the table only reads them in and writes them out. Without a vertical header the
// table cannot be read and travels as its bytes.
#pragma once

#include "TTF_TABLE.h"

class vmtxTABLE : public TTF_TABLE {
public:
    vmtxTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_vmtxTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    int readBody() override;
    int writeBody() override;
    int followGlyphCount(uint32_t oldCount, uint32_t newCount) override;
    // The advance height a new glyph takes: the most common one of the font's glyphs,
    // else the vertical header's ascent minus its descent; 0 without glyphs or header.
    uint16_t usualAdvanceHeight() const;
};
