#include "headTABLE.h"

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
#include <ctime>
#include <vector>

#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"

namespace {
// Seconds from 1904-01-01 to 1970-01-01.
constexpr int64_t kEpochDelta = 2082844800;
int64_t (*g_clock)() = nullptr;
}  // namespace

int64_t headTABLE::Now() {
    if (g_clock) return g_clock();
    return int64_t(std::time(nullptr)) + kEpochDelta;
}

void headTABLE::SetClock(int64_t (*clock)()) { g_clock = clock; }

headTABLE::headTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("head"), length, checksum, offset) {}

void headTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* h = dynamic_cast<const headTABLE*>(&other); h && h != this) {
        version = h->version;
        fontRevision = h->fontRevision;
        m_nCheckSumAdjustment = h->m_nCheckSumAdjustment;
        magicNumber = h->magicNumber;
        flags = h->flags;
        unitsPerEm = h->unitsPerEm;
        created = h->created;
        modified = h->modified;
        xMin = h->xMin;
        yMin = h->yMin;
        xMax = h->xMax;
        yMax = h->yMax;
        macStyle = h->macStyle;
        lowestRecPPEM = h->lowestRecPPEM;
        fontDirectionHint = h->fontDirectionHint;
        indexToLocFormat = h->indexToLocFormat;
        glyphDataFormat = h->glyphDataFormat;
    }
}

void headTABLE::reset() {
    TTF_TABLE::reset();
    version = 0x00010000;
    fontRevision = 0;
    m_nCheckSumAdjustment = 0;
    magicNumber = kMagic;
    flags = 0;
    unitsPerEm = 2048;
    created = modified = 0;
    xMin = yMin = xMax = yMax = 0;
    macStyle = 0;
    lowestRecPPEM = 0;
    fontDirectionHint = 0;
    indexToLocFormat = 1;
    glyphDataFormat = 0;
}

int headTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    fontRevision = c.u32();
    m_nCheckSumAdjustment = c.u32();
    magicNumber = c.u32();
    flags = c.u16();
    unitsPerEm = c.u16();
    created = int64_t(uint64_t(c.u32()) << 32 | c.u32());
    modified = int64_t(uint64_t(c.u32()) << 32 | c.u32());
    xMin = c.s16();
    yMin = c.s16();
    xMax = c.s16();
    yMax = c.s16();
    macStyle = c.u16();
    lowestRecPPEM = c.u16();
    fontDirectionHint = c.s16();
    indexToLocFormat = c.s16();
    glyphDataFormat = c.s16();
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

void headTABLE::recompute() {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    if (!g || g->state() == TTSource::None) return;
    setState(TTSource::Calculated);
    modified = Now();
    if (created == 0) created = modified;
    if (g->glyphCount() == 0) {
        xMin = yMin = xMax = yMax = 0;
        return;
    }
    int x0 = 32767, y0 = 32767, x1 = 0, y1 = 0;
    for (size_t i = 0; i < g->glyphCount(); ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        bool empty = glyph->m_nKind == TTGLYPH::Empty;
        x0 = std::min<int>(x0, empty ? 0 : glyph->xMin);
        y0 = std::min<int>(y0, empty ? 0 : glyph->yMin);
        x1 = std::max<int>(x1, empty ? 0 : glyph->xMax);
        y1 = std::max<int>(y1, empty ? 0 : glyph->yMax);
    }
    xMin = int16_t(x0);
    yMin = int16_t(y0);
    xMax = int16_t(x1);
    yMax = int16_t(y1);
}

int headTABLE::writeBody() {
    if (!beginWrite()) return error();
    recompute();
    std::vector<uint8_t> bytes;
    bytes.reserve(kSize);
    ByteWriter w(bytes);
    w.u32(version);
    w.u32(fontRevision);
    w.u32(0);  // checkSumAdjustment, stored by the font writer at the end
    w.u32(magicNumber);
    w.u16(flags);
    w.u16(unitsPerEm);
    w.u32(uint32_t(uint64_t(created) >> 32));
    w.u32(uint32_t(created));
    w.u32(uint32_t(uint64_t(modified) >> 32));
    w.u32(uint32_t(modified));
    w.s16(xMin);
    w.s16(yMin);
    w.s16(xMax);
    w.s16(yMax);
    w.u16(macStyle);
    w.u16(lowestRecPPEM);
    w.s16(fontDirectionHint);
    w.s16(indexToLocFormat);
    w.s16(glyphDataFormat);
    writeBytes(bytes);
    return error();
}

namespace {
// The names of fontDirectionHint -2 to 2.
const char* DirectionName(int16_t hint) {
    static const char* const kNames[] = {"Right to left and neutrals", "Right to left only", "Mixed",
                                         "Left to right only", "Left to right and neutrals"};
    return hint >= -2 && hint <= 2 ? kNames[hint + 2] : "";
}
}  // namespace

void headTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx, rev. %8.8lx, chkadjust = %8.8lx, magic = %8.8lx\n", (unsigned long)version,
                 (unsigned long)fontRevision, (unsigned long)m_nCheckSumAdjustment, (unsigned long)magicNumber);
    std::fprintf(out, "flags = %04x, units per em = %5.5d\n", flags, unitsPerEm);
    std::fprintf(out, "created:  %s", TTText::DateText(created).c_str());
    std::fprintf(out, "modified: %s", TTText::DateText(modified).c_str());
    std::fprintf(out, "xMin = %d, yMin = %d, xMax = %d, yMax = %d, macStyle = %1.1x\n", xMin, yMin, xMax, yMax,
                 macStyle);
    std::fprintf(out, "lowestRecPpem = %d, font direction hint: %s, index to Loc Format = %s\n", lowestRecPPEM,
                 DirectionName(fontDirectionHint), indexToLocFormat == 0 ? "short" : "long");
}

void headTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.fieldHex("fontRevision", fontRevision);
    sink.field("checkSumAdjustment", long(m_nCheckSumAdjustment));
    sink.field("magicNumber", long(magicNumber));
    sink.field("flags", flags);
    sink.field("unitsPerEm", unitsPerEm);
    sink.field("created", long(created));
    sink.field("modified", long(modified));
    sink.field("xMin", xMin);
    sink.field("yMin", yMin);
    sink.field("xMax", xMax);
    sink.field("yMax", yMax);
    sink.field("macStyle", macStyle);
    sink.field("lowestRecPPEM", lowestRecPPEM);
    sink.field("fontDirectionHint", fontDirectionHint);
    sink.field("indexToLocFormat", indexToLocFormat);
    sink.field("glyphDataFormat", glyphDataFormat);
}
