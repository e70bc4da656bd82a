// One bitmap size (strike) of the embedded bitmap location table; its children are the
// IndexSubTableArray entries of its index.
#pragma once

#include <cstdint>

#include "BitmapMetrics.h"
#include "IndexSubTableArray.h"
#include "TTObject.h"

struct TTbitmapSizeTableFields {
    uint32_t indexSubTableArrayOffset = 0;  // from the start of the table
    uint32_t indexTablesSize = 0;
    uint32_t numberOfIndexSubTables = 0;
    uint32_t colorRef = 0;
    SbitLineMetrics hori;
    SbitLineMetrics vert;
    uint16_t startGlyphIndex = 0;
    uint16_t endGlyphIndex = 0;
    uint8_t ppemX = 0;
    uint8_t ppemY = 0;
    uint8_t bitDepth = 1;
    int8_t flags = 0;
};

class TTbitmapSizeTable : public TTObject, public TTbitmapSizeTableFields {
public:
    static constexpr size_t kSize = 48;

    explicit TTbitmapSizeTable(TTObject* owner = nullptr) : TTObject(owner) {}
    const char* typeName() const override { return "type_TTbitmapSizeTable"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;

    void readRecord(ByteCursor& c);
    void writeRecord(ByteWriter& w) const;

    size_t subtableCount() const { return childCount(); }
    IndexSubTableArray* subtable(size_t i) const { return static_cast<IndexSubTableArray*>(child(i)); }
};
