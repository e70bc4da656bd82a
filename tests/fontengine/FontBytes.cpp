#include "FontBytes.h"

#include <algorithm>

Bytes BuildSfnt(const std::vector<RawTable>& tables, uint32_t version) {
    Bytes out;
    Be w{out};
    uint16_t n = uint16_t(tables.size());
    uint16_t pow = 1, sel = 0;
    while (pow * 2 <= n) pow *= 2, ++sel;
    w.u32(version).u16(n).u16(pow * 16).u16(sel).u16(n * 16 - pow * 16);
    size_t offset = 12 + 16 * size_t(n);
    std::vector<size_t> offsets;
    for (const auto& t : tables) {
        offsets.push_back(offset);
        offset += (t.data.size() + 3) & ~size_t(3);
    }
    for (size_t i = 0; i < tables.size(); ++i) {
        const auto& t = tables[i];
        for (char c : t.tag) out.push_back(uint8_t(c));
        w.u32(WordSum(t.data.data(), t.data.size()));
        w.u32(uint32_t(t.offset >= 0 ? t.offset : int64_t(offsets[i])));
        w.u32(uint32_t(t.length >= 0 ? t.length : int64_t(t.data.size())));
    }
    for (const auto& t : tables) {
        out.insert(out.end(), t.data.begin(), t.data.end());
        while (out.size() % 4) out.push_back(0);
    }
    return out;
}

std::vector<DirEntry> ReadDirectory(const Bytes& font) {
    std::vector<DirEntry> dir;
    uint16_t n = GetBE16(font, 4);
    for (size_t i = 0; i < n; ++i) {
        size_t at = 12 + 16 * i;
        dir.push_back({std::string(font.begin() + long(at), font.begin() + long(at) + 4), GetBE32(font, at + 4),
                       GetBE32(font, at + 8), GetBE32(font, at + 12)});
    }
    return dir;
}

const DirEntry* FindEntry(const std::vector<DirEntry>& dir, const std::string& tag) {
    for (const auto& e : dir)
        if (e.tag == tag) return &e;
    return nullptr;
}

Bytes TableBytes(const Bytes& font, const std::string& tag) {
    auto dir = ReadDirectory(font);
    const DirEntry* e = FindEntry(dir, tag);
    if (!e) return {};
    return Bytes(font.begin() + e->offset, font.begin() + e->offset + e->length);
}

uint32_t WordSum(const uint8_t* p, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; i += 4) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) v = (v << 8) | (i + k < n ? p[i + k] : 0);
        sum += v;
    }
    return sum;
}

Bytes SimpleGlyph(const std::vector<std::vector<Pt>>& contours) {
    // Plain encoding: one flag byte per point, 16-bit deltas; the engine's own encoder
    // compresses, so reading this form tests the decoder on its own.
    std::vector<Pt> pts;
    std::vector<int> ends;
    for (const auto& c : contours) {
        pts.insert(pts.end(), c.begin(), c.end());
        ends.push_back(int(pts.size()) - 1);
    }
    int x0 = 32767, y0 = 32767, x1 = -32768, y1 = -32768;
    for (const auto& p : pts) x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    if (pts.empty()) x0 = y0 = x1 = y1 = 0;
    Bytes b;
    Be w{b};
    w.u16(int(contours.size())).u16(x0).u16(y0).u16(x1).u16(y1);
    for (int e : ends) w.u16(e);
    w.u16(0);
    for (const auto& p : pts) w.u8(p.on ? 1 : 0);
    int prev = 0;
    for (const auto& p : pts) w.u16(p.x - prev), prev = p.x;
    prev = 0;
    for (const auto& p : pts) w.u16(p.y - prev), prev = p.y;
    return b;
}

std::vector<RawTable> SmallFont(const std::vector<Bytes>& glyphs, const std::vector<int>& advances) {
    Bytes glyf, loca, head, hhea, hmtx, maxp;
    Be l{loca};
    l.u32(0);
    int maxPts = 0;
    for (const auto& g : glyphs) {
        glyf.insert(glyf.end(), g.begin(), g.end());
        if (glyf.size() % 2) glyf.push_back(0);
        l.u32(uint32_t(glyf.size()));
        maxPts = std::max<int>(maxPts, 64);
    }
    Be h{head};
    h.u32(0x00010000).u32(0x00010000).u32(0).u32(0x5F0F3CF5).u16(0).u16(1000);
    h.u32(0).u32(0x12345678).u32(0).u32(0x12345678);  // created, modified
    h.u16(0).u16(0).u16(1000).u16(1000).u16(0).u16(8).u16(2).u16(1).u16(0);
    Be hh{hhea};
    hh.u32(0x00010000).u16(800).u16(0xFF38).u16(0).u16(1000).u16(0).u16(0).u16(1000).u16(1).u16(0);
    for (int i = 0; i < 5; ++i) hh.u16(0);
    hh.u16(0).u16(int(glyphs.size()));
    Be hm{hmtx};
    for (size_t i = 0; i < glyphs.size(); ++i) hm.u16(advances[i]).u16(0);
    Be m{maxp};
    m.u32(0x00010000).u16(int(glyphs.size())).u16(maxPts).u16(8).u16(0).u16(0).u16(2);
    for (int i = 0; i < 8; ++i) m.u16(0);
    return {{"glyf", glyf}, {"head", head}, {"hhea", hhea}, {"hmtx", hmtx}, {"loca", loca}, {"maxp", maxp}};
}

int ReadFont(TTF& font, TTMemoryStream& in) { return font.readFrom(&in); }

int WriteFont(TTF& font, Bytes& out) {
    TTMemoryStream s;
    int code = font.writeTo(&s);
    out = s.data();
    return code;
}
