#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

std::string ScratchPath(const std::string& name) { return std::string(PENMARK_TEST_TMP) + "/" + name; }

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool ReadPbm(const std::string& path, Reference& out) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    f >> magic >> out.width >> out.height;
    if (magic != "P4" || out.width <= 0 || out.height <= 0) return false;
    f.get();  // the one whitespace after the header
    size_t rowBytes = size_t(out.width + 7) / 8;
    std::vector<uint8_t> raw(rowBytes * size_t(out.height));
    if (!f.read(reinterpret_cast<char*>(raw.data()), std::streamsize(raw.size()))) return false;
    out.pixels.resize(size_t(out.width) * size_t(out.height));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            bool black = raw[size_t(y) * rowBytes + size_t(x) / 8] & (0x80 >> (x % 8));
            out.pixels[size_t(y) * size_t(out.width) + size_t(x)] = black ? 0 : 1;
        }
    return true;
}

std::string CompareWith(const MonoImage& image, const Reference& ref) {
    std::ostringstream why;
    if (image.width != ref.width || image.height != ref.height) {
        why << "size " << image.width << "x" << image.height << ", expected " << ref.width << "x"
            << ref.height;
        return why.str();
    }
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x)
            if (image.GetPixel(x, y) != ref.pixels[size_t(y) * size_t(ref.width) + size_t(x)]) {
                if (differing++ == 0) firstX = x, firstY = y;
            }
    if (differing == 0) return {};
    why << differing << " pixels differ, first at (" << firstX << ", " << firstY << ")";
    return why.str();
}

std::vector<uint8_t> TinyTiff(uint32_t width, uint32_t length, uint16_t compression,
                              const std::vector<uint8_t>& strip, std::vector<TiffEntry> extra,
                              bool withByteCount, bool addStripTags) {
    std::vector<TiffEntry> entries = {
        {256, 4, 1, width}, {257, 4, 1, length}, {258, 3, 1, 1}, {259, 3, 1, compression}, {262, 3, 1, 1},
    };
    if (addStripTags) entries.push_back({273, 4, 1, 8});
    if (addStripTags && withByteCount) entries.push_back({279, 4, 1, uint32_t(strip.size())});
    for (const TiffEntry& e : extra) {
        auto same = std::find_if(entries.begin(), entries.end(), [&](const TiffEntry& o) { return o.tag == e.tag; });
        if (same != entries.end())
            *same = e;
        else
            entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.tag < b.tag; });
    std::vector<uint8_t> out = {'I', 'I', 42, 0};
    auto u16 = [&](uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    uint32_t ifd = uint32_t(8 + strip.size() + (strip.size() & 1));
    u32(ifd);
    out.insert(out.end(), strip.begin(), strip.end());
    if (strip.size() & 1) out.push_back(0);
    u16(uint32_t(entries.size()));
    for (const TiffEntry& e : entries) {
        u16(e.tag);
        u16(e.type);
        u32(e.count);
        if (e.type == 3) {
            u16(e.value);
            u16(0);
        } else {
            u32(e.value);
        }
    }
    u32(0);
    return out;
}

void BitWriter::Put(uint32_t code, unsigned width) {
    for (unsigned i = width; i-- > 0;) {
        if (m_used == 8) {
            bytes.push_back(0);
            m_used = 0;
        }
        if (code >> i & 1) bytes.back() |= uint8_t(0x80 >> m_used);
        ++m_used;
    }
}

void BitWriter::Put(const char* bits) {
    for (; *bits; ++bits) Put(uint32_t(*bits - '0'), 1);
}

void BitWriter::AlignToByte() { m_used = 8; }
