// The 256 single-byte characters of a code page in a grid of cells, drawn in the chosen
// face; the user picks one with the mouse or the keys.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QRawFont>
#include <array>
#include <memory>

#include "CodePages.h"
#include "FontInfo.h"

class CCharMapCtrl : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kCells = 256;
    static constexpr int kFontHeight = 16;
    static constexpr int kAutoScrollMs = 100;

    explicit CCharMapCtrl(QWidget* parent = nullptr);
    ~CCharMapCtrl() override;

    // The face (from its file when it has one) and the code page the cells show.
    void SetFont(const FontInfo& font, int codePage);
    // Selects a cell without telling anyone; -1 for none.
    void Select(int code);
    int Selected() const { return m_nSelected; }

    int Columns() const { return m_nColumns; }
    int Rows() const { return m_nRows; }
    int VisibleRows() const { return m_nVisibleRows; }
    QSize CellSize() const { return m_sizeCell; }
    int TopRow() const;
    // The cell under a point of the viewport, clamped to the grid.
    int CellAt(QPoint p) const;
    QRect CellRect(int code) const;
    // Re-measures the cells and the grid (after the font or the size changed).
    void Measure();

signals:
    // The user selected a cell.
    void cellSelected(int code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ChangeSelection(int code, bool notify);
    void EnsureVisible(int code);
    void Track(QPoint p);
    // The characters the cells show, decoded once per code page.
    void DecodeCells();
    const QString& CellText(int code) const { return m_cells[size_t(code)]; }

    FontInfo m_font;
    QFont m_qfont;
    QRawFont m_rawFont;
    std::unique_ptr<CodePageCodec> m_pCodec;
    std::array<QString, kCells> m_cells;
    QSize m_sizeCell{20, 20};
    int m_nColumns = 1;
    int m_nRows = kCells;
    int m_nVisibleRows = 1;
    int m_nSelected = -1;
    bool m_bTracking = false;
    QPoint m_ptTrack;
    QBasicTimer m_timer;
};
