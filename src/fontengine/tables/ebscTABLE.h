// The embedded bitmap scaling table: sizes without bitmaps of their own, drawn by
// scaling the bitmaps of another size.
#pragma once

#include <cstdint>
#include <vector>

#include "BitmapMetrics.h"
#include "TTF_TABLE.h"

struct BitmapScaleTable {
    SbitLineMetrics hori;
    SbitLineMetrics vert;
    uint8_t ppemX = 0;
    uint8_t ppemY = 0;
    uint8_t substitutePpemX = 0;
    uint8_t substitutePpemY = 0;
    bool operator==(const BitmapScaleTable&) const = default;
};

class ebscTABLE : public TTF_TABLE {
public:
    static constexpr size_t kHeaderSize = 8;
    static constexpr size_t kScaleSize = 28;

    ebscTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_ebscTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    uint32_t version = 0x00020000;
    std::vector<BitmapScaleTable> scales;
};
