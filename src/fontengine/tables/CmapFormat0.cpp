// Format 0: one byte per code for the codes 0..255.
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTError.h"

bool ParseFormat0(TTcmapSubtable& s, ByteCursor& c, [[maybe_unused]] const uint8_t* p,
                  [[maybe_unused]] size_t size) {
    bool ok = true;
    c.skip(2);
    s.language = c.u16();
    for (uint32_t i = 0; i < 256; ++i) s.m_map[i] = c.u8();
    ok = c.ok();
    return ok;
}

int EncodeFormat0(const TTcmapSubtable& s, std::vector<uint8_t>& out, [[maybe_unused]] size_t start) {
    ByteWriter w(out);
    w.u16(0).u16(6 + 256).u16(uint16_t(s.language));
    for (uint32_t i = 0; i < 256; ++i) w.u8(uint8_t(s.m_map[i]));
    return TTError::kOk;
}
