#include "ebscTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

ebscTABLE::ebscTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("EBSC"), length, checksum, offset) {}

void ebscTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* e = dynamic_cast<const ebscTABLE*>(&other); e && e != this) {
        version = e->version;
        scales = e->scales;
    }
}

void ebscTABLE::reset() {
    TTF_TABLE::reset();
    version = 0x00020000;
    scales.clear();
}

int ebscTABLE::readBody() {
    scales.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    uint32_t count = c.u32();
    if (!c.ok() || c.remaining() / kScaleSize < count) {
        setError(TTError::kRead);
        return error();
    }
    scales.resize(count);
    for (auto& s : scales) {
        s.hori.read(c);
        s.vert.read(c);
        s.ppemX = c.u8();
        s.ppemY = c.u8();
        s.substitutePpemX = c.u8();
        s.substitutePpemY = c.u8();
    }
    return error();
}

int ebscTABLE::writeBody() {
    if (!beginWrite()) return error();
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + scales.size() * kScaleSize);
    ByteWriter w(bytes);
    w.u32(version).u32(uint32_t(scales.size()));
    for (const auto& s : scales) {
        s.hori.write(w);
        s.vert.write(w);
        w.u8(s.ppemX).u8(s.ppemY).u8(s.substitutePpemX).u8(s.substitutePpemY);
    }
    writeBytes(bytes);
    return error();
}

void ebscTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx, %ld strikes\n", (unsigned long)version, long(scales.size()));
}

void ebscTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("numSizes", long(scales.size()));
    for (const BitmapScaleTable& s : scales) {
        sink.begin("bitmapScaleTable");
        DumpLineMetrics(sink, "hori", s.hori);
        DumpLineMetrics(sink, "vert", s.vert);
        sink.field("ppemX", s.ppemX);
        sink.field("ppemY", s.ppemY);
        sink.field("substitutePpemX", s.substitutePpemX);
        sink.field("substitutePpemY", s.substitutePpemY);
        sink.end();
    }
}
