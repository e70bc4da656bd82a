#include "kernTABLE.h"

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

kernTABLE::kernTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("kern"), length, checksum, offset) {}

void kernTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* k = dynamic_cast<const kernTABLE*>(&other); k && k != this) {
        version = k->version;
        m_bCarried = k->m_bCarried;
    }
}

void kernTABLE::reset() {
    TTF_TABLE::reset();
    removeChildren();
    data().clear();
    version = 0;
    m_bCarried = false;
}

TTkernSubtable* kernTABLE::addSubtable() {
    auto sub = std::make_unique<TTkernSubtable>(this);
    TTkernSubtable* raw = sub.get();
    addChild(std::move(sub));
    setState(TTSource::Calculated);
    return raw;
}

int kernTABLE::readBody() {
    removeChildren();
    m_bCarried = false;
    if (!readAll(data())) return error();
    ByteCursor c(data());
    version = c.u16();
    if (version != 0) {
        // The other layout (a 32-bit version and other subtable headers): kept as bytes.
        m_bCarried = true;
        return error();
    }
    uint16_t count = c.u16();
    if (!c.ok() || c.remaining() / TTkernSubtable::kHeaderSize < count) {
        setError(TTError::kRead);
        return error();
    }
    for (uint16_t i = 0; i < count; ++i) {
        auto sub = std::make_unique<TTkernSubtable>(this);
        if (!sub->parse(c)) {
            setError(TTError::kRead);
            return error();
        }
        addChild(std::move(sub));
    }
    data().clear();
    return error();
}

int kernTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (m_bCarried) {
        writeBytes(data());
        return error();
    }
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u16(version);
    w.u16(uint16_t(subtableCount()));
    for (size_t i = 0; i < subtableCount(); ++i) subtable(i)->encode(bytes);
    writeBytes(bytes);
    return error();
}

void kernTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %04x, %d subtables", version, int(subtableCount()));
    for (size_t i = 0; i < subtableCount(); ++i) {
        const TTkernSubtable* s = subtable(i);
        std::fprintf(out, "\nsubtable %i: version %x, length %d, coverage %x", int(i), s->version, s->length,
                     s->coverage);
        if (s->format() != 0) continue;
        std::fprintf(out, ", format0, %d pairs (%d, %d, %d, %d)\n", int(s->pairs.size()), s->nPairs, s->searchRange,
                     s->entrySelector, s->rangeShift);
        for (size_t k = 0; k < s->pairs.size(); ++k)
            std::fprintf(out, "[%02x:%02x]->%4.4d  %c", s->pairs[k].left, s->pairs[k].right, s->pairs[k].value,
                         (k + 1) % 6 == 0 ? '\n' : ' ');
    }
    std::fputs("\n", out);
}

void kernTABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("nTables", long(subtableCount()));
    // A table of another layout travels as its bytes.
    if (m_bCarried) TTF_TABLE::dumpFields(sink);
}
