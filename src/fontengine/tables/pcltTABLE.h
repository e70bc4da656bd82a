// The PCL 5 printer font header.
#pragma once

#include <array>
#include <cstdint>

#include "TTF_TABLE.h"

struct pcltFields {
    uint32_t Version = 0x00010000;
    uint32_t FontNumber = 0;
    uint16_t Pitch = 0;
    uint16_t xHeight = 0;
    uint16_t Style = 0;
    uint16_t TypeFamily = 0;
    uint16_t CapHeight = 0;
    uint16_t SymbolSet = 0;
    std::array<uint8_t, 16> Typeface{};
    std::array<uint8_t, 8> CharacterComplement{};
    std::array<uint8_t, 6> FileName{};
    int8_t StrokeWeight = 0;
    int8_t WidthType = 0;
    uint8_t SerifStyle = 0;
    uint8_t Reserved = 0;
};

class pcltTABLE : public TTF_TABLE, public pcltFields {
public:
    static constexpr uint32_t kSize = 54;

    pcltTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_pcltTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;
    int readBody() override;
    int writeBody() override;
    void reset() override;
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }
};
