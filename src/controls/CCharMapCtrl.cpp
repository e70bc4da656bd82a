#include "CCharMapCtrl.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>

#include "Accessibility.h"
#include <cmath>

namespace {

const QColor kFrame(192, 192, 192);
const QColor kSelectedBack(0, 0, 128);

}  // namespace

CCharMapCtrl::CCharMapCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SetAccessibleText(this, 62264);
    Measure();
}

CCharMapCtrl::~CCharMapCtrl() = default;

void CCharMapCtrl::SetFont(const FontInfo& font, int codePage) {
    m_font = font;
    m_qfont = QFont(QString::fromStdString(font.lf.lfFaceName));
    m_qfont.setPixelSize(kFontHeight);
    m_rawFont = QRawFont();
    if (!font.szPath.empty()) m_rawFont.loadFromFile(QString::fromStdString(font.szPath), kFontHeight, QFont::PreferDefaultHinting);
    if (!m_pCodec || m_pCodec->CodePage() != codePage) {
        m_pCodec = std::make_unique<CodePageCodec>(codePage);
        DecodeCells();
    }
    Measure();
    viewport()->update();
}

void CCharMapCtrl::DecodeCells() {
    for (int code = 0; code < kCells; ++code) {
        m_cells[size_t(code)].clear();
        std::optional<std::u32string> chars = m_pCodec->Decode(std::string(1, char(code)));
        if (!chars || chars->size() != 1) continue;
        char32_t c = (*chars)[0];
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;  // control codes have no picture
        m_cells[size_t(code)] = QString::fromUcs4(&c, 1);
    }
}

void CCharMapCtrl::Measure() {
    int maxWidth, textHeight;
    if (m_rawFont.isValid()) {
        // The widest of the cells' own characters: a face's widest glyph may be a rare sign.
        maxWidth = 1;
        for (int code = 0x20; code < kCells; ++code) {
            QString text = CellText(code);
            if (text.isEmpty()) continue;
            QList<quint32> glyphs = m_rawFont.glyphIndexesForString(text);
            if (glyphs.isEmpty()) continue;
            QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs);
            if (!advances.isEmpty()) maxWidth = std::max(maxWidth, int(std::ceil(advances[0].x())));
        }
        textHeight = int(std::ceil(m_rawFont.ascent() + m_rawFont.descent()));
    } else {
        QFontMetrics fm(m_qfont);
        maxWidth = fm.maxWidth();
        textHeight = fm.height();
    }
    m_sizeCell = QSize(maxWidth + 4, textHeight + 4);
    int width = viewport()->width();
    // The columns as if no scroll bar were shown; without room for all rows, again
    // without the bar's width.
    if (verticalScrollBar()->isVisible()) width += verticalScrollBar()->sizeHint().width();
    m_nColumns = std::max(1, width / m_sizeCell.width());
    m_nRows = (kCells + m_nColumns - 1) / m_nColumns;
    m_nVisibleRows = std::max(1, viewport()->height() / m_sizeCell.height());
    if (m_nRows > m_nVisibleRows) {
        m_nColumns = std::max(1, (width - verticalScrollBar()->sizeHint().width()) / m_sizeCell.width());
        m_nRows = (kCells + m_nColumns - 1) / m_nColumns;
    }
    verticalScrollBar()->setRange(0, std::max(0, m_nRows - m_nVisibleRows));
    verticalScrollBar()->setPageStep(m_nVisibleRows);
    verticalScrollBar()->setSingleStep(1);
}

int CCharMapCtrl::TopRow() const { return verticalScrollBar()->value(); }

QRect CCharMapCtrl::CellRect(int code) const {
    int row = code / m_nColumns - TopRow(), column = code % m_nColumns;
    return QRect(column * m_sizeCell.width(), row * m_sizeCell.height(), m_sizeCell.width(), m_sizeCell.height());
}

int CCharMapCtrl::CellAt(QPoint p) const {
    int column = std::clamp(p.x() / m_sizeCell.width(), 0, m_nColumns - 1);
    int row = std::clamp(p.y() < 0 ? -1 : p.y() / m_sizeCell.height(), -1, m_nVisibleRows) + TopRow();
    row = std::clamp(row, 0, m_nRows - 1);
    return std::clamp(row * m_nColumns + column, 0, kCells - 1);
}

void CCharMapCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Measure();
    // The cells flow anew; the selected one stays in sight (also when the map is first
    // laid out, after a choice made while it was hidden).
    if (m_nSelected >= 0) EnsureVisible(m_nSelected);
}

void CCharMapCtrl::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (m_nSelected >= 0) EnsureVisible(m_nSelected);
}

void CCharMapCtrl::scrollContentsBy(int, int) { viewport()->update(); }

void CCharMapCtrl::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().window());
    for (int code = TopRow() * m_nColumns; code < kCells; ++code) {
        QRect cell = CellRect(code);
        if (cell.top() > viewport()->height()) break;
        if (!cell.intersects(event->rect())) continue;
        bool selected = code == m_nSelected;
        p.fillRect(cell, selected ? kSelectedBack : QColor(Qt::white));
        p.setPen(kFrame);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        QString text = CellText(code);
        if (text.isEmpty()) continue;
        p.setPen(selected ? Qt::white : Qt::black);
        if (m_rawFont.isValid()) {
            QList<quint32> glyphs = m_rawFont.glyphIndexesForString(text);
            if (glyphs.isEmpty()) continue;
            qreal width = m_rawFont.advancesForGlyphIndexes(glyphs).value(0).x();
            QGlyphRun run;
            run.setRawFont(m_rawFont);
            run.setGlyphIndexes({glyphs[0]});
            run.setPositions({QPointF(0, 0)});
            p.drawGlyphRun(QPointF(cell.left() + (cell.width() - width) / 2, cell.top() + 2 + m_rawFont.ascent()), run);
        } else {
            p.setFont(m_qfont);
            p.drawText(cell, Qt::AlignCenter, text);
        }
    }
}

void CCharMapCtrl::EnsureVisible(int code) {
    if (m_nColumns <= 0 || m_nVisibleRows <= 0) return;
    int row = code / m_nColumns;
    if (row < TopRow()) verticalScrollBar()->setValue(row);
    else if (row >= TopRow() + m_nVisibleRows) verticalScrollBar()->setValue(row - m_nVisibleRows + 1);
}

void CCharMapCtrl::ChangeSelection(int code, bool notify) {
    code = std::clamp(code, -1, kCells - 1);
    if (code == m_nSelected) return;
    if (m_nSelected >= 0) viewport()->update(CellRect(m_nSelected));
    m_nSelected = code;
    if (code >= 0) {
        EnsureVisible(code);
        viewport()->update(CellRect(code));
    }
    if (notify) emit cellSelected(code);
}

void CCharMapCtrl::Select(int code) { ChangeSelection(code, false); }

void CCharMapCtrl::Track(QPoint p) {
    m_ptTrack = p;
    ChangeSelection(CellAt(p), true);
    bool outside = p.y() < 0 || p.y() >= viewport()->height();
    if (outside && !m_timer.isActive()) m_timer.start(kAutoScrollMs, this);
    if (!outside) m_timer.stop();
}

void CCharMapCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    m_bTracking = true;
    Track(event->position().toPoint());
}

void CCharMapCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_bTracking) Track(event->position().toPoint());
}

void CCharMapCtrl::mouseReleaseEvent(QMouseEvent*) {
    m_bTracking = false;
    m_timer.stop();
}

void CCharMapCtrl::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) return QAbstractScrollArea::timerEvent(event);
    if (!m_bTracking) {
        m_timer.stop();
        return;
    }
    // Above or below the cells: one row further each tick.
    QPoint p = m_ptTrack;
    int step = p.y() < 0 ? -1 : 1;
    verticalScrollBar()->setValue(TopRow() + step);
    Track(p);
}

void CCharMapCtrl::keyPressEvent(QKeyEvent* event) {
    int code = std::max(m_nSelected, 0);
    int page = std::max(m_nVisibleRows - 1, 1) * m_nColumns;
    bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Left: code -= 1; break;
        case Qt::Key_Right: code += 1; break;
        case Qt::Key_Up: code -= m_nColumns; break;
        case Qt::Key_Down: code += m_nColumns; break;
        case Qt::Key_PageUp: code -= page; break;
        case Qt::Key_PageDown: code += page; break;
        case Qt::Key_Home: code = ctrl ? 0 : code - code % m_nColumns; break;
        case Qt::Key_End: code = ctrl ? kCells - 1 : code - code % m_nColumns + m_nColumns - 1; break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    ChangeSelection(std::clamp(code, 0, kCells - 1), true);
}
