// The plain listing and the structured dump of a large Debian font (DejaVuSans, 6253
// glyphs, fonts-dejavu-core), read once and listed into /dev/null on every iteration;
// every glyph is decoded and released again each time.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "TTDump.h"
#include "TTF.h"

namespace {
const char* const kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

double PeakRssMb() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

template <class List>
void Run(benchmark::State& state, List list) {
    int fd = ::open(kFont, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        state.SkipWithError("DejaVuSans.ttf is missing; install fonts-dejavu-core");
        return;
    }
    FILE* sink = std::fopen("/dev/null", "w");
    {
        TTFileStream in(fd);
        TTF font;
        font.readFrom(&in);
        for (auto _ : state) list(font, sink);
    }
    std::fclose(sink);
    ::close(fd);
    state.counters["peak_rss_MB"] = PeakRssMb();
}

void BM_PlainListing(benchmark::State& state) {
    Run(state, [](TTF& font, FILE* out) { font.dumpText(out); });
}

void BM_StructuredDump(benchmark::State& state) {
    Run(state, [](TTF& font, FILE* out) {
        TTDumpSink sink(out);
        font.dumpStructured(sink);
    });
}
}  // namespace

BENCHMARK(BM_PlainListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StructuredDump)->Unit(benchmark::kMillisecond);
