// The progress display of a page while long work runs: a text, a bar and "Press Esc key to
// abort", hidden until the work shows them, fed by the progress protocol.
#pragma once

#include <cstdint>

class QGridLayout;
class QLabel;
class QProgressBar;
class QWidget;

class CProgressPanel {
public:
    struct Ids {
        int text, bar, esc;  // control ids
    };
    // Adds the three controls to grid from row on, across columns columns; row is
    // advanced past them. narrowRange: the range arrives as two 16-bit values.
    CProgressPanel(QWidget* page, QGridLayout* grid, int& row, int columns, int textId, Ids ids, bool narrowRange);

    // Handles one progress code (position, range, show, hide); always answers 0.
    int OnProgress(int code, intptr_t param);
    void Show(bool show);
    QProgressBar* Bar() const { return m_pBar; }

private:
    QLabel* m_pText;
    QProgressBar* m_pBar;
    QLabel* m_pEscText;
    bool m_bNarrowRange;
};
