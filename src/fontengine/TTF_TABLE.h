// The base of every table class, and the plain table that keeps its bytes unparsed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TTObject.h"

class TTF;

// A 4-byte tag as a 32-bit value whose most significant byte is the tag's first
// character, so that comparing values orders tags as their bytes do.
constexpr uint32_t MakeTag(const char (&t)[5]) {
    return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
           (uint32_t(uint8_t(t[2])) << 8) | uint32_t(uint8_t(t[3]));
}
std::string TagText(uint32_t tag);

class TTF_TABLE : public TTStreamed {
public:
    TTF_TABLE(TTObject* owner, uint32_t tag, uint32_t length = 0, uint32_t checksum = 0,
              uint32_t offset = 0);

    const char* typeName() const override { return "type_TTF_TABLE"; }
    // The tag as a 4-character string.
    std::string name() const override { return TagText(m_nTag); }
    bool hasName() const override { return true; }
    std::unique_ptr<TTObject> clone() const override;
    void assign(const TTObject& other) override;

    // The plain table reads its input length in bytes and writes them back.
    int readBody() override;
    int writeBody() override;

    // Called before writing when the font's glyph count differs from the count it was
    // read with. A table whose content is tied to the glyph count follows the change
    // or answers error 7; every other table answers 0.
    // The header line, then the table's own lines; nothing for a table in state "none".
    int dumpText(FILE* out) override;
    // "\nTable <tag> ;source: <state>\n".
    virtual void dumpHeader(FILE* out);
    // The raw bytes as "data".
    void dumpFields(TTDumpSink& sink) override;

    virtual int followGlyphCount(uint32_t oldCount, uint32_t newCount);

    uint32_t tag() const { return m_nTag; }
    TTF* font() const;

    std::vector<uint8_t>& data() { return m_data; }
    const std::vector<uint8_t>& data() const { return m_data; }

    // From the directory of the file read.
    uint32_t m_nOffset = 0;
    uint32_t m_nLength = 0;
    uint32_t m_nChecksum = 0;
    // Set while writing.
    uint32_t m_nNewOffset = 0;
    uint32_t m_nNewLength = 0;
    uint32_t m_nNewChecksum = 0;
    // The table was read (or has nothing to read).
    bool m_bReadDone = false;

protected:
    // The lines after the header; a plain table prints none.
    virtual void dumpLines(FILE*) {}
    // Resolves the input, marks the table imported and seeks to its input offset.
    bool beginRead();
    // beginRead, then the whole table into bytes; error 4 when the file is shorter than
    // the directory says, error 1 when the bytes cannot be held.
    bool readAll(std::vector<uint8_t>& bytes);
    // Writes bytes to the output; false (error 8) on failure.
    bool writeBytes(const std::vector<uint8_t>& bytes);
    bool writeBytes(const uint8_t* bytes, size_t size);

private:
    uint32_t m_nTag;
    std::vector<uint8_t> m_data;
};
