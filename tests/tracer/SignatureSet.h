// The signatures the tracer's fidelity is judged on: thin pen strokes, loops, dots,
// heavy marker strokes and scans of one signature at 150 to 600 dpi with ragged edges.
#pragma once

#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "TraceFixtures.h"

namespace signature_set {

using namespace trace_fixtures;

// A cursive word: `loops` loops along a wavy base line inside (x0, y0) .. (x0 + w, y0 + h),
// drawn with a pen whose radius `pen` gives for t in [0, 1]. `wobble` > 0 jitters the pen
// along the way, as a scanned stroke's ragged edge.
inline void CursiveWord(MonoBitmap& b, double x0, double y0, double w, double h, int loops, unsigned seed,
                        const std::function<double(double)>& pen, double wobble = 0) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> jitter(0.8, 1.2), noise(-1, 1);
    const double a = jitter(rng), bfac = jitter(rng), c = jitter(rng);
    const int samples = int(std::max(2000.0, 12 * w));
    double px = 0, py = 0;
    for (int i = 0; i <= samples; ++i) {
        double t = double(i) / samples;
        double phase = 2 * std::numbers::pi * loops * t;
        double x = x0 + w * (0.05 + 0.9 * t) + 0.04 * w * a * std::cos(phase + 0.3);
        double y = y0 + h * (0.5 + 0.3 * bfac * std::sin(phase) + 0.12 * std::sin(2 * std::numbers::pi * 2 * t * c));
        double r = pen(t) * (1 + wobble * noise(rng));
        if (i > 0) StrokeLine(b, px, py, x, y, std::max(0.5, r));
        px = x;
        py = y;
    }
}

struct Picture {
    std::string name;
    std::unique_ptr<MonoBitmap> bitmap;
};

inline Picture Make(const std::string& name, int w, int h, const std::function<void(MonoBitmap&)>& draw) {
    Picture p{name, Blank(w, h)};
    draw(*p.bitmap);
    return p;
}

// A signature 2.4 x 0.9 inches scanned at dpi: one word and an underline, pen about
// 0.5 mm wide, edges ragged by the scan.
inline Picture Scan(int dpi) {
    const int w = int(2.4 * dpi), h = int(0.9 * dpi);
    const double pen = 0.01 * dpi;  // radius: a quarter millimetre
    return Make("scan " + std::to_string(dpi) + " dpi", w, h, [=](MonoBitmap& b) {
        CursiveWord(b, 0.02 * w, 0.05 * h, 0.96 * w, 0.75 * h, 7, 11, [=](double) { return pen; }, 0.25);
        StrokeLine(b, 0.05 * w, 0.9 * h, 0.9 * w, 0.85 * h, pen * 0.8);
    });
}

inline std::vector<Picture> All() {
    std::vector<Picture> set;
    set.push_back(Make("hairline 317x119", 317, 119, [](MonoBitmap& b) {
        CursiveWord(b, 2, 2, 313, 100, 8, 5, [](double) { return 0.5; });
        StrokeLine(b, 10, 110, 300, 106, 0.5);
    }));
    set.push_back(Make("thin pen 480x180", 480, 180, [](MonoBitmap& b) {
        CursiveWord(b, 4, 4, 470, 150, 9, 2, [](double t) { return 0.9 + 0.4 * std::sin(9 * t); });
    }));
    set.push_back(Make("basic 640x240", 640, 240, [](MonoBitmap& b) {
        auto s = Signature(640, 240, 1);
        std::copy(s->bits, s->bits + s->size, b.bits);
    }));
    set.push_back(Make("two words 800x300", 800, 300, [](MonoBitmap& b) {
        CursiveWord(b, 10, 20, 360, 200, 6, 3, [](double t) { return 2.0 + 1.2 * std::sin(7 * t) * std::sin(7 * t); });
        CursiveWord(b, 400, 40, 390, 210, 7, 4, [](double t) { return 1.8 + 1.0 * std::cos(5 * t) * std::cos(5 * t); });
        FillDisc(b, 200, 18, 3.5);
        FillDisc(b, 610, 30, 3);
    }));
    set.push_back(Make("heavy marker 800x330", 800, 330, [](MonoBitmap& b) {
        CursiveWord(b, 20, 20, 760, 260, 5, 6, [](double t) { return 9 + 3 * std::sin(6 * t); });
        StrokeLine(b, 40, 305, 760, 295, 8);
    }));
    set.push_back(Make("nested rings 300x300", 300, 300, [](MonoBitmap& b) {
        FillRing(b, 150, 150, 140, 120);
        FillRing(b, 150, 150, 100, 88);
        FillRing(b, 150, 150, 60, 55);
        FillRing(b, 150, 150, 25, 12);
    }));
    set.push_back(Make("dots 240x80", 240, 80, [](MonoBitmap& b) {
        SetInk(b, 10, 40);
        FillRect(b, 20, 39, 22, 41);
        for (int i = 0; i < 8; ++i) FillDisc(b, 40 + 25 * i, 40, 1.0 + 1.3 * i);
    }));
    set.push_back(Scan(150));
    set.push_back(Scan(300));
    set.push_back(Scan(600));
    set.push_back(Make("large 2400x900", 2400, 900, [](MonoBitmap& b) {
        auto s = Signature(2400, 900, 1);
        std::copy(s->bits, s->bits + s->size, b.bits);
    }));
    return set;
}

}  // namespace signature_set
