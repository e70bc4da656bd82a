#include "Binarize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "Error.h"
#include "PaperBackground.h"

namespace {

// Paper brighter in one part of the picture than in another by more than this many grey
// levels (after the ink is left out) defeats a single threshold.
constexpr int kUnevenSpread = 40;
constexpr int kGridBlocks = 12;

void Allocate(MonoImage& out, int32_t w, int32_t h) {
    out.Create(w, h);
    out.Fill(1);
}

bool IsInk(const MonoImage& m, int32_t x, int32_t y) { return !(m.Row(y)[x >> 3] & (0x80 >> (x & 7))); }

// Packs a row eight pixels to a byte: ink (0) where the pixel is darker than its level.
template <typename Level>
void PackRow(const uint8_t* row, int32_t width, Level level, uint8_t* out) {
    int32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        unsigned byte = 0;
        for (int b = 0; b < 8; ++b) byte = byte << 1 | unsigned(row[x + b] >= level(x + b));
        *out++ = uint8_t(byte);
    }
    if (x < width) {
        unsigned byte = 0xFF;  // the padding stays paper
        for (int b = 0; x + b < width; ++b)
            if (row[x + b] < level(x + b)) byte &= ~(0x80u >> b);
        *out = uint8_t(byte);
    }
}

void ThresholdGlobal(const GreyImage& grey, int level, MonoImage& out) {
    for (int32_t y = 0; y < grey.height; ++y)
        PackRow(&grey.pixels[size_t(y) * size_t(grey.width)], grey.width, [level](int32_t) { return level; },
                out.Row(y));
}

// Counts the grey levels of n pixels into histogram. Neighbouring pixels mostly share a
// level, and increments of one counter wait on each other: four sets of counters, one per
// pixel of each group of four, keep the loop from stalling.
using CounterSets = std::array<std::array<uint32_t, 256>, 4>;

// Adds n pixels to the four sets, pixel i to set i % 4.
void CountFourWays(const uint8_t* p, size_t n, CounterSets& sets) {
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        ++sets[0][p[i]];
        ++sets[1][p[i + 1]];
        ++sets[2][p[i + 2]];
        ++sets[3][p[i + 3]];
    }
    for (; i < n; ++i) ++sets[0][p[i]];
}

template <typename Histogram>
void AddSets(const CounterSets& sets, Histogram& histogram) {
    for (const auto& set : sets)
        for (size_t v = 0; v < 256; ++v) histogram[v] += set[v];
}

void CountLevels(const uint8_t* pixels, size_t n, std::array<uint64_t, 256>& histogram) {
    constexpr size_t kChunk = size_t(1) << 30;  // 32-bit counters cannot overflow within it
    CounterSets sets;
    for (size_t start = 0; start < n; start += kChunk) {
        for (auto& set : sets) set.fill(0);
        CountFourWays(pixels + start, std::min(kChunk, n - start), sets);
        AddSets(sets, histogram);
    }
}

}  // namespace

