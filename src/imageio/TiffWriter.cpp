#include "TiffWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t kRowsPerStrip = 64;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

}  // namespace

bool WriteTiffFile(const std::string& path, const MonoBitmap& image) {
    if (image.IsEmpty() || image.width <= 0 || image.height <= 0) return false;
    const uint32_t width = uint32_t(image.width), height = uint32_t(image.height);
    const uint32_t rowBytes = (width + 7) / 8;
    const uint32_t strips = (height + kRowsPerStrip - 1) / kRowsPerStrip;
    const uint16_t entries = 10;
    const uint32_t ifd = 8, offsets = ifd + 2 + entries * 12 + 4, counts = offsets + 4 * strips, data = counts + 4 * strips;
    if (uint64_t(data) + uint64_t(rowBytes) * height > UINT32_MAX) return false;
    std::vector<uint8_t> head(data, 0);
    head[0] = head[1] = 'I';
    Put16(head, 2, 42);
    Put32(head, 4, ifd);
    Put16(head, ifd, entries);
    size_t at = ifd + 2;
    auto tag = [&](uint16_t id, uint16_t type, uint32_t count, uint32_t value) {
        Put16(head, at, id);
        Put16(head, at + 2, type);
        Put32(head, at + 4, count);
        if (type == 3 && count == 1) Put16(head, at + 8, value); else Put32(head, at + 8, value);
        at += 12;
    };
    tag(256, 4, 1, width);
    tag(257, 4, 1, height);
    tag(258, 3, 1, 1);  // BitsPerSample
    tag(259, 3, 1, 1);  // no compression
    tag(262, 3, 1, 1);  // BlackIsZero: 0 is ink, as in the picture
    tag(273, 4, strips, strips == 1 ? data : offsets);
    tag(277, 3, 1, 1);
    tag(278, 4, 1, kRowsPerStrip);
    tag(279, 4, strips, strips == 1 ? rowBytes * height : counts);
    tag(284, 3, 1, 1);
    for (uint32_t s = 0; s < strips; ++s) {
        uint32_t rows = std::min(kRowsPerStrip, height - s * kRowsPerStrip);
        if (strips > 1) {
            Put32(head, offsets + 4 * s, data + s * kRowsPerStrip * rowBytes);
            Put32(head, counts + 4 * s, rows * rowBytes);
        }
    }
    std::string temp = path + ".part";
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(head.data(), 1, head.size(), out) == head.size();
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; ok && y < height; ++y) {
        const uint8_t* src = image.Row(int32_t(y));
        std::copy(src, src + rowBytes, row.begin());
        if (width % 8) row[rowBytes - 1] |= uint8_t(0xFF >> (width % 8));  // padding as paper
        ok = std::fwrite(row.data(), 1, rowBytes, out) == rowBytes;
    }
    ok = std::fclose(out) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}
