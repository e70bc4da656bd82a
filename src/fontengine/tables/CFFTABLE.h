// The PostScript outlines of an OpenType font: a Compact Font Format table of one font,
// name-keyed or CID-keyed, with Type 2 charstrings.
//
// Reading gives every glyph of the font's glyph list its name and box (the charstrings
// are run for it); the old glyphs are written back as their bytes. New glyphs come as
// charstrings of their own: the table then grows its CharStrings INDEX, charset,
// String INDEX and, when CID-keyed, FDSelect, and rewrites the Top DICT's offsets.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CffData.h"
#include "TTF_TABLE.h"

class glyfTABLE;

class CFFTABLE : public TTF_TABLE {
public:
    CFFTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0);

    const char* typeName() const override { return "type_CFFTABLE"; }
    std::unique_ptr<TTObject> clone() const override;
    void assign(const TTObject& other) override;

    int readBody() override;
    int writeBody() override;
    // Follows a growth by exactly the glyphs added with addGlyph.
    int followGlyphCount(uint32_t oldCount, uint32_t newCount) override;

    // The charstring of the glyph about to be appended to the glyph list, and its name;
    // answers the name the glyph gets (made unique among the font's names). The
    // charstring carries its width for the Private DICT's widths (see widths()).
    std::string addGlyph(std::vector<uint8_t> charstring, const std::string& name);

    // Renames the font (the Name INDEX), to match the name table's PostScript name.
    void setFontName(const std::string& name);

    struct Widths {
        int defaultWidth = 0;
        int nominalWidth = 0;
    };
    // The default and nominal widths of the Private DICT new glyphs use.
    Widths widths() const;
    bool isCID() const { return m_bCID; }

    // The glyph names the table gives (CID-keyed glyphs are named cidNNNNN).
    const std::vector<std::string>& glyphNames() const { return m_names; }

protected:
    void dumpLines(FILE* out) override;

private:
    struct Font;  // the parsed structure of the table's bytes
    bool parse();
    bool runGlyphs(glyfTABLE& glyphs);
    std::vector<uint8_t> rebuild() const;

    std::shared_ptr<const Font> m_font;
    std::vector<std::string> m_names;
    std::vector<uint16_t> m_ids;  // per glyph: its string id, or its CID
    bool m_bCID = false;
    // Glyphs added since reading: charstrings and names.
    std::vector<std::vector<uint8_t>> m_added;
    std::vector<std::string> m_addedNames;
    std::string m_fontName;  // empty: as read
};
