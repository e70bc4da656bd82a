// One subtable of the kerning table. Format 0 holds its pairs; a subtable of any other
// format keeps the bytes after its header and is written back unchanged.
#pragma once

#include <cstdint>
#include <vector>

#include "TTObject.h"

class ByteCursor;

struct KernPair {
    uint16_t left = 0;
    uint16_t right = 0;
    int16_t value = 0;
    bool operator==(const KernPair&) const = default;
};

struct TTkernSubtableFields {
    uint16_t version = 0;
    uint16_t length = 0;
    uint16_t coverage = 0x0001;  // horizontal kerning, format 0 in the high byte
    uint16_t nPairs = 0;
    uint16_t searchRange = 0;
    uint16_t entrySelector = 0;
    uint16_t rangeShift = 0;
    std::vector<KernPair> pairs;
    std::vector<uint8_t> m_body;  // the data after the header, for formats other than 0
};

class TTkernSubtable : public TTObject, public TTkernSubtableFields {
public:
    static constexpr uint16_t kHeaderSize = 6;
    static constexpr uint16_t kFormat0HeaderSize = 14;
    static constexpr uint16_t kPairSize = 6;

    explicit TTkernSubtable(TTObject* owner = nullptr) : TTObject(owner) {}
    const char* typeName() const override { return "type_TTkernSubtable"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;

    uint8_t format() const { return uint8_t(coverage >> 8); }
    // Reads the subtable at the cursor; leaves the cursor at the next subtable. False
    // when the data ends inside it.
    bool parse(ByteCursor& c);
    // Appends the subtable, its length and search fields recomputed.
    void encode(std::vector<uint8_t>& out);
};
