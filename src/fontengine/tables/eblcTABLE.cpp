#include "eblcTABLE.h"

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

eblcTABLE::eblcTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("EBLC"), length, checksum, offset) {}

void eblcTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* e = dynamic_cast<const eblcTABLE*>(&other); e && e != this) {
        version = e->version;
        m_bCarried = e->m_bCarried;
    }
}

void eblcTABLE::reset() {
    TTF_TABLE::reset();
    removeChildren();
    data().clear();
    version = 0x00020000;
    m_bCarried = false;
}

int eblcTABLE::readBody() {
    removeChildren();
    m_bCarried = false;
    if (!readAll(data())) return error();
    const std::vector<uint8_t>& bytes = data();
    auto fail = [this] {
        removeChildren();
        data().clear();
        setError(TTError::kRead);
        return error();
    };
    ByteCursor c(bytes);
    version = c.u32();
    uint32_t numSizes = c.u32();
    if (!c.ok() || c.remaining() / TTbitmapSizeTable::kSize < numSizes) return fail();
    for (uint32_t i = 0; i < numSizes; ++i) {
        auto size = std::make_unique<TTbitmapSizeTable>(this);
        size->readRecord(c);
        ByteCursor a(bytes);
        uint32_t arrayAt = size->indexSubTableArrayOffset;
        if (!a.seek(arrayAt) || a.remaining() / IndexSubTableArray::kEntrySize < size->numberOfIndexSubTables)
            return fail();
        for (uint32_t k = 0; k < size->numberOfIndexSubTables; ++k) {
            auto sub = std::make_unique<IndexSubTableArray>(size.get());
            sub->firstGlyphIndex = a.u16();
            sub->lastGlyphIndex = a.u16();
            sub->additionalOffsetToIndexSubtable = a.u32();
            uint64_t at = uint64_t(arrayAt) + sub->additionalOffsetToIndexSubtable;
            ByteCursor s(bytes);
            if (!a.ok() || at > bytes.size() || !s.seek(size_t(at))) return fail();
            if (s.remaining() >= 2 && !IndexSubTableArray::knownFormat(uint16_t(s.here()[0] << 8 | s.here()[1]))) {
                // An index format of another revision: the whole table stays as bytes.
                removeChildren();
                m_bCarried = true;
                return error();
            }
            if (!sub->parseSubtable(s)) return fail();
            size->addChild(std::move(sub));
        }
        addChild(std::move(size));
    }
    data().clear();
    return error();
}

int eblcTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (m_bCarried) {
        writeBytes(data());
        return error();
    }
    std::vector<uint8_t> head, index;
    ByteWriter w(head);
    w.u32(version).u32(uint32_t(sizeCount()));
    size_t indexStart = kHeaderSize + sizeCount() * TTbitmapSizeTable::kSize;
    for (size_t i = 0; i < sizeCount(); ++i) {
        TTbitmapSizeTable* size = this->size(i);
        size_t arrayAt = indexStart + index.size();
        size_t count = size->subtableCount();
        // The array first, then each subtable it points at.
        std::vector<uint8_t> subtables;
        size_t arraySize = count * IndexSubTableArray::kEntrySize;
        ByteWriter a(index);
        for (size_t k = 0; k < count; ++k) {
            IndexSubTableArray* sub = size->subtable(k);
            sub->additionalOffsetToIndexSubtable = uint32_t(arraySize + subtables.size());
            sub->encodeSubtable(subtables);
        }
        for (size_t k = 0; k < count; ++k) {
            IndexSubTableArray* sub = size->subtable(k);
            a.u16(sub->firstGlyphIndex).u16(sub->lastGlyphIndex).u32(sub->additionalOffsetToIndexSubtable);
        }
        index.insert(index.end(), subtables.begin(), subtables.end());
        if (indexStart + index.size() > 0xFFFFFFFFu) {
            setError(TTError::kInvalid);
            return error();
        }
        size->indexSubTableArrayOffset = uint32_t(arrayAt);
        size->indexTablesSize = uint32_t(arraySize + subtables.size());
        size->numberOfIndexSubTables = uint32_t(count);
        size->writeRecord(w);
    }
    head.insert(head.end(), index.begin(), index.end());
    writeBytes(head);
    return error();
}

