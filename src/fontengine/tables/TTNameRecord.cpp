#include "TTNameRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <cstdio>

#include "CmapEncodings.h"
#include "NameCodec.h"

namespace {
const char* const kNameIdNames[] = {"Copyright", "FontFamily", "FontSubfamily", "FontId",
                                    "FullFontName", "Version", "PostscriptName", "Trademark"};

struct Language {
    uint16_t platformID;
    uint16_t languageID;
    const char* platformName;
    const char* name;
};

const Language kLanguages[] = {
    {1, 0, "Macintosh", "English"}, {1, 1, "Macintosh", "French"}, {1, 2, "Macintosh", "German"},
    {1, 3, "Macintosh", "Italian"}, {1, 4, "Macintosh", "Dutch"}, {1, 5, "Macintosh", "Swedish"},
    {1, 6, "Macintosh", "Spanish"}, {1, 7, "Macintosh", "Danish"}, {1, 8, "Macintosh", "Portuguese"},
    {1, 9, "Macintosh", "Norwegian"}, {1, 10, "Macintosh", "Hebrew"}, {1, 11, "Macintosh", "Japanese"},
    {1, 12, "Macintosh", "Arabic"}, {1, 13, "Macintosh", "Finnish"}, {1, 14, "Macintosh", "Greek"},
    {1, 15, "Macintosh", "Icelandic"}, {1, 16, "Macintosh", "Maltese"}, {1, 17, "Macintosh", "Turkish"},
    {1, 18, "Macintosh", "Yugosalvian"}, {1, 19, "Macintosh", "Chinese"}, {1, 20, "Macintosh", "Urdu"},
    {1, 21, "Macintosh", "Hindi"}, {1, 22, "Macintosh", "Thai"},
    {3, 0x041C, "Microsoft", "Albanian"}, {3, 0x042D, "Microsoft", "Basque"},
    {3, 0x0423, "Microsoft", "Byelorussian"}, {3, 0x0402, "Microsoft", "Bulgarian"},
    {3, 0x0403, "Microsoft", "Catalan"}, {3, 0x041A, "Microsoft", "Croatian"},
    {3, 0x0405, "Microsoft", "Czech"}, {3, 0x0406, "Microsoft", "Danish"},
    {3, 0x0413, "Microsoft", "Dutch (Standard)"}, {3, 0x0813, "Microsoft", "Dutch (Flemish)"},
    {3, 0x0409, "Microsoft", "English (American)"}, {3, 0x0809, "Microsoft", "English (British)"},
    {3, 0x0C09, "Microsoft", "English (Australian)"}, {3, 0x1009, "Microsoft", "English (Canadian)"},
    {3, 0x1409, "Microsoft", "English (New Zealand)"}, {3, 0x1809, "Microsoft", "English (Ireland)"},
    {3, 0x0425, "Microsoft", "Estonian"}, {3, 0x040B, "Microsoft", "Finnish"},
    {3, 0x040C, "Microsoft", "French (Standard)"}, {3, 0x080C, "Microsoft", "French (Belgian)"},
    {3, 0x0C0C, "Microsoft", "French (Canadian)"}, {3, 0x100C, "Microsoft", "French (Swiss)"},
    {3, 0x140C, "Microsoft", "French (Luxembourg)"}, {3, 0x0407, "Microsoft", "German (Standard)"},
    {3, 0x0807, "Microsoft", "German (Swiss)"}, {3, 0x0C07, "Microsoft", "German (Austrian)"},
    {3, 0x1007, "Microsoft", "German (Luxembourg)"}, {3, 0x1407, "Microsoft", "German (Liechtenstein)"},
    {3, 0x0408, "Microsoft", "Greek"}, {3, 0x040E, "Microsoft", "Hungarian"},
    {3, 0x040F, "Microsoft", "Icelandic"}, {3, 0x0410, "Microsoft", "Italian (Standard)"},
    {3, 0x0810, "Microsoft", "Italian (Swiss)"}, {3, 0x0426, "Microsoft", "Latvian"},
    {3, 0x0427, "Microsoft", "Lithuanian"}, {3, 0x042F, "Microsoft", "Macedonian"},
    {3, 0x0414, "Microsoft", "Norwegian (Bokmal)"}, {3, 0x0814, "Microsoft", "Norwegian (Nynorsk)"},
    {3, 0x0415, "Microsoft", "Polish"}, {3, 0x0416, "Microsoft", "Portuguese (Brazilian)"},
    {3, 0x0816, "Microsoft", "Portuguese (Standard)"}, {3, 0x0418, "Microsoft", "Romanian"},
    {3, 0x0419, "Microsoft", "Russian"}, {3, 0x041B, "Microsoft", "Slovak"},
    {3, 0x0424, "Microsoft", "Slovenian"}, {3, 0x040A, "Microsoft", "Spanish (Traditional Sort)"},
    {3, 0x080A, "Microsoft", "Spanish (Mexican)"}, {3, 0x0C0A, "Microsoft", "Spanish (Modern Sort)"},
    {3, 0x041D, "Microsoft", "Swedish"}, {3, 0x041F, "Microsoft", "Turkish"},
    {3, 0x0422, "Microsoft", "Ukrainian"},
};
static_assert(sizeof kLanguages / sizeof kLanguages[0] == 74);

NameCodec::CodePage PageOf(uint16_t platformID) {
    return platformID == 1 ? NameCodec::CodePage::Macintosh : NameCodec::CodePage::Ansi;
}
}  // namespace

