#include "SvgReader.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "Binarize.h"
#include "Error.h"
#include "ImageErrors.h"
#include "ImageFile.h"
#include "RsvgLibrary.h"

namespace {

int g_svgSize = kDefaultSvgSize;

// Rows rendered at a time: a band of at most this many pixels (64 MB of colour) is
// alive at once, however large the picture.
constexpr int64_t kBandPixels = 16 << 20;
// The longer side of the rendering that measures the ink.
constexpr int kProbeSize = 1024;

// The library, loaded on first use; a reader without it answers 1036.
const RsvgLibrary& L() {
    const RsvgLibrary* library = LoadRsvgLibrary();
    if (!library) RaiseError(ImageError::kNoSvgRenderer);
    return *library;
}

struct ObjectUnref {
    void operator()(void* p) const {
        if (p) L().object_unref(p);
    }
};
struct ErrorFree {
    void operator()(GError* p) const {
        if (p) L().error_free(p);
    }
};
struct SurfaceDestroy {
    void operator()(cairo_surface_t* p) const {
        if (p) L().surface_destroy(p);
    }
};
struct CairoDestroy {
    void operator()(cairo_t* p) const {
        if (p) L().destroy(p);
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, ObjectUnref>;
using HandlePtr = GPtr<RsvgHandle>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroy>;

bool IsGzip(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

// True when the text can be XML: a '<' after an optional byte order mark and white space,
// or UTF-16 text, which libxml2 reads by its mark.
bool LooksLikeXml(const std::vector<uint8_t>& text) {
    size_t i = 0;
    if (text.size() >= 2 && ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF)))
        return true;
    if (text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) i = 3;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    return i < text.size() && text[i] == '<';
}

// True when the document type declares an entity kept in another file (SYSTEM or
// PUBLIC), which librsvg never loads: a use of it then fails to parse.
bool DeclaresExternalEntity(const std::vector<uint8_t>& text) {
    const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
    for (size_t at = all.find("<!ENTITY"); at != std::string_view::npos; at = all.find("<!ENTITY", at + 1)) {
        const std::string_view declaration = all.substr(at, all.find('>', at) - at);
        if (declaration.find("SYSTEM") != std::string_view::npos || declaration.find("PUBLIC") != std::string_view::npos)
            return true;
    }
    return false;
}

HandlePtr LoadHandle(const std::vector<uint8_t>& text) {
    // From memory and without a base file: librsvg then refuses every reference that is
    // not a data: URL inside the drawing, so no other file and no network is touched.
    GPtr<GInputStream> stream(L().memory_input_stream_new_from_data(text.data(), gssize(text.size()), nullptr));
    GError* error = nullptr;
    HandlePtr handle(L().new_from_stream_sync(stream.get(), nullptr, RSVG_HANDLE_FLAGS_NONE, nullptr, &error));
    ErrorPtr owned(error);
    if (handle) return handle;
    // librsvg tells a well-formed document of another kind only by its message.
    if (owned && std::strstr(owned->message, "<svg> root")) RaiseError(ImageError::kNotSvg);
    RaiseError(DeclaresExternalEntity(text) ? ImageError::kExternalEntity : ImageError::kDrawingDamaged);
}

// The viewport the drawing is laid out in: its own size in pixels, else its view box,
// else a square (which only percentages depend on).
RsvgRectangle NominalViewport(RsvgHandle* handle) {
    RsvgRectangle viewport{0, 0, 1000, 1000};
    gdouble w = 0, h = 0;
    if (L().get_intrinsic_size_in_pixels(handle, &w, &h) && std::isfinite(w) && std::isfinite(h) && w > 0 &&
        h > 0) {
        viewport.width = w;
        viewport.height = h;
        return viewport;
    }
    gboolean hasWidth = FALSE, hasHeight = FALSE, hasViewBox = FALSE;
    RsvgLength width{}, height{};
    RsvgRectangle viewBox{};
    L().get_intrinsic_dimensions(handle, &hasWidth, &width, &hasHeight, &height, &hasViewBox, &viewBox);
    if (hasViewBox && std::isfinite(viewBox.width) && std::isfinite(viewBox.height) && viewBox.width > 0 &&
        viewBox.height > 0) {
        viewport.width = viewBox.width;
        viewport.height = viewBox.height;
    }
    return viewport;
}

// The layout that puts extent's longer side at longerSide pixels, with a margin.
SvgLayout LayoutFor(const RsvgRectangle& viewport, const RsvgRectangle& extent, int longerSide) {
    SvgLayout layout;
    layout.viewportWidth = viewport.width;
    layout.viewportHeight = viewport.height;
    const int margin = longerSide / 50 + 2;
    layout.scale = double(longerSide) / std::max(extent.width, extent.height);
    const double w = std::ceil(extent.width * layout.scale) + 2 * margin;
    const double h = std::ceil(extent.height * layout.scale) + 2 * margin;
    if (!(w * h <= double(kMaxSvgPixels)) || !std::isfinite(layout.scale)) RaiseError(ImageError::kDrawingTooLarge);
    layout.width = int32_t(w);
    layout.height = int32_t(h);
    layout.offsetX = margin - extent.x * layout.scale;
    layout.offsetY = margin - extent.y * layout.scale;
    return layout;
}

void RenderAll(RsvgHandle* handle, const SvgLayout& layout, const ProgressFn& progress, MonoBitmap& out);

// The box of the ink in a picture; false when it has none.
bool InkBounds(const MonoBitmap& b, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) {
    left = b.width;
    top = b.height;
    right = bottom = 0;
    for (int32_t y = 0; y < b.height; ++y) {
        const uint8_t* row = b.Row(y);
        int32_t first = 0, last = b.stride - 1;
        while (first <= last && row[first] == 0xFF) ++first;
        if (first > last) continue;
        while (row[last] == 0xFF) --last;
        int32_t x0 = first * 8, x1 = last * 8 + 7;
        while ((row[x0 >> 3] >> (7 - (x0 & 7))) & 1) ++x0;
        while ((row[x1 >> 3] >> (7 - (x1 & 7))) & 1) --x1;
        left = std::min(left, x0);
        right = std::max(right, x1 + 1);
        top = std::min(top, y);
        bottom = y + 1;
    }
    return right > left;
}

// librsvg's ink box counts the control points of curves, so a small rendering measures
// the ink itself, and the drawing is then laid out by that.
SvgLayout Layout(RsvgHandle* handle, int longerSide) {
    RsvgRectangle viewport = NominalViewport(handle);
    RsvgRectangle ink{}, logical{};
    GError* error = nullptr;
    if (!L().get_geometry_for_layer(handle, nullptr, &viewport, &ink, &logical, &error)) {
        ErrorPtr owned(error);
        RaiseError(ImageError::kDrawingDamaged);
    }
    // A drawing without any ink is shown as its page.
    bool inked = std::isfinite(ink.x) && std::isfinite(ink.y) && std::isfinite(ink.width) &&
                 std::isfinite(ink.height) && std::max(ink.width, ink.height) > 0;
    if (!inked) return LayoutFor(viewport, viewport, longerSide);
    const SvgLayout probe = LayoutFor(viewport, ink, std::min(longerSide, kProbeSize));
    MonoBitmap small;
    RenderAll(handle, probe, nullptr, small);
    int32_t left, top, right, bottom;
    if (!InkBounds(small, left, top, right, bottom)) return LayoutFor(viewport, ink, longerSide);
    RsvgRectangle measured{(left - probe.offsetX) / probe.scale, (top - probe.offsetY) / probe.scale,
                           (right - left) / probe.scale, (bottom - top) / probe.scale};
    if (std::max(measured.width, measured.height) <= 0) return LayoutFor(viewport, ink, longerSide);
    return LayoutFor(viewport, measured, longerSide);
}

// Rows y0 .. y0 + rows of the picture: the drawing over white, cut at half coverage.
void RenderBand(RsvgHandle* handle, const SvgLayout& layout, int32_t y0, int32_t rows, MonoBitmap& out) {
    SurfacePtr surface(L().image_surface_create(CAIRO_FORMAT_RGB24, layout.width, rows));
    if (L().surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) RaiseError(ImageError::kNoMemory);
    CairoPtr cr(L().create(surface.get()));
    L().set_source_rgb(cr.get(), 1, 1, 1);
    L().paint(cr.get());
    L().translate(cr.get(), layout.offsetX, layout.offsetY - y0);
    L().scale(cr.get(), layout.scale, layout.scale);
    RsvgRectangle viewport{0, 0, layout.viewportWidth, layout.viewportHeight};
    GError* error = nullptr;
    if (!L().render_document(handle, cr.get(), &viewport, &error)) {
        ErrorPtr owned(error);
        RaiseError(ImageError::kDrawingDamaged);
    }
    cr.reset();
    L().surface_flush(surface.get());
    const uint8_t* data = L().image_surface_get_data(surface.get());
    const int stride = L().image_surface_get_stride(surface.get());
    if (!data) RaiseError(ImageError::kNoMemory);
    for (int32_t y = 0; y < rows; ++y) {
        const auto* pixel = reinterpret_cast<const uint32_t*>(data + int64_t(y) * stride);
        uint8_t* row = out.Row(y0 + y);
        std::memset(row, 0xFF, size_t(out.stride));
        for (int32_t x = 0; x < layout.width; ++x) {
            const uint32_t p = pixel[x];
            if (GreyOf(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)) < 128) row[x >> 3] &= uint8_t(~(0x80u >> (x & 7)));
        }
    }
}

void CheckProgress(const ProgressFn& progress, int position) {
    if (ReportProgress(progress, ProgressCode::kPosition, position) != 0) RaiseError(ImageError::kCancelled);
}

void RenderAll(RsvgHandle* handle, const SvgLayout& layout, const ProgressFn& progress, MonoBitmap& out) {
    out.Create(layout.width, layout.height);
    const int32_t band = int32_t(std::clamp<int64_t>(kBandPixels / layout.width, 1, layout.height));
    for (int32_t y = 0; y < layout.height; y += band) {
        RenderBand(handle, layout, y, std::min(band, layout.height - y), out);
        CheckProgress(progress, int(int64_t(std::min(y + band, layout.height)) * 100 / layout.height));
    }
}

void Render(const std::vector<uint8_t>& bytes, int longerSide, const ProgressFn& progress, MonoBitmap& out) {
    std::vector<uint8_t> text = UnpackSvg(bytes);
    if (!LooksLikeXml(text)) RaiseError(ImageError::kUnknownFormat);
    HandlePtr handle = LoadHandle(text);
    SvgLayout layout = Layout(handle.get(), std::clamp(longerSide, kMinSvgSize, kMaxSvgSize));
    RenderAll(handle.get(), layout, progress, out);
}

std::vector<uint8_t> ReadAll(ImageFile& file) {
    const uint64_t size = file.Size();
    if (size > kMaxSvgBytes) RaiseError(ImageError::kTooLarge);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.Seek(0);
    if (!bytes.empty()) file.Read(bytes.data(), bytes.size());
    return bytes;
}

class SvgReaderState : public ImageReaderState {
public:
    ImageFile file;
};

}  // namespace

