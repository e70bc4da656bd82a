#include "hdmxTABLE.h"

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

#include "TTBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "headTABLE.h"

hdmxTABLE::hdmxTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("hdmx"), length, checksum, offset) {}

void hdmxTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* h = dynamic_cast<const hdmxTABLE*>(&other); h && h != this) {
        version = h->version;
        records = h->records;
    }
}

void hdmxTABLE::reset() {
    TTF_TABLE::reset();
    version = 0;
    records.clear();
}

int hdmxTABLE::readBody() {
    records.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u16();
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    if (version > kMaxVersion) return error();
    uint16_t count = c.u16();
    uint32_t size = c.u32();
    TTF* f = font();
    size_t glyphs = f ? f->glyphCount() : 0;
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    // A record must hold every glyph's width; one far larger than the glyphs need (or
    // than a small font's padded record) belongs to another font.
    uint64_t largest = std::max<uint64_t>(2 * uint64_t(glyphs), recordSize(glyphs));
    if (count > kMaxRecords || size > largest || size < glyphs + 2) return error();
    if (uint64_t(count) * size > c.remaining()) {
        setError(TTError::kRead);
        return error();
    }
    records.resize(count);
    size_t start = c.pos();
    for (auto& r : records) {
        r.PixelSize = c.u8();
        r.MaximumWidth = c.u8();
        r.Width.assign(c.here(), c.here() + glyphs);
        start += size;
        c.seek(start);
    }
    return error();
}

uint8_t hdmxTABLE::deviceWidth(const HdmxRecord& record, const TTGLYPH* glyph) const {
    if (!glyph) return record.MaximumWidth;
    TTF* f = font();
    headTABLE* h = f ? f->head() : nullptr;
    uint32_t unitsPerEm = h && h->unitsPerEm ? h->unitsPerEm : 2048;
    uint32_t width = uint32_t(record.PixelSize) * glyph->m_nAdvanceWidth / unitsPerEm;
    return uint8_t(std::min<uint32_t>(width, 255));
}

void hdmxTABLE::addGlyph(const TTGLYPH* glyph) {
    setState(TTSource::Calculated);
    for (auto& r : records) {
        uint8_t width = deviceWidth(r, glyph);
        r.MaximumWidth = std::max(r.MaximumWidth, width);
        r.Width.push_back(width);
    }
}

int hdmxTABLE::followGlyphCount(uint32_t, uint32_t newCount) {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    for (auto& r : records) {
        if (r.Width.size() == newCount) continue;
        setState(TTSource::Calculated);
        if (r.Width.size() > newCount) r.Width.resize(newCount);
        while (r.Width.size() < newCount) {
            const TTGLYPH* glyph = g && r.Width.size() < g->glyphCount() ? g->glyph(r.Width.size()) : nullptr;
            uint8_t width = deviceWidth(r, glyph);
            r.MaximumWidth = std::max(r.MaximumWidth, width);
            r.Width.push_back(width);
        }
    }
    return TTError::kOk;
}

int hdmxTABLE::writeBody() {
    if (!beginWrite()) return error();
    TTF* f = font();
    size_t glyphs = f ? f->glyphCount() : 0;
    if (!records.empty()) followGlyphCount(0, uint32_t(glyphs));
    uint32_t size = recordSize(glyphs);
    std::vector<uint8_t> bytes;
    bytes.reserve(8 + records.size() * size);
    ByteWriter w(bytes);
    w.u16(version);
    w.u16(uint16_t(records.size()));
    w.u32(size);
    for (const auto& r : records) {
        size_t start = bytes.size();
        w.u8(r.PixelSize).u8(r.MaximumWidth);
        w.bytes(r.Width.data(), r.Width.size());
        bytes.resize(start + size, 0);
    }
    writeBytes(bytes);
    return error();
}

void hdmxTABLE::dumpLines(FILE* out) {
    size_t glyphs = font() ? font()->glyphCount() : 0;
    std::fprintf(out, "ver. %04x, %d %d-byte records", version, int(records.size()), int(recordSize(glyphs)));
    for (size_t i = 0; i < records.size(); ++i) {
        const HdmxRecord& r = records[i];
        std::fprintf(out, "\nrecord %d: pixel size = %d, max width = %d\n", int(i), r.PixelSize, r.MaximumWidth);
        TTText::Array<unsigned>(out, "\nrecord.TheRecord->Width[%d] = {\n", r.Width.size(), 10,
                                [&](size_t k) { return r.Width[k]; }, "%3d, ", "%3d\n");
    }
    std::fputs("\n", out);
}

void hdmxTABLE::dumpFields(TTDumpSink& sink) {
    size_t glyphs = font() ? font()->glyphCount() : 0;
    sink.fieldHex("version", version);
    sink.field("numRecords", long(records.size()));
    sink.field("sizeDeviceRecord", long(recordSize(glyphs)));
    for (const HdmxRecord& r : records) {
        sink.begin("DeviceRecord");
        sink.field("PixelSize", r.PixelSize);
        sink.field("MaximumWidth", r.MaximumWidth);
        sink.array("Width", r.Width.data(), r.Width.size());
        sink.end();
    }
}
