#include "TestPictures.h"

#include <cmath>
#include <cstdio>
#include <vector>

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
