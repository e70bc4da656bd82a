// A progress bar on the terminal, fed by the progress protocol.
#pragma once

#include <cstdint>
#include <cstdio>

#include "Progress.h"

class ProgressBar {
public:
    // Draws on stream only when it is a terminal.
    explicit ProgressBar(FILE* stream);
    ~ProgressBar();

    // The progress function to hand to long operations; it never asks them to stop.
    ProgressFn Function();
    void Finish();

private:
    void Draw(int32_t position);

    FILE* m_stream;
    bool m_enabled;
    int32_t m_low = 0, m_high = 100;
    int m_lastCells = -1;
    bool m_drawn = false;
};
