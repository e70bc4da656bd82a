// The font: the offset table, the directory and the tables as children.
//
// Reading takes the directory and every table from the input stream; writing puts the
// tables out in ascending tag order, each 4-byte aligned, with the directory, the table
// checksums and the whole-file checksum adjustment in head. Glyphs are decoded from the
// input while the font is written, so the input must stay open until then.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "TTF_TABLE.h"
#include "TTObject.h"
#include "TableRegistry.h"

class glyfTABLE;
class headTABLE;
class hheaTABLE;
class maxpTABLE;

class TTF : public TTStreamed {
public:
    TTF();

    const char* typeName() const override { return "type_TTF"; }
    std::unique_ptr<TTObject> clone() const override;
    void assign(const TTObject& other) override;

    // The whole font from the input stream; the font's error is the last failing table's.
    int readBody() override;
    // The whole font to the output stream.
    int writeBody() override;
    // A new font: the ten basic tables at their defaults.
    void reset() override;
    // The plain listing of the whole font: banner, directory lines, every table.
    int dumpText(FILE* out) override;
    // The fields, a line per table in the structured-dump order, then the tables.
    void dumpStructured(TTDumpSink& sink) override;
    void dumpFields(TTDumpSink& sink) override;

    // The offset table and directory, creating the table objects (nothing on a font
    // already read). In a collection (.ttc), those of the face setFaceIndex chose; the
    // font then writes out as a file of that face alone.
    int readDirectory(TTStream* stream);
    void setFaceIndex(uint32_t face) { m_nFaceIndex = face; }
    uint32_t faceIndex() const { return m_nFaceIndex; }
    // The faces of the file read: 1 for a single font.
    uint32_t faceCount() const { return m_nFaceCount; }
    // The directory, then head, maxp, name and OS/2 only.
    int readQuick(TTStream* stream);
    // A quick read is under way: the glyph count is noted, but no glyph objects are made.
    bool readingQuick() const { return m_bReadingQuick; }
    int readChild(size_t pos);
    int readTable(int index);

    // The table of a registry index; nullptr when the font has none.
    TTF_TABLE* table(int index) const;
    template <class T>
    T* get(int index) const { return dynamic_cast<T*>(table(index)); }
    // Any table of the font with this tag, registry or not.
    TTF_TABLE* findTable(uint32_t tag) const;
    // Appends a table as a child; answers its position plus one, which the caller
    // stores in the slot of its index (setSlot).
    size_t addTable(std::unique_ptr<TTF_TABLE> table);
    void setSlot(int index, size_t posPlusOne);
    void removeTable(int index);
    // Removes every table of the tag that is not a registry table; the number removed.
    int removeOtherTables(uint32_t tag);

    glyfTABLE* glyf() const;
    headTABLE* head() const;
    maxpTABLE* maxp() const;
    hheaTABLE* hhea() const;
    // The font's outlines are PostScript ones (CFF): glyf is only the glyph list.
    bool hasListOnlyGlyphs() const;
    // The glyph count: the number of glyphs in glyf (0 without one).
    uint32_t glyphCount() const;

    // The glyph count the font was read with (from maxp), to spot a change of it.
    void noteGlyphCountRead(uint32_t count) {
        m_nGlyphCountRead = count;
        m_bGlyphCountRead = true;
    }

    uint32_t m_nVersion = 0x00010000;
    uint16_t m_nSearchRange = 0;
    uint16_t m_nEntrySelector = 0;
    uint16_t m_nRangeShift = 0;

private:
    // Leaves the input at the chosen face's offset table, read into header; false with
    // the error set.
    bool seekFace(uint8_t (&header)[12]);
    // The table is one of the file's (not the glyph list of a CFF font).
    bool listed(const TTF_TABLE* t) const;

    std::array<uint16_t, TableRegistry::kSize> m_slots{};
    uint32_t m_nFaceIndex = 0;
    uint32_t m_nFaceCount = 1;
    uint32_t m_nGlyphCountRead = 0;
    bool m_bGlyphCountRead = false;
    bool m_bReadingQuick = false;
};

// searchRange, entrySelector and rangeShift of a directory of count entries of size
// unitSize: unitSize times the largest power of two not above count, its base-2
// logarithm, and the rest.
struct SearchFields {
    uint16_t searchRange;
    uint16_t entrySelector;
    uint16_t rangeShift;
};
SearchFields ComputeSearchFields(uint32_t count, uint32_t unitSize);
