// Import speed on a large generated drawing, and the move to the origin of a large
// outline (which must stay linear in the node count).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "EpsImport.h"
#include "PrepareOutline.h"

namespace {

// An Illustrator-style file with `paths` closed paths of 20 curve and line segments.
std::string MakeDrawing(int paths) {
    std::string s = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 612 792\n%%EndComments\n"
                    "%%BeginProlog\n/m {moveto} def\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n";
    char line[160];
    for (int p = 0; p < paths; ++p) {
        double x = 10 + (p % 500), y = 10 + (p % 700);
        std::snprintf(line, sizeof line, "0 0 0 1 k\n%.3f %.3f m\n", x, y);
        s += line;
        for (int k = 0; k < 20; ++k) {
            if (k % 4 == 3) {
                std::snprintf(line, sizeof line, "%.3f %.3f L\n", x + k * 1.5, y - k * 0.25);
            } else {
                std::snprintf(line, sizeof line, "%.3f %.3f %.3f %.3f %.3f %.3f c\n", x + k, y + 2.125,
                              x + k + 0.5, y + 3.75, x + k + 1, y + 0.5);
            }
            s += line;
        }
        s += "f\n";
    }
    return s + "%%Trailer\n%%EOF\n";
}

void BM_ImportFromMemory(benchmark::State& state) {
    const std::string text = MakeDrawing(int(state.range(0)));
    for (auto _ : state) {
        auto outline = ReadEpsOutlineFromMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        benchmark::DoNotOptimize(outline);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ImportFromMemory)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ImportFromFile(benchmark::State& state) {
    const std::string text = MakeDrawing(int(state.range(0)));
    const std::string path = "/tmp/penmark_bench_eps.eps";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        state.SkipWithError("cannot write the drawing");
        return;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    for (auto _ : state) {
        auto outline = ReadEpsOutline(path);
        benchmark::DoNotOptimize(outline);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_ImportFromFile)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PrepareOutline(benchmark::State& state) {
    const std::string text = MakeDrawing(int(state.range(0)));
    auto outline = ReadEpsOutlineFromMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    for (auto _ : state) {
        state.PauseTiming();
        Outline copy(*outline);
        state.ResumeTiming();
        benchmark::DoNotOptimize(PrepareOutline(copy));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * outline->nodeCount());
}
BENCHMARK(BM_PrepareOutline)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
