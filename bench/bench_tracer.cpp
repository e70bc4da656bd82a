// Tracing speed and compactness on signature-like pictures of three sizes.
//
//   bench_tracer                      Google Benchmark runs (time, nodes, segments)
//   bench_tracer --compare DIR [N]    writes DIR/signature_WxH.pbm and prints, per size,
//                                     the best of N timed traces and the segment count
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "TraceFixtures.h"
#include "Tracer.h"

namespace {

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{600, 200}, {3000, 1000}, {6000, 2000}};

struct Counts {
    int nodes = 0;
    int segments = 0;  // lines and curves: every node but moves and off-curve points
    int contours = 0;
};

Counts CountNodes(const Outline& o) {
    Counts c;
    c.nodes = o.nodeCount();
    for (int i = 0; i < o.nodeCount(); ++i) {
        int kind = o.node(i).kind();
        c.contours += kind == kNodeMove;
        c.segments += kind == kNodeLine || kind == kNodeCubic;
    }
    return c;
}

std::unique_ptr<Outline> TraceOnce(const MonoBitmap& bmp) {
    TraceParams p;
    p.image = &bmp;
    if (trace(&p) != 0) return nullptr;
    return std::move(p.result);
}

void BM_TraceSignature(benchmark::State& state) {
    const Size size = kSizes[state.range(0)];
    auto bmp = trace_fixtures::Signature(size.w, size.h);
    Counts counts;
    for (auto _ : state) {
        auto outline = TraceOnce(*bmp);
        if (!outline) {
            state.SkipWithError("trace failed");
            return;
        }
        counts = CountNodes(*outline);
        benchmark::DoNotOptimize(outline);
    }
    state.SetLabel(std::to_string(size.w) + "x" + std::to_string(size.h));
    state.counters["nodes"] = counts.nodes;
    state.counters["segments"] = counts.segments;
    state.counters["contours"] = counts.contours;
    state.counters["Mpixel/s"] = benchmark::Counter(double(size.w) * size.h * 1e-6 * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TraceSignature)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// PBM (P4): 1 = black, rows padded to whole bytes.
bool WritePbm(const MonoBitmap& bmp, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P4\n%d %d\n", bmp.width, bmp.height);
    const int bytes = (bmp.width + 7) / 8;
    std::string row(size_t(bytes), '\0');
    for (int y = 0; y < bmp.height; ++y) {
        for (int i = 0; i < bytes; ++i) row[size_t(i)] = char(~bmp.Row(y)[i]);
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

int Compare(const std::string& dir, int runs) {
    for (const Size& size : kSizes) {
        auto bmp = trace_fixtures::Signature(size.w, size.h);
        const std::string path =
            dir + "/signature_" + std::to_string(size.w) + "x" + std::to_string(size.h) + ".pbm";
        if (!WritePbm(*bmp, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        double best = 1e30;
        Counts counts;
        for (int i = 0; i < runs; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            auto outline = TraceOnce(*bmp);
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            if (!outline) return 1;
            best = std::min(best, ms);
            counts = CountNodes(*outline);
        }
        std::printf("%s %.3f %d %d\n", path.c_str(), best, counts.segments, counts.nodes);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--compare") == 0)
        return Compare(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 10);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
