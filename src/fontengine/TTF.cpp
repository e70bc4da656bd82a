#include "TTF.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <unordered_set>
#include <vector>

#include "ByteOrder.h"
#include "TTBytes.h"
#include "TTDump.h"
#include "tables/CFFTABLE.h"
#include "tables/glyfTABLE.h"
#include "tables/headTABLE.h"
#include "tables/hheaTABLE.h"
#include "tables/maxpTABLE.h"

namespace {
constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kAppleTrueType = MakeTag("true");
constexpr uint32_t kCffVersion = MakeTag("OTTO");
constexpr uint32_t kCollection = MakeTag("ttcf");
constexpr uint32_t kSignature = MakeTag("DSIG");
constexpr uint32_t kCffTag = MakeTag("CFF ");
constexpr uint32_t kCff2Tag = MakeTag("CFF2");
constexpr uint32_t kChecksumMagic = 0xB1B0AFBA;
constexpr size_t kOffsetTableSize = 12;
constexpr size_t kDirEntrySize = 16;

// Sum of the big-endian 32-bit words of [offset, offset + length), the last word padded
// with zeros; the stream position is kept.
bool SumWords(TTStream& s, uint64_t offset, uint64_t length, uint32_t& sum) {
    uint64_t back = s.tell();
    sum = 0;
    uint8_t buf[64 * 1024];
    if (!s.seek(offset)) return false;
    uint64_t padded = (length + 3) & ~uint64_t(3);
    while (padded > 0) {
        size_t take = size_t(std::min<uint64_t>(padded, sizeof buf));
        if (!s.read(buf, take)) return false;
        for (size_t i = 0; i < take; i += 4) {
            uint32_t word;
            std::memcpy(&word, buf + i, 4);
            sum += __builtin_bswap32(word);
        }
        padded -= take;
    }
    return s.seek(back);
}
}  // namespace

SearchFields ComputeSearchFields(uint32_t count, uint32_t unitSize) {
    uint32_t range = 1, selector = 0;
    while (range * 2 <= count) {
        range *= 2;
        ++selector;
    }
    if (count == 0) range = 0;
    uint32_t searchRange = range * unitSize;
    return {uint16_t(searchRange), uint16_t(selector), uint16_t(count * unitSize - searchRange)};
}

TTF::TTF() : TTStreamed(nullptr) { reset(); }

std::unique_ptr<TTObject> TTF::clone() const {
    auto copy = std::make_unique<TTF>();
    copy->assign(*this);
    return copy;
}

void TTF::assign(const TTObject& other) {
    TTStreamed::assign(other);
    if (const auto* f = dynamic_cast<const TTF*>(&other)) {
        m_nVersion = f->m_nVersion;
        m_nSearchRange = f->m_nSearchRange;
        m_nEntrySelector = f->m_nEntrySelector;
        m_nRangeShift = f->m_nRangeShift;
        m_slots = f->m_slots;
        m_nGlyphCountRead = f->m_nGlyphCountRead;
        m_bGlyphCountRead = f->m_bGlyphCountRead;
        m_nFaceIndex = f->m_nFaceIndex;
        m_nFaceCount = f->m_nFaceCount;
    }
}

void TTF::reset() {
    TTStreamed::reset();
    m_nVersion = kTrueTypeVersion;
    removeChildren();
    m_slots.fill(0);
    m_bGlyphCountRead = false;
    static const int kNewFontTables[] = {TTIndex::head, TTIndex::maxp, TTIndex::OS2,  TTIndex::name,
                                         TTIndex::glyf, TTIndex::post, TTIndex::loca, TTIndex::cmap,
                                         TTIndex::hhea, TTIndex::hmtx};
    for (int index : kNewFontTables) {
        auto t = TableRegistry::create(index, this);
        TTF_TABLE* raw = t.get();
        setSlot(index, addTable(std::move(t)));
        raw->reset();
    }
}

TTF_TABLE* TTF::table(int index) const {
    if (index < 0 || index >= TableRegistry::kSize || m_slots[size_t(index)] == 0) return nullptr;
    return static_cast<TTF_TABLE*>(child(m_slots[size_t(index)] - 1u));
}

TTF_TABLE* TTF::findTable(uint32_t tag) const {
    int index = TableRegistry::indexOf(tag);
    if (index >= 0) return table(index);
    for (size_t i = childCount(); i-- > 0;) {
        auto* t = static_cast<TTF_TABLE*>(child(i));
        if (t->tag() == tag) return t;
    }
    return nullptr;
}

size_t TTF::addTable(std::unique_ptr<TTF_TABLE> table) { return addChild(std::move(table)); }