namespace {

using Histogram = std::array<uint64_t, 256>;

int OtsuOf(const Histogram& histogram) {
    double total = 0;
    for (uint64_t c : histogram) total += double(c);
    if (total == 0) return 128;
    double sumAll = 0;
    for (int i = 0; i < 256; ++i) sumAll += double(i) * double(histogram[size_t(i)]);
    double sumBack = 0, weightBack = 0, best = -1;
    int level = 128;
    for (int t = 0; t < 256; ++t) {
        weightBack += double(histogram[size_t(t)]);
        if (weightBack == 0) continue;
        double weightFore = total - weightBack;
        if (weightFore == 0) break;
        sumBack += double(t) * double(histogram[size_t(t)]);
        double meanBack = sumBack / weightBack, meanFore = (sumAll - sumBack) / weightFore;
        double between = weightBack * weightFore * (meanBack - meanFore) * (meanBack - meanFore);
        if (between > best) {
            best = between;
            level = t + 1;  // pixels below this are ink
        }
    }
    return level;
}

// The grey levels of each block of a kGridBlocks x kGridBlocks grid over the picture.
std::vector<Histogram> BlockHistograms(const GreyImage& grey) {
    const int32_t bw = std::max(1, (grey.width + kGridBlocks - 1) / kGridBlocks);
    const int32_t bh = std::max(1, (grey.height + kGridBlocks - 1) / kGridBlocks);
    std::vector<Histogram> histograms(size_t(kGridBlocks) * kGridBlocks);
    for (auto& h : histograms) h.fill(0);
    // One block's stretch of a row at a time, counted four ways as in CountLevels.
    CounterSets sets;
    for (int32_t band = 0; band * bh < grey.height; ++band) {
        const int32_t y0 = band * bh, y1 = std::min(grey.height, y0 + bh);
        for (int32_t col = 0; col * bw < grey.width; ++col) {
            const int32_t x0 = col * bw, x1 = std::min(grey.width, x0 + bw);
            for (auto& set : sets) set.fill(0);
            for (int32_t y = y0; y < y1; ++y)
                CountFourWays(&grey.pixels[size_t(y) * size_t(grey.width) + size_t(x0)], size_t(x1 - x0), sets);
            AddSets(sets, histograms[size_t(band) * kGridBlocks + size_t(col)]);
        }
    }
    return histograms;
}

bool UnevenOf(const std::vector<Histogram>& histograms) {
    // The paper's brightness per block: its 80th percentile, which ink (a signature covers
    // far less of a block) does not reach. A shadow or uneven light shows as blocks whose
    // paper is much darker than elsewhere; a single threshold then takes it for ink or
    // loses the ink of the bright parts.
    int lo = 255, hi = 0;
    for (const auto& h : histograms) {
        uint64_t total = 0;
        for (uint64_t c : h) total += c;
        if (total < 16) continue;
        uint64_t below = 0;
        int level = 0;
        while (level < 255 && (below += h[size_t(level)]) < total * 8 / 10) ++level;
        lo = std::min(lo, level);
        hi = std::max(hi, level);
    }
    return hi - lo > kUnevenSpread;
}

}  // namespace

int OtsuLevel(const GreyImage& grey) {
    Histogram histogram{};
    CountLevels(grey.pixels.data(), grey.pixels.size(), histogram);
    return OtsuOf(histogram);
}

bool UnevenPaper(const GreyImage& grey, int) { return UnevenOf(BlockHistograms(grey)); }

namespace {

int MedianRun(std::vector<int>& runs) {
    if (runs.empty()) return 0;
    std::nth_element(runs.begin(), runs.begin() + long(runs.size() / 2), runs.end());
    return runs[runs.size() / 2];
}

// A stroke's runs along it are long and across it short, so the smaller median is its width.
int MedianStrokeWidth(std::vector<int>& across, std::vector<int>& down) {
    const int a = MedianRun(across), d = MedianRun(down);
    const int width = a && d ? std::min(a, d) : std::max(a, d);
    return std::max(1, width);
}

}  // namespace

int StrokeWidth(const MonoImage& image) {
    // Runs of ink across and down, on about 200 lines each way: a stroke's runs along it
    // are long and across it short, so the smaller median is its width.
    std::vector<int> across, down;
    for (int32_t y = 0; y < image.height; y += std::max(1, image.height / 200)) {
        int run = 0;
        for (int32_t x = 0; x <= image.width; ++x) {
            if (x < image.width && IsInk(image, x, y)) ++run;
            else if (run) across.push_back(std::exchange(run, 0));
        }
    }
    for (int32_t x = 0; x < image.width; x += std::max(1, image.width / 200)) {
        int run = 0;
        for (int32_t y = 0; y <= image.height; ++y) {
            if (y < image.height && IsInk(image, x, y)) ++run;
            else if (run) down.push_back(std::exchange(run, 0));
        }
    }
    return MedianStrokeWidth(across, down);
}

