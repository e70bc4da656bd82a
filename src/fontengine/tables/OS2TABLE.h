// The OS/2 and Windows metrics. Every field of versions 0 to 5 is read, kept and written
// back; writing first recomputes the average width, the Windows ascent and descent and
// the first and last character from the glyphs and the character map.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "TTF_TABLE.h"

struct OS2Fields {
    uint16_t version = 4;
    int16_t xAvgCharWidth = 0;
    uint16_t usWeightClass = 400;
    uint16_t usWidthClass = 5;
    uint16_t fsType = 0;
    int16_t ySubscriptXSize = 0;
    int16_t ySubscriptYSize = 0;
    int16_t ySubscriptXOffset = 0;
    int16_t ySubscriptYOffset = 0;
    int16_t ySuperscriptXSize = 0;
    int16_t ySuperscriptYSize = 0;
    int16_t ySuperscriptXOffset = 0;
    int16_t ySuperscriptYOffset = 0;
    int16_t yStrikeoutSize = 0;
    int16_t yStrikeoutPosition = 0;
    int16_t sFamilyClass = 0;
    std::array<uint8_t, 10> panose{};
    std::array<uint32_t, 4> unicoderange{};
    std::array<uint8_t, 4> achVendID{{'S', 'W', 'A', 'P'}};
    uint16_t Selection = 0;  // fsSelection
    uint16_t usFirstCharIndex = 0;
    uint16_t usLastCharIndex = 0;
    int16_t sTypoAscender = 0;
    int16_t sTypoDescender = 0;
    int16_t sTypoLineGap = 0;
    uint16_t usWinAscent = 0;
    uint16_t usWinDescent = 0;
    // Version 1 and later.
    std::array<uint32_t, 2> codepagerange{};
    // Versions 2 to 4.
    int16_t sxHeight = 0;
    int16_t sCapHeight = 0;
    uint16_t usDefaultChar = 0;
    uint16_t usBreakChar = 0;
    uint16_t usMaxContext = 0;
    // Version 5.
    uint16_t usLowerOpticalPointSize = 0;
    uint16_t usUpperOpticalPointSize = 0;
    // Bytes after the last field of the version, kept as read.
    std::vector<uint8_t> m_tail;
    // A version 0 table in its short form, without the typographic and Windows metrics.
    bool m_bShortVersion0 = false;
};

class OS2TABLE : public TTF_TABLE, public OS2Fields {
public:
    // Table sizes by version: 0, 0 in the short form, 1, 2 to 4, 5.
    static constexpr uint32_t kSizeV0 = 78;
    static constexpr uint32_t kSizeV0Short = 68;
    static constexpr uint32_t kSizeV1 = 86;
    static constexpr uint32_t kSizeV2 = 96;
    static constexpr uint32_t kSizeV5 = 100;

    OS2TABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_OS2TABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    // Recomputes the derived fields when the font has glyphs and a character map.
    void recompute();
    // The size this table's version is written with.
    uint32_t sizeOfVersion() const;
};
