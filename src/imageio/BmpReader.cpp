#include "BmpReader.h"

#include "ByteOrder.h"
#include "Error.h"
#include "ImageErrors.h"

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

void Report(const ProgressFn& progress, int32_t code, intptr_t param) {
    int32_t answer = ReportProgress(progress, code, param);
    if (answer != 0) RaiseError(answer);
}
}  // namespace

void ReadBmp(ImageFile& file, const ProgressFn& progress, MonoBitmap& out) {
    uint8_t header[kFileHeaderSize + kInfoHeaderSize];
    size_t got = file.ReadSome(header, sizeof header);
    if (got < 2 || ReadLE16(header) != 0x4D42) RaiseError(ImageError::kUnknownFormat);
    if (got < sizeof header) RaiseError(ImageError::kReadError);

    const uint8_t* info = header + kFileHeaderSize;
    const uint32_t offBits = ReadLE32(header + 10);
    const uint32_t infoSize = ReadLE32(info);
    const int32_t width = int32_t(ReadLE32(info + 4));
    const int32_t height = int32_t(ReadLE32(info + 8));
    const uint16_t planes = ReadLE16(info + 12);
    const uint16_t bitCount = ReadLE16(info + 14);
    const uint32_t compression = ReadLE32(info + 16);

    // The 12-byte header of the oldest bitmaps lays its fields out differently.
    if (infoSize < kInfoHeaderSize) RaiseError(ImageError::kBadVersion);
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