void SetSvgSize(int pixels) { g_svgSize = std::clamp(pixels, kMinSvgSize, kMaxSvgSize); }
int SvgSize() { return g_svgSize; }

std::vector<uint8_t> UnpackSvg(const std::vector<uint8_t>& bytes) {
    if (!IsGzip(bytes)) return bytes;
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) RaiseError(ImageError::kNoMemory);
    struct End {
        z_stream* z;
        ~End() { inflateEnd(z); }
    } end{&z};
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = uInt(std::min<size_t>(bytes.size(), kMaxSvgBytes));
    std::vector<uint8_t> text;
    size_t chunk = std::min<size_t>(std::max<size_t>(bytes.size() * 4, 1 << 16), kMaxSvgBytes);
    for (;;) {
        size_t used = text.size();
        if (used >= kMaxSvgBytes) RaiseError(ImageError::kTooLarge);
        text.resize(std::min<size_t>(used + chunk, kMaxSvgBytes));
        z.next_out = text.data() + used;
        z.avail_out = uInt(text.size() - used);
        int result = inflate(&z, Z_NO_FLUSH);
        text.resize(text.size() - z.avail_out);
        if (result == Z_STREAM_END) return text;
        if (result != Z_OK && result != Z_BUF_ERROR) RaiseError(ImageError::kDrawingDamaged);
        // No room was the only want: go on; no input left means the data stops short.
        if (z.avail_out != 0 && z.avail_in == 0) RaiseError(ImageError::kDrawingDamaged);
        chunk = std::min<size_t>(chunk * 2, kMaxSvgBytes);
    }
}

