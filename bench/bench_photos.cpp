// A 4000 x 3000 phone photo of a signature (paper lit unevenly, grain, bluish ink)
// written as a JPEG of quality 90, read and made black and white: the whole read, then
// the decode and each threshold on their own, and the paper's estimate with the flattening
// at three sizes. The whole-process figure beside
// ImageMagick comes from bench/photos_vs_imagemagick.sh.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ImageFormatRegistry.h"
#include "PaperBackground.h"
#include "PhotoReaders.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::string PhotoPath() { return std::string(PENMARK_BENCH_TMP) + "/photo-12mp.jpg"; }

// Writes the photo once per run.
const std::string& Photo() {
    static const std::string path = [] {
        std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
        std::mt19937 rnd(7);
        std::normal_distribution<double> grain(0, 6);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double paper = 235 - 60.0 * x / kWidth - 30.0 * y / kHeight;
                double cy = 1500 + 500 * std::sin(x / 320.0) + 200 * std::cos(x / 104.0);
                bool ink = (x > 400 && x < 3600 && std::abs(y - cy) < 14) || (x > 600 && x < 3400 && std::abs(y - 2300) < 10);
                double v = (ink ? 40 : paper) + grain(rnd);
                uint8_t* p = &rgb[(size_t(y) * kWidth + size_t(x)) * 3];
                p[0] = p[1] = uint8_t(std::clamp(v, 0.0, 255.0));
                p[2] = uint8_t(std::clamp(v + 20, 0.0, 255.0));
            }
        jpeg_compress_struct info;
        jpeg_error_mgr err;
        info.err = jpeg_std_error(&err);
        jpeg_create_compress(&info);
        std::string out = PhotoPath();
        FILE* f = std::fopen(out.c_str(), "wb");
        jpeg_stdio_dest(&info, f);
        info.image_width = kWidth;
        info.image_height = kHeight;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = &rgb[size_t(info.next_scanline) * kWidth * 3];
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        std::fclose(f);
        return out;
    }();
    return path;
}

void ReadPhoto(benchmark::State& state, ThresholdMode mode) {
    const std::string& path = Photo();
    ImageFormatRegistry registry;
    SetPhotoThreshold({mode, 128});
    for (auto _ : state) {
        std::unique_ptr<MonoImage> image;
        if (registry.ReadImage(path, {}, image) != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(image);
    }
    SetPhotoThreshold({});
    state.counters["Mpx/s"] = benchmark::Counter(double(kWidth) * kHeight * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_JpegToMonoImageAuto(benchmark::State& state) { ReadPhoto(state, ThresholdMode::Auto); }
void BM_JpegToMonoImageGlobal(benchmark::State& state) { ReadPhoto(state, ThresholdMode::Global); }
void BM_JpegToMonoImageLocal(benchmark::State& state) { ReadPhoto(state, ThresholdMode::Local); }

void BM_DecodeJpegOnly(benchmark::State& state) {
    std::ifstream in(Photo(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    for (auto _ : state) {
        GreyImage grey;
        DecodeJpeg(bytes, grey);
        benchmark::DoNotOptimize(grey.pixels.data());
    }
}

void BinarizeOnly(benchmark::State& state, ThresholdMode mode) {
    std::ifstream in(Photo(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    GreyImage grey;
    DecodeJpeg(bytes, grey);
    for (auto _ : state) {
        MonoImage out;
        Binarize(grey, {mode, 128}, out);
        benchmark::DoNotOptimize(out.bits);
    }
}
void BM_BinarizeGlobalOnly(benchmark::State& state) { BinarizeOnly(state, ThresholdMode::Global); }
void BM_BinarizeLocalOnly(benchmark::State& state) { BinarizeOnly(state, ThresholdMode::Local); }

// The paper's estimate and the flattening alone, at 3, 12 and 48 megapixels (4:3): the
// time per pixel should not grow with the picture. Strokes 28 pixels wide at 12
// megapixels, scaled with the picture, and the window the binarisation would choose.
void BM_FlattenByPaper(benchmark::State& state) {
    const double scale = std::sqrt(double(state.range(0)) / 12.0);
    const int32_t w = int32_t(kWidth * scale), h = int32_t(kHeight * scale);
    GreyImage grey{w, h, std::vector<uint8_t>(size_t(w) * size_t(h))};
    const int stroke = int(28 * scale);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const bool ink = (x + 2 * y) % (20 * stroke) < stroke || (y % (9 * stroke)) < stroke / 2;
            const bool shade = x > y + w / 3;
            grey.pixels[size_t(y) * size_t(w) + size_t(x)] = uint8_t((ink ? 40 : 235 - 40 * x / w) / (shade ? 2 : 1));
        }
    GreyImage flat;
    for (auto _ : state) {
        EstimatePaper(grey, 6 * stroke + 1, flat);
        FlattenByPaper(grey, 235, flat);
        benchmark::DoNotOptimize(flat.pixels.data());
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(w) * h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_JpegToMonoImageAuto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegToMonoImageGlobal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegToMonoImageLocal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpegOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarizeGlobalOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarizeLocalOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlattenByPaper)->Arg(3)->Arg(12)->Arg(48)->Unit(benchmark::kMillisecond);
