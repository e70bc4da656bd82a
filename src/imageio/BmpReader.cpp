#include "BmpReader.h"

#include "ByteOrder.h"
#include "Error.h"
#include "ImageErrors.h"
#include "PhotoReaders.h"

#include <vector>

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

void Report(const ProgressFn& progress, int32_t code, intptr_t param) {
    int32_t answer = ReportProgress(progress, code, param);
    if (answer != 0) RaiseError(answer);
}

// The file header and the fields of the info header both readers use.
struct BmpHeader {
    uint32_t offBits, infoSize;
    int32_t width, height;  // height is negative for a top-down bitmap
    uint16_t planes, bitCount;
    uint32_t compression, colorsUsed;
};

// Reads both headers from the start of the file: notBitmap for a file that is not a
// bitmap, tooShort for a bitmap whose headers are cut off.
BmpHeader ReadHeaders(ImageFile& file, int32_t notBitmap, int32_t tooShort) {
    uint8_t header[kFileHeaderSize + kInfoHeaderSize];
    size_t got = file.ReadSome(header, sizeof header);
    if (got < 2 || ReadLE16(header) != 0x4D42) RaiseError(notBitmap);
    if (got < sizeof header) RaiseError(tooShort);
    const uint8_t* info = header + kFileHeaderSize;
    BmpHeader h{ReadLE32(header + 10), ReadLE32(info), int32_t(ReadLE32(info + 4)), int32_t(ReadLE32(info + 8)),
                ReadLE16(info + 12), ReadLE16(info + 14), ReadLE32(info + 16), ReadLE32(info + 32)};
    // The 12-byte header of the oldest bitmaps lays its fields out differently.
    if (h.infoSize < kInfoHeaderSize) RaiseError(ImageError::kBadVersion);
    return h;
}
}  // namespace

void ReadBmp(ImageFile& file, const ProgressFn& progress, MonoBitmap& out) {
    const BmpHeader h = ReadHeaders(file, ImageError::kUnknownFormat, ImageError::kReadError);
    const uint32_t offBits = h.offBits;
    const int32_t width = h.width, height = h.height;
    const uint16_t planes = h.planes, bitCount = h.bitCount;
    const uint32_t compression = h.compression;
    if (planes != 1 || bitCount != 1) RaiseError(ImageError::kNotBlackWhite);
    if (compression != 0) RaiseError(ImageError::kBadCompression);
    // Top-down bitmaps (negative height) and empty ones are not taken.
    if (width <= 0 || height <= 0) RaiseError(ImageError::kInvalidData);

    const uint64_t fileRowSize = (uint64_t(width) + 31) / 32 * 4;
    // Refuse a file too short for its rows before allocating for them.
    const uint64_t stride = (uint64_t(width) + 15) / 16 * 2;
    file.RequireInside(offBits, fileRowSize * uint64_t(height - 1) + stride);
    out.Create(width, height);

    int32_t range[2] = {0, height - 1};
    Report(progress, ProgressCode::kRange, intptr_t(range));
    Report(progress, ProgressCode::kPosition, 0);
    for (int32_t k = 0; k < height; ++k) {
        file.Seek(offBits + uint64_t(k) * fileRowSize);
        file.Read(out.Row(height - 1 - k), size_t(out.stride));
        if (k % 8 == 7) Report(progress, ProgressCode::kPosition, k);
    }
    Report(progress, ProgressCode::kPosition, height - 1);
}

void ReadBmpGrey(ImageFile& file, const ProgressFn& progress, GreyImage& grey) {
    file.Seek(0);
    const BmpHeader h = ReadHeaders(file, ImageError::kInvalidData, ImageError::kInvalidData);
    const uint32_t offBits = h.offBits, infoSize = h.infoSize;
    const int32_t width = h.width, rawHeight = h.height;
    const uint16_t bitCount = h.bitCount;
    const uint32_t compression = h.compression, colorsUsed = h.colorsUsed;
    if (bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) RaiseError(ImageError::kNotBlackWhite);
    // BI_BITFIELDS with 32 bits: the common masks put the colours where BI_RGB does.
    if (compression != 0 && !(compression == 3 && bitCount == 32)) RaiseError(ImageError::kBadCompression);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) RaiseError(ImageError::kInvalidData);
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    if (uint64_t(width) * uint64_t(height) > kMaxPhotoPixels) RaiseError(ImageError::kTooLarge);

    // The colour table lies between the headers and the pixels.
    uint8_t table[256][4] = {};
    if (bitCount <= 8) {
        const uint32_t most = 1u << bitCount;
        const uint32_t entries = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
        const uint64_t at = uint64_t(kFileHeaderSize) + infoSize;
        if (at + uint64_t(entries) * 4 > offBits) RaiseError(ImageError::kInvalidData);
        file.RequireInside(at, uint64_t(entries) * 4);
        file.Seek(at);
        file.Read(table, size_t(entries) * 4);
    }
    const uint64_t rowSize = (uint64_t(width) * bitCount + 31) / 32 * 4;
    file.RequireInside(offBits, rowSize * uint64_t(height));
    grey.width = width;
    grey.height = height;
    grey.pixels.resize(size_t(width) * size_t(height));
    std::vector<uint8_t> row(static_cast<size_t>(rowSize));

    int32_t range[2] = {0, height - 1};
    Report(progress, ProgressCode::kRange, intptr_t(range));
    Report(progress, ProgressCode::kPosition, 0);
    file.Seek(offBits);
    for (int32_t k = 0; k < height; ++k) {
        file.Read(row.data(), row.size());
        uint8_t* out = &grey.pixels[size_t(topDown ? k : height - 1 - k) * size_t(width)];
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* bgr;
            if (bitCount == 4) bgr = table[(row[size_t(x) / 2] >> (x % 2 ? 0 : 4)) & 15];
            else if (bitCount == 8) bgr = table[row[size_t(x)]];
            else bgr = &row[size_t(x) * (bitCount / 8)];
            out[x] = GreyOf(bgr[2], bgr[1], bgr[0]);
        }
        if (k % 8 == 7) Report(progress, ProgressCode::kPosition, k);
    }
    Report(progress, ProgressCode::kPosition, height - 1);
}
