// Format 4: segments of the 16-bit codes, each a delta or an array of glyphs.
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "CmapFormats.h"
#include "TTBytes.h"
#include "TTError.h"

namespace {

bool Mapped(const std::vector<uint16_t>& map, uint32_t c) { return map[c] != 0; }

// Codes from first on whose glyphs each follow the previous by one; after the first
// unmapped code everything must be unmapped. Answers how many codes pass.
uint32_t ForwardPass(const std::vector<uint16_t>& map, uint32_t first, uint32_t last) {
    for (uint32_t c = first + 1; c <= last; ++c) {
        if (!Mapped(map, c)) {
            for (uint32_t d = c; d <= last; ++d)
                if (Mapped(map, d)) return c - first;
            return last - first + 1;
        }
        if (map[c] != uint16_t(map[c - 1] + 1)) return c - first;
    }
    return last - first + 1;
}

// The same from last downwards.
uint32_t BackwardPass(const std::vector<uint16_t>& map, uint32_t first, uint32_t last) {
    for (uint32_t c = last; c-- > first;) {
        if (!Mapped(map, c)) {
            for (uint32_t d = c + 1; d-- > first;)
                if (Mapped(map, d)) return last - c;
            return last - first + 1;
        }
        if (uint16_t(map[c] + 1) != map[c + 1]) return last - c;
    }
    return last - first + 1;
}

// Splits runs of 8 or more consecutive glyph indices out of an array segment.
void SplitArray(const std::vector<uint16_t>& map, uint32_t first, uint32_t last, std::vector<CmapSegment>& out) {
    uint32_t arrayStart = first;
    for (uint32_t c = first; c <= last;) {
        uint32_t run = 1;
        if (Mapped(map, c))
            while (c + run <= last && Mapped(map, c + run) && map[c + run] == uint16_t(map[c + run - 1] + 1)) ++run;
        if (run >= 8) {
            if (c > arrayStart) out.push_back({arrayStart, c - 1, false});
            out.push_back({c, c + run - 1, true});
            arrayStart = c + run;
        }
        c += run;
    }
    if (arrayStart <= last) out.push_back({arrayStart, last, false});
}

void Classify(const std::vector<uint16_t>& map, uint32_t first, uint32_t last, std::vector<CmapSegment>& out) {
    for (;;) {
        uint32_t length = last - first + 1;
        uint32_t prefix = ForwardPass(map, first, last);
        if (prefix == length) {
            out.push_back({first, last, true});
            return;
        }
        if (prefix >= 4) {
            out.push_back({first, first + prefix - 1, true});
            first += prefix;
            continue;
        }
        uint32_t remembered = prefix >= 2 ? prefix : 0;
        uint32_t suffix = BackwardPass(map, first + remembered, last);
        if (remembered && remembered + suffix == length && length >= 4) {
            out.push_back({first, first + remembered - 1, true});
            out.push_back({first + remembered, last, true});
            return;
        }
        if (suffix >= 4) {
            SplitArray(map, first, last - suffix, out);
            out.push_back({last - suffix + 1, last, true});
            return;
        }
        SplitArray(map, first, last, out);
        return;
    }
}

size_t Format4Size(const std::vector<CmapSegment>& segs) {
    size_t size = 16 + 8 * (segs.size() + 1);
    for (const auto& s : segs)
        if (!s.delta) size += 2 * (s.end - s.start + 1);
    return size;
}

}  // namespace

std::vector<CmapSegment> BuildFormat4Segments(const std::vector<uint16_t>& map) {
    std::vector<CmapSegment> runs, segs;
    // Code 0xFFFF belongs to the closing segment and is never mapped here.
    const uint32_t limit = std::min<uint32_t>(uint32_t(map.size()), 0xFFFF);
    for (uint32_t c = 0; c < limit;) {
        if (!Mapped(map, c)) {
            ++c;
            continue;
        }
        uint32_t start = c, lastMapped = c;
        for (uint32_t gap = 0; ++c < limit;) {
            if (Mapped(map, c)) {
                lastMapped = c;
                gap = 0;
            } else if (++gap == 5) {
                break;
            }
        }
        runs.push_back({start, lastMapped, false});
        c = lastMapped + 1;
    }
    for (const auto& r : runs) Classify(map, r.start, r.end, segs);
    // Leading and trailing unmapped codes go; empty segments with them.
    std::vector<CmapSegment> out;
    for (auto s : segs) {
        while (s.start <= s.end && !Mapped(map, s.start)) ++s.start;
        while (s.end >= s.start && s.end > 0 && !Mapped(map, s.end)) --s.end;
        if (s.start <= s.end && Mapped(map, s.start)) out.push_back(s);
    }
    std::sort(out.begin(), out.end(), [](const CmapSegment& a, const CmapSegment& b) { return a.start < b.start; });
    return out;
}

