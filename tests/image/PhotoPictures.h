// Photo-like grey pictures made from clean 1-bit masters: what a phone or a colour
// scanner makes of a signature on paper.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "Binarize.h"
#include "MonoImage.h"

namespace photo {

// A signature-like master: two looping strokes and an underline, ink 0; pen scales the
// stroke width.
inline MonoImage Master(int w, int h, double pen = 1.0) {
    MonoImage m;
    m.Create(w, h);
    m.Fill(1);
    auto dot = [&](double cx, double cy, double r) {
        for (int y = int(cy - r); y <= int(cy + r) + 1; ++y)
            for (int x = int(cx - r); x <= int(cx + r) + 1; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) m.SetPixel(x, y, 0);
    };
    const double r = (h / 60.0 + 1) * pen;
    for (double t = 0; t < 1; t += 0.0005) {
        double x = w * (0.1 + 0.8 * t);
        dot(x, h * (0.45 + 0.2 * std::sin(t * 26)) + h * 0.08 * std::cos(t * 51), r);
        if (t > 0.15 && t < 0.85) dot(x, h * 0.8 + h * 0.02 * std::sin(t * 7), r * 0.8);
    }
    return m;
}

// Paper and ink levels, then whatever the camera and the light did.
struct Photo {
    std::string name;
    GreyImage grey;
    MonoImage master;  // the ink it shows
    MonoImage ignore;  // where either answer is right (ink 0), e.g. ruled lines; may be empty
};

inline GreyImage Render(const MonoImage& master, const std::function<double(int, int, bool)>& shade) {
    GreyImage g;
    g.width = master.width;
    g.height = master.height;
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.pixels[size_t(y) * size_t(g.width) + size_t(x)] =
                uint8_t(std::clamp(std::lround(shade(x, y, master.GetPixel(x, y) == 0)), 0L, 255L));
    return g;
}

inline GreyImage Blur(const GreyImage& in) {
    GreyImage out = in;
    for (int y = 1; y + 1 < in.height; ++y)
        for (int x = 1; x + 1 < in.width; ++x) {
            int s = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) s += in.At(x + dx, y + dy);
            out.pixels[size_t(y) * size_t(in.width) + size_t(x)] = uint8_t(s / 9);
        }
    return out;
}

// A separable Gaussian blur of a float plane, borders extended.
inline void GaussianBlur(std::vector<float>& plane, int w, int h, double sigma) {
    const int radius = int(std::ceil(3 * sigma));
    std::vector<float> kernel(size_t(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += kernel[size_t(i + radius)] = float(std::exp(-i * i / (2 * sigma * sigma)));
    for (float& k : kernel) k /= sum;
    std::vector<float> out(plane.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += kernel[size_t(i + radius)] * plane[size_t(y) * size_t(w) + size_t(std::clamp(x + i, 0, w - 1))];
            out[size_t(y) * size_t(w) + size_t(x)] = s;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += kernel[size_t(i + radius)] * out[size_t(std::clamp(y + i, 0, h - 1)) * size_t(w) + size_t(x)];
            plane[size_t(y) * size_t(w) + size_t(x)] = s;
        }
}

// An RGB picture written as a JPEG of the given quality and read back as grey, as the
// photo readers decode it.
inline GreyImage JpegGrey(const std::vector<uint8_t>& rgb, int w, int h, int quality) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct c;
    jpeg_error_mgr cerr;
    c.err = jpeg_std_error(&cerr);
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t(c.next_scanline) * size_t(w) * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    GreyImage g;
    jpeg_decompress_struct d;
    jpeg_error_mgr derr;
    d.err = jpeg_std_error(&derr);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, buffer, size);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(&d);
    g.width = int32_t(d.output_width);
    g.height = int32_t(d.output_height);
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &g.pixels[size_t(d.output_scanline) * size_t(g.width)];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::free(buffer);
    return g;
}

// How much light falls on (x, y) under a shadow with a hard edge (a pixel or two wide)
// along a diagonal: 1 outside, 1 - depth inside.
inline double HardShadow(int x, int y, int w, int h, double depth, bool rising) {
    double across = rising ? (x - 0.45 * w) + 1.3 * (y - 0.5 * h) : (x - 0.55 * w) - 1.3 * (y - 0.5 * h);
    double inside = std::clamp(across / 1.5 + 0.5, 0.0, 1.0);
    return 1 - depth * inside;
}

// Dark ink on paper under a hard-edged shadow (45 % darker inside), a little grain.
inline GreyImage HardShadowPicture(const MonoImage& master, unsigned seed = 3) {
    std::mt19937 random(seed);
    std::normal_distribution<double> grain(0, 2.5);
    const int w = master.width, h = master.height;
    return Render(master, [&](int x, int y, bool ink) {
        return (ink ? 45.0 : 226.0) * HardShadow(x, y, w, h, 0.45, true) + grain(random);
    });
}

