#include "nameTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <new>

#include "CmapCodes.h"
#include "TTBytes.h"
#include "Utf8.h"

namespace {
bool Matches(uint16_t key, uint16_t value) { return key == nameTABLE::kAny || key == value; }
bool Matches(const TTNameRecord& r, uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) {
    return Matches(platform, r.platformID) && Matches(encoding, r.encodingID) && Matches(language, r.languageID) &&
           Matches(nameId, r.nameID);
}
constexpr uint16_t kFamily = 1;
constexpr uint16_t kFullName = 4;
constexpr uint16_t kPostScript = 6;
constexpr uint16_t kUniqueId = 3;
constexpr uint16_t kTypographicFamily = 16;
constexpr uint16_t kWwsFamily = 21;

// Names that must differ from the source's so that the new font installs beside it:
// systems group fonts by the family names and key them by the unique ID.
bool TakesSuffixAtEnd(uint16_t nameId) {
    return nameId == kFamily || nameId == kUniqueId || nameId == kPostScript || nameId == kTypographicFamily ||
           nameId == kWwsFamily;
}

// Text as a record of the Unicode or Windows platform stores it: UTF-16 big-endian, a
// character beyond the BMP as a surrogate pair.
std::string Utf16Bytes(const std::u32string& text) {
    std::u16string units;
    for (char32_t c : text) AppendUtf16(units, c);
    std::string out;
    for (char16_t u : units) out.push_back(char(u >> 8)), out.push_back(char(u & 0xFF));
    return out;
}

// The suffix in the bytes of a record: UTF-16 for the Unicode and Windows platforms; for a
// Macintosh record the Macintosh Roman byte of each character (script 0) or, for the other
// scripts, printable ASCII, which they all share (but Japanese, which has the yen sign and
// the overline where ASCII has the backslash and the tilde); for the remaining 8-bit
// records printable ASCII. The engine converts into the other scripts' letters only for
// character maps, through iconv, which the names do not take on. A character the record
// cannot hold becomes '?': the suffix stays as long as typed and the name stays unlike
// the source font's even when no character fits.
std::string SuffixInRecord(const TTNameRecord& r, const std::u32string& sfx) {
    if (r.isWide()) return Utf16Bytes(sfx);
    std::string out;
    for (char32_t c : sfx) {
        std::optional<uint32_t> code;
        if (r.platformID == 1 && r.encodingID == 0) code = CodeInEncoding(1, 0, c);
        else if (c >= 0x20 && c < 0x7F && !(r.platformID == 1 && r.encodingID == 1 && (c == '\\' || c == '~')))
            code = c;
        out.push_back(code && *code >= 0x20 && *code <= 0xFF && *code != 0x7F ? char(*code) : '?');
    }
    return out;
}

// A PostScript name from text: only printable ASCII without the ten delimiters
// ( ) [ ] { } < > / %, and at most 63 characters (the OpenType name table's rule for
// name ID 6; the CFF FontName follows it).
std::string PostScriptName(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (out.size() == nameTABLE::kMaxPostScriptName) break;
        if (c >= 33 && c <= 126 && !std::strchr("()[]{}<>/%", int(c))) out.push_back(char(c));
    }
    return out;
}
}  // namespace

nameTABLE::nameTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("name"), length, checksum, offset) {}

void nameTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* n = dynamic_cast<const nameTABLE*>(&other); n && n != this) {
        format = n->format;
        stringOffset = n->stringOffset;
        m_langTags = n->m_langTags;
    }
}

void nameTABLE::reset() {
    TTF_TABLE::reset();
    format = 0;
    stringOffset = 0;
    m_langTags.clear();
    removeChildren();
}

TTNameRecord* nameTABLE::addRecord(std::unique_ptr<TTNameRecord> record) {
    TTNameRecord* r = record.get();
    addChild(std::move(record));
    setState(TTSource::Calculated);
    return r;
}

int nameTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    removeChildren();
    m_langTags.clear();
    ByteCursor c(bytes);
    format = c.u16();
    uint16_t count = c.u16();
    stringOffset = c.u16();
    if (!c.ok() || size_t(count) * 12 > c.remaining()) {
        setError(TTError::kRead);
        return error();
    }
    // Strings reaching outside the storage are taken as empty.
    size_t storageAt = std::min<size_t>(stringOffset, bytes.size());
    const uint8_t* storage = bytes.data() + storageAt;
    size_t storageSize = bytes.size() - storageAt;
    auto textAt = [&](uint16_t off, uint16_t len, size_t& outLen) -> const uint8_t* {
        outLen = size_t(off) + len <= storageSize ? len : 0;
        return storage + (outLen ? off : 0);
    };
    try {
        for (uint16_t i = 0; i < count; ++i) {
            auto r = std::make_unique<TTNameRecord>(this);
            r->platformID = c.u16();
            r->encodingID = c.u16();
            r->languageID = c.u16();
            r->nameID = c.u16();
            r->length = c.u16();
            r->offset = c.u16();
            size_t len;
            const uint8_t* text = textAt(r->offset, r->length, len);
            r->setRawText(text, len);
            r->m_nState = TTSource::Imported;
            addChild(std::move(r));
        }
        if (format == 1) {
            uint16_t tags = c.u16();
            for (uint16_t i = 0; c.ok() && i < tags; ++i) {
                uint16_t len = c.u16(), off = c.u16();
                size_t n;
                const uint8_t* text = textAt(off, len, n);
                std::u16string tag;
                for (size_t k = 0; k + 1 < n; k += 2) tag.push_back(char16_t(text[k] << 8 | text[k + 1]));
                if (c.ok()) m_langTags.push_back(tag);
            }
            if (!c.ok()) setError(TTError::kRead);
        }
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
    }
    return error();
}

