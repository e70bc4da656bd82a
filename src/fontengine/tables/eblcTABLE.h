// The embedded bitmap location table: its children are the bitmap sizes
// (TTbitmapSizeTable), each with its index. Offsets into the bitmap data are kept as
// read, since the bitmap data table is written back unchanged. A table with an index
// format the engine does not know travels as its bytes.
#pragma once

#include <cstdint>

#include "TTF_TABLE.h"
#include "TTbitmapSizeTable.h"

class eblcTABLE : public TTF_TABLE {
public:
    static constexpr size_t kHeaderSize = 8;

    eblcTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_eblcTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    // Error 4 when a count or offset points past the table.
    int readBody() override;
    // Recomputes every offset, size and count of the index.
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    size_t sizeCount() const { return childCount(); }
    TTbitmapSizeTable* size(size_t i) const { return static_cast<TTbitmapSizeTable*>(child(i)); }
    bool carried() const { return m_bCarried; }

    uint32_t version = 0x00020000;

private:
    bool m_bCarried = false;
};
