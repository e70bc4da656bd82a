#include "cvtTABLE.h"

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

cvtTABLE::cvtTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("cvt "), length, checksum, offset) {}

void cvtTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* c = dynamic_cast<const cvtTABLE*>(&other); c && c != this) values = c->values;
}

void cvtTABLE::reset() {
    TTF_TABLE::reset();
    values.clear();
}

int cvtTABLE::readBody() {
    values.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    values.resize(bytes.size() / 2);
    for (auto& v : values) v = c.s16();
    return error();
}

int cvtTABLE::writeBody() {
    if (!beginWrite()) return error();
    std::vector<uint8_t> bytes;
    bytes.reserve(values.size() * 2);
    ByteWriter w(bytes);
    for (int16_t v : values) w.s16(v);
    writeBytes(bytes);
    return error();
}

void cvtTABLE::dumpLines(FILE* out) {
    TTText::Array<int>(out, "\ncvt.data[%d] = {\n", values.size(), 20, [&](size_t i) { return values[i]; }, "%6i, ",
                       "%6i\n");
}

void cvtTABLE::dumpFields(TTDumpSink& sink) { sink.array("values", values.data(), values.size()); }
