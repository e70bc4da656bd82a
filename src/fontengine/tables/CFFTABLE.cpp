#include "CFFTABLE.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "CffCharstring.h"
#include "GlyphNames.h"
#include "TTF.h"
#include "glyfTABLE.h"

namespace {

constexpr int kIsoAdobeCharsetSize = 229;  // the predefined charset 0: string ids 0..228
constexpr double kDefaultCidCount = 8720;

uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

void Put16(std::vector<uint8_t>& out, size_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

// An offset operand that must lie inside the table.
bool OffsetIn(double v, size_t size, size_t& offset) {
    if (!(v >= 0) || v >= double(size)) return false;
    offset = size_t(v);
    return true;
}

int16_t FloorTo16(double v) { return int16_t(std::clamp(std::floor(v), -32768.0, 32767.0)); }
int16_t CeilTo16(double v) { return int16_t(std::clamp(std::ceil(v), -32768.0, 32767.0)); }

}  // namespace

// A Private DICT and the local subroutines it points at.
struct PrivatePart {
    Cff::Dict dict;
    Cff::Index subrs;
    bool hasSubrs = false;
};

struct CFFTABLE::Font {
    std::vector<uint8_t> bytes;
    size_t headerSize = 0;
    Cff::Index names, topDicts, strings, globalSubrs, charStrings;
    Cff::Dict top;
    bool hasPrivate = false;
    PrivatePart privatePart;  // name-keyed fonts
    // CID-keyed fonts: the Font DICTs, their Private DICTs, and each glyph's Font DICT.
    Cff::Index fdArray;
    std::vector<Cff::Dict> fontDicts;
    std::vector<PrivatePart> fdPrivates;
    std::vector<uint8_t> fdOfGlyph;
    // A custom encoding, kept as its bytes (codes refer to glyphs by their order).
    std::vector<uint8_t> encoding;

    const uint8_t* data() const { return bytes.data(); }
    size_t size() const { return bytes.size(); }