int nameTABLE::writeBody() {
    if (!beginWrite()) return error();
    size_t count = recordCount();
    size_t header = 6 + 12 * count + (format == 1 ? 2 + 4 * m_langTags.size() : 0);
    std::vector<uint8_t> records, strings;
    ByteWriter w(records), s(strings);
    if (header > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    stringOffset = uint16_t(header);
    w.u16(format).u16(uint16_t(count)).u16(stringOffset);
    auto place = [&](const std::string& raw, uint16_t& len, uint16_t& off) {
        if (raw.size() > 0xFFFF || strings.size() > 0xFFFF) return false;
        len = uint16_t(raw.size());
        off = uint16_t(strings.size());
        s.bytes(raw.data(), raw.size());
        return true;
    };
    for (size_t i = 0; i < count; ++i) {
        TTNameRecord* r = record(i);
        if (!place(r->rawText(), r->length, r->offset)) {
            setError(TTError::kInvalid);
            return error();
        }
        w.u16(r->platformID).u16(r->encodingID).u16(r->languageID).u16(r->nameID).u16(r->length).u16(r->offset);
    }
    if (format == 1) {
        w.u16(uint16_t(m_langTags.size()));
        for (const auto& tag : m_langTags) {
            std::string raw;
            for (char16_t ch : tag) raw.push_back(char(ch >> 8)), raw.push_back(char(ch & 0xFF));
            uint16_t len, off;
            if (!place(raw, len, off)) {
                setError(TTError::kInvalid);
                return error();
            }
            w.u16(len).u16(off);
        }
    }
    if (writeBytes(records)) writeBytes(strings);
    return error();
}

TTNameRecord* nameTABLE::findRecord(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) const {
    for (size_t i = 0; i < recordCount(); ++i) {
        TTNameRecord* r = record(i);
        if (r->platformID == platform && r->encodingID == encoding && r->languageID == language && r->nameID == nameId)
            return r;
    }
    return nullptr;
}

const std::u16string* nameTABLE::wideText(uint16_t platform, uint16_t encoding, uint16_t language,
                                          uint16_t nameId) const {
    const TTNameRecord* r = findRecord(platform, encoding, language, nameId);
    return r ? &r->wideText() : nullptr;
}

std::string nameTABLE::text(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) const {
    const TTNameRecord* r = findRecord(platform, encoding, language, nameId);
    return r ? r->narrowText() : std::string();
}

const std::u16string* nameTABLE::wideText(uint16_t nameId, uint16_t platform) const {
    for (size_t i = 0; i < recordCount(); ++i)
        if (record(i)->platformID == platform && record(i)->nameID == nameId) return &record(i)->wideText();
    return nullptr;
}

std::string nameTABLE::text(int language, uint16_t nameId, uint16_t platform) const {
    for (size_t i = 0; i < recordCount(); ++i) {
        const TTNameRecord* r = record(i);
        if (r->platformID == platform && r->nameID == nameId && (language < 0 || r->languageID == language))
            return r->narrowText();
    }
    return std::string();
}

void nameTABLE::removeRecords(uint16_t platform, uint16_t encoding, uint16_t language, uint16_t nameId) {
    for (size_t i = recordCount(); i-- > 0;)
        if (Matches(*record(i), platform, encoding, language, nameId)) removeChild(i);
    setState(TTSource::Calculated);
}

void nameTABLE::copyRecords(const nameTABLE& other, uint16_t platform, uint16_t encoding, uint16_t language,
                            uint16_t nameId) {
    removeRecords(platform, encoding, language, nameId);
    for (size_t i = 0; i < other.recordCount(); ++i)
        if (Matches(*other.record(i), platform, encoding, language, nameId))
            addRecord(std::unique_ptr<TTNameRecord>(static_cast<TTNameRecord*>(other.record(i)->clone().release())));
}

void nameTABLE::applySuffix(const std::string& suffix) {
    std::u32string sfx = DecodeUtf8(suffix);
    if (sfx.size() > kMaxSuffix) sfx.resize(kMaxSuffix);
    // Full names first, against the family names as they stand before the renaming; each
    // in the bytes its record stores, so that a Macintosh record of any script keeps its
    // own text byte for byte.
    for (size_t i = 0; i < recordCount(); ++i) {
        TTNameRecord* r = record(i);
        if (r->nameID != kFullName) continue;
        std::string full = r->rawText();
        const TTNameRecord* familyRecord = findRecord(r->platformID, r->encodingID, r->languageID, kFamily);
        std::string family = familyRecord ? familyRecord->rawText() : std::string();
        std::string added = SuffixInRecord(*r, sfx);
        std::string result;
        if (familyRecord && family.size() < full.size() && full.compare(0, family.size(), family) == 0)
            result = family + added + full.substr(family.size());
        else
            result = full + added;
        r->setRawText(reinterpret_cast<const uint8_t*>(result.data()), result.size());
    }
    for (size_t i = 0; i < recordCount(); ++i) {
        TTNameRecord* r = record(i);
        if (!TakesSuffixAtEnd(r->nameID)) continue;
        std::string result;
        if (r->nameID == kPostScript) {
            std::u32string text(r->wideText().begin(), r->wideText().end());
            result = PostScriptName(text + sfx);
            if (r->isWide()) result = Utf16Bytes(std::u32string(result.begin(), result.end()));
        } else {
            result = r->rawText() + SuffixInRecord(*r, sfx);
        }
        r->setRawText(reinterpret_cast<const uint8_t*>(result.data()), result.size());
    }
    setState(TTSource::Calculated);
}

void nameTABLE::dumpLines(FILE* out) {
    for (size_t i = 0; i < recordCount(); ++i) {
        const TTNameRecord* r = record(i);
        std::fprintf(out, "\n%s:", r->name().c_str());
        const std::u16string& text = r->wideText();
        if (text.empty()) std::fputs("(empty)", out);
        else
            TTText::Array<unsigned>(out, "\nUNICODE.text[%d] = {\n", text.size(), 20,
                                    [&](size_t k) { return text[k]; }, "%04x, ", "%04x\n");
    }
    std::fprintf(out, "\n contains %d records.\n", int(recordCount()));
}

void nameTABLE::dumpFields(TTDumpSink& sink) {
    sink.field("format", format);
    sink.field("count", long(recordCount()));
    sink.field("stringOffset", stringOffset);
}
