#include "OS2TABLE.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

#include <algorithm>
#include <array>

#include "GlyphNames.h"
#include "TTBytes.h"
#include "TTF.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"

namespace {
// Letter frequencies of English text, in thousandths, by glyph name.
struct NameWeight {
    const char* name;
    int weight;
};
constexpr NameWeight kWeights[] = {
    {"a", 64}, {"b", 14}, {"c", 27}, {"d", 35}, {"e", 100}, {"f", 20}, {"g", 14},
    {"h", 42}, {"i", 63}, {"j", 3},  {"k", 6},  {"l", 35},  {"m", 20}, {"n", 56},
    {"o", 56}, {"p", 17}, {"q", 4},  {"r", 49}, {"s", 56},  {"t", 71}, {"u", 31},
    {"v", 10}, {"w", 18}, {"x", 3},  {"y", 18}, {"z", 2},   {"space", 166}};
constexpr int kWeightTotal = 1000;

// The codes whose glyphs set the Windows ascent and descent: Basic Latin from the space
// to the end of Latin-1 Supplement.
constexpr uint32_t kWinFirstCode = 0x20;
constexpr uint32_t kWinLastCode = 0xFF;
constexpr uint32_t kSymbolBase = 0xF000;
constexpr size_t kWinGlyphsWithoutMap = 256;

// The weight of each standard glyph name; every name of the list is a standard one.
const std::array<uint8_t, GlyphNames::kStandardCount>& StandardWeights() {
    static const std::array<uint8_t, GlyphNames::kStandardCount> weights = [] {
        std::array<uint8_t, GlyphNames::kStandardCount> w{};
        for (const auto& entry : kWeights) w[size_t(GlyphNames::standardIndex(entry.name))] = uint8_t(entry.weight);
        return w;
    }();
    return weights;
}

int WeightOf(const GlyphName& name) {
    // Only single letters and "space" carry a weight: spare the name lookup for the
    // thousands of other names a large font holds.
    if (!name.text.empty() && name.text.size() != 1 && name.text != "space") return 0;
    int index = name.text.empty() ? name.index : GlyphNames::standardIndex(name.text);
    return index >= 0 && index < GlyphNames::kStandardCount ? StandardWeights()[size_t(index)] : 0;
}

int16_t Clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }
}  // namespace

OS2TABLE::OS2TABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("OS/2"), length, checksum, offset) {}

void OS2TABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* o = dynamic_cast<const OS2TABLE*>(&other); o && o != this)
        static_cast<OS2Fields&>(*this) = static_cast<const OS2Fields&>(*o);
}

void OS2TABLE::reset() {
    TTF_TABLE::reset();
    static_cast<OS2Fields&>(*this) = OS2Fields{};
}

uint32_t OS2TABLE::sizeOfVersion() const {
    if (version == 0) return m_bShortVersion0 ? kSizeV0Short : kSizeV0;
    if (version == 1) return kSizeV1;
    if (version <= 4) return kSizeV2;
    return kSizeV5;
}

int OS2TABLE::readBody() {
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u16();
    m_bShortVersion0 = version == 0 && bytes.size() < kSizeV0;
    // A table shorter than its version holds is damaged, except the short early form.
    if (bytes.size() < sizeOfVersion()) {
        setError(TTError::kRead);
        return error();
    }
    xAvgCharWidth = c.s16();
    usWeightClass = c.u16();
    usWidthClass = c.u16();
    fsType = c.u16();
    for (int16_t* f : {&ySubscriptXSize, &ySubscriptYSize, &ySubscriptXOffset, &ySubscriptYOffset,
                       &ySuperscriptXSize, &ySuperscriptYSize, &ySuperscriptXOffset, &ySuperscriptYOffset,
                       &yStrikeoutSize, &yStrikeoutPosition, &sFamilyClass})
        *f = c.s16();
    c.bytes(panose.data(), panose.size());
    for (auto& r : unicoderange) r = c.u32();
    c.bytes(achVendID.data(), achVendID.size());
    Selection = c.u16();
    usFirstCharIndex = c.u16();
    usLastCharIndex = c.u16();
    if (!m_bShortVersion0) {
        sTypoAscender = c.s16();
        sTypoDescender = c.s16();
        sTypoLineGap = c.s16();
        usWinAscent = c.u16();
        usWinDescent = c.u16();
    }
    if (version >= 1) {
        codepagerange[0] = c.u32();
        codepagerange[1] = c.u32();
    }
    if (version >= 2) {
        sxHeight = c.s16();
        sCapHeight = c.s16();
        usDefaultChar = c.u16();
        usBreakChar = c.u16();
        usMaxContext = c.u16();
    }
    if (version >= 5) {
        usLowerOpticalPointSize = c.u16();
        usUpperOpticalPointSize = c.u16();
    }
    m_tail.assign(c.here(), c.here() + c.remaining());
    if (!c.ok()) setError(TTError::kRead);
    return error();
}

