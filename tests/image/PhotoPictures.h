// Photo-like grey pictures made from clean 1-bit masters: what a phone or a colour
// scanner makes of a signature on paper.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Binarize.h"
#include "MonoImage.h"

namespace photo {

// A signature-like master: two looping strokes and an underline, ink 0.
inline MonoImage Master(int w, int h) {
    MonoImage m;
    m.Create(w, h);
    m.Fill(1);
    auto dot = [&](double cx, double cy, double r) {
        for (int y = int(cy - r); y <= int(cy + r) + 1; ++y)
            for (int x = int(cx - r); x <= int(cx + r) + 1; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) m.SetPixel(x, y, 0);
    };
    const double r = h / 60.0 + 1;
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

// The test set: every picture the binarisation must get right.
inline std::vector<Photo> Photos(const MonoImage& master) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 9);
    const int w = master.width, h = master.height;
    std::vector<Photo> set;
    set.push_back({"even", Render(master, [](int, int, bool ink) { return ink ? 40.0 : 225.0; })});
    set.push_back({"uneven light", Render(master, [&](int x, int y, bool ink) {
                       double light = 0.45 + 0.55 * (1 - double(x) / w) * (0.7 + 0.3 * double(y) / h);
                       return (ink ? 35.0 : 235.0) * light;
                   })});
    set.push_back({"paper texture", Render(master, [&](int, int, bool ink) {
                       return (ink ? 50.0 : 215.0) + noise(random) * (ink ? 0.5 : 1.5);
                   })});
    set.push_back({"blue ink", Render(master, [](int, int, bool ink) {
                       return ink ? double(GreyOf(30, 60, 200)) : double(GreyOf(240, 236, 228));
                   })});
    set.push_back({"blur", Blur(Blur(Render(master, [](int, int, bool ink) { return ink ? 30.0 : 220.0; })))});
    set.push_back({"shadow in a corner", Render(master, [&](int x, int y, bool ink) {
                       // A hand's shadow over the top left, with the soft edge real shadows have.
                       double v = ink ? 40.0 : 228.0;
                       double edge = (double(x + y) - (w + h) / 3.0) / 60.0;
                       double dark = 1 / (1 + std::exp(4 * edge));
                       return v * (1 - 0.58 * dark);
                   })});
    return set;
}

// Intersection over union of the ink of two pictures of one size.
inline double InkIoU(const MonoImage& a, const MonoImage& b) {
    long both = 0, either = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool p = a.GetPixel(x, y) == 0, q = b.GetPixel(x, y) == 0;
            both += p && q;
            either += p || q;
        }
    return either ? double(both) / double(either) : 1.0;
}

}  // namespace photo
