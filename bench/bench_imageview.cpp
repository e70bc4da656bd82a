// Repainting the image view over a 6000 x 4000 picture in a 1280 x 1024 client: the whole
// client at fit, at zoom 1 and at zoom 16, the picture alone and with the selection drawn
// over it; and a scroll by 40 lines, which repaints only what it exposes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <cstdlib>
#include <memory>
#include <random>

#include "CImageView.h"
#include "PenmarkDocument.h"

namespace {

// Strokes of ink on paper, like a large scanned page: runs of varying length.
std::unique_ptr<MonoImage> Page() {
    auto image = std::make_unique<MonoImage>();
    image->Create(6000, 4000);
    image->Fill(1);
    std::mt19937 random(3);
    for (int y = 0; y < image->height; ++y) {
        uint8_t* row = image->Row(y);
        for (int i = 0; i < 40; ++i) {
            int x = int(random() % 5900), len = int(random() % 90) + 1;
            for (int j = x; j < x + len; ++j) row[j >> 3] &= uint8_t(~(0x80 >> (j & 7)));
        }
    }
    return image;
}

struct Fixture {
    CPenmarkDocument doc;
    std::unique_ptr<CImageView> view;
    explicit Fixture(bool selectionMode) {
        static std::unique_ptr<MonoImage> page = Page();
        doc.m_pImage = std::make_unique<MonoImage>();
        page->CopyTo(*doc.m_pImage);
        *doc.m_pViewState = {ImageViewState::kZoomFit, 0, 0};
        view = std::make_unique<CImageView>(&doc, selectionMode, 0);
        view->resize(1280, 1024);
        view->show();
        QApplication::processEvents();
        view->RestoreState();
        if (selectionMode) doc.m_rcSelection = {2000, 1000, 4000, 3000};
    }
    void Zoom(int k) {
        if (k == ImageViewState::kZoomFit) return;
        view->ZoomTo(k);
        view->ZoomAt(k, {3000, 2000});
    }
};

void BM_Repaint(benchmark::State& state) {
    Fixture f(state.range(1) != 0);
    f.Zoom(int(state.range(0)));
    QApplication::processEvents();
    for (auto _ : state) f.view->viewport()->repaint();
    state.SetLabel("zoom " + std::to_string(f.view->Zoom()) + (state.range(1) ? ", selection" : ""));
}
BENCHMARK(BM_Repaint)
    ->ArgsProduct({{ImageViewState::kZoomFit, 1, 16}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_Scroll40Lines(benchmark::State& state) {
    Fixture f(false);
    f.Zoom(1);
    QApplication::processEvents();
    QScrollBar* bar = f.view->verticalScrollBar();
    int step = 40;
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0) step = -step;
        bar->setValue(bar->value() + step);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Scroll40Lines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
