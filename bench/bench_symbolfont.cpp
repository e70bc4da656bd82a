// The whole symbol build on two large fonts. Compare with
// bench/symbolfont_vs_fonttools.py, which does the same job with fontTools.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>

#include "Placement.h"
#include "SymbolFont.h"

namespace {

const char* const kFonts[] = {
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
};

// A placed symbol with curves, as a tracing gives.
const GlyphOutline& Symbol() {
    static GlyphOutline glyph = [] {
        Outline traced;
        traced.appendMove({0, 0});
        traced.appendCubic({300, 120}, {100, -40}, {220, 10});
        traced.appendCubic({600, 0}, {380, 230}, {520, 200});
        traced.appendLine({600, 30});
        traced.appendCubic({0, 30}, {400, 260}, {150, 120});
        GlyphOutline g;
        PlaceGlyph(traced, PlacementParams{}, g);
        return g;
    }();
    return glyph;
}

void BM_BuildSymbolFont(benchmark::State& state) {
    const char* font = kFonts[state.range(0)];
    if (::access(font, R_OK) != 0) {
        state.SkipWithError("font missing: install fonts-droid-fallback and fonts-ipafont-gothic");
        return;
    }
    std::string out = std::string(PENMARK_BENCH_TMP) + "/symbol.ttf";
    for (auto _ : state) {
        int code = buildSymbolFont(font, out.c_str(), "-Penmark", 0x00A7, &Symbol(), {});
        if (code != 0) {
            state.SkipWithError(("build failed with code " + std::to_string(code)).c_str());
            break;
        }
    }
    state.SetLabel(font);
}
BENCHMARK(BM_BuildSymbolFont)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
