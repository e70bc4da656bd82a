#include "pcltTABLE.h"

#include <vector>

#include "TTBytes.h"

pcltTABLE::pcltTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("PCLT"), length, checksum, offset) {}

std::unique_ptr<TTObject> pcltTABLE::clone() const {
    auto copy = std::make_unique<pcltTABLE>(owner());
    copy->assign(*this);
    return copy;
}

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
