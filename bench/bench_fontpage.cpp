// Listing the installed faces for the font page: on this machine's fonts, and on a
// private folder of 2000 faces with a warm and a cold fontconfig cache.
//
// The 2000 faces are copies of a small subset of DejaVu Sans (made with fontTools),
// each with "DejaVu" in its names replaced by a numbered tag of the same length, so
// every copy is a face of its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "COpenFontPage.h"
#include "FontCatalog.h"
#include "FontEnumeration.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFaces = 2000;
const fs::path kRoot = fs::path(PENMARK_BENCH_TMP) / "fontpage-2000";

void Replace(std::string& bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
        bytes.replace(at, from.size(), to);
}

std::string Utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += {'\0', c};
    return out;
}

// The folder, its configuration and the cache folder; made once and kept.
bool MakeFolder() {
    fs::path fonts = kRoot / "fonts";
    if (fs::exists(fonts / ("face" + std::to_string(kFaces - 1) + ".ttf"))) return true;
    fs::create_directories(fonts);
    fs::path seed = kRoot / "seed.ttf";
    std::string cmd = "/usr/bin/python3 -m fontTools.subset /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "
                      "--unicodes=U+0020-00FF,U+0152-0153,U+0178,U+0400-045F --output-file=" +
                      seed.string() + " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return false;
    std::ifstream in(seed, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int i = 0; i < kFaces; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "Dv%04u", unsigned(i) % 10000);
        std::string copy = bytes;
        Replace(copy, "DejaVu", tag);
        Replace(copy, Utf16("DejaVu"), Utf16(tag));
        std::ofstream(fonts / ("face" + std::to_string(i) + ".ttf"), std::ios::binary) << copy;
    }
    return true;
}

std::string ConfigFile(const fs::path& cache) {
    fs::path conf = kRoot / ("fonts-" + cache.filename().string() + ".conf");
    std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << (kRoot / "fonts").string()
                        << "</dir>\n  <cachedir>" << cache.string() << "</cachedir>\n</fontconfig>\n";
    return conf.string();
}

void FillOnce(COpenFontPage& page, FontCatalog& catalog) {
    CatalogFontEnumerator fonts(catalog.Faces());
    page.FillFontList(fonts);
}

void BM_FillFontList_Installed(benchmark::State& state) {
    COpenFontPage page;
    FillOnce(page, SystemFontCatalog());  // fontconfig loaded before timing
    for (auto _ : state) {
        FillOnce(page, SystemFontCatalog());
        benchmark::DoNotOptimize(page.m_fonts.data());
    }
    state.counters["faces"] = double(page.m_fonts.size());
}
BENCHMARK(BM_FillFontList_Installed)->Unit(benchmark::kMillisecond);

void BM_FillFontList_2000Warm(benchmark::State& state) {
    if (!MakeFolder()) {
        state.SkipWithError("fontTools is needed to make the font folder");
        return;
    }
    FontCatalog catalog(ConfigFile(kRoot / "cache"));
    COpenFontPage page;
    for (auto _ : state) {
        FillOnce(page, catalog);
        benchmark::DoNotOptimize(page.m_fonts.data());
    }
    state.counters["faces"] = double(page.m_fonts.size());
}
BENCHMARK(BM_FillFontList_2000Warm)->Unit(benchmark::kMillisecond);

// What the user waits for on the page: the listing, the list widget filled and sorted.
void BM_RefreshList_2000Warm(benchmark::State& state) {
    if (!MakeFolder()) {
        state.SkipWithError("fontTools is needed to make the font folder");
        return;
    }
    FontCatalog catalog(ConfigFile(kRoot / "cache"));
    COpenFontPage page;
    struct Fresh : FontEnumerator {
        FontCatalog* catalog;
        std::unique_ptr<CatalogFontEnumerator> now;
        void EnumFamilies(bool basic, const FontEnumCallback& cb) override {
            now = std::make_unique<CatalogFontEnumerator>(catalog->Faces());
            now->EnumFamilies(basic, cb);
        }
        void EnumFaces(const std::string& f, bool basic, const FontEnumCallback& cb) override { now->EnumFaces(f, basic, cb); }
        std::string LookupFontFile(const std::string& n) override { return now->LookupFontFile(n); }
    } fonts;
    fonts.catalog = &catalog;
    page.SetFontEnumerator(&fonts);
    for (auto _ : state) page.RefreshList();
    state.counters["items"] = double(page.FontList()->count());
}
BENCHMARK(BM_RefreshList_2000Warm)->Unit(benchmark::kMillisecond);

// Cold: no cache for the folder, so fontconfig reads all 2000 files once.
void BM_Catalogue_2000Cold(benchmark::State& state) {
    if (!MakeFolder()) {
        state.SkipWithError("fontTools is needed to make the font folder");
        return;
    }
    fs::path cache = kRoot / "cold-cache";
    std::string conf = ConfigFile(cache);
    size_t faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(cache);
        state.ResumeTiming();
        FontCatalog catalog(conf);
        COpenFontPage page;
        FillOnce(page, catalog);
        faces = page.m_fonts.size();
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_Catalogue_2000Cold)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
