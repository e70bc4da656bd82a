#include "CGlyphView.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "Accessibility.h"
#include "OutlineRaster.h"
#include "PenmarkDocument.h"

namespace {

const QColor kGrey(128, 128, 128);
const QColor kBaselineBlue(0, 0, 255);
// Curves are cut into pieces no further than this from the curve, in pixels: smooth at
// 128 points, few pieces for a small symbol.
constexpr double kFlatness = 0.2;
// Room kept around the samples and the symbol when they need more than the view has.
constexpr int kContentMargin = 8;

}  // namespace

CGlyphView::CGlyphView(CPenmarkDocument* document, QWidget* parent) : QWidget(parent), m_pOwner(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    SetAccessibleText(this, 62262);
    if (document) document->AddView(this);
}

CGlyphView::~CGlyphView() {
    if (CDocument* doc = GetDocument()) doc->RemoveView(this);
}

CPenmarkDocument* CGlyphView::Document() const { return static_cast<CPenmarkDocument*>(GetDocument()); }

void CGlyphView::setFont(const FontInfo& font, int points) {
    m_font = font;
    m_lf = font.lf;
    if (points != 0 && points != m_nPoints) m_nPoints = points;
    MakeFont();
    RecalcLayout();
    update();
}

void CGlyphView::setPointSize(int points) {
    if (points <= 0 || points == m_nPoints) return;
    m_nPoints = points;
    MakeFont();
    RecalcLayout();
    update();
}

void CGlyphView::setLeftChar(int code) {
    m_nLeftChar = code;
    RecalcLayout();
    update();
}

void CGlyphView::setRightChar(int code) {
    m_nRightChar = code;
    RecalcLayout();
    update();
}

void CGlyphView::MakeFont() {
    // Points at the screen's real resolution.
    m_nPixelSize = std::max(1, int(std::lround(m_nPoints * logicalDpiY() / 72.0)));
    m_lf.lfHeight = -m_nPixelSize;
    // The face's own file: the desktop may know it under its name only after a rescan,
    // and a name may bring a look-alike.
    m_rawFont = QRawFont();
    if (!m_font.szPath.empty()) m_rawFont.loadFromFile(QString::fromStdString(m_font.szPath), m_nPixelSize, QFont::PreferDefaultHinting);
    m_qfont = QFont(QString::fromStdString(m_lf.lfFaceName));
    m_qfont.setPixelSize(m_nPixelSize);
    m_qfont.setWeight(QFont::Weight(std::clamp(m_lf.lfWeight, 1, 1000)));
    m_qfont.setItalic(m_lf.lfItalic != 0);
}

