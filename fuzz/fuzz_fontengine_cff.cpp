// Any bytes as the CFF table of an OpenType font with PostScript outlines: the first two
// bytes give the glyph count, the rest is the table. The font is read; when that
// succeeds, a glyph is added and the font written to memory, which rebuilds the table.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "CFFTABLE.h"
#include "TTF.h"
#include "glyfTABLE.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v);
}

// An OpenType font of head, hhea, hmtx, maxp (version 0.5) and the CFF table.
std::vector<uint8_t> FontAround(uint16_t glyphs, const uint8_t* cff, size_t cffSize) {
    std::vector<uint8_t> head;
    Put32(head, 0x00010000);
    Put32(head, 0);
    Put32(head, 0);
    Put32(head, 0x5F0F3CF5);
    Put16(head, 0);
    Put16(head, 1000);
    head.resize(54, 0);
    std::vector<uint8_t> hhea;
    Put32(hhea, 0x00010000);
    hhea.resize(34, 0);
    Put16(hhea, 1);  // numberOfHMetrics
    std::vector<uint8_t> hmtx(4 + 2 * size_t(glyphs > 0 ? glyphs - 1 : 0), 0);
    std::vector<uint8_t> maxp;
    Put32(maxp, 0x00005000);
    Put16(maxp, glyphs);
    std::vector<uint8_t> cffTable(cff, cff + cffSize);
    const std::vector<std::pair<const char*, const std::vector<uint8_t>*>> tables = {
        {"CFF ", &cffTable}, {"head", &head}, {"hhea", &hhea}, {"hmtx", &hmtx}, {"maxp", &maxp}};
    std::vector<uint8_t> font;
    Put32(font, 0x4F54544F);  // OTTO
    Put16(font, uint32_t(tables.size()));
    Put16(font, 0);
    Put16(font, 0);
    Put16(font, 0);
    uint32_t offset = uint32_t(12 + 16 * tables.size());
    for (const auto& [tag, bytes] : tables) {
        for (int i = 0; i < 4; ++i) font.push_back(uint8_t(tag[i]));
        Put32(font, 0);
        Put32(font, offset);
        Put32(font, uint32_t(bytes->size()));
        offset += uint32_t((bytes->size() + 3) & ~size_t(3));
    }
    for (const auto& [tag, bytes] : tables) {
        font.insert(font.end(), bytes->begin(), bytes->end());
        font.resize((font.size() + 3) & ~size_t(3), 0);
    }
    return font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::vector<uint8_t> bytes = FontAround(uint16_t(data[0] << 8 | data[1]), data + 2, size - 2);
    TTMemoryStream in(bytes.data(), bytes.size());
    TTF font;
    if (font.readFrom(&in) != 0) return 0;
    auto* cff = dynamic_cast<CFFTABLE*>(font.findTable(MakeTag("CFF ")));
    if (!cff || !font.glyf()) return 0;
    cff->addGlyph({139, 139, 21, 239, 139, 5, 14}, "fuzz");
    auto glyph = std::make_unique<TTGLYPH>();
    glyph->reset();
    font.glyf()->addGlyph(std::move(glyph));
    cff->setFontName("Fuzz-Renamed");
    TTMemoryStream out;
    font.writeTo(&out);
    return 0;
}