    bool readPrivate(const Cff::Dict& owner, PrivatePart& part) const;
    bool readCharset(size_t glyphs, std::vector<uint16_t>& ids) const;
    bool readFdSelect(size_t glyphs);
    bool readEncoding();
    const PrivatePart* privateOf(size_t glyph) const {
        if (fontDicts.empty()) return hasPrivate ? &privatePart : nullptr;
        return glyph < fdOfGlyph.size() ? &fdPrivates[fdOfGlyph[glyph]] : nullptr;
    }
};

bool CFFTABLE::Font::readPrivate(const Cff::Dict& owner, PrivatePart& part) const {
    const Cff::DictEntry* e = owner.find(Cff::Op::kPrivate);
    if (!e || e->operands.size() < 2) return false;
    size_t offset = 0;
    double length = e->operands[0];
    if (!OffsetIn(e->operands[1], size() + 1, offset) || !(length >= 0) || length > double(size() - offset))
        return false;
    if (!part.dict.read(data() + offset, size_t(length))) return false;
    if (const Cff::DictEntry* s = part.dict.find(Cff::Op::kSubrs); s && !s->operands.empty()) {
        size_t rel = 0;
        if (!OffsetIn(s->operands[0], size() - offset, rel)) return false;
        if (!part.subrs.read(data(), size(), offset + rel)) return false;
        part.hasSubrs = true;
    }
    return true;
}

bool CFFTABLE::Font::readCharset(size_t glyphs, std::vector<uint16_t>& ids) const {
    ids.assign(glyphs, 0);
    double at = top.number(Cff::Op::kCharset, 0, 0);
    if (at == 0) {  // the predefined ISOAdobe charset: glyph i has string id i
        if (glyphs > size_t(kIsoAdobeCharsetSize)) return false;
        for (size_t i = 0; i < glyphs; ++i) ids[i] = uint16_t(i);
        return true;
    }
    size_t offset = 0;
    // The predefined expert charsets (1 and 2) are not read: they appear only in old
    // Type 1 conversions.
    if (at < 3 || !OffsetIn(at, size(), offset)) return false;
    const uint8_t* p = data() + offset;
    const uint8_t* end = data() + size();
    const uint8_t format = *p++;
    size_t g = 1;
    if (format == 0) {
        if (size_t(end - p) / 2 < glyphs - 1) return false;
        for (; g < glyphs; ++g, p += 2) ids[g] = Be16(p);
        return true;
    }
    if (format != 1 && format != 2) return false;
    const size_t rangeSize = format == 1 ? 3 : 4;
    while (g < glyphs) {
        if (size_t(end - p) < rangeSize) return false;
        uint32_t first = Be16(p);
        uint32_t left = format == 1 ? p[2] : Be16(p + 2);
        p += rangeSize;
        for (uint32_t k = 0; k <= left && g < glyphs; ++k) ids[g++] = uint16_t(first + k);
    }
    return true;
}

bool CFFTABLE::Font::readFdSelect(size_t glyphs) {
    size_t offset = 0;
    if (!OffsetIn(top.number(Cff::Op::kFDSelect, 0, -1), size(), offset)) return false;
    const uint8_t* p = data() + offset;
    const uint8_t* end = data() + size();
    const uint8_t format = *p++;
    fdOfGlyph.assign(glyphs, 0);
    if (format == 0) {
        if (size_t(end - p) < glyphs) return false;
        std::copy(p, p + glyphs, fdOfGlyph.begin());
    } else if (format == 3) {
        if (end - p < 2) return false;
        size_t ranges = Be16(p);
        p += 2;
        if (ranges == 0 || size_t(end - p) < ranges * 3 + 2 || Be16(p) != 0) return false;
        for (size_t r = 0; r < ranges; ++r, p += 3) {
            size_t first = Be16(p), next = Be16(p + 3);
            if (next < first) return false;
            std::fill(fdOfGlyph.begin() + long(std::min(first, glyphs)), fdOfGlyph.begin() + long(std::min(next, glyphs)),
                      p[2]);
        }
    } else {
        return false;
    }
    return std::all_of(fdOfGlyph.begin(), fdOfGlyph.end(), [&](uint8_t fd) { return fd < fontDicts.size(); });
}

bool CFFTABLE::Font::readEncoding() {
    double at = top.number(Cff::Op::kEncoding, 0, 0);
    if (at == 0 || at == 1) return true;  // the standard and expert encodings
    size_t offset = 0;
    if (!OffsetIn(at, size(), offset)) return false;
    const uint8_t* p = data() + offset;
    size_t left = size() - offset;
    if (left < 2) return false;
    const uint8_t format = p[0];
    size_t length = 2 + size_t(p[1]) * ((format & 0x7F) == 0 ? 1 : 2);
    if ((format & 0x7F) > 1 || length > left) return false;
    if (format & 0x80) {  // supplements: code and string id pairs
        if (length >= left) return false;
        length += 1 + size_t(p[length]) * 3;
        if (length > left) return false;
    }
    encoding.assign(p, p + length);
    return true;
}

CFFTABLE::CFFTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("CFF "), length, checksum, offset) {}

std::unique_ptr<TTObject> CFFTABLE::clone() const { return CloneAs(*this); }

void CFFTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* c = dynamic_cast<const CFFTABLE*>(&other); c && c != this) {
        m_font = c->m_font;
        m_names = c->m_names;
        m_ids = c->m_ids;
        m_bCID = c->m_bCID;
        m_added = c->m_added;
        m_addedNames = c->m_addedNames;
        m_fontName = c->m_fontName;
    }
}

int CFFTABLE::readBody() {
    auto font = std::make_shared<Font>();
    if (!readAll(font->bytes)) return error();
    m_font = font;
    m_added.clear();
    m_addedNames.clear();
    TTF* f = this->font();
    glyfTABLE* glyphs = f ? f->glyf() : nullptr;
    if (!glyphs) {
        setError(TTError::kInvalid);
        return error();
    }
    if (!parse()) {
        setError(TTError::kInvalid);
        return error();
    }
    if (!runGlyphs(*glyphs)) setError(TTError::kInvalid);
    return error();
}

