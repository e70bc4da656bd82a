#include "TTcmapSubtable.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "CmapEncodings.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTDump.h"

namespace {
// The length a carried subtable declares, by the header layout of its format.
uint32_t DeclaredLength(ByteCursor c, uint16_t format) {
    if (format == 14) {
        c.skip(2);
        return c.u32();
    }
    if (format >= 8) {
        c.skip(4);
        return c.u32();
    }
    c.skip(2);
    return c.u16();
}
}  // namespace

TTcmapTable::TTcmapTable(TTObject* owner, uint16_t platform, uint16_t encoding)
    : TTObject(owner), platformID(platform), encodingID(encoding),
      m_nIndex(CmapEncodingList::indexOf(platform, encoding)) {
    const CmapEncoding* e = CmapEncodingList::entry(m_nIndex);
    char text[64];
    if (e) std::snprintf(text, sizeof text, "%s, %s", e->platformName, e->encodingName);
    else std::snprintf(text, sizeof text, "platform %u, encoding %u", unsigned(platform), unsigned(encoding));
    setName(text);
}

std::unique_ptr<TTObject> TTcmapTable::clone() const {
    auto copy = std::make_unique<TTcmapTable>(owner(), platformID, encodingID);
    copy->assign(*this);
    return copy;
}

void TTcmapTable::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* t = dynamic_cast<const TTcmapTable*>(&other)) {
        platformID = t->platformID;
        encodingID = t->encodingID;
        m_nIndex = t->m_nIndex;
    }
}

TTcmapSubtable::TTcmapSubtable(TTObject* owner, uint16_t fmt) : TTObject(owner), format(fmt) { setFormat(fmt); }

std::unique_ptr<TTObject> TTcmapSubtable::clone() const {
    auto copy = std::make_unique<TTcmapSubtable>(owner(), format);
    copy->assign(*this);
    return copy;
}

void TTcmapSubtable::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* s = dynamic_cast<const TTcmapSubtable*>(&other); s && s != this) {
        format = s->format;
        language = s->language;
        m_nOffset = s->m_nOffset;
        m_nState = s->m_nState;
        m_map = s->m_map;
        m_twoByte = s->m_twoByte;
        m_raw = s->m_raw;
        m_bCarried = s->m_bCarried;
    }
}

void TTcmapSubtable::updateName() {
    char text[32];
    std::snprintf(text, sizeof text, "(%zu chars)", size_t(codeCount()));
    setName(text);
}

void TTcmapSubtable::setFormat(uint16_t fmt) {
    format = fmt;
    m_bCarried = false;
    m_raw.clear();
    m_twoByte.fill(false);
    size_t size = 0;
    switch (fmt) {
    case 0: size = kByteCodes; break;
    case 2: case 4: case 6: size = kWordCodes; break;
    case 12: case 13: break;  // grows to the largest code mapped: most fonts stop far below 0x110000
    default: m_bCarried = true; break;
    }
    m_map.assign(size, 0);
    updateName();
}

void TTcmapSubtable::addRecord(uint16_t platformID, uint16_t encodingID) {
    addChild(std::make_unique<TTcmapTable>(this, platformID, encodingID));
}

int TTcmapSubtable::parse(const uint8_t* cmap, size_t cmapSize, uint32_t offset) {
    m_nOffset = offset;
    if (offset >= cmapSize || cmapSize - offset < 4) return TTError::kRead;
    const uint8_t* p = cmap + offset;
    size_t avail = cmapSize - offset;
    ByteCursor head(p, avail);
    uint16_t fmt = head.u16();
    uint32_t declared = DeclaredLength(ByteCursor(p, avail), fmt);
    // A length beyond the table is cut to the table.
    size_t size = std::min<size_t>(declared ? declared : avail, avail);
    setFormat(fmt);
    ByteCursor c(p, size);
    c.skip(2);
    bool ok = true;
    try {
        switch (fmt) {
        case 0: ok = ParseFormat0(*this, c, p, size); break;
        case 2: ok = ParseFormat2(*this, c, p, size); break;
        case 4: ok = ParseFormat4(*this, c, p, size); break;
        case 6: ok = ParseFormat6(*this, c, p, size); break;
        case 12: case 13: ok = ParseFormat12(*this, c, p, size); break;
        default: ok = false; break;
        }
    } catch (const std::bad_alloc&) {
        return TTError::kNoMemory;
    }
    if (!ok) {
        setFormat(fmt);
        m_bCarried = true;
        m_map.clear();
        updateName();
        m_raw.assign(p, p + size);
    }
    m_nState = TTSource::Imported;
    return TTError::kOk;
}

bool TTcmapSubtable::setGlyphForCode(uint32_t code, uint16_t glyph) {
    if (m_bCarried || code >= codeCount()) return false;
    if (code >= m_map.size()) m_map.resize(size_t(code) + 1, 0);
    if (format == 0 && glyph > 0xFF) return false;
    // Format 2 holds a one-byte code only where its byte starts no two-byte code, and a
    // two-byte code only behind a lead byte the table already has.
    if (format == 2 && (code < kByteCodes ? m_twoByte[code] : !m_twoByte[code >> 8])) return false;
    uint16_t old = m_map[code];
    m_map[code] = glyph;
    if (format == 2 || format == 4 || format == 6) {
        std::vector<uint8_t> probe;
        if (encode(probe) != TTError::kOk) {
            m_map[code] = old;
            return false;
        }
    }
    m_nState = TTSource::Calculated;
    return true;
}

int TTcmapSubtable::encode(std::vector<uint8_t>& out) const {
    ByteWriter w(out);
    size_t start = out.size();
    if (m_bCarried) {
        w.bytes(m_raw.data(), m_raw.size());
        return TTError::kOk;
    }
    switch (format) {
    case 0: return EncodeFormat0(*this, out, start);
    case 2: return EncodeFormat2(*this, out, start);
    case 4: return EncodeFormat4(*this, out, start);
    case 6: return EncodeFormat6(*this, out, start);
    case 12: case 13: return EncodeFormat12(*this, out, start);
    default: return TTError::kInvalid;
    }
}

void TTcmapTable::dumpFields(TTDumpSink& sink) {
    sink.field("platformID", platformID);
    sink.field("encodingID", encodingID);
}

void TTcmapSubtable::dumpFields(TTDumpSink& sink) {
    sink.field("format", format);
    sink.field("language", long(language));
    sink.field("offset", long(m_nOffset));
    if (m_bCarried) {
        sink.array("data", m_raw.data(), m_raw.size());
        return;
    }
    // The mapped codes only, as code->glyph in hexadecimal.
    sink.put("map = {\n");
    for (size_t code = 0; code < m_map.size(); ++code)
        if (m_map[code]) sink.print("%lx->%x\t", (unsigned long)code, m_map[code]);
    sink.put("\n}\n");
}
