// The horizontal header. Writing recomputes the metric extremes and numberOfHMetrics
// from the glyphs.
#pragma once

#include <array>
#include <cstdint>

#include "TTF_TABLE.h"

class hheaTABLE : public TTF_TABLE {
public:
    static constexpr uint32_t kSize = 36;

    hheaTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_hheaTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    // Recomputes from the glyphs (when glyf has content).
    void recompute();

    uint32_t version = 0x00010000;
    int16_t Ascender = 0;
    int16_t Descender = 0;
    int16_t LineGap = 0;
    uint16_t advanceWidthMax = 0;
    int16_t minLeftSideBearing = 0;
    int16_t minRightSideBearing = 0;
    int16_t xMaxExtent = 0;
    int16_t caretSlopeRise = 1;
    int16_t caretSlopeRun = 0;
    std::array<int16_t, 5> reserved{};  // caretOffset and four reserved words, as read
    int16_t metricDataFormat = 0;
    uint16_t numberOfHMetrics = 0;
};
