#include "maxpTABLE.h"

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
#include "headTABLE.h"

namespace {
uint16_t Clamp16(uint64_t v) { return uint16_t(std::min<uint64_t>(v, 0xFFFF)); }
}  // namespace

maxpTABLE::maxpTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("maxp"), length, checksum, offset) {}

void maxpTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* m = dynamic_cast<const maxpTABLE*>(&other); m && m != this) {
        version = m->version;
        numGlyphsRead = m->numGlyphsRead;
        maxPoints = m->maxPoints;
        maxContours = m->maxContours;
        maxCompositePoints = m->maxCompositePoints;
        maxCompositeContours = m->maxCompositeContours;
        maxZones = m->maxZones;
        maxTwilightPoints = m->maxTwilightPoints;
        maxStorage = m->maxStorage;
        maxFunctionDefs = m->maxFunctionDefs;
        maxInstructionDefs = m->maxInstructionDefs;
        maxStackElements = m->maxStackElements;
        maxSizeOfInstructions = m->maxSizeOfInstructions;
        maxComponentElements = m->maxComponentElements;
        maxComponentDepth = m->maxComponentDepth;
    }
}

void maxpTABLE::reset() {
    TTF_TABLE::reset();
    version = kVersion1;
    numGlyphsRead = 0;
    maxPoints = maxContours = maxCompositePoints = maxCompositeContours = 0;
    maxZones = 2;
    maxTwilightPoints = maxStorage = maxFunctionDefs = maxInstructionDefs = maxStackElements = 0;
    maxSizeOfInstructions = maxComponentElements = maxComponentDepth = 0;
}

int maxpTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    numGlyphsRead = c.u16();
    if (version != kVersionShort) {
        maxPoints = c.u16();
        maxContours = c.u16();
        maxCompositePoints = c.u16();
        maxCompositeContours = c.u16();
        maxZones = c.u16();
        maxTwilightPoints = c.u16();
        maxStorage = c.u16();
        maxFunctionDefs = c.u16();
        maxInstructionDefs = c.u16();
        maxStackElements = c.u16();
        maxSizeOfInstructions = c.u16();
        maxComponentElements = c.u16();
        maxComponentDepth = c.u16();
    }
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    if (TTF* f = font()) {
        f->noteGlyphCountRead(numGlyphsRead);
        glyfTABLE* g = f->glyf();
        if (g && g->state() != TTSource::Imported && !f->readingQuick()) {
            // loca holds one entry more than there are glyphs; a count it cannot hold
            // is refused before any glyph object is made for it.
            TTF_TABLE* loca = f->table(TTIndex::loca);
            headTABLE* h = f->head();
            uint64_t entry = h && h->indexToLocFormat == 0 ? 2 : 4;
            if (loca && (uint64_t(numGlyphsRead) + 1) * entry > loca->m_nLength) {
                g->setGlyphCount(0);
                setError(TTError::kRead);
                return error();
            }
            g->setGlyphCount(numGlyphsRead);
        }
    }
    return error();
}

int maxpTABLE::recompute() {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    // PostScript outlines have no TrueType maxima to count.
    if (!g || g->state() == TTSource::None || g->m_bListOnly) return TTError::kOk;
    std::vector<GlyphStatistics> stats;
    int code = g->allStatistics(stats);
    if (code != TTError::kOk) return code;
    setState(TTSource::Calculated);
    maxZones = 2;
    maxComponentDepth = 1;
    uint64_t points = 0, contours = 0, compPoints = 0, compContours = 0, elements = 0, depth = 1, instr = 0;
    if (TTF_TABLE* fpgm = f->table(TTIndex::fpgm)) instr = std::max<uint64_t>(instr, fpgm->m_nLength);
    if (TTF_TABLE* prep = f->table(TTIndex::prep)) instr = std::max<uint64_t>(instr, prep->m_nLength);
    for (size_t i = 0; i < g->glyphCount(); ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        const GlyphStatistics& s = stats[i];
        if (glyph->m_nKind == TTGLYPH::Simple) {
            contours = std::max<uint64_t>(contours, s.contours);
            points = std::max<uint64_t>(points, s.points);
            instr = std::max<uint64_t>(instr, s.instructions);
        } else if (glyph->m_nKind == TTGLYPH::Composite) {
            depth = std::max<uint64_t>(depth, uint64_t(s.depth));
            compPoints = std::max<uint64_t>(compPoints, s.points);
            compContours = std::max<uint64_t>(compContours, s.contours);
            instr = std::max<uint64_t>(instr, s.instructions);
            elements = std::max<uint64_t>(elements, glyph->m_components.size());
        }
    }
    maxPoints = Clamp16(points);
    maxContours = Clamp16(contours);
    maxCompositePoints = Clamp16(compPoints);
    maxCompositeContours = Clamp16(compContours);
    maxComponentElements = Clamp16(elements);
    maxComponentDepth = Clamp16(depth);
    maxSizeOfInstructions = Clamp16(instr);
    return TTError::kOk;
}

int maxpTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    uint32_t count = f ? f->glyphCount() : numGlyphsRead;
    if (count > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    int code = recompute();
    if (code != TTError::kOk) {
        setError(code);
        return error();
    }
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u32(version);
    w.u16(uint16_t(count));
    if (version != kVersionShort) {
        for (uint16_t v : {maxPoints, maxContours, maxCompositePoints, maxCompositeContours, maxZones,
                           maxTwilightPoints, maxStorage, maxFunctionDefs, maxInstructionDefs, maxStackElements,
                           maxSizeOfInstructions, maxComponentElements, maxComponentDepth})
            w.u16(v);
    }
    writeBytes(bytes);
    return error();
}

void maxpTABLE::dumpLines(FILE* out) {
    unsigned glyphs = font() ? unsigned(font()->glyphCount()) : 0u;
    std::fprintf(out, "ver. %8.8lx, %d glyphs, %d points, %d contours, %d comp points\n", (unsigned long)version,
                 int(glyphs), maxPoints, maxContours, maxCompositePoints);
    std::fprintf(out, "%d comp contours, %d zones, %d twilight points, storage[%d], %d FDEFs,  %d IDEFs\n",
                 maxCompositeContours, maxZones, maxTwilightPoints, maxStorage, maxFunctionDefs, maxInstructionDefs);
    std::fprintf(out, "stack[%d], max glyph instr = %d, max comp elements = %d, max comp depth = %d\n",
                 maxStackElements, maxSizeOfInstructions, maxComponentElements, maxComponentDepth);
}

void maxpTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("numGlyphs", font() ? long(font()->glyphCount()) : 0L);
    sink.field("maxPoints", maxPoints);
    sink.field("maxContours", maxContours);
    sink.field("maxCompositePoints", maxCompositePoints);
    sink.field("maxCompositeContours", maxCompositeContours);
    sink.field("maxZones", maxZones);
    sink.field("maxTwilightPoints", maxTwilightPoints);
    sink.field("maxStorage", maxStorage);
    sink.field("maxFunctionDefs", maxFunctionDefs);
    sink.field("maxInstructionDefs", maxInstructionDefs);
    sink.field("maxStackElements", maxStackElements);
    sink.field("maxSizeOfInstructions", maxSizeOfInstructions);
    sink.field("maxComponentElements", maxComponentElements);
    sink.field("maxComponentDepth", maxComponentDepth);
}
