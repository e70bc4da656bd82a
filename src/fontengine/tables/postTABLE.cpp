#include "postTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TTDump.h"

#include "GlyphNames.h"
#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"

postTABLE::postTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("post"), length, checksum, offset) {}

void postTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* p = dynamic_cast<const postTABLE*>(&other); p && p != this)
        static_cast<postFields&>(*this) = static_cast<const postFields&>(*p);
}

void postTABLE::reset() {
    TTF_TABLE::reset();
    static_cast<postFields&>(*this) = postFields{};
}

int postTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    FormatType = c.u32();
    ItalicAngle = c.u32();
    underlinePosition = c.s16();
    underlineThickness = c.s16();
    isFixedPitch = c.u32();
    minMemType42 = c.u32();
    maxMemType42 = c.u32();
    minMemType1 = c.u32();
    maxMemType1 = c.u32();
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    size_t glyphs = g ? g->glyphCount() : 0;

    if (FormatType == kFormat1) {
        for (size_t i = 0; i < std::min<size_t>(glyphs, GlyphNames::kStandardCount); ++i)
            g->glyph(i)->m_name = GlyphNames::standard(uint16_t(i));
    } else if (FormatType == kFormat2) {
        uint16_t listed = c.u16();
        if (!c.ok() || c.remaining() < size_t(listed) * 2) {
            setError(TTError::kRead);
            return error();
        }
        std::vector<uint16_t> indices(listed);
        for (auto& index : indices) index = c.u16();
        // The strings run to the end of the table; a string cut short by the end is
        // taken as far as it goes.
        std::vector<std::string> strings;
        while (c.remaining() > 0) {
            size_t len = c.u8();
            len = std::min(len, c.remaining());
            strings.emplace_back(reinterpret_cast<const char*>(c.here()), len);
            c.skip(len);
        }
        for (size_t i = 0; i < std::min<size_t>(glyphs, listed); ++i) {
            uint16_t index = indices[i];
            GlyphName& name = g->glyph(i)->m_name;
            if (index < GlyphNames::kStandardCount) name = GlyphNames::standard(index);
            else if (size_t(index - GlyphNames::kStandardCount) < strings.size())
                name = GlyphNames::own(strings[index - GlyphNames::kStandardCount]);
            else name = GlyphNames::standard(0);  // a string the table does not have
        }
    } else if (FormatType == kFormat25) {
        // One signed offset per glyph from its own index into the standard list.
        uint16_t listed = c.u16();
        for (size_t i = 0; i < listed && c.ok(); ++i) {
            int index = int(i) + c.s8();
            if (c.ok() && i < glyphs && index >= 0 && index < GlyphNames::kStandardCount)
                g->glyph(i)->m_name = GlyphNames::standard(uint16_t(index));
        }
        if (!c.ok()) setError(TTError::kRead);
    }
    return error();
}

int postTABLE::writeBody() {
    if (!beginWrite()) return error();
    // A font that names no glyphs (format 3, or a format whose names are not read) is
    // written without names: a list made up now would give every glyph glyph 0's name.
    if (FormatType != kFormat1 && FormatType != kFormat2 && FormatType != kFormat25) {
        FormatType = kFormat3;
        std::vector<uint8_t> bytes;
        writeHeader(bytes);
        writeBytes(bytes);
        return error();
    }
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    size_t glyphs = g ? g->glyphCount() : 0;
    if (glyphs > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    std::vector<uint16_t> indices(glyphs);
    std::vector<uint8_t> strings;
    uint32_t next = GlyphNames::kStandardCount;
    for (size_t i = 0; i < glyphs; ++i) {
        GlyphName& name = g->glyph(i)->m_name;
        if (name.index == GlyphNames::kOwnText) {
            int standard = GlyphNames::standardIndex(name.text);
            if (standard >= 0) name = GlyphNames::standard(uint16_t(standard));
        }
        if (name.index != GlyphNames::kOwnText) {
            // An index past the standard list names no string; it reads as .notdef.
            indices[i] = name.index < GlyphNames::kStandardCount ? name.index : 0;
            continue;
        }
        if (next > 0xFFFF) {
            setError(TTError::kInvalid);
            return error();
        }
        indices[i] = uint16_t(next++);
        size_t len = std::min(name.text.size(), kMaxNameLength);
        strings.push_back(uint8_t(len));
        strings.insert(strings.end(), name.text.begin(), name.text.begin() + long(len));
    }
    FormatType = kFormat2;
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + 2 + glyphs * 2 + strings.size());
    writeHeader(bytes);
    ByteWriter w(bytes);
    w.u16(uint16_t(glyphs));
    for (uint16_t index : indices) w.u16(index);
    w.bytes(strings.data(), strings.size());
    writeBytes(bytes);
    return error();
}

void postTABLE::writeHeader(std::vector<uint8_t>& bytes) const {
    ByteWriter w(bytes);
    w.u32(FormatType);
    w.u32(ItalicAngle);
    w.s16(underlinePosition);
    w.s16(underlineThickness);
    w.u32(isFixedPitch);
    w.u32(minMemType42);
    w.u32(maxMemType42);
    w.u32(minMemType1);
    w.u32(maxMemType1);
}

void postTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "format %8.8lx, ", (unsigned long)FormatType);
    std::fprintf(out, "italic angle %ld, ", long(int32_t(ItalicAngle) >> 16));
    std::fprintf(out, "underline at %d, ", underlinePosition);
    std::fprintf(out, "%d thick\n", underlineThickness);
    std::fputs(isFixedPitch ? "Fixed" : "Proportional", out);
    std::fprintf(out, "; mem42 = %lx..", (unsigned long)minMemType42);
    std::fprintf(out, "%lx, ", (unsigned long)maxMemType42);
    std::fprintf(out, "; mem1 = %lx..", (unsigned long)minMemType1);
    std::fprintf(out, "%lx\n", (unsigned long)maxMemType1);
    glyfTABLE* g = font() ? font()->glyf() : nullptr;
    size_t n = g ? g->glyphCount() : 0;
    for (size_t i = 0; i < n; ++i) {
        const GlyphName& name = g->glyph(i)->m_name;
        if (name.index == GlyphNames::kOwnText)
            std::fprintf(out, "%4d-> '%s'\n", int(i), name.text.c_str());
        else if (name.index < GlyphNames::kStandardCount)
            std::fprintf(out, "%4d->mac%d = '%s'\n", int(i), name.index, GlyphNames::standardName(name.index));
        else
            std::fprintf(out, "%4d->%s\n", int(i), GlyphNames::text(name).c_str());
    }
}

void postTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("FormatType", FormatType);
    sink.field("ItalicAngle", long(int32_t(ItalicAngle)));
    sink.field("underlinePosition", underlinePosition);
    sink.field("underlineThickness", underlineThickness);
    sink.field("isFixedPitch", long(isFixedPitch));
    sink.field("minMemType42", long(minMemType42));
    sink.field("maxMemType42", long(maxMemType42));
    sink.field("minMemType1", long(minMemType1));
    sink.field("maxMemType1", long(maxMemType1));
}
