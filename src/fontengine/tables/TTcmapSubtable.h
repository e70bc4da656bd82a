// One character map subtable: a dense array of glyph indices by character code, and the
// encoding records (TTcmapTable children) that use it. Subtables of formats the engine
// does not map, and damaged ones, keep their bytes and are written back unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "TTObject.h"

// One encoding record: a platform/encoding pair pointing at its owner subtable.
class TTcmapTable : public TTObject {
public:
    TTcmapTable(TTObject* owner, uint16_t platformID, uint16_t encodingID);
    const char* typeName() const override { return "type_TTcmapTable"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override;
    void assign(const TTObject& other) override;

    uint16_t platformID;
    uint16_t encodingID;
    int m_nIndex;  // in the encoding list, -1 for a pair it does not have
};

class TTcmapSubtable : public TTObject {
public:
    // Codes a format can address: 8-bit, 16-bit and full Unicode formats.
    static constexpr uint32_t kByteCodes = 0x100;
    static constexpr uint32_t kWordCodes = 0x10000;
    static constexpr uint32_t kUnicodeCodes = 0x110000;

    TTcmapSubtable(TTObject* owner, uint16_t format);
    const char* typeName() const override { return "type_TTcmapSubtable"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override;
    void assign(const TTObject& other) override;

    // Reads the subtable at offset of the cmap bytes. A subtable whose format is not
    // mapped, or whose data is inconsistent, is kept as bytes.
    int parse(const uint8_t* cmap, size_t cmapSize, uint32_t offset);
    // Appends the subtable in its format; error 3 when it does not fit its format.
    int encode(std::vector<uint8_t>& out) const;

    // The glyph of a code, 0 when unmapped or beyond the array.
    uint16_t glyphForCode(uint32_t code) const { return code < m_map.size() ? m_map[code] : 0; }
    // Points code at glyph. False, and nothing changed, when the subtable cannot hold
    // it: a code beyond its array, a glyph index a byte format cannot store, or a table
    // that would outgrow its format's 16-bit length.
    bool setGlyphForCode(uint32_t code, uint16_t glyph);

    bool carried() const { return m_bCarried; }
    // The codes the format can address (the array may end sooner: past its end every
    // code is unmapped).
    uint32_t codeCount() const {
        if (m_bCarried) return 0;
        return format == 12 || format == 13 ? kUnicodeCodes : uint32_t(m_map.size());
    }
    size_t arraySize() const { return m_map.size(); }
    TTcmapTable* record(size_t i) const { return static_cast<TTcmapTable*>(child(i)); }
    size_t recordCount() const { return childCount(); }
    void addRecord(uint16_t platformID, uint16_t encodingID);
    // Sizes the mapping array for format and clears it (the full Unicode formats start
    // empty and grow with their codes).
    void setFormat(uint16_t format);

    uint16_t format;
    uint32_t language = 0;
    uint32_t m_nOffset = 0;  // from the start of cmap
    TTSource m_nState = TTSource::Initiated;
    std::vector<uint16_t> m_map;
    std::array<bool, 256> m_twoByte{};  // format 2: the high bytes that start two-byte codes
    std::vector<uint8_t> m_raw;          // a carried subtable's bytes

private:
    void updateName();
    bool m_bCarried = false;
};

// The segments a format 4 subtable is written with (the final 0xFFFF one excluded).
struct CmapSegment {
    uint32_t start;
    uint32_t end;
    bool delta;
};
std::vector<CmapSegment> BuildFormat4Segments(const std::vector<uint16_t>& map);