bool CFFTABLE::parse() {
    auto* font = const_cast<Font*>(m_font.get());
    const uint8_t* d = font->data();
    const size_t size = font->size();
    if (size < 4 || d[0] != 1 || d[2] < 4 || d[2] > size) return false;
    font->headerSize = d[2];
    if (!font->names.read(d, size, font->headerSize) || font->names.count() != 1) return false;
    if (!font->topDicts.read(d, size, font->names.end()) || font->topDicts.count() != 1) return false;
    if (!font->strings.read(d, size, font->topDicts.end())) return false;
    if (!font->globalSubrs.read(d, size, font->strings.end())) return false;
    if (!font->top.read(font->topDicts.item(0), font->topDicts.itemSize(0))) return false;
    const Cff::Dict& top = font->top;
    if (top.number(Cff::Op::kCharstringType, 0, 2) != 2) return false;
    size_t at = 0;
    if (!OffsetIn(top.number(Cff::Op::kCharStrings, 0, -1), size, at) || !font->charStrings.read(d, size, at))
        return false;
    const size_t glyphs = font->charStrings.count();
    TTF* f = this->font();
    if (!f || glyphs != f->glyphCount() || glyphs == 0) return false;

    m_bCID = top.has(Cff::Op::kROS);
    if (m_bCID) {
        if (!OffsetIn(top.number(Cff::Op::kFDArray, 0, -1), size, at) || !font->fdArray.read(d, size, at) ||
            font->fdArray.count() == 0 || font->fdArray.count() > 256)
            return false;
        font->fontDicts.resize(font->fdArray.count());
        font->fdPrivates.resize(font->fdArray.count());
        for (size_t i = 0; i < font->fdArray.count(); ++i) {
            if (!font->fontDicts[i].read(font->fdArray.item(i), font->fdArray.itemSize(i)) ||
                !font->readPrivate(font->fontDicts[i], font->fdPrivates[i]))
                return false;
        }
        if (!font->readFdSelect(glyphs)) return false;
    } else if (top.has(Cff::Op::kPrivate)) {
        if (!font->readPrivate(top, font->privatePart)) return false;
        font->hasPrivate = true;
    }
    if (!m_bCID && !font->readEncoding()) return false;
    if (!font->readCharset(glyphs, m_ids)) return false;

    m_names.resize(glyphs);
    char cid[16];
    for (size_t g = 0; g < glyphs; ++g) {
        const uint16_t id = m_ids[g];
        if (m_bCID) {
            std::snprintf(cid, sizeof cid, "cid%05u", unsigned(id));
            m_names[g] = g == 0 ? ".notdef" : cid;
        } else if (id < Cff::kStandardStringCount) {
            m_names[g] = Cff::StandardString(id);
        } else if (size_t(id - Cff::kStandardStringCount) < font->strings.count()) {
            m_names[g] = font->strings.text(id - Cff::kStandardStringCount);
        } else {
            return false;
        }
    }
    return true;
}

bool CFFTABLE::runGlyphs(glyfTABLE& glyphs) {
    const Font& font = *m_font;
    for (size_t g = 0; g < font.charStrings.count(); ++g) {
        const PrivatePart* part = font.privateOf(g);
        Cff::Subroutines subrs{&font.globalSubrs, part && part->hasSubrs ? &part->subrs : nullptr};
        Cff::Bounds bounds;
        if (!Cff::RunCharstring(font.charStrings.item(g), font.charStrings.itemSize(g), subrs, bounds)) return false;
        TTGLYPH* glyph = glyphs.glyph(g);
        glyph->m_nKind = bounds.empty ? TTGLYPH::Empty : TTGLYPH::Simple;
        glyph->xMin = bounds.empty ? 0 : FloorTo16(bounds.xMin);
        glyph->yMin = bounds.empty ? 0 : FloorTo16(bounds.yMin);
        glyph->xMax = bounds.empty ? 0 : CeilTo16(bounds.xMax);
        glyph->yMax = bounds.empty ? 0 : CeilTo16(bounds.yMax);
        // The outline stays in the charstring: nothing is left to load.
        glyph->m_bLoaded = true;
        glyph->m_bResident = false;
        glyph->m_name = GlyphNames::own(m_names[g]);
    }
    return true;
}

