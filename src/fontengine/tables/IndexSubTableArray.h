// One entry of a bitmap size's index: the glyph range it covers and the index subtable
// (formats 1 to 5) that locates those glyphs' bitmaps in the bitmap data.
#pragma once

#include <cstdint>
#include <vector>

#include "BitmapMetrics.h"
#include "TTObject.h"

struct SbitGlyphOffset {
    uint16_t glyphID = 0;
    uint16_t sbitOffset = 0;
    bool operator==(const SbitGlyphOffset&) const = default;
};

struct IndexSubTableFields {
    uint16_t firstGlyphIndex = 0;
    uint16_t lastGlyphIndex = 0;
    uint32_t additionalOffsetToIndexSubtable = 0;  // from the start of the size's array
    uint16_t indexFormat = 1;
    uint16_t imageFormat = 0;
    uint32_t imageDataOffset = 0;  // into the bitmap data table
    uint32_t imageSize = 0;                  // formats 2 and 5
    BigGlyphMetrics bigMetrics;              // formats 2 and 5
    std::vector<uint32_t> offsets;           // formats 1 and 3: one per glyph and one more
    std::vector<SbitGlyphOffset> glyphArray; // format 4: one per glyph and one more
    std::vector<uint16_t> glyphIdArray;      // format 5
};

class IndexSubTableArray : public TTObject, public IndexSubTableFields {
public:
    static constexpr size_t kEntrySize = 8;

    explicit IndexSubTableArray(TTObject* owner = nullptr) : TTObject(owner) {}
    const char* typeName() const override { return "type_IndexSubTableArray"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;

    static bool knownFormat(uint16_t format) { return format >= 1 && format <= 5; }
    // Reads the subtable at c's position; false when its data passes the end or its
    // glyph range is inverted.
    bool parseSubtable(ByteCursor& c);
    // Appends the subtable, padded to 4 bytes.
    void encodeSubtable(std::vector<uint8_t>& out) const;
};
