// The naming table: the font's names as records, in file order, and the renaming that
// gives a new font its suffixed family name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TTF_TABLE.h"
#include "TTNameRecord.h"

class nameTABLE : public TTF_TABLE {
public:
    // A key of 65535 in a filter matches every value.
    static constexpr uint16_t kAny = 0xFFFF;
    // Characters of a suffix taken; the rest is cut.
    static constexpr size_t kMaxSuffix = 2048;
    // The longest PostScript name (name ID 6) the renaming writes.
    static constexpr size_t kMaxPostScriptName = 63;

    nameTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_nameTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    // Error 3 when the strings outgrow the table's 16-bit offsets.
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    size_t recordCount() const { return childCount(); }
    TTNameRecord* record(size_t i) const { return static_cast<TTNameRecord*>(child(i)); }
    TTNameRecord* addRecord(std::unique_ptr<TTNameRecord> record);

    TTNameRecord* findRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) const;
    // The wide text of the record with the four keys; nullptr when there is none.
    const std::u16string* wideText(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) const;
    // Its 8-bit text; empty when there is none.
    std::string text(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) const;
    // The wide text of the first record of the platform with the name ID.
    const std::u16string* wideText(uint16_t nameId, uint16_t platform) const;
    // The 8-bit text of the first record of the language (any with -1), name ID and
    // platform; empty when there is none.
    std::string text(int language, uint16_t nameId, uint16_t platform) const;

    void removeRecords(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId);
    // Replaces the records matching the filter with copies of other's matching records.
    void copyRecords(const nameTABLE& other, uint16_t platform, uint16_t encoding, uint16_t language,
                     uint16_t nameId);
    // Adds suffix (UTF-8) to the family (also typographic and WWS), full, unique and
    // PostScript names, each record in its own encoding: UTF-16 for the Unicode and Windows
    // platforms, the script's code page for Macintosh ('?' for what it cannot hold). The
    // PostScript names keep only printable ASCII without the ten delimiters, at most
    // kMaxPostScriptName characters.
    void applySuffix(const std::string& suffix);

    uint16_t format = 0;
    uint16_t stringOffset = 0;
    // Format 1: language tags, as UTF-16.
    std::vector<std::u16string> m_langTags;
};