// What a phone makes of blue ink under the shadow of the hand holding it (40 % darker):
// out of focus by about 1.5 pixels, sensor noise, a JPEG of quality 50.
inline GreyImage PhonePhoto(const MonoImage& master, unsigned seed = 5) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 5);
    const int w = master.width, h = master.height;
    const double paper[3] = {240, 236, 228}, ink[3] = {30, 60, 200};
    std::vector<float> planes[3];
    for (int c = 0; c < 3; ++c) {
        planes[c].resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                planes[c][size_t(y) * size_t(w) + size_t(x)] =
                    float((master.GetPixel(x, y) == 0 ? ink[c] : paper[c]) * HardShadow(x, y, w, h, 0.40, false));
        GaussianBlur(planes[c], w, h, 1.5);
    }
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + size_t(c)] = uint8_t(std::clamp(std::lround(planes[c][i] + noise(random)), 0L, 255L));
    return JpegGrey(rgb, w, h, 50);
}

// A light pencil (the graphite at 55 to 65 % of the paper's brightness, grain by grain)
// on paper lit from the left, falling to 55 % on the right; the pencil's soft edge.
inline GreyImage PencilPicture(const MonoImage& master, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> graphite(0.55, 0.65);
    std::normal_distribution<double> grain(0, 3);
    const int w = master.width, h = master.height;
    std::vector<float> plane(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double light = 1 - 0.45 * double(x) / w;
            double paper = 232 * light;
            plane[size_t(y) * size_t(w) + size_t(x)] = float(master.GetPixel(x, y) == 0 ? paper * graphite(random) : paper);
        }
    GaussianBlur(plane, w, h, 0.7);
    GreyImage g;
    g.width = w;
    g.height = h;
    g.pixels.resize(plane.size());
    for (size_t i = 0; i < plane.size(); ++i) g.pixels[i] = uint8_t(std::clamp(std::lround(plane[i] + grain(random)), 0L, 255L));
    return g;
}

// The pixels of light blue ruled lines, two pixels thick every 45, ink 0.
inline MonoImage RuledLines(int w, int h) {
    MonoImage lines;
    lines.Create(w, h);
    lines.Fill(1);
    for (int y = 30; y + 2 <= h; y += 45)
        for (int x = 0; x < w; ++x) {
            lines.SetPixel(x, y, 0);
            lines.SetPixel(x, y + 1, 0);
        }
    return lines;
}

// The test set: every picture the binarisation must get right.
inline std::vector<Photo> Photos(const MonoImage& master) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 9);
    const int w = master.width, h = master.height;
    std::vector<Photo> set;
    set.push_back({"even", Render(master, [](int, int, bool ink) { return ink ? 40.0 : 225.0; }), {}, {}});
    set.push_back({"uneven light", Render(master, [&](int x, int y, bool ink) {
                       double light = 0.45 + 0.55 * (1 - double(x) / w) * (0.7 + 0.3 * double(y) / h);
                       return (ink ? 35.0 : 235.0) * light;
                   }), {}, {}});
    set.push_back({"paper texture", Render(master, [&](int, int, bool ink) {
                       return (ink ? 50.0 : 215.0) + noise(random) * (ink ? 0.5 : 1.5);
                   }), {}, {}});
    set.push_back({"blue ink", Render(master, [](int, int, bool ink) {
                       return ink ? double(GreyOf(30, 60, 200)) : double(GreyOf(240, 236, 228));
                   }), {}, {}});
    set.push_back({"blur", Blur(Blur(Render(master, [](int, int, bool ink) { return ink ? 30.0 : 220.0; }))), {}, {}});
    set.push_back({"shadow in a corner", Render(master, [&](int x, int y, bool ink) {
                       // A hand's shadow over the top left, with the soft edge real shadows have.
                       double v = ink ? 40.0 : 228.0;
                       double edge = (double(x + y) - (w + h) / 3.0) / 60.0;
                       double dark = 1 / (1 + std::exp(4 * edge));
                       return v * (1 - 0.58 * dark);
                   }), {}, {}});
    set.push_back({"hard shadow", HardShadowPicture(master), {}, {}});
    set.push_back({"phone photo", PhonePhoto(master), {}, {}});
    MonoImage pencil = Master(w, h, 0.35);
    GreyImage pencilGrey = PencilPicture(pencil);
    set.push_back({"pencil", std::move(pencilGrey), std::move(pencil), {}});
    MonoImage lines = RuledLines(w, h);
    const uint8_t lineGrey = GreyOf(150, 185, 235);
    GreyImage ruled = Render(master, [&](int x, int y, bool ink) {
        double light = 1 - 0.15 * double(y) / h;
        return (ink ? 45.0 : lines.GetPixel(x, y) == 0 ? lineGrey : 230.0) * light;
    });
    set.push_back({"ruled lines", std::move(ruled), {}, std::move(lines)});
    for (Photo& p : set)
        if (p.master.IsEmpty()) master.CopyTo(p.master);
    return set;
}

// Intersection over union of the ink of two pictures of one size, leaving out the ink
// pixels of ignore when it is given.
inline double InkIoU(const MonoImage& a, const MonoImage& b, const MonoImage* ignore = nullptr) {
    long both = 0, either = 0;
    const bool skip = ignore && !ignore->IsEmpty();
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (skip && ignore->GetPixel(x, y) == 0) continue;
            bool p = a.GetPixel(x, y) == 0, q = b.GetPixel(x, y) == 0;
            both += p && q;
            either += p || q;
        }
    return either ? double(both) / double(either) : 1.0;
}

// How well a black-and-white result of a photo of the set matches the ink it shows.
inline double Score(const Photo& p, const MonoImage& result) { return InkIoU(result, p.master, &p.ignore); }

}  // namespace photo