void OS2TABLE::recompute() {
    TTF* f = font();
    glyfTABLE* g = f ? f->glyf() : nullptr;
    auto* cmap = f ? f->get<cmapTABLE>(TTIndex::cmap) : nullptr;
    if (!g || !cmap || g->state() == TTSource::None || cmap->state() == TTSource::None) return;
    setState(TTSource::Calculated);

    const size_t count = g->glyphCount();
    TTcmapSubtable* unicode = cmap->findSubtable(3, 1);
    TTcmapSubtable* symbol = cmap->findSubtable(3, 0);
    TTcmapSubtable* map = unicode ? unicode : symbol;
    // A subtable kept as bytes has no mapping to look at: as if there were none.
    if (map && map->carried()) map = nullptr;

    // Average width: by letter frequency where the names allow it, else of all glyphs.
    int64_t weighted = 0, total = 0;
    int weights = 0;
    for (size_t i = 0; i < count; ++i) {
        const TTGLYPH* glyph = g->glyph(i);
        total += glyph->m_nAdvanceWidth;
        if (int w = WeightOf(glyph->m_name)) {
            weights += w;
            weighted += int64_t(glyph->m_nAdvanceWidth) * w;
        }
    }
    if (unicode && !symbol && weights == kWeightTotal) xAvgCharWidth = Clamp16(weighted / kWeightTotal);
    else xAvgCharWidth = count ? Clamp16(total / int64_t(count)) : 0;

    // Windows ascent and descent: the Latin-1 glyphs, or the first glyphs without a map.
    int ascent = 0, descent = 0;
    auto take = [&](size_t index) {
        if (index >= count) return;
        TTGLYPH* glyph = g->glyph(index);
        if (glyph->m_bResident) glyph->updateBoundingBox();
        if (glyph->m_nKind == TTGLYPH::Empty) return;
        ascent = std::max<int>(ascent, glyph->yMax);
        descent = std::max<int>(descent, -glyph->yMin);
    };
    if (map) {
        uint32_t base = map == symbol ? kSymbolBase : 0;
        for (uint32_t code = kWinFirstCode; code <= kWinLastCode; ++code)
            if (uint16_t glyph = map->glyphForCode(base + code)) take(glyph);
    } else {
        for (size_t i = 0; i < std::min(count, kWinGlyphsWithoutMap); ++i) take(i);
    }
    // Raised, never lowered: glyphs outside these bounds are clipped on Windows, and the
    // font's own values may cover glyphs beyond Latin-1.
    usWinAscent = std::max<uint16_t>(usWinAscent, uint16_t(std::min(ascent, 0xFFFF)));
    usWinDescent = std::max<uint16_t>(usWinDescent, uint16_t(std::min(descent, 0xFFFF)));

    // First and last character; codes beyond 16 bits are recorded as 0xFFFF.
    if (map) {
        uint32_t first = 0, last = 0;
        bool any = false;
        for (uint32_t code = 0; code < map->arraySize(); ++code) {
            if (map->m_map[code] == 0) continue;
            if (!any) first = code;
            last = code;
            any = true;
        }
        usFirstCharIndex = uint16_t(std::min<uint32_t>(first, 0xFFFF));
        usLastCharIndex = uint16_t(std::min<uint32_t>(last, 0xFFFF));
        // Characters beyond the 16-bit codes live in the full Unicode subtable; the
        // field then holds its largest value.
        if (TTcmapSubtable* full = cmap->findSubtable(3, 10)) {
            for (uint32_t code = 0x10000; code < full->arraySize(); ++code)
                if (full->m_map[code]) {
                    usLastCharIndex = 0xFFFF;
                    break;
                }
        }
    }
}

