#include "TTbitmapSizeTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

void TTbitmapSizeTable::assign(const TTObject& other) {
    TTObject::assign(other);
    if (const auto* s = dynamic_cast<const TTbitmapSizeTable*>(&other); s && s != this)
        static_cast<TTbitmapSizeTableFields&>(*this) = static_cast<const TTbitmapSizeTableFields&>(*s);
}

void TTbitmapSizeTable::readRecord(ByteCursor& c) {
    indexSubTableArrayOffset = c.u32();
    indexTablesSize = c.u32();
    numberOfIndexSubTables = c.u32();
    colorRef = c.u32();
    hori.read(c);
    vert.read(c);
    startGlyphIndex = c.u16();
    endGlyphIndex = c.u16();
    ppemX = c.u8();
    ppemY = c.u8();
    bitDepth = c.u8();
    flags = c.s8();
}

void TTbitmapSizeTable::writeRecord(ByteWriter& w) const {
    w.u32(indexSubTableArrayOffset).u32(indexTablesSize).u32(numberOfIndexSubTables).u32(colorRef);
    hori.write(w);
    vert.write(w);
    w.u16(startGlyphIndex).u16(endGlyphIndex).u8(ppemX).u8(ppemY).u8(bitDepth).u8(uint8_t(flags));
}

void TTbitmapSizeTable::dumpFields(TTDumpSink& sink) {
    sink.field("indexSubTableArrayOffset", long(indexSubTableArrayOffset));
    sink.field("indexTablesSize", long(indexTablesSize));
    sink.field("numberOfIndexSubTables", long(numberOfIndexSubTables));
    sink.field("colorRef", long(colorRef));
    DumpLineMetrics(sink, "hori", hori);
    DumpLineMetrics(sink, "vert", vert);
    sink.field("startGlyphIndex", startGlyphIndex);
    sink.field("endGlyphIndex", endGlyphIndex);
    sink.field("ppemX", ppemX);
    sink.field("ppemY", ppemY);
    sink.field("bitDepth", bitDepth);
    sink.field("flags", flags);
}