bool ParseFormat4(TTcmapSubtable& sub, ByteCursor& c, const uint8_t* p, size_t size) {
    bool ok = true;
    c.skip(2);
    sub.language = c.u16();
    uint32_t segCount = c.u16() / 2u;
    c.skip(6);
    size_t endAt = c.pos(), startAt = endAt + 2 * segCount + 2, deltaAt = startAt + 2 * segCount,
           rangeAt = deltaAt + 2 * segCount;
    ok = c.ok() && rangeAt + 2 * segCount <= size;
    uint32_t prevEnd = 0;
    for (uint32_t s = 0; ok && s < segCount; ++s) {
        ByteCursor f(p, size);
        f.seek(endAt + 2 * s);
        uint32_t end = f.u16();
        f.seek(startAt + 2 * s);
        uint32_t start = f.u16();
        f.seek(deltaAt + 2 * s);
        uint16_t delta = f.u16();
        size_t rangeWord = rangeAt + 2 * s;
        f.seek(rangeWord);
        uint32_t range = f.u16();
        // Segments must ascend without overlap; anything else is kept as bytes.
        if (start > end || (s > 0 && start <= prevEnd)) {
            ok = false;
            break;
        }
        prevEnd = end;
        for (uint32_t code = start; code <= end; ++code) {
            uint16_t glyph;
            if (range == 0) {
                glyph = uint16_t(code + delta);
            } else {
                size_t at = rangeWord + range + 2 * size_t(code - start);
                if (at + 2 > size) {
                    glyph = 0;  // outside the subtable: unmapped
                } else {
                    glyph = ReadBE16(p + at);
                    if (glyph) glyph = uint16_t(glyph + delta);
                }
            }
            sub.m_map[code] = glyph;
        }
    }
    return ok;
}

int EncodeFormat4(const TTcmapSubtable& sub, std::vector<uint8_t>& out, [[maybe_unused]] size_t start) {
    ByteWriter w(out);
    std::vector<CmapSegment> segs = BuildFormat4Segments(sub.m_map);
    size_t size = Format4Size(segs);
    if (size > kCmapMaxLength16) return TTError::kInvalid;
    uint32_t segCount = uint32_t(segs.size() + 1);
    uint32_t pow = 1, sel = 0;
    while (pow * 2 <= segCount) pow *= 2, ++sel;
    out.reserve(out.size() + size);
    w.u16(4).u16(uint16_t(size)).u16(uint16_t(sub.language));
    w.u16(uint16_t(2 * segCount)).u16(uint16_t(2 * pow)).u16(uint16_t(sel)).u16(uint16_t(2 * segCount - 2 * pow));
    for (const auto& s : segs) w.u16(uint16_t(s.end));
    w.u16(0xFFFF).u16(0);
    for (const auto& s : segs) w.u16(uint16_t(s.start));
    w.u16(0xFFFF);
    for (const auto& s : segs) w.u16(s.delta ? uint16_t(sub.m_map[s.start] - s.start) : 0);
    w.u16(1);
    uint32_t arrayCodes = 0;
    for (uint32_t i = 0; i < segs.size(); ++i) {
        if (segs[i].delta) {
            w.u16(0);
        } else {
            w.u16(uint16_t(2 * (segCount - i) + 2 * arrayCodes));
            arrayCodes += segs[i].end - segs[i].start + 1;
        }
    }
    w.u16(0);
    for (const auto& s : segs)
        if (!s.delta)
            for (uint32_t c = s.start; c <= s.end; ++c) w.u16(sub.m_map[c]);
    return TTError::kOk;
}