namespace {
void ListLineMetrics(FILE* out, const char* caption, const SbitLineMetrics& m) {
    std::fputs(caption, out);
    std::fprintf(out, "ascender %d, descender %d, widthMax %d; ", m.ascender, m.descender, m.widthMax);
    std::fprintf(out, "caret: slope %d/%d, offset %d\n", m.caretSlopeNumerator, m.caretSlopeDenominator, m.caretOffset);
    std::fprintf(out, "minOrgSB= %d, minAdvSB = %d, maxBeforeBL = %d, minAfterBL = %d\n", m.minOriginSB,
                 m.minAdvanceSB, m.maxBeforeBL, m.minAfterBL);
}

void ListBigMetrics(FILE* out, const BigGlyphMetrics& m) {
    std::fprintf(out, "big glyph metrics %d*%d, bearing (%d, %d), advance %d; vertical bearing (%d, %d), advance %d\n",
                 m.width, m.height, m.horiBearingX, m.horiBearingY, m.horiAdvance, m.vertBearingX, m.vertBearingY,
                 m.vertAdvance);
}

void ListSubtable(FILE* out, size_t index, const IndexSubTableArray& s) {
    std::fprintf(out, "\nsubtable %2d: %4x..%4x, offset = %x.\n", int(index), s.firstGlyphIndex, s.lastGlyphIndex,
                 unsigned(s.additionalOffsetToIndexSubtable));
    std::fprintf(out, "Index format %d, image format %d, image data offset %lx.\n", s.indexFormat, s.imageFormat,
                 (unsigned long)s.imageDataOffset);
    switch (s.indexFormat) {
    case 1:
    case 3:
        TTText::Array<unsigned long>(out, "\noffsets.TheArray->offsetArray[%d] = {\n", s.offsets.size(), 20,
                                     [&](size_t i) { return s.offsets[i]; }, "%8.8lx, ", "%8.8lx\n");
        break;
    case 2:
        std::fprintf(out, "image size = %d, ", int(s.imageSize));
        ListBigMetrics(out, s.bigMetrics);
        break;
    case 4:
        std::fprintf(out, "%d glyphs, ", int(s.glyphArray.empty() ? 0 : s.glyphArray.size() - 1));
        TTText::Array<unsigned>(out, "\nglyphcodes.TheArray->glyphCodeArray[%d] = {\n", s.glyphArray.size(), 20,
                                [&](size_t i) { return s.glyphArray[i].glyphID; }, "%04x, ", "%04x\n");
        break;
    case 5:
        std::fprintf(out, "image size = %d, ", int(s.imageSize));
        ListBigMetrics(out, s.bigMetrics);
        std::fprintf(out, "%d glyphs, ", int(s.glyphIdArray.size()));
        TTText::Array<unsigned>(out, "\nglyphcodes.TheArray->glyphCodeArray[%d] = {\n", s.glyphIdArray.size(), 20,
                                [&](size_t i) { return s.glyphIdArray[i]; }, "%04x, ", "%04x\n");
        break;
    default:
        break;
    }
}
}  // namespace

void eblcTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx, %ld strikes\n", (unsigned long)version, long(sizeCount()));
    for (size_t i = 0; i < sizeCount(); ++i) {
        const TTbitmapSizeTable* z = size(i);
        std::fprintf(out,
                     "\nstrike %ld, indexsubtableoffset = %lx, indexsubtablesize = %lx, numofist = %ld\n"
                     "glyph indices: %4x..%4x; ppem = %d*%d, flags = %x",
                     long(i), (unsigned long)z->indexSubTableArrayOffset, (unsigned long)z->indexTablesSize,
                     long(z->numberOfIndexSubTables), z->startGlyphIndex, z->endGlyphIndex, z->ppemX, z->ppemY,
                     unsigned(uint8_t(z->flags)));
        ListLineMetrics(out, "\nhorizontal metrics:\n", z->hori);
        ListLineMetrics(out, "\nvertical metrics:\n", z->vert);
        for (size_t k = 0; k < z->subtableCount(); ++k) ListSubtable(out, k, *z->subtable(k));
    }
}

void eblcTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("numSizes", long(sizeCount()));
    // A table with an index format the engine does not read travels as its bytes.
    if (m_bCarried) TTF_TABLE::dumpFields(sink);
}
