#include "TestPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

bool WriteTestTiff(const std::string& path, const MonoImage& img, int32_t rowsPerStrip) {
    const uint32_t rowBytes = uint32_t(img.width + 7) / 8;
    const uint32_t strips = uint32_t((img.height + rowsPerStrip - 1) / rowsPerStrip);
    const uint16_t entries = 10;
    const uint32_t ifd = 8, offsets = ifd + 2 + entries * 12 + 4, counts = offsets + 4 * strips;
    const uint32_t data = counts + 4 * strips;
    std::vector<uint8_t> f(data + size_t(rowBytes) * size_t(img.height), 0);
    auto le16 = [&](size_t at, uint32_t v) {
        f[at] = uint8_t(v);
        f[at + 1] = uint8_t(v >> 8);
    };
    auto le32 = [&](size_t at, uint32_t v) {
        le16(at, v & 0xFFFF);
        le16(at + 2, v >> 16);
    };
    f[0] = f[1] = 'I';
    le16(2, 42);
    le32(4, ifd);
    le16(ifd, entries);
    size_t at = ifd + 2;
    auto tag = [&](uint16_t id, uint16_t type, uint32_t count, uint32_t value) {
        le16(at, id);
        le16(at + 2, type);
        le32(at + 4, count);
        if (type == 3 && count == 1) le16(at + 8, value); else le32(at + 8, value);
        at += 12;
    };
    tag(256, 4, 1, uint32_t(img.width));
    tag(257, 4, 1, uint32_t(img.height));
    tag(258, 3, 1, 1);
    tag(259, 3, 1, 1);
    tag(262, 3, 1, 1);  // BlackIsZero: 0 is ink, as in the picture
    tag(273, 4, strips, strips == 1 ? data : offsets);
    tag(277, 3, 1, 1);
    tag(278, 4, 1, uint32_t(rowsPerStrip));
    tag(279, 4, strips, strips == 1 ? rowBytes * uint32_t(img.height) : counts);
    tag(284, 3, 1, 1);
    for (uint32_t s = 0; s < strips; ++s) {
        uint32_t rows = std::min<uint32_t>(uint32_t(rowsPerStrip), uint32_t(img.height) - s * uint32_t(rowsPerStrip));
        le32(offsets + 4 * s, data + s * uint32_t(rowsPerStrip) * rowBytes);
        le32(counts + 4 * s, rows * rowBytes);
    }
    for (int32_t y = 0; y < img.height; ++y)
        std::copy_n(img.Row(y), rowBytes, f.begin() + data + size_t(y) * rowBytes);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && ok;
}

bool WriteTestBmp(const std::string& path, const MonoImage& img) {
    int32_t rowBytes = ((img.width + 31) / 32) * 4;
    uint32_t dataSize = uint32_t(rowBytes * img.height);
    std::vector<uint8_t> f(62 + dataSize, 0);
    auto le16 = [&](size_t at, uint32_t v) {
        f[at] = uint8_t(v);
        f[at + 1] = uint8_t(v >> 8);
    };
    auto le32 = [&](size_t at, uint32_t v) {
        le16(at, v & 0xFFFF);
        le16(at + 2, v >> 16);
    };
    f[0] = 'B';
    f[1] = 'M';
    le32(2, uint32_t(f.size()));
    le32(10, 62);
    le32(14, 40);
    le32(18, uint32_t(img.width));
    le32(22, uint32_t(img.height));
    le16(26, 1);
    le16(28, 1);
    le32(34, dataSize);
    le32(46, 2);
    f[58] = f[59] = f[60] = 0xFF;  // palette entry 1: white
    for (int32_t y = 0; y < img.height; ++y)
        for (int32_t x = 0; x < img.width; ++x)
            if (img.GetPixel(x, y))
                f[62 + size_t((img.height - 1 - y) * rowBytes + x / 8)] |= uint8_t(0x80 >> (x % 8));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && ok;
}

MonoImage RingPicture(int32_t size) {
    MonoImage img;
    img.Create(size, size);
    img.Fill(1);
    double c = (size - 1) / 2.0;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c);
            if (d < size * 0.4 && d > size * 0.2) img.SetPixel(x, y, 0);
        }
    return img;
}