int OS2TABLE::writeBody() {
    if (!beginWrite()) return error();
    recompute();
    std::vector<uint8_t> bytes;
    bytes.reserve(kSizeV5 + m_tail.size());
    ByteWriter w(bytes);
    w.u16(version);
    w.s16(xAvgCharWidth);
    w.u16(usWeightClass);
    w.u16(usWidthClass);
    w.u16(fsType);
    for (int16_t v : {ySubscriptXSize, ySubscriptYSize, ySubscriptXOffset, ySubscriptYOffset, ySuperscriptXSize,
                      ySuperscriptYSize, ySuperscriptXOffset, ySuperscriptYOffset, yStrikeoutSize,
                      yStrikeoutPosition, sFamilyClass})
        w.s16(v);
    w.bytes(panose.data(), panose.size());
    for (uint32_t r : unicoderange) w.u32(r);
    w.bytes(achVendID.data(), achVendID.size());
    w.u16(Selection);
    w.u16(usFirstCharIndex);
    w.u16(usLastCharIndex);
    if (!(version == 0 && m_bShortVersion0)) {
        w.s16(sTypoAscender);
        w.s16(sTypoDescender);
        w.s16(sTypoLineGap);
        w.u16(usWinAscent);
        w.u16(usWinDescent);
    }
    if (version >= 1) {
        w.u32(codepagerange[0]);
        w.u32(codepagerange[1]);
    }
    if (version >= 2) {
        w.s16(sxHeight);
        w.s16(sCapHeight);
        w.u16(usDefaultChar);
        w.u16(usBreakChar);
        w.u16(usMaxContext);
    }
    if (version >= 5) {
        w.u16(usLowerOpticalPointSize);
        w.u16(usUpperOpticalPointSize);
    }
    w.bytes(m_tail.data(), m_tail.size());
    writeBytes(bytes);
    return error();
}

void OS2TABLE::dumpLines(FILE* out) {
    std::fprintf(out, "ver. %04x, xavgcw = %d, WeightClass = %s, WidthClass = %s, fsType = %x\n", version,
                 xAvgCharWidth, TTText::WeightClassName(usWeightClass), TTText::WidthClassName(usWidthClass), fsType);
    std::fprintf(out, "ySubscript: XSize = %d, YSize = %d, XOffset = %d, YOffset = %d\n", ySubscriptXSize,
                 ySubscriptYSize, ySubscriptXOffset, ySubscriptYOffset);
    std::fprintf(out, "ySuperscript: XSize = %d, YSize = %d, XOffset = %d, YOffset = %d\n", ySuperscriptXSize,
                 ySuperscriptYSize, ySuperscriptXOffset, ySuperscriptYOffset);
    std::fprintf(out, "yStrikeoutSize = %d, yStrikeoutPosition = %d\n", yStrikeoutSize, yStrikeoutPosition);
    std::fprintf(out, "FamilyClass = %s(%02x)\nPANOSE:\n", TTText::FamilyClassName(sFamilyClass),
                 unsigned(uint16_t(sFamilyClass) & 0xFF));
    for (int d = 0; d < 10; ++d)
        std::fprintf(out, "%s = %s\n", TTText::PanoseDigitName(d), TTText::PanoseValueName(d, panose[size_t(d)]));
    std::fprintf(out, "UnicodeRange = %8.8lx %8.8lx %8.8lx %8.8lx, which means:\n", (unsigned long)unicoderange[0],
                 (unsigned long)unicoderange[1], (unsigned long)unicoderange[2], (unsigned long)unicoderange[3]);
    for (int bit = 0; bit < 128; ++bit)
        if (unicoderange[size_t(bit / 32)] & (1u << (bit % 32))) {
            const char* name = TTText::UnicodeRangeName(bit);
            if (*name) std::fprintf(out, "    %s\n", name);
            else std::fprintf(out, "    bit %d\n", bit);
        }
    std::fprintf(out, "\n  vendor = '%4.4s'", std::string(achVendID.begin(), achVendID.end()).c_str());
    std::fputs("\n  Selection:", out);
    static const char* const kSelection[] = {"ITALIC", "UNDERSCORE", "NEGATIVE", "OUTLINED",
                                             "STRIKEOUT", "BOLD", "REGULAR"};
    bool any = false;
    for (int bit = 0; bit < 7; ++bit)
        if (Selection & (1u << bit)) {
            std::fprintf(out, " %s", kSelection[bit]);
            any = true;
        }
    if (!any) std::fputs(" none", out);
    std::fprintf(out, "\n  Char indices: %x..%x, Typo Ascender = %d, Descender = %d, Line Gap = %d\n",
                 usFirstCharIndex, usLastCharIndex, sTypoAscender, sTypoDescender, sTypoLineGap);
    std::fprintf(out, "Win: Ascent = %d, Descent = %d\n", usWinAscent, usWinDescent);
    if (version == 0) return;
    std::fprintf(out, "CodePage Range = %08x%08x, which means\n", unsigned(codepagerange[1]),
                 unsigned(codepagerange[0]));
    for (int bit = 0; bit < 64; ++bit)
        if (codepagerange[size_t(bit / 32)] & (1u << (bit % 32)))
            std::fprintf(out, "    %s\n", TTText::CodePageName(bit));
}