int CGlyphView::CharWidth(int code) const {
    if (code == kNoChar) return 0;
    if (m_rawFont.isValid()) {
        quint32 glyph = 0;
        int count = 1;
        QChar chars[2];
        char32_t c = char32_t(code);
        int n = QChar::requiresSurrogates(c) ? 2 : 1;
        if (n == 2) {
            chars[0] = QChar(QChar::highSurrogate(c));
            chars[1] = QChar(QChar::lowSurrogate(c));
        } else {
            chars[0] = QChar(c);
        }
        if (!m_rawFont.glyphIndexesForChars(chars, n, &glyph, &count) || count < 1) return 0;
        QPointF advance;
        if (!m_rawFont.advancesForGlyphIndexes(&glyph, &advance, 1)) return 0;
        return int(std::lround(advance.x()));
    }
    return QFontMetrics(m_qfont).horizontalAdvance(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
}

void CGlyphView::RecalcLayout() {
    CPenmarkDocument* doc = Document();
    const GlyphOutline* glyph = doc ? doc->m_pGlyph.get() : nullptr;
    m_dScale = double(m_nPixelSize) / kDesignEm;
    int advance = glyph ? int(std::lround(glyph->advanceWidth() * m_dScale)) : 0;
    int leftWidth = CharWidth(m_nLeftChar), rightWidth = CharWidth(m_nRightChar);
    QRect client = rect();
    const int contentWidth = leftWidth + advance + rightWidth;
    m_nLeftX = (client.left() + client.right() + 1 - contentWidth) / 2;
    // Wider than the view: the view grows (its scroll area then scrolls) and the samples
    // start at the margin rather than outside the picture.
    if (contentWidth + 2 * kContentMargin > client.width()) m_nLeftX = client.left() + kContentMargin;
    m_nOriginX = m_nLeftX + leftWidth;
    m_nAdvanceX = m_nOriginX + advance;

    int ascent, descent;
    if (m_rawFont.isValid()) {
        ascent = int(std::lround(m_rawFont.ascent()));
        descent = int(std::lround(m_rawFont.descent()));
    } else {
        QFontMetrics fm(m_qfont);
        ascent = fm.ascent();
        descent = fm.descent();
    }
    int height = ascent + descent;
    int top = (client.top() + client.bottom() + 1 - height) / 2;
    m_nBaseline = top + height - descent - 1;
    // A symbol reaching above the line or below it: keep it in the picture the same way.
    int above = ascent, below = descent;
    if (glyph && !glyph->box().IsEmpty()) {
        above = std::max(above, int(std::ceil(glyph->box().yMax * m_dScale)) + 1);
        below = std::max(below, int(std::ceil(-glyph->box().yMin * m_dScale)) + 1);
    }
    if (m_nBaseline - above < client.top() && above + below + 2 * kContentMargin > client.height())
        m_nBaseline = client.top() + kContentMargin + above;
    QSize content(contentWidth + 2 * kContentMargin, above + below + 2 * kContentMargin);
    if (content != m_contentSize) {
        m_contentSize = content;
        updateGeometry();
    }

    m_rcSymbol = QRect();
    if (glyph && !glyph->box().IsEmpty()) {
        const GlyphBox& b = glyph->box();
        int x1 = m_nOriginX + int(std::floor(b.xMin * m_dScale)), x2 = m_nOriginX + int(std::ceil(b.xMax * m_dScale));
        int y1 = m_nBaseline - int(std::ceil(b.yMax * m_dScale)), y2 = m_nBaseline - int(std::floor(b.yMin * m_dScale));
        m_rcSymbol = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized().adjusted(-1, -1, 1, 1);
    }
}

void CGlyphView::OnUpdate(CView*, intptr_t, CObject* pHint) {
    if (auto* hint = dynamic_cast<CGlyphUpdateHint*>(pHint)) {
        hint->UpdateView(this);
        return;
    }
    if (!pHint) update();
}

void CGlyphView::OnGlyphRebuilt() {
    RecalcLayout();
    update();
}

void CGlyphView::OnGlyphMoved() {
    // The symbol's rectangle and the focus frame around it.
    update(m_rcSymbol.adjusted(-2, -2, 2, 2));
    RecalcLayout();
    update(m_rcSymbol.adjusted(-2, -2, 2, 2));
}

void CGlyphView::resizeEvent(QResizeEvent*) { RecalcLayout(); }

// ---- drawing

void CGlyphView::DrawSample(QPainter& p, int code, int x) const {
    if (code == kNoChar) return;
    if (m_rawFont.isValid()) {
        quint32 glyph = 0;
        int count = 1;
        QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        if (!m_rawFont.glyphIndexesForChars(text.constData(), int(text.size()), &glyph, &count) || count < 1) return;
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(0, 0)});
        p.drawGlyphRun(QPointF(x, m_nBaseline), run);
        return;
    }
    p.setFont(m_qfont);
    p.drawText(QPoint(x, m_nBaseline), QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
}

