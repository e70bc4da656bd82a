// Keyboard layouts: reading the registry, compiling a layout (what switching costs), and
// translating the picture's 48 keys, which happens on every key and click.
#include <benchmark/benchmark.h>

#include "CodePages.h"
#include "XkbKeyboard.h"

namespace {

XkbKeyboardOptions Options() { return XkbKeyboardOptions{{"de"}, "C", "", "/usr/share/locale"}; }

const uint16_t kKeys[] = {0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C,
                          0x0D, 0x2B, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
                          0x1A, 0x1B, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
                          0x28, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x39};

void BM_ReadRegistry(benchmark::State& state) {
    for (auto _ : state) {
        XkbKeyboardLayouts layouts(Options());
        benchmark::DoNotOptimize(layouts.Available().size());
    }
}
BENCHMARK(BM_ReadRegistry)->Unit(benchmark::kMillisecond);

void BM_OpenLayout(benchmark::State& state) {
    XkbKeyboardLayouts layouts(Options());
    layouts.Open("de");  // registry and compose table read once, as in the program
    for (auto _ : state) benchmark::DoNotOptimize(layouts.Open("de").get());
}
BENCHMARK(BM_OpenLayout)->Unit(benchmark::kMillisecond);

// The legends with a dead key pending: replay, translate, encode, for every key.
void BM_LegendsAfterDeadKey(benchmark::State& state) {
    XkbKeyboardLayouts layouts(Options());
    auto de = layouts.Open("de");
    CodePageCodec codec(de->Layout().codePage);
    std::vector<KeyStroke> pending{{0x0D, 0}};
    for (auto _ : state) {
        for (uint16_t key : kKeys) {
            de->ReplayDeadKeys(pending);
            KeyTranslation t = de->Translate(key, KeyShift::kShift);
            if (!t.chars.empty()) benchmark::DoNotOptimize(codec.Encode(std::u32string(1, t.chars.back())));
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(std::size(kKeys)));
}
BENCHMARK(BM_LegendsAfterDeadKey)->Unit(benchmark::kMicrosecond);

}  // namespace
