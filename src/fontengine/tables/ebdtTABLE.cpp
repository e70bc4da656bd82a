#include "ebdtTABLE.h"

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

ebdtTABLE::ebdtTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("EBDT"), length, checksum, offset) {}

void ebdtTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* e = dynamic_cast<const ebdtTABLE*>(&other); e && e != this) {
        version = e->version;
        m_bitmaps = e->m_bitmaps;
    }
}

void ebdtTABLE::reset() {
    TTF_TABLE::reset();
    version = 0x00020000;
    m_bitmaps.clear();
}

int ebdtTABLE::readBody() {
    m_bitmaps.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u32();
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    m_bitmaps.assign(c.here(), c.here() + c.remaining());
    return error();
}

int ebdtTABLE::writeBody() {
    if (!beginWrite()) return error();
    std::vector<uint8_t> bytes;
    bytes.reserve(4 + m_bitmaps.size());
    ByteWriter w(bytes);
    w.u32(version);
    w.bytes(m_bitmaps.data(), m_bitmaps.size());
    writeBytes(bytes);
    return error();
}

void ebdtTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %8.8lx\n", (unsigned long)version);
    TTText::Array<unsigned>(out, "\ndata.data[%d] = {\n", m_bitmaps.size(), 20, [&](size_t i) { return m_bitmaps[i]; },
                            "%02x, ", "%02x\n");
}

void ebdtTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.array("data", m_bitmaps.data(), m_bitmaps.size());
}