void CGlyphView::DrawSymbol(QPainter& p) const {
    CPenmarkDocument* doc = Document();
    const GlyphOutline* glyph = doc ? doc->m_pGlyph.get() : nullptr;
    if (!glyph || glyph->nodeCount() == 0) return;
    OutlineRasterParams params;
    params.scale = m_dScale;
    params.flatness = kFlatness;
    // The buffers grow with the outline: a glyph of any number of points or contours is
    // drawn whole.
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const RasterPolygon& polygon : FlattenOutline(*glyph, params)) {
        if (polygon.empty()) continue;
        QPolygonF poly;
        poly.reserve(qsizetype(polygon.size()));
        for (auto [x, y] : polygon) poly << QPointF(m_nOriginX + x, m_nBaseline - y);
        path.addPolygon(poly);
        path.closeSubpath();
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(path);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void CGlyphView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    QRect area = event->rect();
    p.fillRect(area, Qt::white);
    QPen dotted(kGrey, 1, Qt::DotLine);
    p.setPen(dotted);
    for (int x : {m_nOriginX, m_nAdvanceX})
        if (x >= area.left() && x <= area.right()) p.drawLine(x, 0, x, height() - 1);
    p.setPen(QPen(kBaselineBlue, 1, Qt::DashLine));
    p.drawLine(0, m_nBaseline, width() - 1, m_nBaseline);
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    DrawSample(p, m_nLeftChar, m_nLeftX);
    DrawSample(p, m_nRightChar, m_nAdvanceX);
    DrawSymbol(p);
    if (hasFocus()) {
        // Where the keys go: a dotted frame around the symbol.
        p.setPen(QPen(kGrey, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_rcSymbol.adjusted(-2, -2, 1, 1));
    }
    if (m_bCapture && (m_nDragKind == kHitLeftEdge || m_nDragKind == kHitRightEdge)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.drawLine(m_nLineX, 0, m_nLineX, height() - 1);
    }
}

// ---- dragging

int CGlyphView::HitTest(QPoint p) const {
    if (std::abs(p.x() - m_nOriginX) <= kEdgeTolerance) return kHitLeftEdge;
    if (std::abs(p.x() - m_nAdvanceX) <= kEdgeTolerance) return kHitRightEdge;
    if (m_rcSymbol.contains(p)) return kHitSymbol;
    return kHitNone;
}

int CGlyphView::ToPercent(double pixels, int32_t extent) const {
    if (extent == 0 || m_dScale <= 0) return 0;
    double units = pixels / m_dScale;
    return int(units * 100 / extent);
}

void CGlyphView::Notify() {
    if (QWidget* owner = m_pOwner.data()) {
        GlyphViewNotifyEvent ev;
        QCoreApplication::sendEvent(owner, &ev);
    }
}

void CGlyphView::UpdateEdgeLine(int x) {
    update(QRect(m_nLineX, 0, 1, height()));
    m_nLineX = x;
    update(QRect(m_nLineX, 0, 1, height()));
}

// The arrow keys move the symbol by one percent of its width or height, as a drag would.
void CGlyphView::keyPressEvent(QKeyEvent* event) {
    CPenmarkDocument* doc = Document();
    int32_t dx = 0, dy = 0;
    switch (event->key()) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = 1; break;
        case Qt::Key_Down: dy = -1; break;
        default: QWidget::keyPressEvent(event); return;
    }
    if (!doc || !doc->m_pGlyph) return;
    doc->ClampMove(dx, dy);
    if (dx || dy) {
        doc->MoveGlyph(dx, dy);
        Notify();
    }
    event->accept();
}

void CGlyphView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CGlyphView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CGlyphView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Document()) return;
    QPoint p = event->position().toPoint();
    m_nDragKind = HitTest(p);
    if (m_nDragKind == kHitNone) return;
    m_bCapture = true;
    m_ptStart = p;
    if (m_nDragKind == kHitSymbol) {
        m_nAccX = m_nAccY = 0;
    } else {
        m_nLineX = m_nDragKind == kHitLeftEdge ? m_nOriginX : m_nAdvanceX;
        UpdateEdgeLine(m_nLineX);
    }
}

void CGlyphView::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = event->position().toPoint();
    if (!m_bCapture) {
        int hit = HitTest(p);
        setCursor(hit == kHitSymbol ? Qt::SizeAllCursor : hit != kHitNone ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    QPoint offset = p - m_ptStart;
    if (m_nDragKind != kHitSymbol) {
        UpdateEdgeLine((m_nDragKind == kHitLeftEdge ? m_nOriginX : m_nAdvanceX) + offset.x());
        return;
    }
    CPenmarkDocument* doc = Document();
    int32_t dx = ToPercent(offset.x(), doc->m_nGlyphWidth) - m_nAccX;
    int32_t dy = ToPercent(-offset.y(), doc->m_nGlyphHeight) - m_nAccY;
    doc->ClampMove(dx, dy);
    if (dx == 0 && dy == 0) return;
    doc->MoveGlyph(dx, dy);
    m_nAccX += dx;
    m_nAccY += dy;
    Notify();
}

void CGlyphView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_bCapture) return;
    m_bCapture = false;
    if (m_nDragKind == kHitSymbol) {
        Notify();
        return;
    }
    update(QRect(m_nLineX, 0, 1, height()));
    CPenmarkDocument* doc = Document();
    int d = ToPercent(event->position().toPoint().x() - m_ptStart.x(), doc->m_nGlyphWidth);
    if (m_nDragKind == kHitLeftEdge)
        doc->SetSpacing(doc->m_nLeftSpace - d, doc->m_nRightSpace, true);
    else
        doc->SetSpacing(doc->m_nLeftSpace, doc->m_nRightSpace + d, true);
    Notify();
}
