#include "SvgTestSupport.h"

#include <librsvg/rsvg.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "ImageFormatRegistry.h"

namespace svg_test {

std::string TempPath(const std::string& name) { return std::string(PENMARK_TEST_TMP) + "/" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Gzip(const std::string& text) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(text.size())) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    int r = deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

void OracleRendering(const std::vector<uint8_t>& fileBytes, const SvgLayout& layout, MonoBitmap& out) {
    // The file's own bytes, packed or not: librsvg unpacks SVGZ itself.
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(fileBytes.data(), gsize(fileBytes.size()), &error);
    if (!handle) {
        std::string message = error ? error->message : "?";
        if (error) g_error_free(error);
        throw std::runtime_error("librsvg: " + message);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, layout.width, layout.height);
    cairo_t* cr = cairo_create(surface);
    cairo_translate(cr, layout.offsetX, layout.offsetY);
    cairo_scale(cr, layout.scale, layout.scale);
    RsvgRectangle viewport{0, 0, layout.viewportWidth, layout.viewportHeight};
    bool rendered = rsvg_handle_render_document(handle, cr, &viewport, &error);
    cairo_destroy(cr);
    g_object_unref(handle);
    if (!rendered) {
        if (error) g_error_free(error);
        cairo_surface_destroy(surface);
        throw std::runtime_error("librsvg could not render");
    }
    cairo_surface_flush(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    out.Create(layout.width, layout.height);
    out.Fill(1);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            if (data[size_t(y) * size_t(stride) + size_t(x)] >= 128) out.SetPixel(x, y, 0);
    cairo_surface_destroy(surface);
}

int ReadThroughRegistry(const std::string& path, std::unique_ptr<MonoImage>& image) {
    ImageFormatRegistry registry;
    RegisterSvgFormat(registry);
    return registry.ReadImage(path, nullptr, image);
}

long CountInk(const MonoBitmap& b) {
    long n = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) n += b.GetPixel(x, y) == 0;
    return n;
}

PixelRect InkBox(const MonoBitmap& b) {
    PixelRect box{b.width, b.height, 0, 0};
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (b.GetPixel(x, y) == 0) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    if (box.IsEmpty()) return PixelRect{};
    return box;
}

}  // namespace svg_test
