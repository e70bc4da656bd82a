#include "pcltTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <vector>

#include "TTBytes.h"

pcltTABLE::pcltTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("PCLT"), length, checksum, offset) {}

void pcltTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* p = dynamic_cast<const pcltTABLE*>(&other); p && p != this)
        static_cast<pcltFields&>(*this) = static_cast<const pcltFields&>(*p);
}

void pcltTABLE::reset() {
    TTF_TABLE::reset();
    static_cast<pcltFields&>(*this) = pcltFields{};
}

int pcltTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    Version = c.u32();
    FontNumber = c.u32();
    for (uint16_t* f : {&Pitch, &xHeight, &Style, &TypeFamily, &CapHeight, &SymbolSet}) *f = c.u16();
    c.bytes(Typeface.data(), Typeface.size());
    c.bytes(CharacterComplement.data(), CharacterComplement.size());
    c.bytes(FileName.data(), FileName.size());
    StrokeWeight = c.s8();
    WidthType = c.s8();
    SerifStyle = c.u8();
    Reserved = c.u8();
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

int pcltTABLE::writeBody() {
    if (!beginWrite()) return error();
    std::vector<uint8_t> bytes;
    bytes.reserve(kSize);
    ByteWriter w(bytes);
    w.u32(Version).u32(FontNumber);
    for (uint16_t v : {Pitch, xHeight, Style, TypeFamily, CapHeight, SymbolSet}) w.u16(v);
    w.bytes(Typeface.data(), Typeface.size());
    w.bytes(CharacterComplement.data(), CharacterComplement.size());
    w.bytes(FileName.data(), FileName.size());
    w.u8(uint8_t(StrokeWeight)).u8(uint8_t(WidthType)).u8(SerifStyle).u8(Reserved);
    writeBytes(bytes);
    return error();
}

namespace {
// Fixed-size text fields, unprintable bytes shown as '.'.
template <size_t N>
std::string Printable(const std::array<uint8_t, N>& bytes) {
    std::string s;
    for (uint8_t b : bytes) s += b >= 0x20 && b < 0x7F ? char(b) : '.';
    return s;
}
}  // namespace

void pcltTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "version %8.8lx, font number %8.8lx, pitch %d, xHeight = %d, Style = %04x\n",
                 (unsigned long)Version, (unsigned long)FontNumber, Pitch, xHeight, Style);
    // The typeface is 16 characters of text.
    std::fprintf(out, "TypeFamily %04x, CapHeight %d, SymbolSet %x, Typeface %16.16s\n", TypeFamily, CapHeight,
                 SymbolSet, Printable(Typeface).c_str());
    const auto& c = CharacterComplement;
    std::fprintf(out, "Character Complement %02x%02x%02x%02x%02x%02x%02x%02x FileName %6.6s\n", c[0], c[1], c[2], c[3],
                 c[4], c[5], c[6], c[7], Printable(FileName).c_str());
    std::fprintf(out, "StrokeWeight = %x, Widthtype = %x, SerifStyle = %x\n", uint8_t(StrokeWeight),
                 uint8_t(WidthType), SerifStyle);
}

void pcltTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("Version", Version);
    sink.field("FontNumber", long(FontNumber));
    sink.field("Pitch", Pitch);
    sink.field("xHeight", xHeight);
    sink.field("Style", Style);
    sink.field("TypeFamily", TypeFamily);
    sink.field("CapHeight", CapHeight);
    sink.field("SymbolSet", SymbolSet);
    sink.fieldText("Typeface", Printable(Typeface));
    sink.array("CharacterComplement", CharacterComplement.data(), CharacterComplement.size());
    sink.fieldText("FileName", Printable(FileName));
    sink.field("StrokeWeight", StrokeWeight);
    sink.field("WidthType", WidthType);
    sink.field("SerifStyle", SerifStyle);
    sink.field("Reserved", Reserved);
}
