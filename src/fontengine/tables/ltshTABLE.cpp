#include "ltshTABLE.h"

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

ltshTABLE::ltshTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("LTSH"), length, checksum, offset) {}

void ltshTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* l = dynamic_cast<const ltshTABLE*>(&other); l && l != this) version = l->version;
}

void ltshTABLE::reset() {
    TTF_TABLE::reset();
    version = 0;
}

int ltshTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u16();
    uint16_t listed = c.u16();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    size_t glyphs = g ? g->glyphCount() : 0;
    size_t count = std::min<size_t>(listed, glyphs);
    if (!c.ok() || c.remaining() < count) {
        setError(TTError::kRead);
        return error();
    }
    for (size_t i = 0; i < glyphs; ++i) g->glyph(i)->m_nYPels = i < count ? c.u8() : 1;
    return error();
}

int ltshTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    size_t glyphs = g ? g->glyphCount() : 0;
    if (glyphs > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(4 + glyphs);
    ByteWriter w(bytes);
    w.u16(version);
    w.u16(uint16_t(glyphs));
    for (size_t i = 0; i < glyphs; ++i) w.u8(g->glyph(i)->m_nYPels);
    writeBytes(bytes);
    return error();
}

void ltshTABLE::dumpLines(FILE* out) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    std::fprintf(out, "version %x, %d glyphs\n", version, int(n));
    for (size_t i = 0; i < n; ++i)
        std::fprintf(out, "%3i)%3d  %c", int(i), g->glyph(i)->m_nYPels, (i + 1) % 10 == 0 ? '\n' : ' ');
    std::fputs("\n", out);
}

void ltshTABLE::dumpFields(TTDumpSink& sink) {
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    std::vector<uint8_t> ypels(n);
    for (size_t i = 0; i < n; ++i) ypels[i] = g->glyph(i)->m_nYPels;
    sink.fieldHex("version", version);
    sink.field("numGlyphs", long(n));
    sink.array("yPels", ypels.data(), n);
}
