#include "TTcmapSubtable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "ByteOrder.h"
#include "CmapEncodings.h"
#include "TTBytes.h"

namespace {
constexpr uint32_t kMaxLength16 = 0xFFFF;

bool Mapped(const std::vector<uint16_t>& map, uint32_t c) { return map[c] != 0; }

// Codes from first on whose glyphs each follow the previous by one; after the first
// unmapped code everything must be unmapped. Answers how many codes pass.
uint32_t ForwardPass(const std::vector<uint16_t>& map, uint32_t first, uint32_t last) {
    for (uint32_t c = first + 1; c <= last; ++c) {
        if (!Mapped(map, c)) {
            for (uint32_t d = c; d <= last; ++d)
                if (Mapped(map, d)) return c - first;
            return last - first + 1;
        }
        if (map[c] != uint16_t(map[c - 1] + 1)) return c - first;
    }
    return last - first + 1;
}

// The same from last downwards.
uint32_t BackwardPass(const std::vector<uint16_t>& map, uint32_t first, uint32_t last) {
    for (uint32_t c = last; c-- > first;) {
        if (!Mapped(map, c)) {
            for (uint32_t d = c + 1; d-- > first;)
                if (Mapped(map, d)) return last - c;
            return last - first + 1;
        }
        if (uint16_t(map[c] + 1) != map[c + 1]) return last - c;
    }
    return last - first + 1;
}

// Splits runs of 8 or more consecutive glyph indices out of an array segment.
void SplitArray(const std::vector<uint16_t>& map, uint32_t first, uint32_t last, std::vector<CmapSegment>& out) {
    uint32_t arrayStart = first;
    for (uint32_t c = first; c <= last;) {
        uint32_t run = 1;
        if (Mapped(map, c))
            while (c + run <= last && Mapped(map, c + run) && map[c + run] == uint16_t(map[c + run - 1] + 1)) ++run;
        if (run >= 8) {
            if (c > arrayStart) out.push_back({arrayStart, c - 1, false});
            out.push_back({c, c + run - 1, true});
            arrayStart = c + run;
        }
        c += run;
    }
    if (arrayStart <= last) out.push_back({arrayStart, last, false});
}

void Classify(const std::vector<uint16_t>& map, uint32_t first, uint32_t last, std::vector<CmapSegment>& out) {
    for (;;) {
        uint32_t length = last - first + 1;
        uint32_t prefix = ForwardPass(map, first, last);
        if (prefix == length) {
            out.push_back({first, last, true});
            return;
        }
        if (prefix >= 4) {
            out.push_back({first, first + prefix - 1, true});
            first += prefix;
            continue;
        }
        uint32_t remembered = prefix >= 2 ? prefix : 0;
        uint32_t suffix = BackwardPass(map, first + remembered, last);
        if (remembered && remembered + suffix == length && length >= 4) {
            out.push_back({first, first + remembered - 1, true});
            out.push_back({first + remembered, last, true});
            return;
        }
        if (suffix >= 4) {
            SplitArray(map, first, last - suffix, out);
            out.push_back({last - suffix + 1, last, true});
            return;
        }
        SplitArray(map, first, last, out);
        return;
    }
}

size_t Format4Size(const std::vector<CmapSegment>& segs) {
    size_t size = 16 + 8 * (segs.size() + 1);
    for (const auto& s : segs)
        if (!s.delta) size += 2 * (s.end - s.start + 1);
    return size;
}

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

std::vector<CmapSegment> BuildFormat4Segments(const std::vector<uint16_t>& map) {
    std::vector<CmapSegment> runs, segs;
    // Code 0xFFFF belongs to the closing segment and is never mapped here.
    const uint32_t limit = std::min<uint32_t>(uint32_t(map.size()), 0xFFFF);
    for (uint32_t c = 0; c < limit;) {
        if (!Mapped(map, c)) {
            ++c;
            continue;
        }
        uint32_t start = c, lastMapped = c;
        for (uint32_t gap = 0; ++c < limit;) {
            if (Mapped(map, c)) {
                lastMapped = c;
                gap = 0;
            } else if (++gap == 5) {
                break;
            }
        }
        runs.push_back({start, lastMapped, false});
        c = lastMapped + 1;
    }
    for (const auto& r : runs) Classify(map, r.start, r.end, segs);
    // Leading and trailing unmapped codes go; empty segments with them.
    std::vector<CmapSegment> out;
    for (auto s : segs) {
        while (s.start <= s.end && !Mapped(map, s.start)) ++s.start;
        while (s.end >= s.start && s.end > 0 && !Mapped(map, s.end)) --s.end;
        if (s.start <= s.end && Mapped(map, s.start)) out.push_back(s);
    }
    std::sort(out.begin(), out.end(), [](const CmapSegment& a, const CmapSegment& b) { return a.start < b.start; });
    return out;
}

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
    std::snprintf(text, sizeof text, "(%zu chars)", m_map.size());
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
    case 12: case 13: size = kUnicodeCodes; break;
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
        case 0: {
            c.skip(2);
            language = c.u16();
            for (uint32_t i = 0; i < 256; ++i) m_map[i] = c.u8();
            ok = c.ok();
            break;
        }
        case 6: {
            c.skip(2);
            language = c.u16();
            uint32_t first = c.u16(), count = c.u16();
            ok = c.ok() && first + count <= kWordCodes;
            for (uint32_t i = 0; ok && i < count; ++i) m_map[first + i] = c.u16();
            ok = ok && c.ok();
            break;
        }
        case 4: {
            c.skip(2);
            language = c.u16();
            uint32_t segCount = c.u16() / 2u;
            c.skip(6);
            size_t endAt = c.pos(), startAt = endAt + 2 * segCount + 2, deltaAt = startAt + 2 * segCount,
                   rangeAt = deltaAt + 2 * segCount;
            ok = c.ok() && rangeAt + 2 * segCount <= size;
            uint32_t prevEnd = 0;
            for (uint32_t s = 0; ok && s < segCount; ++s) {
                ByteCursor f(p, size);
                f.seek(endAt + 2 * s);
                uint32_t end = f.u16();
                f.seek(startAt + 2 * s);
                uint32_t start = f.u16();
                f.seek(deltaAt + 2 * s);
                uint16_t delta = f.u16();
                size_t rangeWord = rangeAt + 2 * s;
                f.seek(rangeWord);
                uint32_t range = f.u16();
                // Segments must ascend without overlap; anything else is kept as bytes.
                if (start > end || (s > 0 && start <= prevEnd)) {
                    ok = false;
                    break;
                }
                prevEnd = end;
                for (uint32_t code = start; code <= end; ++code) {
                    uint16_t glyph;
                    if (range == 0) {
                        glyph = uint16_t(code + delta);
                    } else {
                        size_t at = rangeWord + range + 2 * size_t(code - start);
                        if (at + 2 > size) {
                            glyph = 0;  // outside the subtable: unmapped
                        } else {
                            glyph = ReadBE16(p + at);
                            if (glyph) glyph = uint16_t(glyph + delta);
                        }
                    }
                    m_map[code] = glyph;
                }
            }
            break;
        }
        case 12:
        case 13: {
            c.skip(6);
            language = c.u32();
            uint32_t groups = c.u32();
            ok = c.ok() && groups <= c.remaining() / 12;
            uint32_t nextFree = 0;
            for (uint32_t g = 0; ok && g < groups; ++g) {
                uint32_t start = c.u32(), end = c.u32(), glyph = c.u32();
                if (start > end || end >= kUnicodeCodes || start < nextFree) {
                    ok = false;
                    break;
                }
                for (uint32_t code = start; code <= end; ++code)
                    m_map[code] = uint16_t(fmt == 12 ? glyph + (code - start) : glyph);
                nextFree = end + 1;
            }
            break;
        }
        case 2: {
            c.skip(2);
            language = c.u16();
            uint16_t keys[256];
            uint32_t maxKey = 0;
            for (auto& k : keys) {
                k = uint16_t(c.u16() / 8u);
                maxKey = std::max<uint32_t>(maxKey, k);
            }
            size_t headersAt = c.pos();
            ok = c.ok() && headersAt + 8 * size_t(maxKey + 1) <= size;
            for (uint32_t high = 0; ok && high < 256; ++high) {
                ByteCursor h(p, size);
                h.seek(headersAt + 8 * size_t(keys[high]));
                uint32_t first = h.u16(), count = h.u16();
                uint16_t delta = h.u16();
                size_t rangeWord = h.pos();
                uint32_t range = h.u16();
                m_twoByte[high] = keys[high] != 0;
                for (uint32_t i = 0; i < count && first + i < 256; ++i) {
                    size_t at = rangeWord + range + 2 * size_t(i);
                    uint16_t glyph = at + 2 <= size ? ReadBE16(p + at) : 0;
                    if (glyph) glyph = uint16_t(glyph + delta);
                    uint32_t code = m_twoByte[high] ? (high << 8 | (first + i)) : first + i;
                    // A one-byte code is read only through its own high byte's entry.
                    if (!m_twoByte[high] && code != high) continue;
                    m_map[code] = glyph;
                }
            }
            break;
        }
        default:
            ok = false;
            break;
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
    if (m_bCarried || code >= m_map.size()) return false;
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
    case 0:
        w.u16(0).u16(6 + 256).u16(uint16_t(language));
        for (uint32_t i = 0; i < 256; ++i) w.u8(uint8_t(m_map[i]));
        return TTError::kOk;
    case 6: {
        uint32_t first = 0, last = 0;
        bool any = false;
        for (uint32_t c = 0; c < m_map.size(); ++c)
            if (m_map[c]) {
                if (!any) first = c;
                last = c;
                any = true;
            }
        uint32_t count = any ? last - first + 1 : 0;
        if (10 + 2 * count > kMaxLength16) return TTError::kInvalid;
        w.u16(6).u16(uint16_t(10 + 2 * count)).u16(uint16_t(language)).u16(uint16_t(first)).u16(uint16_t(count));
        for (uint32_t i = 0; i < count; ++i) w.u16(m_map[first + i]);
        return TTError::kOk;
    }
    case 4: {
        std::vector<CmapSegment> segs = BuildFormat4Segments(m_map);
        size_t size = Format4Size(segs);
        if (size > kMaxLength16) return TTError::kInvalid;
        uint32_t segCount = uint32_t(segs.size() + 1);
        uint32_t pow = 1, sel = 0;
        while (pow * 2 <= segCount) pow *= 2, ++sel;
        out.reserve(out.size() + size);
        w.u16(4).u16(uint16_t(size)).u16(uint16_t(language));
        w.u16(uint16_t(2 * segCount)).u16(uint16_t(2 * pow)).u16(uint16_t(sel)).u16(uint16_t(2 * segCount - 2 * pow));
        for (const auto& s : segs) w.u16(uint16_t(s.end));
        w.u16(0xFFFF).u16(0);
        for (const auto& s : segs) w.u16(uint16_t(s.start));
        w.u16(0xFFFF);
        for (const auto& s : segs) w.u16(s.delta ? uint16_t(m_map[s.start] - s.start) : 0);
        w.u16(1);
        uint32_t arrayCodes = 0;
        for (uint32_t i = 0; i < segs.size(); ++i) {
            if (segs[i].delta) {
                w.u16(0);
            } else {
                w.u16(uint16_t(2 * (segCount - i) + 2 * arrayCodes));
                arrayCodes += segs[i].end - segs[i].start + 1;
            }
        }
        w.u16(0);
        for (const auto& s : segs)
            if (!s.delta)
                for (uint32_t c = s.start; c <= s.end; ++c) w.u16(m_map[c]);
        return TTError::kOk;
    }
    case 12:
    case 13: {
        w.u16(format).u16(0).u32(0).u32(language).u32(0);
        uint32_t groups = 0;
        for (uint32_t c = 0; c < m_map.size();) {
            if (!m_map[c]) {
                ++c;
                continue;
            }
            uint32_t e = c;
            if (format == 12)
                while (e + 1 < m_map.size() && m_map[e + 1] && m_map[e + 1] == uint16_t(m_map[e] + 1)) ++e;
            else
                while (e + 1 < m_map.size() && m_map[e + 1] == m_map[c]) ++e;
            w.u32(c).u32(e).u32(m_map[c]);
            ++groups;
            c = e + 1;
        }
        uint32_t length = uint32_t(out.size() - start);
        WriteBE32(out.data() + start + 4, length);
        WriteBE32(out.data() + start + 12, groups);
        return TTError::kOk;
    }
    case 2: {
        // Sub-header 0 serves every one-byte code; each lead byte gets its own sub-header
        // over the span of its mapped second bytes.
        std::vector<uint16_t> keys(256, 0);
        struct Header { uint16_t first, count; std::vector<uint16_t> glyphs; };
        std::vector<Header> headers(1);
        headers[0] = {0, 256, std::vector<uint16_t>(256, 0)};
        for (uint32_t high = 0; high < 256; ++high) {
            if (!m_twoByte[high]) {
                headers[0].glyphs[high] = m_map[high];
                continue;
            }
            uint32_t lo = 256, hi = 0;
            for (uint32_t low = 0; low < 256; ++low)
                if (m_map[high << 8 | low]) lo = std::min(lo, low), hi = std::max(hi, low);
            if (lo > hi) lo = hi = 0;
            Header h{uint16_t(lo), uint16_t(hi - lo + 1), {}};
            for (uint32_t low = lo; low <= hi; ++low) h.glyphs.push_back(m_map[high << 8 | low]);
            keys[high] = uint16_t(headers.size() * 8);
            headers.push_back(std::move(h));
        }
        size_t size = 6 + 512 + 8 * headers.size();
        for (const auto& h : headers) size += 2 * h.glyphs.size();
        if (size > kMaxLength16) return TTError::kInvalid;
        w.u16(2).u16(uint16_t(size)).u16(uint16_t(language));
        for (uint16_t k : keys) w.u16(k);
        size_t glyphsAt = 6 + 512 + 8 * headers.size();
        for (size_t i = 0; i < headers.size(); ++i) {
            size_t rangeWord = 6 + 512 + 8 * i + 6;
            w.u16(headers[i].first).u16(headers[i].count).u16(0).u16(uint16_t(glyphsAt - rangeWord));
            glyphsAt += 2 * headers[i].glyphs.size();
        }
        for (const auto& h : headers)
            for (uint16_t g : h.glyphs) w.u16(g);
        return TTError::kOk;
    }
    default:
        return TTError::kInvalid;
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
