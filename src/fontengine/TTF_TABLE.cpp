#include "TTF_TABLE.h"

#include <new>

#include "MetricVariations.h"
#include "TTDump.h"
#include "TTF.h"

std::string TagText(uint32_t tag) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) s[size_t(i)] = char(uint8_t(tag >> (24 - 8 * i)));
    return s;
}

TTF_TABLE::TTF_TABLE(TTObject* owner, uint32_t tag, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTStreamed(owner), m_nOffset(offset), m_nLength(length), m_nChecksum(checksum),
      m_bReadDone(length == 0), m_nTag(tag) {}

std::unique_ptr<TTObject> TTF_TABLE::clone() const {
    auto copy = std::make_unique<TTF_TABLE>(owner(), m_nTag);
    copy->assign(*this);
    return copy;
}

void TTF_TABLE::assign(const TTObject& other) {
    TTStreamed::assign(other);
    if (const auto* t = dynamic_cast<const TTF_TABLE*>(&other)) {
        m_nTag = t->m_nTag;
        m_data = t->m_data;
        m_nOffset = t->m_nOffset;
        m_nLength = t->m_nLength;
        m_nChecksum = t->m_nChecksum;
        m_nNewOffset = t->m_nNewOffset;
        m_nNewLength = t->m_nNewLength;
        m_nNewChecksum = t->m_nNewChecksum;
        m_bReadDone = t->m_bReadDone;
    }
}

TTF* TTF_TABLE::font() const { return dynamic_cast<TTF*>(owner()); }

bool TTF_TABLE::beginRead() {
    if (!beginReadStream()) return false;
    if (!input()->seek(m_nOffset)) {
        setError(TTError::kRead);
        return false;
    }
    return true;
}

bool TTF_TABLE::readAll(std::vector<uint8_t>& bytes) {
    if (!beginRead()) return false;
    TTStream* in = input();
    // The directory's numbers are checked against the file before anything is allocated.
    if (uint64_t(m_nOffset) + m_nLength > in->size()) {
        setError(TTError::kRead);
        return false;
    }
    try {
        bytes.resize(m_nLength);
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
        return false;
    }
    if (m_nLength && readUnits(bytes.data(), 1, m_nLength) != m_nLength) {
        bytes.clear();
        return false;
    }
    return true;
}

bool TTF_TABLE::writeBytes(const uint8_t* bytes, size_t size) {
    if (size == 0) return true;
    return writeUnits(bytes, 1, size) == size;
}

bool TTF_TABLE::writeBytes(const std::vector<uint8_t>& bytes) { return writeBytes(bytes.data(), bytes.size()); }

int TTF_TABLE::readBody() {
    readAll(m_data);
    return error();
}

int TTF_TABLE::writeBody() {
    if (!beginWrite()) return error();
    writeBytes(m_data);
    return error();
}

namespace {
constexpr uint32_t kGvarHeaderSize = 20;

// Tables kept as plain bytes whose layout lists every glyph. post lists glyph names in
// formats 2 and 2.5 only.
bool TiedToGlyphCount(uint32_t tag, const std::vector<uint8_t>& data) {
    switch (tag) {
    case MakeTag("hdmx"): case MakeTag("LTSH"): case MakeTag("vmtx"): case MakeTag("sbix"):
    case MakeTag("Gloc"): case MakeTag("Glat"):
    case MakeTag("TSI0"): case MakeTag("TSI5"):
        return true;
    case MakeTag("post"): {
        if (data.size() < 4) return false;
        uint32_t format = (uint32_t(data[0]) << 24) | (uint32_t(data[1]) << 16) | (uint32_t(data[2]) << 8) | data[3];
        return format == 0x00020000 || format == 0x00025000;
    }
    default:
        return false;
    }
}

uint32_t Get32(const std::vector<uint8_t>& d, size_t at) {
    return (uint32_t(d[at]) << 24) | (uint32_t(d[at + 1]) << 16) | (uint32_t(d[at + 2]) << 8) | d[at + 3];
}
void Put32(std::vector<uint8_t>& d, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// Glyph variations: glyphs appended at the end get empty variation data, which is one
// more entry in the offset array repeating the last offset.
int ExtendGlyphVariations(std::vector<uint8_t>& d, uint32_t oldCount, uint32_t newCount) {
    if (d.size() < kGvarHeaderSize || newCount < oldCount || newCount > 0xFFFF) return TTError::kGlyphCountTable;
    uint32_t count = uint32_t(d[12] << 8 | d[13]);
    if (count == newCount) return TTError::kOk;  // already followed (a second write)
    if (count != oldCount) return TTError::kGlyphCountTable;
    size_t entry = (d[15] & 1) ? 4 : 2;
    size_t arrayEnd = kGvarHeaderSize + (size_t(count) + 1) * entry;
    if (arrayEnd > d.size()) return TTError::kGlyphCountTable;
    size_t added = size_t(newCount - oldCount) * entry;
    std::vector<uint8_t> last(d.begin() + long(arrayEnd - entry), d.begin() + long(arrayEnd));
    std::vector<uint8_t> fill;
    fill.reserve(added);
    for (uint32_t i = oldCount; i < newCount; ++i) fill.insert(fill.end(), last.begin(), last.end());
    d.insert(d.begin() + long(arrayEnd), fill.begin(), fill.end());
    d[12] = uint8_t(newCount >> 8);
    d[13] = uint8_t(newCount);
    for (size_t field : {size_t(8), size_t(16)}) {
        uint32_t off = Get32(d, field);
        if (off >= arrayEnd) Put32(d, field, off + uint32_t(added));
    }
    return TTError::kOk;
}
}  // namespace

int TTF_TABLE::followGlyphCount(uint32_t oldCount, uint32_t newCount) {
    if (oldCount == newCount) return TTError::kOk;
    int code = TTError::kOk;
    const bool variations = m_nTag == MakeTag("HVAR") || m_nTag == MakeTag("VVAR");
    if (m_nTag == MakeTag("gvar")) code = ExtendGlyphVariations(m_data, oldCount, newCount);
    else if (variations) code = ExtendMetricVariations(m_data, m_nTag, oldCount, newCount);
    else if (TiedToGlyphCount(m_nTag, m_data)) code = TTError::kGlyphCountTable;
    if (code == TTError::kOk && (variations || m_nTag == MakeTag("gvar"))) setState(TTSource::Calculated);
    setError(code);
    return code;
}

int TTF_TABLE::dumpText(FILE* out) {
    if (state() == TTSource::None) return TTError::kOk;
    dumpHeader(out);
    dumpLines(out);
    return std::ferror(out) ? TTError::kWrite : TTError::kOk;
}

void TTF_TABLE::dumpHeader(FILE* out) {
    std::fprintf(out, "\nTable %4.4s ;source: %s\n", TagText(m_nTag).c_str(), SourceName(state()));
}

void TTF_TABLE::dumpFields(TTDumpSink& sink) { sink.array("data", m_data.data(), m_data.size()); }