std::string NameIdName(uint16_t nameId) {
    if (nameId < sizeof kNameIdNames / sizeof kNameIdNames[0]) return kNameIdNames[nameId];
    return "NameID " + std::to_string(nameId);
}

const char* NameLanguageName(uint16_t platformID, uint16_t languageID) {
    for (const auto& l : kLanguages)
        if (l.platformID == platformID && l.languageID == languageID) return l.name;
    return nullptr;
}

TTNameRecord::TTNameRecord(TTObject* owner) : TTObject(owner) {}

TTNameRecord::TTNameRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId,
                           const std::u16string& text)
    : TTObject(nullptr), platformID(platform), encodingID(encoding), languageID(language), nameID(nameId) {
    setText(text);
}

TTNameRecord::TTNameRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId,
                           const uint8_t* raw, size_t len)
    : TTObject(nullptr), platformID(platform), encodingID(encoding), languageID(language), nameID(nameId) {
    setRawText(raw, len);
}

void TTNameRecord::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* r = dynamic_cast<const TTNameRecord*>(&other); r && r != this) {
        platformID = r->platformID;
        encodingID = r->encodingID;
        languageID = r->languageID;
        nameID = r->nameID;
        length = r->length;
        offset = r->offset;
        m_bError = r->m_bError;
        m_nState = r->m_nState;
        m_wide = r->m_wide;
        m_narrow = r->m_narrow;
    }
}

void TTNameRecord::setText(const std::u16string& text) {
    m_nState = TTSource::Calculated;
    m_wide = text;
    m_narrow = NameCodec::Current().toBytes(m_wide, PageOf(platformID));
    updateLabel();
}

void TTNameRecord::setRawText(const uint8_t* raw, size_t len) {
    m_nState = TTSource::Calculated;
    if (isWide()) {
        m_wide.clear();
        m_wide.reserve(len / 2);
        for (size_t i = 0; i + 1 < len; i += 2) m_wide.push_back(char16_t(raw[i] << 8 | raw[i + 1]));
        m_narrow = NameCodec::Current().toBytes(m_wide, NameCodec::CodePage::Ansi);
    } else {
        m_narrow.assign(reinterpret_cast<const char*>(raw), len);
        m_wide = NameCodec::Current().toWide(m_narrow, PageOf(platformID));
    }
    updateLabel();
}

std::string TTNameRecord::rawText() const {
    if (!isWide()) {
        // An 8-bit record changed through its wide text was converted when it was set.
        return m_narrow;
    }
    std::string out;
    out.reserve(2 * m_wide.size());
    for (char16_t ch : m_wide) {
        out.push_back(char(ch >> 8));
        out.push_back(char(ch & 0xFF));
    }
    return out;
}

void TTNameRecord::updateLabel() {
    std::string label = NameIdName(nameID) + " (";
    int index = -1;
    for (int i = 0; i < CmapEncodingList::size() && index < 0; ++i)
        if (CmapEncodingList::entry(i)->platformID == platformID) index = i;
    const CmapEncoding* platform = CmapEncodingList::entry(index);
    label += platform ? platform->platformName : "platform " + std::to_string(platformID);
    if (const CmapEncoding* e = CmapEncodingList::entry(CmapEncodingList::indexOf(platformID, encodingID)))
        label += std::string(", ") + e->encodingName;
    if (const char* lang = NameLanguageName(platformID, languageID)) label += std::string(", ") + lang;
    label += ")";
    setName(label);
}

void TTNameRecord::dumpFields(TTDumpSink& sink) {
    sink.field("platformID", platformID);
    sink.field("encodingID", encodingID);
    sink.field("languageID", languageID);
    sink.field("nameID", nameID);
    sink.field("length", length);
    sink.field("offset", offset);
    // ASCII as it stands, every other unit as \uXXXX.
    std::string text;
    for (char16_t u : m_wide) {
        if (u >= 0x20 && u < 0x7F && u != u'"' && u != u'\\') {
            text += char(u);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(u));
            text += buf;
        }
    }
    sink.fieldText("text", text);
}
