// The glyph data table: its children are the glyphs, in glyph index order, and their
// number is the font's glyph count.
#pragma once

#include <memory>
#include <vector>

#include "TTF_TABLE.h"
#include "TTGLYPH.h"

class glyfTABLE : public TTF_TABLE {
public:
    glyfTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_glyfTABLE"; }
    void dumpLines(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }

    // The header of every glyph (contour count and box); outlines follow on demand.
    int readBody() override;
    // Every glyph in index order, recording its new offset and length.
    int writeBody() override;
    void reset() override;
    // Glyph data follows the glyph count by construction.
    int followGlyphCount(uint32_t, uint32_t) override { return TTError::kOk; }

    size_t glyphCount() const { return childCount(); }
    TTGLYPH* glyph(size_t index) const { return static_cast<TTGLYPH*>(child(index)); }
    // Appends glyph as the last one; its index becomes the old glyph count.
    TTGLYPH* addGlyph(std::unique_ptr<TTGLYPH> glyph);
    // Replaces the glyphs with count empty ones.
    void setGlyphCount(size_t count);

    // Totals of one glyph with every glyph it uses; error 3 on a component cycle or
    // nesting deeper than TTGLYPH::kMaxComponentDepth.
    int statistics(size_t index, GlyphStatistics& stats);
    // The same for every glyph at once, each composite visited once.
    int allStatistics(std::vector<GlyphStatistics>& stats);

    // Working bytes for decoding and encoding one glyph.
    std::vector<uint8_t> m_scratch;
    // The font's units per em as head gave it when the glyphs were read.
    uint16_t m_nUnitsPerEm = 2048;
    // The font's outlines live in another table (CFF): this one is only the glyph list,
    // whose glyphs carry metrics, names and boxes. It is neither read nor written.
    bool m_bListOnly = false;

private:
    int statisticsOf(size_t index, std::vector<GlyphStatistics>& stats, std::vector<uint8_t>& mark, int depth);
};
