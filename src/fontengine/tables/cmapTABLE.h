// The character to glyph mapping: subtables in order of first appearance, each with the
// encoding records that use it.
#pragma once

#include <cstdint>
#include <optional>

#include "TTF_TABLE.h"
#include "TTcmapSubtable.h"

// A table with more encoding records than kMaxRecords is not parsed: it keeps its
// bytes (data()) and is written back unchanged.
class cmapTABLE : public TTF_TABLE {
public:
    static constexpr uint32_t kMaxRecords = 256;

    cmapTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_cmapTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    size_t subtableCount() const { return childCount(); }
    TTcmapSubtable* subtable(size_t i) const { return static_cast<TTcmapSubtable*>(child(i)); }
    // The subtable one of whose records has the pair; nullptr when none has.
    TTcmapSubtable* findSubtable(uint16_t platformID, uint16_t encodingID) const;
    // The pair's subtable, made with the list's format for the pair when there is none;
    // nullptr for a pair the encoding list does not have.
    TTcmapSubtable* addSubtable(uint16_t platformID, uint16_t encodingID);
    // Points the Unicode character code at glyph in every subtable that can hold it,
    // each in its own encoding; true when any changed.
    bool mapCodeToGlyph(uint32_t code, uint16_t glyph);
    // The code of a Unicode character in the encoding of record's subtable: a Symbol
    // subtable's at 0xF000 plus its code page 1252 byte (the code itself when the code
    // page lacks it), Macintosh and East Asian ones translated, none when the
    // encoding has no code for it.
    static std::optional<uint32_t> subtableCode(const TTcmapTable& record, uint32_t code);

    uint16_t version = 0;
};
