// Decoding a 6000 x 4000 signature-like picture in every TIFF compression, with our
// reader and with libtiff reading the same file into its raw strips; a page of print in
// Group 4; and the bitmap reader on the signature.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ImageFormatRegistry.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr uint32_t kRowBytes = (kWidth + 7) / 8;

// Rows of packed bits, 1 = paper: a few thick smooth strokes on white, a little dust.
std::vector<uint8_t> SignaturePicture() {
    std::vector<uint8_t> bits(size_t(kRowBytes) * kHeight, 0xFF);
    auto ink = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= int(kWidth) || y >= int(kHeight)) return;
        bits[size_t(y) * kRowBytes + size_t(x) / 8] &= uint8_t(~(0x80 >> (x % 8)));
    };
    std::mt19937 rnd(42);
    std::uniform_real_distribution<double> u(0, 1);
    for (int stroke = 0; stroke < 12; ++stroke) {
        double x = 500 + 5000 * u(rnd), y = 800 + 2400 * u(rnd), angle = 6.3 * u(rnd);
        int radius = 4 + int(8 * u(rnd));
        for (int step = 0; step < 3000; ++step) {
            angle += (u(rnd) - 0.5) * 0.3;
            x += 1.5 * std::cos(angle);
            y += 1.5 * std::sin(angle);
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx)
                    if (dx * dx + dy * dy <= radius * radius) ink(int(x) + dx, int(y) + dy);
        }
    }
    for (int i = 0; i < 2000; ++i) ink(int(kWidth * u(rnd)), int(kHeight * u(rnd)));
    return bits;
}

// A page of small print: glyphs of 5 x 7 cells of 4 x 4 pixels on lines 40 pixels
// apart, the hard case of a fax decoder (many short runs, changes on every row).
std::vector<uint8_t> TextPicture() {
    std::vector<uint8_t> bits(size_t(kRowBytes) * kHeight, 0xFF);
    std::mt19937 rnd(7);
    for (uint32_t top = 40; top + 28 < kHeight - 40; top += 40)
        for (uint32_t left = 40; left + 20 < kWidth - 40; left += 24) {
            uint32_t glyph = rnd();
            for (uint32_t cy = 0; cy < 7; ++cy)
                for (uint32_t cx = 0; cx < 5; ++cx) {
                    if (!((glyph >> ((cy * 5 + cx) % 32)) & 1)) continue;
                    for (uint32_t y = top + cy * 4; y < top + cy * 4 + 4; ++y)
                        for (uint32_t x = left + cx * 4; x < left + cx * 4 + 4; ++x)
                            bits[size_t(y) * kRowBytes + x / 8] &= uint8_t(~(0x80 >> (x % 8)));
                }
        }
    return bits;
}

// A compression code, plus kText for the page of print.
constexpr int kText = 100000;

std::string PathFor(int picture) {
    const char* name = picture >= kText ? "/text_" : "/signature_";
    return std::string(PENMARK_BENCH_TMP) + name + std::to_string(picture % kText) + ".tif";
}

// Writes the picture with libtiff (MinIsWhite for fax data, as scanners do).
void WriteTiff(const std::vector<uint8_t>& bits, uint16_t compression, const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    bool whiteIsZero = compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
                       compression == COMPRESSION_CCITTFAX4;
    if (compression == COMPRESSION_CCITTFAX3) TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, whiteIsZero ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
    // Fax pages are usually one strip: Group 4 rows refer to the rows above them.
    bool fax = compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, fax ? kHeight : TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> row(kRowBytes);
    for (uint32_t y = 0; y < kHeight; ++y) {
        std::memcpy(row.data(), &bits[size_t(y) * kRowBytes], kRowBytes);
        if (whiteIsZero)
            for (auto& b : row) b = uint8_t(~b);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
}

void WriteBmp(const std::vector<uint8_t>& bits) {
    const uint32_t fileRow = (kWidth + 31) / 32 * 4;
    std::vector<uint8_t> f(62 + size_t(fileRow) * kHeight, 0);
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };  // little-endian host
    f[0] = 'B', f[1] = 'M';
    put(2, uint32_t(f.size()));
    put(10, 62);
    put(14, 40);
    put(18, kWidth);
    put(22, kHeight);
    put(26, 1 | (1 << 16));
    put(58, 0xFFFFFF);
    for (uint32_t k = 0; k < kHeight; ++k)
        std::memcpy(&f[62 + size_t(k) * fileRow], &bits[size_t(kHeight - 1 - k) * kRowBytes], kRowBytes);
    std::ofstream(std::string(PENMARK_BENCH_TMP) + "/signature.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
}

const uint16_t kCompressions[] = {COMPRESSION_NONE, COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3,
                                  COMPRESSION_CCITTFAX4, COMPRESSION_LZW, COMPRESSION_PACKBITS};

void PrepareFiles() {
    static bool done = [] {
        std::vector<uint8_t> bits = SignaturePicture();
        for (uint16_t c : kCompressions) WriteTiff(bits, c, PathFor(c));
        WriteTiff(TextPicture(), COMPRESSION_CCITTFAX4, PathFor(kText + COMPRESSION_CCITTFAX4));
        WriteBmp(bits);
        return true;
    }();
    (void)done;
}

void BM_Penmark(benchmark::State& state) {
    PrepareFiles();
    std::string path = state.range(0) == 0 ? std::string(PENMARK_BENCH_TMP) + "/signature.bmp"
                                           : PathFor(int(state.range(0)));
    ImageFormatRegistry registry;
    for (auto _ : state) {
        std::unique_ptr<MonoImage> image;
        if (registry.ReadImage(path, {}, image) != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(image->bits);
    }
}

void BM_Libtiff(benchmark::State& state) {
    PrepareFiles();
    std::string path = PathFor(int(state.range(0)));
    TIFFSetWarningHandler(nullptr);
    std::vector<uint8_t> raster(size_t(kRowBytes) * kHeight);
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        tstrip_t strips = TIFFNumberOfStrips(tif);
        tmsize_t at = 0;
        for (tstrip_t s = 0; s < strips; ++s) {
            tmsize_t got = TIFFReadEncodedStrip(tif, s, raster.data() + at, tmsize_t(raster.size()) - at);
            if (got < 0) state.SkipWithError("libtiff failed");
            at += got;
        }
        TIFFClose(tif);
        benchmark::DoNotOptimize(raster.data());
    }
}

// Argument: TIFF compression code, or 0 for the bitmap file.
// (3: Group 3 with two-dimensional rows; 4: Group 4; 100004: Group 4 page of print.)
BENCHMARK(BM_Penmark)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(kText + 4)->Arg(5)->Arg(32773)->Arg(0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libtiff)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(kText + 4)->Arg(5)->Arg(32773)
    ->Unit(benchmark::kMillisecond);

}  // namespace
