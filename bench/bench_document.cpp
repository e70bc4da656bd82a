// The eraser and the edit history on a 12-megapixel picture (4000 x 3000, a photo's
// size): one stroke of 200 points zig-zagging across it with the large brush at zoom 1
// (20 pixels) and at fit (160 pixels), against painting the same pixels one SetPixel at a
// time; and keeping and bringing back the picture's edit state, one step of the history.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ImageEdits.h"
#include "PenmarkDocument.h"

namespace {

MonoImage Picture() {
    MonoImage image;
    image.Create(4000, 3000);
    image.Fill(0);
    return image;
}

std::vector<PixelPoint> ZigZag() {
    std::vector<PixelPoint> points;
    for (int i = 0; i < 200; ++i) points.push_back({200 + i * 18, i % 2 ? 800 : 2200});
    return points;
}

// The yardstick: each segment's box, pixel by pixel, tested against the segment.
void ErasePerPixel(MonoImage& image, const std::vector<PixelPoint>& points, int r) {
    for (size_t i = 1; i < points.size(); ++i) {
        const PixelPoint a = points[i - 1], b = points[i];
        const int64_t dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        for (int y = std::max(0, std::min(a.y, b.y) - r); y <= std::min(image.height - 1, std::max(a.y, b.y) + r); ++y)
            for (int x = std::max(0, std::min(a.x, b.x) - r); x <= std::min(image.width - 1, std::max(a.x, b.x) + r); ++x) {
                const int64_t px = x - a.x, py = y - a.y, t = px * dx + py * dy;
                bool in;
                if (t <= 0) in = px * px + py * py <= int64_t(r) * r;
                else if (t >= len2) in = (x - b.x) * int64_t(x - b.x) + (y - b.y) * int64_t(y - b.y) <= int64_t(r) * r;
                else in = (px * dy - py * dx) * (px * dy - py * dx) <= int64_t(r) * r * len2;
                if (in) image.SetPixel(x, y, 1);
            }
    }
}

void BM_EraseStroke(benchmark::State& state) {
    MonoImage image = Picture();
    const std::vector<PixelPoint> points = ZigZag();
    for (auto _ : state) benchmark::DoNotOptimize(EraseStroke(image, points, int(state.range(0))));
}
BENCHMARK(BM_EraseStroke)->Arg(20)->Arg(160)->Unit(benchmark::kMillisecond);

void BM_EraseStrokePerPixel(benchmark::State& state) {
    MonoImage image = Picture();
    const std::vector<PixelPoint> points = ZigZag();
    for (auto _ : state) ErasePerPixel(image, points, int(state.range(0)));
}
BENCHMARK(BM_EraseStrokePerPixel)->Arg(20)->Arg(160)->Unit(benchmark::kMillisecond);

void BM_KeepAndBringBackEditState(benchmark::State& state) {
    CPenmarkDocument doc;
    doc.SetImage(new MonoImage(Picture()));
    for (auto _ : state) {
        ImageEditState kept = doc.SaveEditState();
        benchmark::DoNotOptimize(doc.RestoreEditState(kept));
    }
}
BENCHMARK(BM_KeepAndBringBackEditState)->Unit(benchmark::kMillisecond);

}  // namespace