namespace {

// A horizontal run of ink: pixels [x0, x1) of row y.
struct InkRun {
    int32_t y, x0, x1;
};

// The ink runs of one packed row, appended; paper and ink bytes are passed whole.
void RowRuns(const uint8_t* row, int32_t y, int32_t width, std::vector<InkRun>& runs) {
    int32_t start = -1;
    for (int32_t x = 0; x < width;) {
        const uint8_t byte = row[x >> 3];
        if ((x & 7) == 0 && x + 8 <= width && byte == (start < 0 ? 0xFF : 0x00)) {
            x += 8;
            continue;
        }
        const bool ink = !(byte & (0x80 >> (x & 7)));
        if (ink && start < 0) start = x;
        if (!ink && start >= 0) {
            runs.push_back({y, start, x});
            start = -1;
        }
        ++x;
    }
    if (start >= 0) runs.push_back({y, start, width});
}

int32_t Root(std::vector<int32_t>& parent, int32_t i) {
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];  // halves the path
        i = parent[size_t(i)];
    }
    return i;
}

}  // namespace

int RemoveSpecks(MonoImage& image, int minPixels) {
    if (minPixels <= 1 || image.IsEmpty()) return 0;
    const int32_t w = image.width, h = image.height;
    // 8-connected components as sets of runs: linear in the runs, however much ink.
    std::vector<InkRun> runs;
    std::vector<int32_t> parent;
    std::vector<int64_t> pixels;
    size_t previous = 0;
    for (int32_t y = 0; y < h; ++y) {
        const size_t first = runs.size();
        RowRuns(image.Row(y), y, w, runs);
        size_t j = previous;
        for (size_t r = first; r < runs.size(); ++r) {
            parent.push_back(int32_t(r));
            pixels.push_back(runs[r].x1 - runs[r].x0);
            // Runs of the row above touch this one when they overlap it or meet it at a corner.
            while (j < first && runs[j].x1 < runs[r].x0) ++j;
            for (size_t k = j; k < first && runs[k].x0 <= runs[r].x1; ++k) {
                int32_t a = Root(parent, int32_t(r)), b = Root(parent, int32_t(k));
                if (a == b) continue;
                if (a < b) std::swap(a, b);
                parent[size_t(a)] = b;
                pixels[size_t(b)] += pixels[size_t(a)];
            }
        }
        previous = first;
    }
    int removed = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        const int32_t root = Root(parent, int32_t(r));
        if (pixels[size_t(root)] >= minPixels) continue;
        if (root == int32_t(r)) ++removed;
        uint8_t* row = image.Row(runs[r].y);
        for (int32_t x = runs[r].x0; x < runs[r].x1; ++x) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    return removed;
}

