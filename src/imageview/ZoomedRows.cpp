#include "ZoomedRows.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zoomed_rows {
namespace {

// Start of zoom k's bytes within one value's entry: 2 + 3 + ... + (k - 1).
constexpr int ZoomOffset(int k) { return (k - 1) * k / 2 - 1; }
constexpr int kEntryBytes = ZoomOffset(kMaxZoom + 1);  // 135

struct ExpansionTable {
    std::array<uint8_t, 256 * kEntryBytes> bytes{};
    ExpansionTable() {
        for (int value = 0; value < 256; ++value)
            for (int k = 2; k <= kMaxZoom; ++k) {
                uint8_t* entry = &bytes[size_t(value) * kEntryBytes + ZoomOffset(k)];
                for (int bit = 0; bit < 8 * k; ++bit)
                    if (value & (0x80 >> (bit / k))) entry[bit / 8] |= uint8_t(0x80 >> (bit % 8));
            }
    }
};

const ExpansionTable& Table() {
    static const ExpansionTable table;
    return table;
}

bool Drawable(int k) { return (k >= 1 && k <= kMaxZoom) || (k <= -2 && k >= -kMaxZoom); }

int32_t SourceBytes(int32_t width) { return (width + 7) / 8; }

// One source byte, with the pixels at and beyond width forced to paper.
uint8_t SourceByte(const uint8_t* src, int32_t width, int32_t index) {
    if (index >= SourceBytes(width)) return 0xFF;
    uint8_t b = src[index];
    int32_t valid = width - index * 8;
    if (valid < 8) b |= uint8_t(0xFF >> valid);
    return b;
}

// k >= 2: the source bytes under the output span expanded into scratch, then shifted.
void ZoomUp(const uint8_t* src, int32_t width, int k, int32_t viewX, int32_t count,
            uint8_t* out, uint8_t* scratch) {
    int32_t firstPixel = viewX / k;
    int32_t firstByte = firstPixel / 8;
    int32_t lastByte = (viewX + count - 1) / k / 8;
    const uint8_t* table = Table().bytes.data() + ZoomOffset(k);
    uint8_t* dst = scratch;
    for (int32_t i = firstByte; i <= lastByte; ++i, dst += k)
        std::memcpy(dst, table + size_t(SourceByte(src, width, i)) * kEntryBytes, size_t(k));
    CopyBits(scratch, int64_t(viewX) - int64_t(firstByte) * 8 * k, count, out);
}

void ZoomDown(const uint8_t* src, int32_t width, int step, int32_t viewX, int32_t count,
              uint8_t* out) {
    std::memset(out, 0xFF, size_t((count + 7) / 8));
    int64_t x = int64_t(viewX) * step;
    for (int32_t i = 0; i < count; ++i, x += step) {
        if (x >= width) break;
        if (!(src[x >> 3] & (0x80 >> (x & 7)))) out[i >> 3] &= uint8_t(~(0x80 >> (i & 7)));
    }
}

}  // namespace

const uint8_t* ExpandedByte(uint8_t value, int k) {
    return Table().bytes.data() + size_t(value) * kEntryBytes + ZoomOffset(k);
}

int32_t ScratchBytes(int32_t count, int k) {
    if (k < 2) return 8;
    return (count / (8 * k) + 2) * k + 8;
}

void CopyBits(const uint8_t* src, int64_t bitOffset, int32_t count, uint8_t* out) {
    const uint8_t* p = src + (bitOffset >> 3);
    int shift = int(bitOffset & 7);
    int32_t bytes = (count + 7) / 8;
    if (shift == 0) {
        std::memcpy(out, p, size_t(bytes));
        return;
    }
    // The last output byte may need one source byte past the span only when the span's
    // bits reach into it.
    int64_t lastBit = bitOffset + count - 1;
    const uint8_t* end = src + (lastBit >> 3);
    for (int32_t i = 0; i < bytes; ++i, ++p) {
        uint8_t next = p + 1 <= end ? p[1] : 0xFF;
        out[i] = uint8_t((p[0] << shift) | (next >> (8 - shift)));
    }
}

void ZoomRow(const uint8_t* src, int32_t width, int k, int32_t viewX, int32_t count,
             uint8_t* out, uint8_t* scratch) {
    if (!Drawable(k) || count <= 0 || viewX < 0) return;
    if (k >= 2) {
        ZoomUp(src, width, k, viewX, count, out, scratch);
    } else if (k == 1) {
        int32_t inside = viewX < width ? std::min(count, width - viewX) : 0;
        std::memset(out, 0xFF, size_t((count + 7) / 8));
        if (inside <= 0) return;
        CopyBits(src, viewX, inside, out);
        // Paper after the picture's last pixel.
        int32_t tail = inside & 7;
        if (tail) out[inside / 8] |= uint8_t(0xFF >> tail);
        for (int32_t i = (inside + 7) / 8; i < (count + 7) / 8; ++i) out[i] = 0xFF;
    } else {
        ZoomDown(src, width, -k, viewX, count, out);
    }
}

}  // namespace zoomed_rows
