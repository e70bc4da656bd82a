// Reading and writing large fonts through file handles: DroidSansFallbackFull.ttf
// (fonts-droid-fallback) and ipag.ttf (fonts-ipafont-gothic). A benchmark whose font is
// absent skips with a message.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "TTF.h"
#include "cmapTABLE.h"

namespace {

const char* const kDroid = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
const char* const kIpag = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

double PeakRssMb() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

void BM_ReadWrite(benchmark::State& state, const char* path) {
    int in = ::open(path, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        state.SkipWithError((std::string(path) + " is missing; install its Debian package").c_str());
        return;
    }
    std::string outPath = "/tmp/penmark_bench_" + std::to_string(::getpid()) + ".ttf";
    int out = ::open(outPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (auto _ : state) {
        TTFileStream sin(in), sout(out);
        TTF font;
        int code = font.readFrom(&sin);
        if (code == 0) code = font.writeTo(&sout);
        if (code != 0) {
            state.SkipWithError(("engine error " + std::to_string(code)).c_str());
            break;
        }
        benchmark::DoNotOptimize(font.glyphCount());
        ::ftruncate(out, 0);
    }
    state.counters["peak_rss_MB"] = PeakRssMb();
    state.counters["file_MB"] = double(::lseek(in, 0, SEEK_END)) / (1024.0 * 1024.0);
    ::close(in);
    ::close(out);
    ::unlink(outPath.c_str());
}

// Encoding one character map subtable of the font, found by its format.
void BM_CmapWrite(benchmark::State& state, uint16_t format) {
    int in = ::open(kDroid, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        state.SkipWithError("DroidSansFallbackFull.ttf is missing; install fonts-droid-fallback");
        return;
    }
    TTFileStream stream(in);
    TTF font;
    font.readDirectory(&stream);
    font.readTable(TTIndex::cmap);
    cmapTABLE* cmap = font.get<cmapTABLE>(TTIndex::cmap);
    TTcmapSubtable* sub = nullptr;
    for (size_t i = 0; cmap && i < cmap->subtableCount(); ++i)
        if (cmap->subtable(i)->format == format && !cmap->subtable(i)->carried()) sub = cmap->subtable(i);
    ::close(in);
    if (!sub) {
        state.SkipWithError("no such subtable");
        return;
    }
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        sub->encode(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = double(out.size());
}

BENCHMARK_CAPTURE(BM_ReadWrite, DroidSansFallbackFull, kDroid)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CmapWrite, format4, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CmapWrite, format12, 12)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWrite, ipag, kIpag)->Unit(benchmark::kMillisecond);

}  // namespace