CFFTABLE::Widths CFFTABLE::widths() const {
    Widths w;
    const PrivatePart* part = m_font ? m_font->privateOf(0) : nullptr;
    if (m_font && !m_font->fdPrivates.empty()) part = &m_font->fdPrivates[0];
    if (part) {
        w.defaultWidth = int(part->dict.number(Cff::Op::kDefaultWidthX, 0, 0));
        w.nominalWidth = int(part->dict.number(Cff::Op::kNominalWidthX, 0, 0));
    }
    return w;
}

std::string CFFTABLE::addGlyph(std::vector<uint8_t> charstring, const std::string& name) {
    std::string chosen;
    if (m_bCID) {
        uint32_t cid = m_ids.empty() ? 1 : uint32_t(*std::max_element(m_ids.begin(), m_ids.end())) + 1;
        char text[16];
        std::snprintf(text, sizeof text, "cid%05u", unsigned(cid + m_added.size()));
        chosen = text;
    } else {
        std::unordered_set<std::string> taken(m_names.begin(), m_names.end());
        taken.insert(m_addedNames.begin(), m_addedNames.end());
        chosen = name.empty() ? "Penmark" : name;
        for (int n = 1; taken.count(chosen); ++n) chosen = (name.empty() ? "Penmark" : name) + "." + std::to_string(n);
    }
    m_added.push_back(std::move(charstring));
    m_addedNames.push_back(chosen);
    setState(TTSource::Calculated);
    return chosen;
}

void CFFTABLE::setFontName(const std::string& name) {
    if (!m_font || name == m_font->names.text(0)) return;
    m_fontName = name;
    setState(TTSource::Calculated);
}

int CFFTABLE::followGlyphCount(uint32_t oldCount, uint32_t newCount) {
    if (m_font && newCount == oldCount + m_added.size() && oldCount == m_font->charStrings.count())
        return TTError::kOk;
    return TTError::kGlyphCountTable;
}

int CFFTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (!m_font) return TTF_TABLE::writeBody();
    if (m_added.empty() && m_fontName.empty()) {
        writeBytes(m_font->bytes);
        return error();
    }
    if (m_ids.size() + m_added.size() > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    writeBytes(rebuild());
    return error();
}

namespace {

std::vector<uint8_t> CopyOf(const std::vector<uint8_t>& bytes, const Cff::Index& index) {
    return {bytes.begin() + long(index.offset()), bytes.begin() + long(index.end())};
}

std::vector<uint8_t> Encode(const Cff::Dict& dict) {
    std::vector<uint8_t> out;
    dict.write(out);
    return out;
}

std::vector<std::string_view> Items(const Cff::Index& index) {
    std::vector<std::string_view> items;
    items.reserve(index.count());
    for (size_t i = 0; i < index.count(); ++i) items.push_back(index.text(i));
    return items;
}

// A Private DICT with its subroutines right after it.
std::vector<uint8_t> PrivateBlock(const std::vector<uint8_t>& bytes, const PrivatePart& part) {
    Cff::Dict dict = part.dict;
    if (part.hasSubrs) {
        dict.setIntegers(Cff::Op::kSubrs, {0});
        dict.setIntegers(Cff::Op::kSubrs, {int32_t(Encode(dict).size())});
    }
    std::vector<uint8_t> out = Encode(dict);
    if (part.hasSubrs) {
        std::vector<uint8_t> subrs = CopyOf(bytes, part.subrs);
        out.insert(out.end(), subrs.begin(), subrs.end());
    }
    return out;
}

// The charset of ids (glyph 0 left out), in the smaller of formats 0 and 2.
std::vector<uint8_t> Charset(const std::vector<uint16_t>& ids) {
    std::vector<uint8_t> ranges{2};
    for (size_t g = 1; g < ids.size();) {
        size_t n = 1;
        while (g + n < ids.size() && ids[g + n] == ids[g] + n && n < 0x10000) ++n;
        Put16(ranges, ids[g]);
        Put16(ranges, n - 1);
        g += n;
    }
    std::vector<uint8_t> list{0};
    for (size_t g = 1; g < ids.size(); ++g) Put16(list, ids[g]);
    return list.size() <= ranges.size() ? list : ranges;
}

// FDSelect format 3: runs of glyphs sharing a Font DICT, and the glyph count after them.
std::vector<uint8_t> FdSelect(const std::vector<uint8_t>& fds) {
    std::vector<uint8_t> out{3, 0, 0};
    size_t ranges = 0;
    for (size_t g = 0; g < fds.size(); ++g) {
        if (g > 0 && fds[g] == fds[g - 1]) continue;
        Put16(out, g);
        out.push_back(fds[g]);
        ++ranges;
    }
    out[1] = uint8_t(ranges >> 8);
    out[2] = uint8_t(ranges);
    Put16(out, fds.size());
    return out;
}

}  // namespace

