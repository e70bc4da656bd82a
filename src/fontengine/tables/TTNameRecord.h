// One record of the naming table: its four keys and its text, kept both as UTF-16 and as
// 8-bit text. Platform 3 and platform 0 records are UTF-16 big-endian in the file; the
// others are 8-bit text in the Macintosh (platform 1) or the ANSI code page.
#pragma once

#include <cstdint>
#include <string>

#include "TTObject.h"

class TTNameRecord : public TTObject {
public:
    static constexpr uint16_t kUnset = 32767;

    explicit TTNameRecord(TTObject* owner = nullptr);
    TTNameRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId, const std::u16string& text);
    TTNameRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId, const uint8_t* raw,
                 size_t length);

    const char* typeName() const override { return "type_TTNameRecord"; }
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;

    // The file stores this record's text as UTF-16.
    bool isWide() const { return platformID == 3 || platformID == 0; }
    void setText(const std::u16string& text);
    // Text from its file bytes.
    void setRawText(const uint8_t* raw, size_t length);
    // The text in its file form.
    std::string rawText() const;
    const std::u16string& wideText() const { return m_wide; }
    const std::string& narrowText() const { return m_narrow; }
    // Rebuilds the label from the keys.
    void updateLabel();

    uint16_t platformID = kUnset;
    uint16_t encodingID = kUnset;
    uint16_t languageID = kUnset;
    uint16_t nameID = kUnset;
    uint16_t length = 0;
    uint16_t offset = 0;
    bool m_bError = false;
    TTSource m_nState = TTSource::Initiated;

private:
    std::u16string m_wide;
    std::string m_narrow;
};

// The name of a name ID ("FontFamily"), or its number for IDs the list lacks.
std::string NameIdName(uint16_t nameId);
// The language name of a platform's language ID; nullptr when the list lacks it.
const char* NameLanguageName(uint16_t platformID, uint16_t languageID);
