// The horizontal device metrics: per pixel size, the advance of every glyph in whole
// pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

class TTGLYPH;

struct HdmxRecord {
    uint8_t PixelSize = 0;
    uint8_t MaximumWidth = 0;
    std::vector<uint8_t> Width;  // one per glyph
    bool operator==(const HdmxRecord&) const = default;
};

class hdmxTABLE : public TTF_TABLE {
public:
    // Tables of a later version or with more records are read as having none.
    static constexpr uint16_t kMaxVersion = 256;
    static constexpr uint16_t kMaxRecords = 2048;

    hdmxTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_hdmxTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    // Glyphs appended since reading get their widths from their advances.
    int followGlyphCount(uint32_t oldCount, uint32_t newCount) override;

    // Appends the device widths of glyph, just added to the font, to every record; a
    // width that does not fit a byte is stored as 255. Without a glyph each record
    // repeats its MaximumWidth.
    void addGlyph(const TTGLYPH* glyph);
    // The width of glyph at a record's size: its advance scaled to the pixel size.
    uint8_t deviceWidth(const HdmxRecord& record, const TTGLYPH* glyph) const;
    // Record size for count glyphs: the widths and the two size bytes, to 4 bytes.
    static uint32_t recordSize(size_t count) { return uint32_t((count + 2 + 3) & ~size_t(3)); }

    uint16_t version = 0;
    std::vector<HdmxRecord> records;
};
