// Feeds arbitrary bytes through the format registry, the way a user's file arrives:
// written to a file whose extension names one format or the other, with the grey and
// colour pictures refused or made black and white.
//
// Run: fuzz_imageio -malloc_limit_mb=2200 -max_len=65536 corpus/
// (a picture may claim up to 2 GB of bitmap, which the reader allocates before decoding.)
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "ImageFormatRegistry.h"
#include "PhotoReaders.h"

namespace {
std::string ScratchFile(const char* extension) {
    return "/tmp/fuzz_imageio_" + std::to_string(getpid()) + extension;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ImageFormatRegistry registry;
    static const std::string paths[2] = {ScratchFile(".tif"), ScratchFile(".bmp")};
    const std::string& path = paths[size % 2];
    SetGreyTiffBmp(size % 4 >= 2);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    int positions = 0;
    ProgressFn progress = [&](int32_t code, intptr_t) {
        positions += code == ProgressCode::kPosition;
        return 0;
    };
    std::unique_ptr<MonoImage> image;
    bool loaded = registry.LoadImage(path, image, progress, [](int) {});
    if (loaded != (image != nullptr)) __builtin_trap();
    if (image && !image->IsEmpty()) {
        // Touch the first and last byte: the bitmap must be whole.
        volatile uint8_t sink = image->bits[0] ^ image->bits[image->size - 1];
        (void)sink;
    }
    return 0;
}