SvgLayout LayoutSvg(const std::vector<uint8_t>& bytes, int longerSide) {
    std::vector<uint8_t> text = UnpackSvg(bytes);
    if (!LooksLikeXml(text)) RaiseError(ImageError::kUnknownFormat);
    HandlePtr handle = LoadHandle(text);
    return Layout(handle.get(), std::clamp(longerSide, kMinSvgSize, kMaxSvgSize));
}

void DecodeSvg(const std::vector<uint8_t>& bytes, int longerSide, MonoBitmap& out) {
    try {
        Render(bytes, longerSide, nullptr, out);
    } catch (...) {
        out.Free();
        throw;
    }
}

void RegisterSvgFormat(ImageFormatRegistry& registry) {
    ImageFormatHandler h;
    h.descriptionId = ImageText::kSvgFilter;
    h.extensions = "svg,svgz";
    h.flags = kImageFormatCanRead;
    h.open = [](const std::string& path, std::unique_ptr<ImageReaderState>& state) {
        return GuardedRead([&] {
            auto s = std::make_unique<SvgReaderState>();
            int code = s->file.Open(path);
            if (code != ImageError::kOk) RaiseError(code);
            state = std::move(s);
        });
    };
    h.read = [](ImageReaderState& state, const ProgressFn& progress, MonoBitmap& out) {
        int code = GuardedRead([&] {
            std::vector<uint8_t> bytes = ReadAll(static_cast<SvgReaderState&>(state).file);
            int32_t range[2] = {0, 100};
            ReportProgress(progress, ProgressCode::kRange, reinterpret_cast<intptr_t>(range));
            CheckProgress(progress, 0);
            Render(bytes, g_svgSize, progress, out);
        });
        if (code != ImageError::kOk) out.Free();
        return code;
    };
    h.close = [](std::unique_ptr<ImageReaderState>& state) {
        state.reset();
        return ImageError::kOk;
    };
    registry.Register(std::move(h));
}
