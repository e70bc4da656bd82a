#include "PhotoReaders.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "BmpReader.h"
#include "Error.h"
#include "ImageErrors.h"
#include "MonoImage.h"
#include "TiffReader.h"

namespace {

ThresholdChoice g_threshold;
bool g_greyTiffBmp = false;

void CheckSize(uint64_t w, uint64_t h) {
    if (w == 0 || h == 0) RaiseError(ImageError::kInvalidData);
    if (w * h > kMaxPhotoPixels || w > 0x7FFFFFFF || h > 0x7FFFFFFF) RaiseError(ImageError::kTooLarge);
}

std::vector<uint8_t> Slurp(ImageFile& file) {
    uint64_t size = file.Size();
    // A compressed picture of 100 megapixels is far smaller than this.
    if (size > (uint64_t(1) << 30)) RaiseError(ImageError::kTooLarge);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.Seek(0);
    if (!bytes.empty()) file.Read(bytes.data(), bytes.size());
    return bytes;
}

// EXIF orientation (1..8) from an APP1 marker; 1 when there is none or it cannot be read.
int ExifOrientation(const uint8_t* p, size_t n) {
    if (n < 14 || std::memcmp(p, "Exif\0\0", 6) != 0) return 1;
    const uint8_t* t = p + 6;
    size_t len = n - 6;
    bool little = t[0] == 'I';
    auto u16 = [&](size_t at) -> unsigned {
        return at + 2 > len ? 0 : little ? t[at] | t[at + 1] << 8 : t[at] << 8 | t[at + 1];
    };
    auto u32 = [&](size_t at) -> uint32_t {
        return at + 4 > len ? 0 : little ? uint32_t(u16(at) | u16(at + 2) << 16) : uint32_t(u16(at) << 16 | u16(at + 2));
    };
    uint32_t ifd = u32(4);
    if (ifd + 2 > len) return 1;
    unsigned count = u16(ifd);
    for (unsigned i = 0; i < count && ifd + 2 + 12 * (i + 1) <= len; ++i) {
        size_t e = ifd + 2 + 12 * i;
        if (u16(e) == 0x0112) {
            unsigned v = u16(e + 8);
            return v >= 1 && v <= 8 ? int(v) : 1;
        }
    }
    return 1;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

void Finish(GreyImage& grey, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep) {
    if (ReportProgress(progress, ProgressCode::kPosition, 50) != 0) RaiseError(ImageError::kCancelled);
    MonoImage image;
    BinarizeResult result = Binarize(grey, g_threshold, image);
    if (ReportProgress(progress, ProgressCode::kPosition, 100) != 0) RaiseError(ImageError::kCancelled);
    auto source = std::make_unique<GreySource>();
    source->grey = std::move(grey);
    source->choice = g_threshold;
    source->result = result;
    image.MoveTo(out);
    keep = std::move(source);
}

void StartProgress(const ProgressFn& progress) {
    int32_t range[2] = {0, 100};
    ReportProgress(progress, ProgressCode::kRange, reinterpret_cast<intptr_t>(range));
    if (ReportProgress(progress, ProgressCode::kPosition, 0) != 0) RaiseError(ImageError::kCancelled);
}

}  // namespace

void SetPhotoThreshold(const ThresholdChoice& choice) { g_threshold = choice; }
const ThresholdChoice& PhotoThreshold() { return g_threshold; }
void SetGreyTiffBmp(bool allowed) { g_greyTiffBmp = allowed; }
bool GreyTiffBmp() { return g_greyTiffBmp; }

void DecodePng(const std::vector<uint8_t>& bytes, GreyImage& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) RaiseError(ImageError::kInvalidData);
    // Released however this ends.
    struct Guard {
        png_image* p;
        ~Guard() { png_image_free(p); }
    } guard{&image};
    CheckSize(image.width, image.height);
    image.format = PNG_FORMAT_GRAY;  // alpha composited over the background below
    out.width = int32_t(image.width);
    out.height = int32_t(image.height);
    out.pixels.assign(size_t(image.width) * image.height, 255);
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, out.pixels.data(), int32_t(image.width), nullptr))
        RaiseError(ImageError::kInvalidData);
}

void DecodeJpeg(const std::vector<uint8_t>& bytes, GreyImage& out) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = JpegFail;
    error.mgr.emit_message = JpegQuiet;
    int code = ImageError::kOk;
    // Made before the jump point: nothing with a destructor may start after it.
    std::vector<uint8_t> row;
    jpeg_create_decompress(&info);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        RaiseError(code ? code : ImageError::kInvalidData);
    }
    jpeg_mem_src(&info, bytes.data(), (unsigned long)bytes.size());
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    if (uint64_t(info.image_width) * info.image_height > kMaxPhotoPixels) {
        code = ImageError::kTooLarge;
        std::longjmp(error.jump, 1);
    }
    int orientation = 1;
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1) orientation = ExifOrientation(m->data, m->data_length);
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    out.width = int32_t(info.output_width);
    out.height = int32_t(info.output_height);
    out.pixels.assign(size_t(out.width) * size_t(out.height), 255);
    row.resize(size_t(info.output_width) * size_t(info.output_components));
    while (info.output_scanline < info.output_height) {
        uint8_t* target = &out.pixels[size_t(info.output_scanline) * size_t(out.width)];
        JSAMPROW rows[1] = {cmyk ? row.data() : target};
        jpeg_read_scanlines(&info, rows, 1);
        if (cmyk)  // Adobe's inverted CMYK: the darker of the inks decides
            for (int32_t x = 0; x < out.width; ++x) {
                const uint8_t* c = &row[size_t(x) * 4];
                target[x] = uint8_t(uint32_t(GreyOf(c[0], c[1], c[2])) * c[3] / 255);
            }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    OrientGrey(out, orientation);
}

void ReadPng(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep) {
    std::vector<uint8_t> bytes = Slurp(file);
    // Another format's file: the registry goes on to the next reader.
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) RaiseError(ImageError::kUnknownFormat);
    StartProgress(progress);
    GreyImage grey;
    DecodePng(bytes, grey);
    Finish(grey, progress, out, keep);
}

void ReadJpeg(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep) {
    std::vector<uint8_t> bytes = Slurp(file);
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF) RaiseError(ImageError::kUnknownFormat);
    StartProgress(progress);
    GreyImage grey;
    DecodeJpeg(bytes, grey);
    Finish(grey, progress, out, keep);
}

namespace {

// The 1-bit reader first; a grey or colour picture it refuses goes the photos' way when
// that was asked for.
template <typename OneBit, typename Grey>
void ReadEither(OneBit oneBit, Grey readGrey, ImageFile& file, const ProgressFn& progress, MonoBitmap& out,
                std::unique_ptr<GreySource>& keep) {
    try {
        oneBit(file, progress, out);
        return;
    } catch (const CodeError& e) {
        if (e.code() != ImageError::kNotBlackWhite || !g_greyTiffBmp) throw;
    }
    out.Free();
    GreyImage grey;
    readGrey(file, progress, grey);
    Finish(grey, progress, out, keep);
}

}  // namespace

void ReadTiffPicture(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep) {
    ReadEither(ReadTiff, ReadTiffGrey, file, progress, out, keep);
}

void ReadBmpPicture(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep) {
    ReadEither(ReadBmp, ReadBmpGrey, file, progress, out, keep);
}
