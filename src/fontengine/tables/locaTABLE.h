// The index to glyph locations. It keeps nothing of its own: reading fills the offsets
// and lengths of the glyphs, writing takes them from the glyphs as glyf wrote them.
#pragma once

#include "TTF_TABLE.h"

class locaTABLE : public TTF_TABLE {
public:
    // Glyph data ending below this many bytes gets 16-bit (halved) offsets.
    static constexpr uint32_t kShortLimit = 0x20000;

    locaTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_locaTABLE"; }
    // loca keeps nothing of its own: the glyphs show their offsets.
    void dumpFields(TTDumpSink&) override {}
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    int readBody() override;
    // Chooses the offset format and sets head's indexToLocFormat to match.
    int writeBody() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }
};
