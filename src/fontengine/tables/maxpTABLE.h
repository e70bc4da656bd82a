// The maximum profile. numGlyphs is not stored: it is the glyph count of glyf. Writing
// recomputes the outline maxima from the glyphs.
#pragma once

#include <cstdint>

#include "TTF_TABLE.h"

class maxpTABLE : public TTF_TABLE {
public:
    static constexpr uint32_t kVersion1 = 0x00010000;
    static constexpr uint32_t kVersionShort = 0x00005000;  // numGlyphs only

    maxpTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_maxpTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    // Also creates numGlyphs empty glyphs in glyf when glyf is not read yet.
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    // Recomputes the maxima from the glyphs (when glyf has content).
    int recompute();

    uint32_t version = kVersion1;
    uint16_t numGlyphsRead = 0;  // as the file gave it
    uint16_t maxPoints = 0;
    uint16_t maxContours = 0;
    uint16_t maxCompositePoints = 0;
    uint16_t maxCompositeContours = 0;
    uint16_t maxZones = 2;
    uint16_t maxTwilightPoints = 0;
    uint16_t maxStorage = 0;
    uint16_t maxFunctionDefs = 0;
    uint16_t maxInstructionDefs = 0;
    uint16_t maxStackElements = 0;
    uint16_t maxSizeOfInstructions = 0;
    uint16_t maxComponentElements = 0;
    uint16_t maxComponentDepth = 0;
};
