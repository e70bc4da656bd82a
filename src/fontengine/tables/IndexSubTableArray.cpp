#include "IndexSubTableArray.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

void IndexSubTableArray::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* a = dynamic_cast<const IndexSubTableArray*>(&other); a && a != this)
        static_cast<IndexSubTableFields&>(*this) = static_cast<const IndexSubTableFields&>(*a);
}

bool IndexSubTableArray::parseSubtable(ByteCursor& c) {
    indexFormat = c.u16();
    imageFormat = c.u16();
    imageDataOffset = c.u32();
    if (!c.ok() || lastGlyphIndex < firstGlyphIndex || !knownFormat(indexFormat)) return false;
    size_t glyphs = size_t(lastGlyphIndex - firstGlyphIndex) + 1;
    switch (indexFormat) {
    case 1:
    case 3: {
        size_t unit = indexFormat == 1 ? 4 : 2;
        if (c.remaining() / unit < glyphs + 1) return false;
        offsets.resize(glyphs + 1);
        for (auto& o : offsets) o = unit == 4 ? c.u32() : c.u16();
        break;
    }
    case 2:
        imageSize = c.u32();
        bigMetrics.read(c);
        break;
    case 4: {
        uint32_t numGlyphs = c.u32();
        if (!c.ok() || c.remaining() / 4 <= numGlyphs) return false;
        glyphArray.resize(size_t(numGlyphs) + 1);
        for (auto& g : glyphArray) {
            g.glyphID = c.u16();
            g.sbitOffset = c.u16();
        }
        break;
    }
    case 5: {
        imageSize = c.u32();
        bigMetrics.read(c);
        uint32_t numGlyphs = c.u32();
        if (!c.ok() || c.remaining() / 2 < numGlyphs) return false;
        glyphIdArray.resize(numGlyphs);
        for (auto& g : glyphIdArray) g = c.u16();
        break;
    }
    }
    return c.ok();
}

void IndexSubTableArray::encodeSubtable(std::vector<uint8_t>& out) const {
    ByteWriter w(out);
    w.u16(indexFormat).u16(imageFormat).u32(imageDataOffset);
    switch (indexFormat) {
    case 1:
        for (uint32_t o : offsets) w.u32(o);
        break;
    case 3:
        for (uint32_t o : offsets) w.u16(uint16_t(o));
        break;
    case 2:
        w.u32(imageSize);
        bigMetrics.write(w);
        break;
    case 4:
        w.u32(uint32_t(glyphArray.empty() ? 0 : glyphArray.size() - 1));
        for (const auto& g : glyphArray) w.u16(g.glyphID).u16(g.sbitOffset);
        break;
    case 5:
        w.u32(imageSize);
        bigMetrics.write(w);
        w.u32(uint32_t(glyphIdArray.size()));
        for (uint16_t g : glyphIdArray) w.u16(g);
        break;
    }
    while (out.size() % 4) out.push_back(0);
}

void IndexSubTableArray::dumpFields(TTDumpSink& sink) {
    sink.field("firstGlyphIndex", firstGlyphIndex);
    sink.field("lastGlyphIndex", lastGlyphIndex);
    sink.field("additionalOffsetToIndexSubtable", long(additionalOffsetToIndexSubtable));
    sink.field("indexFormat", indexFormat);
    sink.field("imageFormat", imageFormat);
    sink.field("imageDataOffset", long(imageDataOffset));
    if (indexFormat == 2 || indexFormat == 5) {
        sink.field("imageSize", long(imageSize));
        DumpBigMetrics(sink, bigMetrics);
    }
    if (indexFormat == 1 || indexFormat == 3) sink.array("offsetArray", offsets.data(), offsets.size());
    if (indexFormat == 4) {
        sink.field("numGlyphs", long(glyphArray.empty() ? 0 : glyphArray.size() - 1));
        for (const SbitGlyphOffset& g : glyphArray)
            sink.print("glyphArray = {glyphID = %u\toffset = %u}\n", g.glyphID, g.sbitOffset);
    }
    if (indexFormat == 5) sink.array("glyphIdArray", glyphIdArray.data(), glyphIdArray.size());
}