void TTF::setSlot(int index, size_t posPlusOne) {
    if (index >= 0 && index < TableRegistry::kSize) m_slots[size_t(index)] = uint16_t(posPlusOne);
}

void TTF::removeTable(int index) {
    if (!table(index)) return;
    uint16_t pos = m_slots[size_t(index)];
    removeChild(pos - 1u);
    m_slots[size_t(index)] = 0;
    for (auto& s : m_slots)
        if (s > pos) --s;
}

int TTF::removeOtherTables(uint32_t tag) {
    if (TableRegistry::indexOf(tag) >= 0) return 0;
    int removed = 0;
    for (size_t pos = childCount(); pos-- > 0;) {
        if (static_cast<TTF_TABLE*>(child(pos))->tag() != tag) continue;
        removeChild(pos);
        ++removed;
        for (auto& s : m_slots)
            if (s > pos + 1) --s;
    }
    return removed;
}

glyfTABLE* TTF::glyf() const { return get<glyfTABLE>(TTIndex::glyf); }
headTABLE* TTF::head() const { return get<headTABLE>(TTIndex::head); }
maxpTABLE* TTF::maxp() const { return get<maxpTABLE>(TTIndex::maxp); }
hheaTABLE* TTF::hhea() const { return get<hheaTABLE>(TTIndex::hhea); }

bool TTF::hasListOnlyGlyphs() const {
    const glyfTABLE* g = glyf();
    return g && g->m_bListOnly;
}

bool TTF::listed(const TTF_TABLE* t) const { return !(t == glyf() && hasListOnlyGlyphs()); }

uint32_t TTF::glyphCount() const {
    const glyfTABLE* g = glyf();
    return g ? uint32_t(g->glyphCount()) : 0;
}

int TTF::readDirectory(TTStream* stream) {
    if (stream) setInput(stream);
    if (state() == TTSource::Imported) return error();
    TTStream* in = input();
    if (!in) {
        setError(TTError::kNoHandle);
        return error();
    }
    setState(TTSource::Imported);
    setError(TTError::kOk);
    removeChildren();
    m_slots.fill(0);
    m_bGlyphCountRead = false;
    if (!in->seek(0)) {
        setError(TTError::kRead);
        return error();
    }
    uint8_t header[kOffsetTableSize];
    if (readUnits(header, 1, sizeof header) != sizeof header) return error();
    m_nFaceCount = 1;
    if (ReadBE32(header) == kCollection && !seekFace(header)) return error();
    ByteCursor h(header, sizeof header);
    m_nVersion = h.u32();
    uint16_t count = h.u16();
    m_nSearchRange = h.u16();
    m_nEntrySelector = h.u16();
    m_nRangeShift = h.u16();
    if (m_nVersion == kCollection) {  // a collection inside a collection
        setError(TTError::kCollection);
        return error();
    }
    if (m_nVersion != kTrueTypeVersion && m_nVersion != kAppleTrueType && m_nVersion != kCffVersion) {
        setError(TTError::kNotTrueType);
        return error();
    }
    std::vector<uint8_t> dir;
    try {
        dir.resize(size_t(count) * kDirEntrySize);
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
        return error();
    }
    if (count && readUnits(dir.data(), 1, dir.size()) != dir.size()) return error();
    ByteCursor d(dir);
    std::unordered_set<uint32_t> seen;
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t tag = d.u32();
        uint32_t checksum = d.u32();
        uint32_t offset = d.u32();
        uint32_t length = d.u32();
        // A tag listed again keeps its first entry: a font written with both would be
        // refused by every reader.
        if (!seen.insert(tag).second) continue;
        int index = TableRegistry::indexOf(tag);
        if (index >= 0) {
            setSlot(index, addTable(TableRegistry::create(index, this, length, checksum, offset)));
        } else if (tag == kCffTag) {
            addTable(std::make_unique<CFFTABLE>(this, length, checksum, offset));
        } else if ((tag >> 24) != ';') {
            addTable(std::make_unique<TTF_TABLE>(this, tag, length, checksum, offset));
        }
    }
    // PostScript outlines: the glyph list the metric tables work on, without a table of
    // its own in the file.
    if (m_nVersion == kCffVersion && !table(TTIndex::glyf) && findTable(kCffTag)) {
        auto list = std::make_unique<glyfTABLE>(this);
        list->m_bListOnly = true;
        setSlot(TTIndex::glyf, addTable(std::move(list)));
    }
    return error();
}

