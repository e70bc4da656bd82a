#include "gaspTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include "TTBytes.h"

gaspTABLE::gaspTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("gasp"), length, checksum, offset) {}

void gaspTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* g = dynamic_cast<const gaspTABLE*>(&other); g && g != this) {
        version = g->version;
        ranges = g->ranges;
    }
}

void gaspTABLE::reset() {
    TTF_TABLE::reset();
    version = 0;
    ranges.clear();
}

int gaspTABLE::readBody() {
    ranges.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u16();
    uint16_t count = c.u16();
    if (!c.ok() || c.remaining() / 4 < count) {
        setError(TTError::kRead);
        return error();
    }
    ranges.resize(count);
    for (auto& r : ranges) {
        r.rangeMaxpPPEM = c.u16();
        r.rangeGaspBehavior = c.u16();
    }
    return error();
}

int gaspTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (ranges.size() > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u16(version).u16(uint16_t(ranges.size()));
    for (const auto& r : ranges) w.u16(r.rangeMaxpPPEM).u16(r.rangeGaspBehavior);
    writeBytes(bytes);
    return error();
}

void gaspTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %4.4lx, %d ranges\n", (unsigned long)version, int(ranges.size()));
    for (size_t i = 0; i < ranges.size(); ++i)
        std::fprintf(out, "range %2i: Max = %i, %s %s\n", int(i), ranges[i].rangeMaxpPPEM,
                     (ranges[i].rangeGaspBehavior & GASP_GRIDFIT) ? "gridfit" : "",
                     (ranges[i].rangeGaspBehavior & GASP_DOGRAY) ? "dogray" : "");
}

void gaspTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("numRanges", long(ranges.size()));
    for (const GaspRange& r : ranges) {
        sink.begin("gaspRange");
        sink.field("rangeMaxpPPEM", r.rangeMaxpPPEM);
        sink.field("GASP_GRIDFIT", (r.rangeGaspBehavior & GASP_GRIDFIT) ? 1 : 0);
        sink.field("GASP_DOGRAY", (r.rangeGaspBehavior & GASP_DOGRAY) ? 1 : 0);
        sink.end();
    }
}
