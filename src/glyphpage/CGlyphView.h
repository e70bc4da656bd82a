// The preview of the glyph page: a sample character of the chosen face, the symbol and a
// second sample on one baseline, at a point size. The symbol can be dragged, and its
// two edge lines (origin and advance) too, which changes the spaces beside it.
#pragma once

#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QRawFont>
#include <QRect>
#include <QWidget>
#include <cstdint>

#include "Document.h"
#include "FontInfo.h"
#include "Hints.h"

class CPenmarkDocument;

// Sent to the view's parent after a drag moved the symbol or changed its spaces.
class GlyphViewNotifyEvent : public QEvent {
public:
    static constexpr int kMessage = 1795;
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + kMessage));
        return type;
    }
    GlyphViewNotifyEvent() : QEvent(EventType()) {}
};

class CGlyphView : public QWidget, public CView, public CGlyphHintTarget {
    Q_OBJECT
public:
    // Hit codes of a point.
    enum Hit { kHitNone = 0, kHitLeftEdge = 1, kHitRightEdge = 2, kHitSymbol = 3 };
    static constexpr int kNoChar = -1;
    static constexpr int kDesignEm = 2048;
    static constexpr int kEdgeTolerance = 2;

    explicit CGlyphView(CPenmarkDocument* document, QWidget* parent = nullptr);
    ~CGlyphView() override;

    CPenmarkDocument* Document() const;

    // The face to draw the samples in, from its file when it has one; points 0 keeps the
    // point size.
    void setFont(const FontInfo& font, int points);
    void setPointSize(int points);
    // A sample character (a Unicode code point), or kNoChar for none.
    void setLeftChar(int code);
    void setRightChar(int code);

    void OnUpdate(CView* pSender, intptr_t lHint, CObject* pHint) override;
    void OnGlyphRebuilt() override;
    void OnGlyphMoved() override;

    int HitTest(QPoint p) const;

    // Layout results, in widget pixels.
    int PointSize() const { return m_nPoints; }
    int PixelSize() const { return m_nPixelSize; }
    double PixelScale() const { return m_dScale; }
    int LeftX() const { return m_nLeftX; }
    int OriginX() const { return m_nOriginX; }
    int AdvanceX() const { return m_nAdvanceX; }
    int BaselineY() const { return m_nBaseline; }
    const QRect& SymbolRect() const { return m_rcSymbol; }
    int LeftChar() const { return m_nLeftChar; }
    int RightChar() const { return m_nRightChar; }
    // True when the samples come from the face's own file.
    bool UsesFontFile() const { return m_rawFont.isValid(); }
    // The width of a sample character in the view font (0 for none).
    int CharWidth(int code) const;

    QSize sizeHint() const override { return QSize(400, 200); }
    // The samples and the symbol whole: a scroll area around the view scrolls to them.
    QSize minimumSizeHint() const override { return m_contentSize; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MakeFont();
    void RecalcLayout();
    void DrawSample(QPainter& p, int code, int x) const;
    void DrawSymbol(QPainter& p) const;
    void UpdateEdgeLine(int x);
    void Notify();
    int ToPercent(double pixels, int32_t extent) const;

    FontInfo m_font;
    LogFont m_lf;
    QFont m_qfont;
    QRawFont m_rawFont;
    int m_nPoints = 0;
    int m_nPixelSize = 0;
    int m_nLeftChar = kNoChar;
    int m_nRightChar = kNoChar;
    double m_dScale = 0;

    int m_nLeftX = 0;
    int m_nOriginX = 0;
    int m_nAdvanceX = 0;
    int m_nBaseline = 0;
    QSize m_contentSize{0, 0};
    // Hears of drags; the widget it was made for, whatever scroll area now holds the view.
    QPointer<QWidget> m_pOwner;
    QRect m_rcSymbol;

    bool m_bCapture = false;
    int m_nDragKind = kHitNone;
    QPoint m_ptStart;
    int m_nLineX = 0;
    int m_nAccX = 0;
    int m_nAccY = 0;
};
