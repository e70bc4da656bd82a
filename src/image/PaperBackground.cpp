#include "PaperBackground.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Columns per band of the vertical pass: its buffer is a band of the picture's height.
constexpr int32_t kBand = 256;

struct Larger {
    static constexpr uint8_t kNeutral = 0;
    static uint8_t Of(uint8_t a, uint8_t b) { return a > b ? a : b; }
};
struct Smaller {
    static constexpr uint8_t kNeutral = 255;
    static uint8_t Of(uint8_t a, uint8_t b) { return a < b ? a : b; }
};

// Every value of a row becomes the extremum of the window centred on it; beyond the ends
// the end values go on, so that an edge meeting the border runs straight on past it
// instead of ending in a point the window cannot fill. The row, padded by half a window
// at each end,
// is cut into blocks one window long: a window meets at most two blocks and is the tail
// of the first joined to the head of the second (van Herk, Gil and Werman).
template <typename Op>
void RowPass(uint8_t* row, int32_t n, int32_t window, std::vector<uint8_t>& padded, std::vector<uint8_t>& tail) {
    const int32_t r = window / 2, len = n + 2 * r;
    padded.resize(size_t(len));
    tail.resize(size_t(len));
    std::fill(padded.begin(), padded.begin() + r, row[0]);
    std::copy(row, row + n, padded.begin() + r);
    std::fill(padded.begin() + r + n, padded.end(), row[n - 1]);
    for (int32_t start = 0; start < len; start += window) {
        uint8_t v = Op::kNeutral;
        for (int32_t i = std::min(len, start + window) - 1; i >= start; --i) tail[size_t(i)] = v = Op::Of(v, padded[size_t(i)]);
    }
    for (int32_t start = 0; start < len; start += window) {
        uint8_t head = Op::kNeutral;
        const int32_t end = std::min(len, start + window);
        for (int32_t i = start; i < end; ++i) {
            head = Op::Of(head, padded[size_t(i)]);
            const int32_t x = i - 2 * r;  // the window [x, i] of the padded row
            if (x >= 0) row[x] = Op::Of(tail[size_t(x)], head);
        }
    }
}

template <typename Op>
void Rows(GreyImage& image, int32_t window) {
    std::vector<uint8_t> padded, tail;
    for (int32_t y = 0; y < image.height; ++y) RowPass<Op>(image.Row(y), image.width, window, padded, tail);
}

// The same down the columns, a band of columns at a time and a whole row of the band per
// step, in place: output row x is written only after the last row that reads it.
template <typename Op>
void Columns(GreyImage& image, int32_t window) {
    const int32_t r = window / 2, h = image.height, len = h + 2 * r;
    std::vector<uint8_t> tail, head(static_cast<size_t>(kBand));
    for (int32_t c0 = 0; c0 < image.width; c0 += kBand) {
        const size_t bw = size_t(std::min(kBand, image.width - c0));
        tail.resize(size_t(len) * bw);
        auto source = [&](int32_t i) -> const uint8_t* { return image.Row(std::clamp(i - r, 0, h - 1)) + c0; };
        for (int32_t start = 0; start < len; start += window) {
            const int32_t end = std::min(len, start + window);
            for (int32_t i = end - 1; i >= start; --i) {
                uint8_t* t = &tail[size_t(i) * bw];
                const uint8_t* in = source(i);
                if (i == end - 1) {
                    if (in) std::copy(in, in + bw, t);
                    else std::fill(t, t + bw, Op::kNeutral);
                } else if (in) {
                    const uint8_t* next = t + bw;
                    for (size_t c = 0; c < bw; ++c) t[c] = Op::Of(next[c], in[c]);
                } else {
                    std::copy(t + bw, t + 2 * bw, t);
                }
            }
        }
        for (int32_t start = 0; start < len; start += window) {
            const int32_t end = std::min(len, start + window);
            std::fill(head.begin(), head.begin() + long(bw), Op::kNeutral);
            for (int32_t i = start; i < end; ++i) {
                if (const uint8_t* in = source(i))
                    for (size_t c = 0; c < bw; ++c) head[c] = Op::Of(head[c], in[c]);
                const int32_t x = i - 2 * r;
                if (x < 0) continue;
                uint8_t* out = image.Row(x) + c0;
                const uint8_t* t = &tail[size_t(x) * bw];
                for (size_t c = 0; c < bw; ++c) out[c] = Op::Of(t[c], head[c]);
            }
        }
    }
}

}  // namespace

void EstimatePaper(const GreyImage& grey, int32_t window, GreyImage& background) {
    window = std::max<int32_t>(1, window | 1);
    background = grey;
    Rows<Larger>(background, window);
    Columns<Larger>(background, window);
    Rows<Smaller>(background, window);
    Columns<Smaller>(background, window);
}

void FlattenByPaper(const GreyImage& grey, uint8_t paper, GreyImage& background) {
    // grey * paper / background by a table of 16-bit fixed-point factors, one per
    // background level: no division per pixel. A background of 0 is a black area wider
    // than the window, which is as bright as its surroundings: paper.
    std::array<uint32_t, 256> factor{};
    for (uint32_t b = 1; b < 256; ++b) factor[b] = (uint32_t(paper) * 65536u + b / 2) / b;
    const size_t n = grey.pixels.size();
    const uint8_t* g = grey.pixels.data();
    uint8_t* b = background.pixels.data();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t flat = b[i] ? (uint32_t(g[i]) * factor[b[i]] + 32768u) >> 16 : paper;
        b[i] = uint8_t(std::min<uint32_t>(255u, flat));
    }
}