bool TTF::seekFace(uint8_t (&header)[kOffsetTableSize]) {
    // The collection header: its tag, version, the number of faces, then the offset of
    // each face's offset table from the start of the file; the tables of every face sit
    // at offsets from the start of the file too.
    m_nFaceCount = ReadBE32(header + 8);
    if (m_nFaceIndex >= m_nFaceCount) {
        setError(TTError::kNoSuchFace);
        return false;
    }
    uint8_t offset[4];
    if (!input()->seek(kOffsetTableSize + uint64_t(m_nFaceIndex) * 4)) {
        setError(TTError::kRead);
        return false;
    }
    if (readUnits(offset, 1, sizeof offset) != sizeof offset) return false;
    if (!input()->seek(ReadBE32(offset))) {
        setError(TTError::kRead);
        return false;
    }
    return readUnits(header, 1, kOffsetTableSize) == kOffsetTableSize;
}

int TTF::readQuick(TTStream* stream) {
    if (readDirectory(stream) != TTError::kOk) return error();
    m_bReadingQuick = true;
    for (int index : TableRegistry::quickOrder()) readTable(index);
    m_bReadingQuick = false;
    return error();
}

int TTF::readChild(size_t pos) {
    auto* t = static_cast<TTF_TABLE*>(child(pos));
    if (!t || t->m_bReadDone) return TTError::kOk;
    int code = t->readFrom(input());
    if (code != TTError::kOk) setError(code);
    else t->m_bReadDone = true;
    return code;
}

int TTF::readTable(int index) {
    if (index < 0 || index >= TableRegistry::kSize || m_slots[size_t(index)] == 0) return TTError::kOk;
    return readChild(m_slots[size_t(index)] - 1u);
}

int TTF::readBody() {
    if (readDirectory(input()) != TTError::kOk) return error();
    if (m_nVersion == kCffVersion && !hasListOnlyGlyphs()) {
        setError(findTable(kCff2Tag) ? TTError::kCff2 : TTError::kNoGlyphData);
        return error();
    }
    if (!table(TTIndex::glyf) || (!hasListOnlyGlyphs() && !table(TTIndex::loca))) {
        setError(TTError::kNoGlyphData);
        return error();
    }
    // Without its header or glyph count the glyph data cannot be read at all.
    if (!table(TTIndex::head) || !table(TTIndex::maxp)) {
        setError(TTError::kInvalid);
        return error();
    }
    for (int index : TableRegistry::loadOrder()) readTable(index);
    for (size_t pos = 0; pos < childCount(); ++pos) readChild(pos);
    return error();
}

int TTF::writeBody() {
    TTStream* out = output();
    if (!out) {
        setError(TTError::kNoHandle);
        return error();
    }
    setError(TTError::kOk);

    // The tables to write, by tag: the registry's, then every other table (the last one
    // of a tag), except a digital signature, which no longer matches a changed font.
    std::map<uint32_t, TTF_TABLE*> byTag;
    for (int index = 0; index < TableRegistry::kSize; ++index)
        if (TTF_TABLE* t = table(index); t && !(index == TTIndex::glyf && hasListOnlyGlyphs())) byTag[t->tag()] = t;
    for (size_t pos = 0; pos < childCount(); ++pos) {
        auto* t = static_cast<TTF_TABLE*>(child(pos));
        if (TableRegistry::indexOf(t->tag()) < 0 && t->tag() != kSignature) byTag[t->tag()] = t;
    }
    std::vector<TTF_TABLE*> tables;
    tables.reserve(byTag.size());
    for (auto& [tag, t] : byTag) tables.push_back(t);

    if (m_bGlyphCountRead && glyphCount() != m_nGlyphCountRead) {
        for (TTF_TABLE* t : tables) {
            int code = t->followGlyphCount(m_nGlyphCountRead, glyphCount());
            if (code != TTError::kOk) {
                setError(code);
                return error();
            }
        }
    }

    SearchFields sf = ComputeSearchFields(uint32_t(tables.size()), kDirEntrySize);
    m_nSearchRange = sf.searchRange;
    m_nEntrySelector = sf.entrySelector;
    m_nRangeShift = sf.rangeShift;

    auto fail = [&](int code) {
        setError(code);
        return error();
    };
    auto writeDirectory = [&]() {
        std::vector<uint8_t> dir;
        ByteWriter w(dir);
        for (TTF_TABLE* t : tables) {
            w.u32(t->tag());
            w.u32(t->m_nNewChecksum);
            w.u32(t->m_nNewOffset);
            w.u32(t->m_nNewLength);
        }
        return dir.empty() || out->write(dir.data(), dir.size());
    };

    std::vector<uint8_t> header;
    ByteWriter w(header);
    w.u32(m_nVersion);
    w.u16(uint16_t(tables.size()));
    w.u16(m_nSearchRange);
    w.u16(m_nEntrySelector);
    w.u16(m_nRangeShift);
    if (!out->seek(0) || !out->write(header.data(), header.size())) return fail(TTError::kWrite);
    uint64_t dirPos = out->tell();
    if (!writeDirectory()) return fail(TTError::kWrite);

    static const uint8_t zeros[4] = {0, 0, 0, 0};
    for (TTF_TABLE* t : tables) {
        uint64_t start = out->tell();
        if (start > 0xFFFFFFFFu) return fail(TTError::kWrite);
        t->m_nNewOffset = uint32_t(start);
        int code = t->writeTo(out);
        if (code != TTError::kOk) return fail(code);
        uint64_t end = out->tell();
        if (end > 0xFFFFFFFFu) return fail(TTError::kWrite);
        t->m_nNewLength = uint32_t(end - start);
        if ((end & 3) && !out->write(zeros, size_t(4 - (end & 3)))) return fail(TTError::kWrite);
    }
    uint64_t fileEnd = out->tell();

    // head and maxp once more: loca decided the offset format after head was written,
    // and head now writes checkSumAdjustment as 0 for the checksums below.
    for (TTF_TABLE* t : {table(TTIndex::head), table(TTIndex::maxp)}) {
        if (!t) continue;
        if (!out->seek(t->m_nNewOffset)) return fail(TTError::kWrite);
        int code = t->writeTo(out);
        if (code != TTError::kOk) return fail(code);
    }

    for (TTF_TABLE* t : tables)
        if (!SumWords(*out, t->m_nNewOffset, t->m_nNewLength, t->m_nNewChecksum)) return fail(TTError::kWrite);
    if (!out->seek(dirPos) || !writeDirectory()) return fail(TTError::kWrite);

    if (TTF_TABLE* h = table(TTIndex::head); h && h->m_nNewLength >= 12) {
        uint32_t sum = 0;
        if (!out->flush() || !SumWords(*out, 0, fileEnd, sum)) return fail(TTError::kWrite);
        uint32_t adjust = kChecksumMagic - sum;
        uint8_t bytes[4] = {uint8_t(adjust >> 24), uint8_t(adjust >> 16), uint8_t(adjust >> 8), uint8_t(adjust)};
        if (!out->seek(h->m_nNewOffset + 8u) || !out->write(bytes, 4)) return fail(TTError::kWrite);
        if (auto* ht = head()) ht->m_nCheckSumAdjustment = adjust;
    }
    if (!out->seek(fileEnd) || !out->flush()) return fail(TTError::kWrite);
    return error();
}

