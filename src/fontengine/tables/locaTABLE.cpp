#include "locaTABLE.h"

#include <vector>

#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "headTABLE.h"

locaTABLE::locaTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("loca"), length, checksum, offset) {}

int locaTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    headTABLE* h = f ? f->head() : nullptr;
    if (!g || !h) {
        setError(TTError::kInvalid);
        return error();
    }
    g->m_bReadDone = false;  // glyf reads the glyph headers after this
    bool isShort = h->indexToLocFormat == 0;
    size_t count = g->glyphCount();
    if (count == 0) return error();
    size_t entrySize = isShort ? 2 : 4;
    if (bytes.size() / entrySize < count + 1) {
        setError(TTError::kRead);
        return error();
    }
    ByteCursor c(bytes);
    auto next = [&]() -> uint32_t { return isShort ? uint32_t(c.u16()) * 2 : c.u32(); };
    uint32_t cur = next();
    for (size_t i = 0; i < count; ++i) {
        TTGLYPH* glyph = g->glyph(i);
        uint32_t nxt = next();
        // Every glyph must lie inside glyf; anything else would read another table.
        if (cur > g->m_nLength || nxt > g->m_nLength) {
            setError(TTError::kRead);
            return error();
        }
        glyph->m_nOffset = cur;
        glyph->m_nLength = nxt > cur ? nxt - cur : 0;
        if ((cur != 0 && nxt == 0) || nxt < cur) break;
        cur = nxt;
    }
    return error();
}

int locaTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    size_t count = g ? g->glyphCount() : 0;
    uint64_t end = 0;
    for (size_t i = count; i-- > 0;) {
        const TTGLYPH* glyph = g->glyph(i);
        uint64_t e = uint64_t(glyph->m_nOffset) + glyph->m_nLength;
        if (e != 0) {
            end = e;
            break;
        }
    }
    bool isShort = end < kShortLimit;
    if (headTABLE* h = f ? f->head() : nullptr) h->indexToLocFormat = isShort ? 0 : 1;
    std::vector<uint8_t> bytes;
    bytes.reserve((count + 1) * (isShort ? 2 : 4));
    ByteWriter w(bytes);
    auto put = [&](uint64_t v) {
        if (isShort) w.u16(uint16_t(v / 2));
        else w.u32(uint32_t(v));
    };
    put(0);
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        put(uint64_t(glyph->m_nOffset) + glyph->m_nLength);
    }
    writeBytes(bytes);
    return error();
}
