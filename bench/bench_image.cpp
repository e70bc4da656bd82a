// Whole-picture operations on a 6000 x 4000 signature-like picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "MonoImage.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// Paper with a few hundred pen strokes: smooth random walks about 9 pixels thick, plus
// scanner speckle. About 5% ink, as a scanned signature page.
const MonoImage& Signature() {
    static MonoImage img = [] {
        MonoImage m;
        m.Create(kWidth, kHeight);
        m.Fill(1);
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> unit(0, 1);
        for (int stroke = 0; stroke < 120; ++stroke) {
            double x = unit(rng) * kWidth, y = unit(rng) * kHeight, a = unit(rng) * 6.283;
            for (int step = 0; step < 800; ++step) {
                a += (unit(rng) - 0.5) * 0.4;
                x += 2 * std::cos(a);
                y += 2 * std::sin(a);
                for (int dy = -4; dy <= 4; ++dy)
                    for (int dx = -4; dx <= 4; ++dx)
                        if (dx * dx + dy * dy <= 16) m.SetPixel(int32_t(x) + dx, int32_t(y) + dy, 0);
            }
        }
        for (int i = 0; i < 20000; ++i)
            m.SetPixel(int32_t(unit(rng) * kWidth), int32_t(unit(rng) * kHeight), 0);
        return m;
    }();
    return img;
}

void Fresh(MonoImage& img) { Signature().CopyTo(img); }

void BM_BlitWholeImage(benchmark::State& state) {
    MonoImage dest;
    Fresh(dest);
    for (auto _ : state) {
        MonoImage::Blit(&dest, 0, 0, kWidth, kHeight, &Signature(), 0, 0, kBlitCopy);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitWholeImage)->Unit(benchmark::kMillisecond);

void BM_BlitUnalignedBlock(benchmark::State& state) {
    MonoImage dest;
    Fresh(dest);
    for (auto _ : state) {
        MonoImage::Blit(&dest, 5, 3, kWidth - 20, kHeight - 10, &Signature(), 11, 2, kBlitAnd);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitUnalignedBlock)->Unit(benchmark::kMillisecond);

void BM_Flip(benchmark::State& state) {
    MonoImage img;
    Fresh(img);
    for (auto _ : state) img.Flip(int(state.range(0)));
}
BENCHMARK(BM_Flip)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_Rotate(benchmark::State& state) {
    MonoImage img;
    Fresh(img);
    for (auto _ : state) img.Rotate(int(state.range(0)));
}
BENCHMARK(BM_Rotate)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Enhance(benchmark::State& state) {
    MonoImage img;
    for (auto _ : state) {
        state.PauseTiming();
        Fresh(img);
        state.ResumeTiming();
        img.Enhance();
    }
}
BENCHMARK(BM_Enhance)->Unit(benchmark::kMillisecond);

void BM_Invert(benchmark::State& state) {
    MonoImage img;
    Fresh(img);
    for (auto _ : state) img.Invert();
}
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond);

void BM_FindInkBounds(benchmark::State& state) {
    int64_t ink = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) ink += Signature().GetPixel(x, y) == 0;
    state.counters["ink_percent"] = 100.0 * double(ink) / (double(kWidth) * kHeight);
    PixelRect r;
    for (auto _ : state) {
        Signature().FindInkBounds(r, nullptr, 0);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_FindInkBounds)->Unit(benchmark::kMillisecond);

}  // namespace