int TTF::dumpText(FILE* out) {
    std::fputs("\n*** Torvane version 3.0.\n*** TrueType font decompiler.\n\n", out);
    for (size_t pos = 0; pos < childCount(); ++pos) {
        auto* t = static_cast<TTF_TABLE*>(child(pos));
        if (!listed(t)) continue;
        std::fprintf(out, "* Table '%4.4s' is at offset %8.8lx, its length = %8.8lx, checksum = 0x%8.8lx\n",
                     TagText(t->tag()).c_str(), (unsigned long)t->m_nOffset, (unsigned long)t->m_nLength,
                     (unsigned long)t->m_nChecksum);
    }
    for (size_t pos = 0; pos < childCount(); ++pos) {
        if (!listed(static_cast<TTF_TABLE*>(child(pos)))) continue;
        int code = static_cast<TTF_TABLE*>(child(pos))->dumpText(out);
        if (code != TTError::kOk) return code;
    }
    return std::ferror(out) ? TTError::kWrite : TTError::kOk;
}

void TTF::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", m_nVersion);
    sink.field("numTables", long(childCount()));
    sink.field("searchRange", m_nSearchRange);
    sink.field("entrySelector", m_nEntrySelector);
    sink.field("rangeShift", m_nRangeShift);
}

void TTF::dumpStructured(TTDumpSink& sink) {
    sink.put(label());
    sink.put(" = {\n");
    dumpFields(sink);
    // The registry's tables in dump order (glyph data last), then the tables the
    // engine keeps as bytes, in file order.
    std::vector<TTF_TABLE*> order;
    for (int index : TableRegistry::dumpOrder())
        if (TTF_TABLE* t = table(index); t && listed(t)) order.push_back(t);
    for (size_t pos = 0; pos < childCount(); ++pos) {
        auto* t = static_cast<TTF_TABLE*>(child(pos));
        if (TableRegistry::indexOf(t->tag()) < 0) order.push_back(t);
    }
    for (TTF_TABLE* t : order)
        sink.print("* Table '%s'\t*(position = %5lx length = %5lx)\n", TagText(t->tag()).c_str(),
                   (unsigned long)t->m_nOffset, (unsigned long)t->m_nLength);
    for (TTF_TABLE* t : order) t->dumpStructured(sink);
    sink.put("}\n");
}