std::vector<uint8_t> CFFTABLE::rebuild() const {
    const Font& font = *m_font;
    const std::vector<uint8_t>& bytes = font.bytes;

    // The grown lists: ids, strings, charstrings and Font DICT choices.
    std::vector<uint16_t> ids = m_ids;
    std::vector<std::string_view> strings = Items(font.strings);
    uint32_t nextCid = ids.empty() ? 1 : uint32_t(*std::max_element(ids.begin(), ids.end())) + 1;
    for (const std::string& name : m_addedNames) {
        if (m_bCID) {
            ids.push_back(uint16_t(nextCid++));
            continue;
        }
        int standard = Cff::StandardStringId(name);
        if (standard >= 0) {
            ids.push_back(uint16_t(standard));
        } else {
            ids.push_back(uint16_t(Cff::kStandardStringCount + strings.size()));
            strings.push_back(name);
        }
    }
    std::vector<std::string_view> charStrings = Items(font.charStrings);
    for (const auto& cs : m_added) charStrings.push_back({reinterpret_cast<const char*>(cs.data()), cs.size()});

    Cff::Dict top = font.top;
    const bool customEncoding = !font.encoding.empty();
    if (m_bCID && top.number(Cff::Op::kCIDCount, 0, kDefaultCidCount) < nextCid)
        top.setIntegers(Cff::Op::kCIDCount, {int32_t(nextCid)});

    // The parts after the global subroutines, in order.
    std::vector<uint8_t> charset = Charset(ids);
    std::vector<uint8_t> fdSelect;
    std::vector<uint8_t> charStringsIndex;
    Cff::WriteIndex(charStringsIndex, charStrings);
    std::vector<uint8_t> privateBlock;
    std::vector<std::vector<uint8_t>> fdPrivateBlocks;
    if (m_bCID) {
        std::vector<uint8_t> fds = font.fdOfGlyph;
        fds.resize(ids.size(), 0);
        fdSelect = FdSelect(fds);
        for (const PrivatePart& part : font.fdPrivates) fdPrivateBlocks.push_back(PrivateBlock(bytes, part));
    } else if (font.hasPrivate) {
        privateBlock = PrivateBlock(bytes, font.privatePart);
    }

    std::vector<uint8_t> stringIndex;
    Cff::WriteIndex(stringIndex, strings);
    std::vector<uint8_t> nameIndex;
    if (m_fontName.empty()) nameIndex = CopyOf(bytes, font.names);
    else Cff::WriteIndex(nameIndex, {m_fontName});
    std::vector<uint8_t> globalSubrs = CopyOf(bytes, font.globalSubrs);

    // The Private DICT's own size: the block holds the DICT, then its subroutines.
    auto privateDictSize = [&](const PrivatePart& part) {
        Cff::Dict dict = part.dict;
        if (part.hasSubrs) dict.setIntegers(Cff::Op::kSubrs, {0});
        return int32_t(Encode(dict).size());
    };
    // Offsets are written at full width, so the Top DICT's size is known before them.
    auto placeOffsets = [&](int32_t charsetAt, int32_t fdSelectAt, int32_t charStringsAt, int32_t fdArrayAt,
                            int32_t privateAt, int32_t encodingAt) {
        top.setIntegers(Cff::Op::kCharset, {charsetAt});
        top.setIntegers(Cff::Op::kCharStrings, {charStringsAt});
        if (m_bCID) {
            top.setIntegers(Cff::Op::kFDSelect, {fdSelectAt});
            top.setIntegers(Cff::Op::kFDArray, {fdArrayAt});
        } else if (font.hasPrivate) {
            top.setIntegers(Cff::Op::kPrivate, {privateDictSize(font.privatePart), privateAt});
        }
        if (customEncoding) top.setIntegers(Cff::Op::kEncoding, {encodingAt});
    };
    placeOffsets(0, 0, 0, 0, 0, 0);

    auto topIndexOf = [&] {
        std::vector<uint8_t> dict = Encode(top);
        std::vector<uint8_t> out;
        Cff::WriteIndex(out, {{reinterpret_cast<const char*>(dict.data()), dict.size()}});
        return out;
    };
    const size_t topIndexSize = topIndexOf().size();

    size_t at = font.headerSize + nameIndex.size() + topIndexSize + stringIndex.size() + globalSubrs.size();
    const size_t charsetAt = at;
    at += charset.size();
    const size_t fdSelectAt = at;
    at += fdSelect.size();
    const size_t charStringsAt = at;
    at += charStringsIndex.size();

    // The Font DICTs point at their Private DICTs, which follow the Font DICT INDEX.
    std::vector<uint8_t> fdArrayIndex;
    const size_t fdArrayAt = at;
    if (m_bCID) {
        std::vector<Cff::Dict> dicts = font.fontDicts;
        auto encodeArray = [&] {
            std::vector<std::vector<uint8_t>> encoded;
            for (const auto& dict : dicts) encoded.push_back(Encode(dict));
            std::vector<std::string_view> views;
            for (const auto& e : encoded) views.push_back({reinterpret_cast<const char*>(e.data()), e.size()});
            std::vector<uint8_t> out;
            Cff::WriteIndex(out, views);
            return out;
        };
        for (auto& dict : dicts) dict.setIntegers(Cff::Op::kPrivate, {0, 0});
        size_t privateAt = fdArrayAt + encodeArray().size();
        for (size_t i = 0; i < dicts.size(); ++i) {
            dicts[i].setIntegers(Cff::Op::kPrivate, {privateDictSize(font.fdPrivates[i]), int32_t(privateAt)});
            privateAt += fdPrivateBlocks[i].size();
        }
        fdArrayIndex = encodeArray();
        at = privateAt;
    }
    const size_t privateAt = at;
    at += privateBlock.size();
    const size_t encodingAt = at;

    placeOffsets(int32_t(charsetAt), int32_t(fdSelectAt), int32_t(charStringsAt), int32_t(fdArrayAt),
                 int32_t(privateAt), int32_t(encodingAt));
    std::vector<uint8_t> topIndex = topIndexOf();

    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + long(font.headerSize));
    for (const std::vector<uint8_t>* part : {&nameIndex, &topIndex, &stringIndex, &globalSubrs, &charset, &fdSelect,
                                             &charStringsIndex, &fdArrayIndex})
        out.insert(out.end(), part->begin(), part->end());
    for (const auto& block : fdPrivateBlocks) out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), privateBlock.begin(), privateBlock.end());
    out.insert(out.end(), font.encoding.begin(), font.encoding.end());
    return out;
}

void CFFTABLE::dumpLines(FILE* out) {
    std::fprintf(out, "%s CFF font \"%s\", %zu glyphs, %zu added\n", m_bCID ? "CID-keyed" : "name-keyed",
                 m_font && m_font->names.count() ? std::string(m_font->names.text(0)).c_str() : "",
                 m_font ? m_font->charStrings.count() : size_t(0), m_added.size());
}
