// An 8-bit grey picture: what a photo or a colour scan becomes before it is made black
// and white.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 8-bit grey, 0 black, 255 white, row 0 on top.
struct GreyImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint8_t* Row(int32_t y) { return &pixels[size_t(y) * size_t(width)]; }
    const uint8_t* Row(int32_t y) const { return &pixels[size_t(y) * size_t(width)]; }
};
