#include "hmtxTABLE.h"

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
#include <vector>

#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "hheaTABLE.h"

hmtxTABLE::hmtxTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("hmtx"), length, checksum, offset) {}

std::unique_ptr<TTObject> hmtxTABLE::clone() const {
    auto copy = std::make_unique<hmtxTABLE>(owner());
    copy->assign(*this);
    return copy;
}

int hmtxTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    hheaTABLE* h = f ? f->hhea() : nullptr;
    if (!g || !h) {
        setError(TTError::kInvalid);
        return error();
    }
    size_t count = g->glyphCount();
    size_t longCount = std::min<size_t>(h->numberOfHMetrics, count);
    ByteCursor c(bytes);
    uint16_t advance = 0;
    for (size_t i = 0; i < count; ++i) {
        TTGLYPH* glyph = g->glyph(i);
        if (i < longCount) advance = c.u16();
        glyph->m_nAdvanceWidth = advance;
        glyph->m_nLeftSideBearing = c.s16();
    }
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

int hmtxTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    hheaTABLE* h = f ? f->hhea() : nullptr;
    if (!g || !h || g->state() == TTSource::None || h->state() == TTSource::None) return error();
    h->recompute();
    size_t count = g->glyphCount();
    std::vector<uint8_t> bytes;
    bytes.reserve(count * 4);
    ByteWriter w(bytes);
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        if (i < h->numberOfHMetrics) w.u16(glyph->m_nAdvanceWidth);
        w.s16(glyph->m_nLeftSideBearing);
    }
    writeBytes(bytes);
    return error();
}

void hmtxTABLE::dumpLines(FILE* out) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    TTText::MetricLines(out, "advance width\n    0:", n, [&](size_t i) { return int(g->glyph(i)->m_nAdvanceWidth); });
    TTText::MetricLines(out, "\n    leftside bearing\n    0:", n,
                        [&](size_t i) { return int(g->glyph(i)->m_nLeftSideBearing); });
    std::fputs("\n", out);
}

void hmtxTABLE::dumpFields(TTDumpSink& sink) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    std::vector<uint16_t> advance(n), bearing(n);
    for (size_t i = 0; i < n; ++i) {
        advance[i] = g->glyph(i)->m_nAdvanceWidth;
        bearing[i] = uint16_t(g->glyph(i)->m_nLeftSideBearing);
    }
    sink.array("advanceWidth", advance.data(), n);
    sink.array("leftSideBearing", bearing.data(), n);
}
