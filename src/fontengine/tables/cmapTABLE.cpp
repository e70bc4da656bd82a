#include "cmapTABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <new>
#include <optional>

#include "TTDump.h"
#include "TTF.h"

#include "ByteOrder.h"
#include "CmapCodes.h"
#include "CmapEncodings.h"
#include "TTBytes.h"

cmapTABLE::cmapTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("cmap"), length, checksum, offset) {}

void cmapTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* c = dynamic_cast<const cmapTABLE*>(&other)) version = c->version;
}

void cmapTABLE::reset() {
    TTF_TABLE::reset();
    data().clear();
    version = 0;
    removeChildren();
}

TTcmapSubtable* cmapTABLE::findSubtable(uint16_t platformID, uint16_t encodingID) const {
    for (size_t i = 0; i < subtableCount(); ++i) {
        TTcmapSubtable* s = subtable(i);
        for (size_t r = 0; r < s->recordCount(); ++r)
            if (s->record(r)->platformID == platformID && s->record(r)->encodingID == encodingID) return s;
    }
    return nullptr;
}

TTcmapSubtable* cmapTABLE::addSubtable(uint16_t platformID, uint16_t encodingID) {
    if (TTcmapSubtable* s = findSubtable(platformID, encodingID)) return s;
    const CmapEncoding* e = CmapEncodingList::entry(CmapEncodingList::indexOf(platformID, encodingID));
    if (!e) return nullptr;
    auto s = std::make_unique<TTcmapSubtable>(this, e->newFormat);
    s->addRecord(platformID, encodingID);
    s->m_nState = TTSource::Calculated;
    TTcmapSubtable* raw = s.get();
    addChild(std::move(s));
    setState(TTSource::Calculated);
    return raw;
}

bool cmapTABLE::mapCodeToGlyph(uint32_t code, uint16_t glyph) {
    bool changed = false;
    for (size_t i = 0; i < subtableCount(); ++i) {
        TTcmapSubtable* s = subtable(i);
        if (!s->recordCount()) continue;
        std::optional<uint32_t> c = subtableCode(*s->record(0), code);
        // A subtable whose encoding has no code for the character is left as it is.
        if (c && s->setGlyphForCode(*c, glyph)) changed = true;
    }
    if (changed) setState(TTSource::Calculated);
    return changed;
}

std::optional<uint32_t> cmapTABLE::subtableCode(const TTcmapTable& record, uint32_t code) {
    if (record.platformID == 3 && record.encodingID == 0) {
        for (uint32_t b = 0; b < 256; ++b)
            if (AnsiToUnicode[b] == code) return 0xF000 + b;
        return code;
    }
    return CodeInEncoding(record.platformID, record.encodingID, code);
}

int cmapTABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    removeChildren();
    ByteCursor c(bytes);
    version = c.u16();
    uint16_t count = c.u16();
    if (!c.ok()) {
        setError(TTError::kRead);
        return error();
    }
    // So many records are kept as the bytes they are: written back unchanged, never
    // emptied, and taking no new mapping.
    if (count > kMaxRecords) {
        data() = std::move(bytes);
        return error();
    }
    data().clear();
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t platform = c.u16(), encoding = c.u16();
        uint32_t offset = c.u32();
        if (!c.ok()) {
            setError(TTError::kRead);
            return error();
        }
        // Records that share a subtable stay together on the one subtable.
        TTcmapSubtable* shared = nullptr;
        for (size_t s = 0; s < subtableCount() && !shared; ++s)
            if (subtable(s)->m_nOffset == offset) shared = subtable(s);
        if (shared) {
            if (!findSubtable(platform, encoding)) shared->addRecord(platform, encoding);
            continue;
        }
        if (findSubtable(platform, encoding)) continue;  // a repeated pair keeps its first subtable
        auto sub = std::make_unique<TTcmapSubtable>(this, 0);
        int code = sub->parse(bytes.data(), bytes.size(), offset);
        if (code == TTError::kNoMemory) {
            setError(code);
            return error();
        }
        if (code != TTError::kOk) continue;  // nothing at that offset to keep
        sub->addRecord(platform, encoding);
        addChild(std::move(sub));
    }
    return error();
}

int cmapTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (!data().empty()) return TTF_TABLE::writeBody();
    std::vector<TTcmapTable*> records;
    for (size_t s = 0; s < subtableCount(); ++s)
        for (size_t r = 0; r < subtable(s)->recordCount(); ++r) records.push_back(subtable(s)->record(r));
    std::stable_sort(records.begin(), records.end(), [](const TTcmapTable* a, const TTcmapTable* b) {
        return std::make_pair(a->platformID, a->encodingID) < std::make_pair(b->platformID, b->encodingID);
    });
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u16(version).u16(uint16_t(records.size()));
    size_t recordsAt = out.size();
    out.resize(out.size() + 8 * records.size());
    for (size_t s = 0; s < subtableCount(); ++s) {
        TTcmapSubtable* sub = subtable(s);
        sub->m_nOffset = uint32_t(out.size());
        int code = TTError::kOk;
        try {
            code = sub->encode(out);
        } catch (const std::bad_alloc&) {
            code = TTError::kNoMemory;
        }
        if (code != TTError::kOk) {
            setError(code);
            return error();
        }
        while (out.size() % 4) out.push_back(0);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        uint8_t* p = out.data() + recordsAt + 8 * i;
        WriteBE16(p, records[i]->platformID);
        WriteBE16(p + 2, records[i]->encodingID);
        WriteBE32(p + 4, static_cast<TTcmapSubtable*>(records[i]->owner())->m_nOffset);
    }
    writeBytes(out);
    return error();
}

void cmapTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "version %i\n", version);
    for (size_t i = 0; i < subtableCount(); ++i) {
        const TTcmapSubtable* s = subtable(i);
        std::fprintf(out, "\nsubtable %d %s, format %d", int(i), s->name().c_str(), s->format);
        for (size_t k = 0; k < s->recordCount(); ++k) std::fprintf(out, "; %s", s->record(k)->name().c_str());
    }
    std::fputs("\n", out);
}

void cmapTABLE::dumpFields(TTDumpSink& sink) {
    sink.field("version", version);
    sink.field("numTables", long(subtableCount()));
    // A table too large to parse travels as its bytes.
    if (!data().empty()) TTF_TABLE::dumpFields(sink);
}
