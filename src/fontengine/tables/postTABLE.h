// The PostScript table. The glyph names live in the glyphs; reading gives each glyph
// its name (formats 1, 2 and 2.5), writing lists every glyph's name (format 2), or none
// for a font that has none (format 3).
#pragma once

#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

struct postFields {
    uint32_t FormatType = 0x00020000;
    uint32_t ItalicAngle = 0;  // 16.16 fixed point
    int16_t underlinePosition = 0;
    int16_t underlineThickness = 0;
    uint32_t isFixedPitch = 0;
    uint32_t minMemType42 = 0;
    uint32_t maxMemType42 = 0;
    uint32_t minMemType1 = 0;
    uint32_t maxMemType1 = 0;
};

class postTABLE : public TTF_TABLE, public postFields {
public:
    static constexpr uint32_t kFormat1 = 0x00010000;
    static constexpr uint32_t kFormat2 = 0x00020000;
    static constexpr uint32_t kFormat25 = 0x00025000;
    static constexpr uint32_t kFormat3 = 0x00030000;
    static constexpr uint32_t kHeaderSize = 32;
    // A name string holds at most this many bytes (its length is one byte).
    static constexpr size_t kMaxNameLength = 255;

    postTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_postTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    // Format 2: own names equal to a standard name take its index, the others are
    // numbered from 258 in glyph order, each with its own string. A font without names
    // keeps format 3, the header alone.
    int writeBody() override;
    void reset() override;
    // The names live in the glyphs, so they follow any glyph count.
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

private:
    void writeHeader(std::vector<uint8_t>& bytes) const;
};
