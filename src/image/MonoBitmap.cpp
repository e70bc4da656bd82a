#include "MonoBitmap.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "Error.h"

MonoBitmap::MonoBitmap(MonoBitmap&& other) noexcept { *this = std::move(other); }

MonoBitmap& MonoBitmap::operator=(MonoBitmap&& other) noexcept {
    if (this == &other) return *this;
    if (owns) delete[] bits;
    owns = other.owns;
    width = other.width;
    height = other.height;
    stride = other.stride;
    size = other.size;
    bits = other.bits;
    other.owns = false;
    other.width = other.height = other.stride = other.size = 0;
    other.bits = nullptr;
    return *this;
}

MonoBitmap::~MonoBitmap() {
    if (owns) delete[] bits;
}

void MonoBitmap::Reset() {
    owns = false;
    width = height = stride = size = 0;
    bits = nullptr;
}

void MonoBitmap::Free() {
    if (owns) delete[] bits;
    Reset();
}

void MonoBitmap::SetSize(int32_t w, int32_t h) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    stride = int32_t((int64_t(width) + 15) / 16 * 2);
    int64_t total = int64_t(stride) * height;
    // A size that does not fit is left at -1 so that Create refuses it.
    size = total <= std::numeric_limits<int32_t>::max() ? int32_t(total) : -1;
}

void MonoBitmap::Attach(int32_t w, int32_t h, uint8_t* buffer) {
    Free();
    SetSize(w, h);
    bits = buffer;
    owns = false;
}

void MonoBitmap::Create(int32_t w, int32_t h) {
    Free();
    SetSize(w, h);
    if (size < 0) {
        Reset();
        RaiseError(ErrorCode::kNoMemory);
    }
    if (size == 0) return;  // nothing to hold: the bitmap stays without a buffer
    bits = new (std::nothrow) uint8_t[size_t(size)];
    if (!bits) {
        Reset();
        RaiseError(ErrorCode::kNoMemory);
    }
    owns = true;
}

void MonoBitmap::CopyTo(MonoBitmap& dest) const {
    if (&dest == this) return;
    dest.Free();
    dest.Create(width, height);
    if (bits && dest.bits) std::memcpy(dest.bits, bits, size_t(size));
}

void MonoBitmap::MoveTo(MonoBitmap& dest) {
    if (&dest == this) return;
    dest.Free();
    dest.owns = owns;
    dest.width = width;
    dest.height = height;
    dest.stride = stride;
    dest.size = size;
    dest.bits = bits;
    Reset();
}

int MonoBitmap::GetPixel(int32_t x, int32_t y) const {
    if (!bits || x < 0 || y < 0 || x >= width || y >= height) return 1;
    return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

void MonoBitmap::SetPixel(int32_t x, int32_t y, int value) {
    if (!bits || x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t mask = uint8_t(0x80 >> (x & 7));
    uint8_t& b = Row(y)[x >> 3];
    b = value ? uint8_t(b | mask) : uint8_t(b & ~mask);
}

void MonoBitmap::Fill(int value) {
    if (bits) std::memset(bits, value ? 0xFF : 0x00, size_t(size));
}

void MonoBitmap::Invert() {
    if (!bits) return;
    // Word-wide complement; the tail is done byte by byte.
    size_t n = size_t(size), i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, bits + i, 8);
        v = ~v;
        std::memcpy(bits + i, &v, 8);
    }
    for (; i < n; ++i) bits[i] = uint8_t(~bits[i]);
}
