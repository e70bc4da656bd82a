// Format 2: one- and two-byte codes, a sub-header per lead byte.
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTError.h"

bool ParseFormat2(TTcmapSubtable& s, ByteCursor& c, const uint8_t* p, size_t size) {
    bool ok = true;
    c.skip(2);
    s.language = c.u16();
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
        s.m_twoByte[high] = keys[high] != 0;
        for (uint32_t i = 0; i < count && first + i < 256; ++i) {
            size_t at = rangeWord + range + 2 * size_t(i);
            uint16_t glyph = at + 2 <= size ? ReadBE16(p + at) : 0;
            if (glyph) glyph = uint16_t(glyph + delta);
            uint32_t code = s.m_twoByte[high] ? (high << 8 | (first + i)) : first + i;
            // A one-byte code is read only through its own high byte's entry.
            if (!s.m_twoByte[high] && code != high) continue;
            s.m_map[code] = glyph;
        }
    }
    return ok;
}

int EncodeFormat2(const TTcmapSubtable& s, std::vector<uint8_t>& out, [[maybe_unused]] size_t start) {
    ByteWriter w(out);
    // Sub-header 0 serves every one-byte code; each lead byte gets its own sub-header
    // over the span of its mapped second bytes.
    std::vector<uint16_t> keys(256, 0);
    struct Header { uint16_t first, count; std::vector<uint16_t> glyphs; };
    std::vector<Header> headers(1);
    headers[0] = {0, 256, std::vector<uint16_t>(256, 0)};
    for (uint32_t high = 0; high < 256; ++high) {
        if (!s.m_twoByte[high]) {
            headers[0].glyphs[high] = s.m_map[high];
            continue;
        }
        uint32_t lo = 256, hi = 0;
        for (uint32_t low = 0; low < 256; ++low)
            if (s.m_map[high << 8 | low]) lo = std::min(lo, low), hi = std::max(hi, low);
        if (lo > hi) lo = hi = 0;
        Header h{uint16_t(lo), uint16_t(hi - lo + 1), {}};
        for (uint32_t low = lo; low <= hi; ++low) h.glyphs.push_back(s.m_map[high << 8 | low]);
        keys[high] = uint16_t(headers.size() * 8);
        headers.push_back(std::move(h));
    }
    size_t size = 6 + 512 + 8 * headers.size();
    for (const auto& h : headers) size += 2 * h.glyphs.size();
    if (size > kCmapMaxLength16) return TTError::kInvalid;
    w.u16(2).u16(uint16_t(size)).u16(uint16_t(s.language));
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
