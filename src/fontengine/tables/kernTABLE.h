// The kerning table: a version and TTkernSubtable children. A table of another layout
// than version 0 keeps its bytes and is written back unchanged.
#pragma once

#include <cstdint>

#include "TTF_TABLE.h"
#include "TTkernSubtable.h"

class kernTABLE : public TTF_TABLE {
public:
    kernTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_kernTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    // Pairs name glyphs by index; glyphs added at the end change none of them.
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    size_t subtableCount() const { return childCount(); }
    TTkernSubtable* subtable(size_t i) const { return static_cast<TTkernSubtable*>(child(i)); }
    TTkernSubtable* addSubtable();
    // The table was not of version 0 and travels as its bytes (data()).
    bool carried() const { return m_bCarried; }

    uint16_t version = 0;

private:
    bool m_bCarried = false;
};
