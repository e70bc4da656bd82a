// The CCITT Group 3 and Group 4 decoder over arbitrary bytes. The first four bytes pick
// the coding, the row width (1 to 16384, wider than the picture for a tile that
// overhangs it) and the number of rows; the rest is the block's data. Every input ends in
// a complete block, an incomplete one, or a code.
#include <cstddef>
#include <cstdint>

#include "BlockStore.h"
#include "CcittDecoder.h"
#include "Error.h"
#include "MonoBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static const FaxCoding codings[3] = {FaxCoding::kGroup3OneD, FaxCoding::kGroup3TwoD, FaxCoding::kGroup4};
    const FaxCoding coding = codings[data[0] % 3];
    const uint64_t rowWidth = 1 + ((uint64_t(data[1]) << 8 | data[2]) & 0x3FFF);
    const uint64_t rows = 1 + data[3];
    const int32_t width = int32_t(data[0] & 0x80 ? (rowWidth + 1) / 2 : rowWidth);
    MonoBitmap bitmap;
    bitmap.Create(width, int32_t(rows));
    ProgressFn progress = [](int32_t, intptr_t) { return 0; };
    BlockStore store(bitmap, (data[0] & 0x40) != 0, progress);
    store.BeginBlock(0, 0, rowWidth, rows);
    CcittDecoder decoder;
    try {
        decoder.Decode(data + 4, size - 4, rowWidth, coding, store);
    } catch (const CodeError&) {
    }
    return 0;
}