namespace {

// The paper's window: this many strokes wide, so that where strokes cross or a loop
// closes the ink is still narrower than the window and the paper around it shows.
constexpr int kWindowStrokes = 6;
constexpr int32_t kMinWindow = 15;

// How far below the paper a pixel of the flattened picture must be to be taken for ink
// when the picture has no clear ink class (blank paper): between these fractions of the
// paper's level, by the paper's grain.
constexpr int kMinInkDepthPercent = 12;
constexpr int kMaxInkDepthPercent = 20;

// The level below which a share of the pixels lies.
int Percentile(const Histogram& h, uint64_t total, uint64_t part, uint64_t whole) {
    const uint64_t wanted = total * part / whole;
    uint64_t below = 0;
    for (int v = 0; v < 256; ++v)
        if ((below += h[size_t(v)]) > wanted) return v;
    return 255;
}

// One or two grey levels: a picture that is black and white already. level is the one
// that keeps it pixel for pixel.
bool TwoLevels(const Histogram& h, int& level) {
    int seen = 0, dark = -1, light = -1;
    for (int v = 0; v < 256; ++v)
        if (h[size_t(v)]) {
            if (++seen > 2) return false;
            (dark < 0 ? dark : light) = v;
        }
    level = light >= 0 ? light : dark < 128 ? 256 : 0;  // one level: ink when dark
    return true;
}

// The flattened picture's level: halfway between the paper and the ink. The paper is the
// median (a signature covers far less than half a picture); the ink, the median of what
// lies clearly below the paper's grain. Without such ink the level stays under the grain,
// so blank paper stays blank.
int FlatLevel(const Histogram& h) {
    uint64_t total = 0;
    for (uint64_t c : h) total += c;
    const int paper = Percentile(h, total, 1, 2);
    const double grain = (paper - Percentile(h, total, 1, 4)) / 0.674;  // the lower quartile of a normal spread
    const int depth = std::clamp(int(std::lround(4 * grain)), paper * kMinInkDepthPercent / 100,
                                 paper * kMaxInkDepthPercent / 100);
    const int clear = std::max(1, paper - depth);
    uint64_t inkCount = 0;
    for (int v = 0; v < clear; ++v) inkCount += h[size_t(v)];
    if (inkCount == 0) return clear;
    const int ink = Percentile(h, inkCount, 1, 2);
    return std::min(clear, (paper + ink + 1) / 2);
}

// The window for a picture whose strokes are about stroke pixels wide; never less than a
// fortieth of the picture, in case the strokes were misjudged.
int32_t PaperWindow(const GreyImage& grey, int stroke) {
    const int32_t longest = std::max(grey.width, grey.height);
    const int64_t window = std::max<int64_t>(int64_t(kWindowStrokes) * stroke + 1, longest / 40);
    return int32_t(std::clamp<int64_t>(window, kMinWindow, std::max(kMinWindow, 2 * longest + 1)));
}

// Ink along a line of grey, roughly: darker than kRoughShare of the mean over a stretch
// of the line around it, so that light falling off, shadows and tints are followed. The
// ink runs are appended to runs.
constexpr int kRoughSharePercent = 80;

void RoughRuns(const uint8_t* line, int32_t n, int32_t stretch, std::vector<uint32_t>& sums, std::vector<int>& runs) {
    sums.resize(size_t(n) + 1);
    sums[0] = 0;
    for (int32_t i = 0; i < n; ++i) sums[size_t(i) + 1] = sums[size_t(i)] + line[i];
    const int32_t half = stretch / 2;
    int run = 0;
    for (int32_t i = 0; i <= n; ++i) {
        bool ink = false;
        if (i < n) {
            const int32_t a = std::max(0, i - half), b = std::min(n, i + half + 1);
            ink = uint64_t(line[i]) * 100u * uint64_t(b - a) < uint64_t(sums[size_t(b)] - sums[size_t(a)]) * kRoughSharePercent;
        }
        if (ink) ++run;
        else if (run) runs.push_back(std::exchange(run, 0));
    }
}

// The stroke width as a rough local threshold along about 200 rows and 200 columns sees
// it, as StrokeWidth measures a black-and-white picture.
int RoughStrokeWidth(const GreyImage& grey) {
    const int32_t w = grey.width, h = grey.height;
    const int32_t stretch = std::max<int32_t>(kMinWindow, std::max(w, h) / 20);
    const int32_t rowStep = std::max(1, h / 200), columnStep = std::max(1, w / 200);
    std::vector<int> across, down;
    std::vector<uint32_t> sums;
    for (int32_t y = 0; y < h; y += rowStep) RoughRuns(grey.Row(y), w, stretch, sums, across);
    // The columns gathered row by row, so that the picture is read in order.
    const int32_t columns = (w + columnStep - 1) / columnStep;
    std::vector<uint8_t> gathered(size_t(columns) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = grey.Row(y);
        for (int32_t c = 0; c < columns; ++c) gathered[size_t(c) * size_t(h) + size_t(y)] = row[c * columnStep];
    }
    for (int32_t c = 0; c < columns; ++c) RoughRuns(&gathered[size_t(c) * size_t(h)], h, stretch, sums, down);
    return MedianStrokeWidth(across, down);
}

}  // namespace

