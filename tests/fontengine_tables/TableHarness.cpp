#include "TableHarness.h"

#include "GlyphNames.h"

void SetGlyphs(TTF& font, const std::vector<GlyphSpec>& glyphs) {
    glyfTABLE* g = font.glyf();
    g->setGlyphCount(glyphs.size());
    g->setState(TTSource::Calculated);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        TTGLYPH* glyph = g->glyph(i);
        const GlyphSpec& s = glyphs[i];
        glyph->m_nKind = s.empty ? TTGLYPH::Empty : TTGLYPH::Simple;
        glyph->m_bLoaded = true;
        glyph->xMin = 0;
        glyph->xMax = int16_t(s.empty ? 0 : s.advance);
        glyph->yMin = int16_t(s.empty ? 0 : s.yMin);
        glyph->yMax = int16_t(s.empty ? 0 : s.yMax);
        glyph->m_nAdvanceWidth = uint16_t(s.advance);
        if (!s.name.empty()) glyph->m_name = GlyphNames::own(s.name);
    }
}

Bytes WriteTable(TTF_TABLE& table, int* code) {
    TTMemoryStream out;
    int c = table.writeTo(&out);
    table.setOutput(nullptr);
    if (code) *code = c;
    return out.data();
}
