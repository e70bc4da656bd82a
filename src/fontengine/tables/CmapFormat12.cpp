// Formats 12 and 13: groups of full Unicode codes, consecutive glyphs (12) or one glyph (13).
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTError.h"

bool ParseFormat12(TTcmapSubtable& s, ByteCursor& c, [[maybe_unused]] const uint8_t* p,
                  [[maybe_unused]] size_t size) {
    bool ok = true;
    c.skip(6);
    s.language = c.u32();
    uint32_t groups = c.u32();
    ok = c.ok() && groups <= c.remaining() / 12;
    uint32_t nextFree = 0;
    struct Group { uint32_t start, end, glyph; };
    std::vector<Group> list;
    list.reserve(ok ? groups : 0);
    for (uint32_t g = 0; ok && g < groups; ++g) {
        uint32_t start = c.u32(), end = c.u32(), glyph = c.u32();
        if (start > end || end >= TTcmapSubtable::kUnicodeCodes || start < nextFree) {
            ok = false;
            break;
        }
        list.push_back({start, end, glyph});
        nextFree = end + 1;
    }
    if (!ok) return false;
    // Groups rise, so the last one ends the array.
    s.m_map.assign(list.empty() ? 0 : size_t(list.back().end) + 1, 0);
    for (const Group& group : list)
        for (uint32_t code = group.start; code <= group.end; ++code)
            s.m_map[code] = uint16_t(s.format == 12 ? group.glyph + (code - group.start) : group.glyph);
    return ok;
}

int EncodeFormat12(const TTcmapSubtable& s, std::vector<uint8_t>& out, [[maybe_unused]] size_t start) {
    ByteWriter w(out);
    w.u16(s.format).u16(0).u32(0).u32(s.language).u32(0);
    uint32_t groups = 0;
    for (uint32_t c = 0; c < s.m_map.size();) {
        if (!s.m_map[c]) {
            ++c;
            continue;
        }
        uint32_t e = c;
        if (s.format == 12)
            while (e + 1 < s.m_map.size() && s.m_map[e + 1] && s.m_map[e + 1] == uint16_t(s.m_map[e] + 1)) ++e;
        else
            while (e + 1 < s.m_map.size() && s.m_map[e + 1] == s.m_map[c]) ++e;
        w.u32(c).u32(e).u32(s.m_map[c]);
        ++groups;
        c = e + 1;
    }
    uint32_t length = uint32_t(out.size() - start);
    WriteBE32(out.data() + start + 4, length);
    WriteBE32(out.data() + start + 12, groups);
    return TTError::kOk;
}