BinarizeResult Binarize(const GreyImage& grey, const ThresholdChoice& choice, MonoImage& out) {
    if (grey.width <= 0 || grey.height <= 0 || grey.pixels.size() != size_t(grey.width) * size_t(grey.height))
        RaiseError(ErrorCode::kInvalidData);
    BinarizeResult result;
    try {
        Allocate(out, grey.width, grey.height);
        // One pass counts the blocks; their sum is the whole picture's histogram.
        const std::vector<Histogram> blocks = BlockHistograms(grey);
        Histogram all{};
        for (const auto& h : blocks)
            for (size_t v = 0; v < 256; ++v) all[v] += h[v];
        ThresholdMode mode = choice.mode;
        int twoLevel = 0;
        if (TwoLevels(all, twoLevel)) {
            // Black and white already: every pixel as it is, nothing taken for a speck.
            result.used = mode == ThresholdMode::Fixed ? mode : ThresholdMode::Global;
            result.level = mode == ThresholdMode::Fixed ? std::clamp(choice.level, 0, 256) : twoLevel;
            ThresholdGlobal(grey, result.level, out);
            return result;
        }
        const int otsu = OtsuOf(all);
        if (mode == ThresholdMode::Auto) mode = UnevenOf(blocks) ? ThresholdMode::Local : ThresholdMode::Global;
        result.used = mode;
        if (mode == ThresholdMode::Global) {
            result.level = otsu;
            ThresholdGlobal(grey, otsu, out);
        } else {
            GreyImage flat;
            EstimatePaper(grey, PaperWindow(grey, RoughStrokeWidth(grey)), flat);
            // Flattened to the brightest paper (the picture's 90th percentile, which ink
            // does not reach): the picture as if lit throughout as its best-lit part. On
            // evenly lit paper that is the picture, and a level means the same on both.
            FlattenByPaper(grey, uint8_t(std::max(1, Percentile(all, grey.pixels.size(), 9, 10))), flat);
            if (mode == ThresholdMode::Fixed) {
                result.level = std::clamp(choice.level, 0, 256);
            } else {
                Histogram levels{};
                CountLevels(flat.pixels.data(), flat.pixels.size(), levels);
                result.level = FlatLevel(levels);
            }
            ThresholdGlobal(flat, result.level, out);
        }
        int stroke = StrokeWidth(out);
        RemoveSpecks(out, std::max(2, stroke * stroke / 2));
    } catch (const std::bad_alloc&) {
        RaiseError(ErrorCode::kNoMemory);
    }
    return result;
}

void OrientGrey(GreyImage& g, int orientation) {
    if (orientation <= 1 || orientation > 8) return;
    const int32_t w = g.width, h = g.height;
    bool swap = orientation >= 5;
    GreyImage out;
    out.width = swap ? h : w;
    out.height = swap ? w : h;
    out.pixels.resize(g.pixels.size());
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x) {
            int32_t sx = 0, sy = 0;
            switch (orientation) {
                case 2: sx = w - 1 - x; sy = y; break;
                case 3: sx = w - 1 - x; sy = h - 1 - y; break;
                case 4: sx = x; sy = h - 1 - y; break;
                case 5: sx = y; sy = x; break;
                case 6: sx = y; sy = h - 1 - x; break;
                case 7: sx = w - 1 - y; sy = h - 1 - x; break;
                case 8: sx = w - 1 - y; sy = x; break;
            }
            out.pixels[size_t(y) * size_t(out.width) + size_t(x)] = g.At(sx, sy);
        }
    g = std::move(out);
}
