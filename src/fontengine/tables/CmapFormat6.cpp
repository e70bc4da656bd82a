// Format 6: one dense range of 16-bit codes.
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTError.h"

bool ParseFormat6(TTcmapSubtable& s, ByteCursor& c, [[maybe_unused]] const uint8_t* p,
                  [[maybe_unused]] size_t size) {
    bool ok = true;
    c.skip(2);
    s.language = c.u16();
    uint32_t first = c.u16(), count = c.u16();
    ok = c.ok() && first + count <= TTcmapSubtable::kWordCodes;
    for (uint32_t i = 0; ok && i < count; ++i) s.m_map[first + i] = c.u16();
    ok = ok && c.ok();
    return ok;
}

int EncodeFormat6(const TTcmapSubtable& s, std::vector<uint8_t>& out, [[maybe_unused]] size_t start) {
    ByteWriter w(out);
    uint32_t first = 0, last = 0;
    bool any = false;
    for (uint32_t c = 0; c < s.m_map.size(); ++c)
        if (s.m_map[c]) {
            if (!any) first = c;
            last = c;
            any = true;
        }
    uint32_t count = any ? last - first + 1 : 0;
    if (10 + 2 * count > kCmapMaxLength16) return TTError::kInvalid;
    w.u16(6).u16(uint16_t(10 + 2 * count)).u16(uint16_t(s.language)).u16(uint16_t(first)).u16(uint16_t(count));
    for (uint32_t i = 0; i < count; ++i) w.u16(s.m_map[first + i]);
    return TTError::kOk;
}