void OS2TABLE::dumpFields(TTDumpSink& sink) {
    sink.fieldHex("version", version);
    sink.field("xAvgCharWidth", xAvgCharWidth);
    sink.field("usWeightClass", usWeightClass);
    sink.field("usWidthClass", usWidthClass);
    sink.field("fsType", fsType);
    sink.field("ySubscriptXSize", ySubscriptXSize);
    sink.field("ySubscriptYSize", ySubscriptYSize);
    sink.field("ySubscriptXOffset", ySubscriptXOffset);
    sink.field("ySubscriptYOffset", ySubscriptYOffset);
    sink.field("ySuperscriptXSize", ySuperscriptXSize);
    sink.field("ySuperscriptYSize", ySuperscriptYSize);
    sink.field("ySuperscriptXOffset", ySuperscriptXOffset);
    sink.field("ySuperscriptYOffset", ySuperscriptYOffset);
    sink.field("yStrikeoutSize", yStrikeoutSize);
    sink.field("yStrikeoutPosition", yStrikeoutPosition);
    sink.field("sFamilyClass", sFamilyClass);
    sink.array("panose", panose.data(), panose.size());
    sink.array("unicoderange", unicoderange.data(), unicoderange.size());
    std::string vendor;
    for (uint8_t b : achVendID) vendor += b >= 0x20 && b < 0x7F ? char(b) : '.';
    sink.fieldText("achVendID", vendor);
    sink.field("Selection", Selection);
    sink.field("usFirstCharIndex", usFirstCharIndex);
    sink.field("usLastCharIndex", usLastCharIndex);
    if (m_bShortVersion0) return;
    sink.field("sTypoAscender", sTypoAscender);
    sink.field("sTypoDescender", sTypoDescender);
    sink.field("sTypoLineGap", sTypoLineGap);
    sink.field("usWinAscent", usWinAscent);
    sink.field("usWinDescent", usWinDescent);
    if (version >= 1) sink.array("codepagerange", codepagerange.data(), codepagerange.size());
    if (version >= 2) {
        sink.field("sxHeight", sxHeight);
        sink.field("sCapHeight", sCapHeight);
        sink.field("usDefaultChar", usDefaultChar);
        sink.field("usBreakChar", usBreakChar);
        sink.field("usMaxContext", usMaxContext);
    }
    if (version >= 5) {
        sink.field("usLowerOpticalPointSize", usLowerOpticalPointSize);
        sink.field("usUpperOpticalPointSize", usUpperOpticalPointSize);
    }
}
