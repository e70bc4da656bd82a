#include "glyfTABLE.h"

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
#include <new>

#include "TTF.h"
#include "headTABLE.h"

glyfTABLE::glyfTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("glyf"), length, checksum, offset) {}

void glyfTABLE::reset() {
    TTF_TABLE::reset();
    removeChildren();
}

TTGLYPH* glyfTABLE::addGlyph(std::unique_ptr<TTGLYPH> glyph) {
    TTGLYPH* g = glyph.get();
    g->m_nIndex = uint16_t(glyphCount());
    addChild(std::move(glyph));
    setState(TTSource::Calculated);
    return g;
}

void glyfTABLE::setGlyphCount(size_t count) {
    removeChildren();
    children().reserve(count);
    for (size_t i = 0; i < count; ++i) {
        auto g = std::make_unique<TTGLYPH>(this);
        g->m_nIndex = uint16_t(i);
        children().push_back(std::move(g));
    }
}

int glyfTABLE::readBody() {
    if (m_bListOnly) {
        setState(TTSource::Imported);
        return error();
    }
    if (!beginRead()) return error();
    TTStream* in = input();
    if (uint64_t(m_nOffset) + m_nLength > in->size()) {
        setError(TTError::kRead);
        return error();
    }
    if (TTF* f = font())
        if (headTABLE* h = f->head()) m_nUnitsPerEm = h->unitsPerEm;
    uint8_t header[10];
    for (size_t i = 0; i < glyphCount(); ++i) {
        TTGLYPH* g = glyph(i);
        g->m_nIndex = uint16_t(i);
        g->m_bLoaded = false;
        g->m_bResident = false;
        g->setState(TTSource::Imported);
        if (g->m_nLength == 0) {
            g->m_nKind = TTGLYPH::Empty;
            g->m_bLoaded = true;
            continue;
        }
        // loca keeps every glyph inside the table; the header must fit the glyph.
        if (uint64_t(g->m_nOffset) + g->m_nLength > m_nLength || g->m_nLength < sizeof header) {
            setError(TTError::kRead);
            return error();
        }
        if (!in->seek(uint64_t(m_nOffset) + g->m_nOffset) || readUnits(header, 1, sizeof header) != sizeof header) {
            setError(TTError::kRead);
            return error();
        }
        g->decode(header, sizeof header, true);
    }
    return error();
}

int glyfTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTStream* out = output();
    uint64_t start = out->tell();
    for (size_t i = 0; i < glyphCount(); ++i) {
        TTGLYPH* g = glyph(i);
        uint64_t at = out->tell();
        // A simple glyph nobody has decoded since the font was read is written as the
        // bytes it was read from, with only its counts taken for maxp: decoding and
        // re-encoding every point was most of the write's time.
        g->m_bWriteRead = !g->m_bResident && !g->m_bLoaded && g->m_nKind == TTGLYPH::Simple;
        if (g->m_bResident) {
            g->updateBoundingBox();
        } else if (g->m_bWriteRead ? g->readCounts() != TTError::kOk : g->ensureLoaded() != TTError::kOk) {
            setError(g->error());
            return error();
        }
        if (g->writeTo(out) != TTError::kOk) {
            setError(g->error());
            return error();
        }
        g->setOutput(nullptr);
        uint64_t end = out->tell();
        if (end - start > 0xFFFFFFFFu) {
            setError(TTError::kWrite);
            return error();
        }
        g->m_nOffset = uint32_t(at - start);
        g->m_nLength = uint32_t(end - at);
        g->releaseOutline();
    }
    return error();
}

int glyfTABLE::statistics(size_t index, GlyphStatistics& stats) {
    std::vector<GlyphStatistics> all(glyphCount());
    std::vector<uint8_t> mark(glyphCount(), 0);
    if (index >= glyphCount()) return TTError::kInvalid;
    int code = statisticsOf(index, all, mark, 0);
    if (code == TTError::kOk) stats = all[index];
    return code;
}

int glyfTABLE::allStatistics(std::vector<GlyphStatistics>& stats) {
    stats.assign(glyphCount(), GlyphStatistics{});
    std::vector<uint8_t> mark(glyphCount(), 0);
    for (size_t i = 0; i < glyphCount(); ++i) {
        int code = statisticsOf(i, stats, mark, 0);
        if (code != TTError::kOk) return code;
    }
    return TTError::kOk;
}

// mark: 0 not visited, 1 on the current path (a second visit is a cycle), 2 done.
int glyfTABLE::statisticsOf(size_t index, std::vector<GlyphStatistics>& stats, std::vector<uint8_t>& mark, int depth) {
    if (mark[index] == 2) return TTError::kOk;
    if (mark[index] == 1 || depth > TTGLYPH::kMaxComponentDepth) return TTError::kInvalid;
    TTGLYPH* g = glyph(index);
    if (!g->countsKnown()) {
        bool wasLoaded = g->m_bLoaded;
        if (g->ensureLoaded() != TTError::kOk) return g->error();
        if (!wasLoaded) g->releaseOutline();
    }
    GlyphStatistics s;
    s.instructions = g->instructionLength();
    if (g->m_nKind == TTGLYPH::Simple) {
        s.points = uint32_t(g->pointCount());
        s.contours = uint32_t(std::max<int>(g->numberOfContours, 0));
    } else if (g->m_nKind == TTGLYPH::Composite) {
        mark[index] = 1;
        s.depth = 1;
        for (const GlyphComponent& c : g->m_components) {
            if (c.glyphIndex >= glyphCount()) continue;
            int code = statisticsOf(c.glyphIndex, stats, mark, depth + 1);
            if (code != TTError::kOk) return code;
            const GlyphStatistics& sub = stats[c.glyphIndex];
            s.depth = std::max(s.depth, sub.depth + 1);
            s.points += sub.points;
            s.contours += sub.contours;
            s.instructions = std::max(s.instructions, sub.instructions);
        }
    }
    // Memoised results hide how deep a chain runs, so the depth itself is checked too.
    if (s.depth > TTGLYPH::kMaxComponentDepth) return TTError::kInvalid;
    stats[index] = s;
    mark[index] = 2;
    return TTError::kOk;
}

void glyfTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "%d glyphs\n", int(glyphCount()));
    for (size_t i = 0; i < glyphCount(); ++i)
        if (glyph(i)->dumpText(out) != TTError::kOk) {
            // The listing stops at the first glyph that cannot be decoded.
            std::fputs("\n------glyph read error------\n", out);
            return;
        }
}

void glyfTABLE::dumpFields(TTDumpSink& sink) { sink.field("numGlyphs", long(glyphCount())); }
