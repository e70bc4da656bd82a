#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>

namespace {
constexpr int kCells = 40;
}

ProgressBar::ProgressBar(FILE* stream) : m_stream(stream), m_enabled(isatty(fileno(stream)) != 0) {}

ProgressBar::~ProgressBar() { Finish(); }

ProgressFn ProgressBar::Function() {
    return [this](int32_t code, intptr_t param) -> int32_t {
        if (code == ProgressCode::kRange && param) {
            const auto* range = reinterpret_cast<const int32_t*>(param);
            m_low = range[0];
            m_high = range[1] > range[0] ? range[1] : range[0] + 1;
        } else if (code == ProgressCode::kPosition) {
            Draw(int32_t(param));
        }
        return 0;
    };
}

void ProgressBar::Draw(int32_t position) {
    if (!m_enabled) return;
    double f = std::clamp(double(position - m_low) / double(m_high - m_low), 0.0, 1.0);
    int cells = int(f * kCells + 0.5);
    if (cells == m_lastCells) return;
    m_lastCells = cells;
    std::fprintf(m_stream, "\r[");
    for (int i = 0; i < kCells; ++i) std::fputc(i < cells ? '#' : ' ', m_stream);
    std::fprintf(m_stream, "] %3d%%", int(f * 100 + 0.5));
    std::fflush(m_stream);
    m_drawn = true;
}

void ProgressBar::Finish() {
    if (m_drawn) std::fputc('\n', m_stream);
    m_drawn = false;
    m_lastCells = -1;
}
