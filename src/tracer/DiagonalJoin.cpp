#include "DiagonalJoin.h"

#include <cstddef>
#include <cstdint>
#include <vector>

void JoinDiagonalInk(const MonoBitmap& in, MonoBitmap& out) {
    in.CopyTo(out);
    if (!in.bits || in.width < 2 || in.height < 2) return;
    const int bytes = (in.width + 7) / 8;
    // Ink bits of the pixels inside the picture; padding reads as paper.
    const uint8_t lastMask = (in.width & 7) ? uint8_t(0xFF << (8 - (in.width & 7))) : uint8_t(0xFF);
    std::vector<uint8_t> upper(size_t(bytes) + 1, 0), lower(size_t(bytes) + 1, 0);
    auto inkOf = [&](int row, std::vector<uint8_t>& ink) {
        const uint8_t* bits = in.Row(row);
        for (int b = 0; b < bytes; ++b) ink[size_t(b)] = uint8_t(~bits[b]);
        ink[size_t(bytes) - 1] &= lastMask;
    };
    // The bits of the pixels one to the right, at each pixel's place.
    auto right = [](const std::vector<uint8_t>& v, int b) { return uint8_t((v[size_t(b)] << 1) | (v[size_t(b) + 1] >> 7)); };
    inkOf(0, lower);
    for (int r = 0; r + 1 < in.height; ++r) {
        upper.swap(lower);
        inkOf(r + 1, lower);
        uint8_t* row = out.Row(r);
        uint8_t carry = 0;
        for (int b = 0; b < bytes; ++b) {
            // Ink at (x, r) and (x + 1, r + 1), paper at (x + 1, r) and (x, r + 1).
            const uint8_t hit = uint8_t(upper[size_t(b)] & right(lower, b) & ~right(upper, b) & ~lower[size_t(b)]);
            // Ink the pixel right of each hit, (x + 1, r).
            row[b] &= uint8_t(~((hit >> 1) | carry));
            carry = uint8_t(hit << 7);
        }
    }
}
