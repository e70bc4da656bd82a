// The font header. Writing brings the dates and the font's box up to date.
#pragma once

#include <cstdint>

#include "TTF_TABLE.h"

class headTABLE : public TTF_TABLE {
public:
    static constexpr uint32_t kSize = 54;
    static constexpr uint32_t kMagic = 0x5F0F3CF5;

    headTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_headTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    // Writes checkSumAdjustment as 0; the font stores the real value at the end.
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    // Seconds since 1904-01-01 00:00 UTC, the clock of the font's dates.
    static int64_t Now();
    // Replaces the clock (tests); nullptr restores the system clock.
    static void SetClock(int64_t (*clock)());

    uint32_t version = 0x00010000;
    uint32_t fontRevision = 0;
    uint32_t m_nCheckSumAdjustment = 0;
    uint32_t magicNumber = kMagic;
    uint16_t flags = 0;
    uint16_t unitsPerEm = 2048;
    int64_t created = 0;
    int64_t modified = 0;
    int16_t xMin = 0;
    int16_t yMin = 0;
    int16_t xMax = 0;
    int16_t yMax = 0;
    uint16_t macStyle = 0;
    uint16_t lowestRecPPEM = 0;
    int16_t fontDirectionHint = 0;
    int16_t indexToLocFormat = 1;
    int16_t glyphDataFormat = 0;

private:
    void recompute();
};
