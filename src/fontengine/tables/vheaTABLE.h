// The vertical header. Writing recomputes the vertical metric extremes and
// numOfLongVerMetrics from the glyphs.
#pragma once

#include <array>
#include <cstdint>

#include "TTF_TABLE.h"

struct vheaFields {
    uint32_t version = 0x00010000;
    int16_t ascent = 0;
    int16_t descent = 0;
    int16_t lineGap = 0;
    uint16_t advanceHeightMax = 0;
    int16_t minTopSideBearing = 0;
    int16_t minBottomSideBearing = 0;
    int16_t yMaxExtent = 0;
    int16_t caretSlopeRise = 0;
    int16_t caretSlopeRun = 1;
    int16_t caretOffset = 0;
    std::array<int16_t, 4> reserved{};
    int16_t metricDataFormat = 0;
    uint16_t numOfLongVerMetrics = 0;
};

class vheaTABLE : public TTF_TABLE, public vheaFields {
public:
    static constexpr uint32_t kSize = 36;

    vheaTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_vheaTABLE"; }
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
};
