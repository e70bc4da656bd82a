// The picture at a zoom, with scrolling, and on the select-area page the selection
// rectangle the user draws, moves and resizes. One view per image page; all of them show
// the document's picture and share its selection and its ImageViewState.
//
// Coordinates: "view pixels" are device pixels of the zoomed picture, counted from its
// top-left corner; the client area shows them from the scroll position on. Zoom k >= 1
// shows each image pixel as a k x k block, k <= -2 every |k|-th pixel of every |k|-th row.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QEvent>
#include <QPoint>
#include <QSize>
#include <cstdint>

#include "Document.h"
#include "MonoImage.h"
#include "PenmarkDocument.h"

class QMenu;

// Sent to the view's parent whenever the selection changed or a drag ended or was
// cancelled.
class ImageSelectionEvent : public QEvent {
public:
    static constexpr int kMessage = 0x722;
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + kMessage));
        return type;
    }
    ImageSelectionEvent() : QEvent(EventType()) {}
};

// Commands of the selection popup (the image popup uses the ImageCommand ids) and of the
// zoom buttons.
enum ViewCommand {
    ID_VIEW_ZOOM_IN = 32771,
    ID_VIEW_ZOOM_OUT = 32772,
    ID_VIEW_FIT = 32780,
    ID_EDIT_SELECT_ALL = 32784,
    ID_EDIT_DESELECT = 32785,
};

class CImageView : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    static constexpr int kZoomFit = ImageViewState::kZoomFit;
    static constexpr int kMinZoom = -16;
    static constexpr int kDefaultMaxZoom = 16;
    static constexpr int kHandleMargin = 3;  // view pixels of handle outside the frame
    static constexpr int kAutoScrollMs = 100;
    static constexpr int kKeyStepLarge = 10;  // pixels an arrow key moves with Ctrl

    // Hit codes: 0 outside (new selection), edges 1 left, 2 right, 4 top, 8 bottom and
    // their corner sums, 16 inside (move).
    enum HitCode { kHitNone = 0, kHitLeft = 1, kHitRight = 2, kHitTop = 4, kHitBottom = 8, kHitMove = 16 };

    // menuIndex: the popup of the right button, 0 "Image" or 1 "Selection".
    CImageView(CPenmarkDocument* document, bool selectionMode, int menuIndex, QWidget* parent = nullptr);
    ~CImageView() override;

    CPenmarkDocument* Document() const;

    // Image pixels to view pixels and back, at the current zoom.
    QPoint ImageToView(QPoint p) const;
    QPoint ViewToImage(QPoint p) const;
    // A rectangle of image pixels (right and bottom exclusive) as the view pixels that
    // cover its whole blocks; inside the grid lines when the grid is on.
    PixelRect ImageRectToView(const PixelRect& r) const;

    void SetZoom(int k);
    void ZoomAt(int k, QPoint imagePoint);
    void ZoomTo(int k);
    void FitToWindow();
    void ZoomIn();
    void ZoomOut();
    // The next step of the two zoom buttons, before clamping.
    static int ZoomInStep(int k);
    static int ZoomOutStep(int k);

    void SelectAll();
    void Deselect();

    // Page activation and deactivation: the zoom and centre from and to the document.
    void RestoreState();
    void SaveState();

    // The image commands, the zoom buttons, Select All and Deselect; false for any other id.
    bool ExecuteCommand(int id);

    // The eraser (outside selection mode): a brush of screenRadius device pixels paints
    // paper where the left button drags; 0 turns it off. The brush keeps its size on the
    // screen, so it covers fewer picture pixels the closer the user zooms in.
    void SetEraser(int screenRadius);
    bool EraserOn() const { return m_nEraserRadius > 0; }
    // The brush's radius in picture pixels at the current zoom.
    int BrushRadius() const;
    bool Erasing() const { return m_bErasing; }
    // Whether the brush's outline is drawn, and its centre (a picture pixel).
    bool BrushShown() const { return m_bBrushShown; }
    QPoint BrushCentre() const { return m_ptBrush; }

    // The hit code of a point in view pixels (selection mode).
    int HitTest(QPoint viewPoint) const;

    // The document's picture changed in an area (image pixels), grown by grow view pixels.
    void InvalidateImageRect(const PixelRect& r, int grow);
    void OnImageRotated();

    void OnUpdate(CView* pSender, intptr_t lHint, CObject* pHint) override;

signals:
    // The picture was changed by a command or an eraser stroke (sent when the stroke ends).
    void ImageEdited();

public:

    // Paints the view pixels of a client rectangle (device pixels) into target, whose
    // top-left is the rectangle's top-left.
    void Render(QImage& target, const QRect& clientRect) const;

    // The popup the right button opens (built on first use).
    QMenu* ContextMenu();

    int Zoom() const { return m_nZoom; }
    int ZoomMode() const { return m_nZoomMode; }
    int MaxZoom() const { return m_nMaxZoom; }
    QSize Extent() const { return m_sizeExtent; }
    bool GridOn() const { return m_bGridOn; }
    bool SelectionMode() const { return m_bSelectionMode; }
    bool Dragging() const { return m_bDragging; }
    int DragCode() const { return m_nDragCode; }
    // The rubber band in image pixels, right and bottom inclusive.
    const PixelRect& Band() const { return m_rcBand; }
    bool AutoScrolling() const { return m_bTimerOn; }
    QPoint ScrollPosition() const;
    // The client area in device pixels.
    QSize ClientSize() const;
    // The region the last paint covered, in widget coordinates of the viewport.
    const QRegion& LastPaintRegion() const { return m_lastPaint; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    const MonoImage* Image() const;
    QSize ImageSize() const;
    void ComputeMaxZoom();
    void UpdateExtent();
    void UpdateScrollBars();
    void ScrollTo(QPoint viewPoint);
    void LockRedraw();
    void UnlockRedraw();

    qreal Ratio() const;
    QPoint DevicePoint(QPointF widgetPoint) const;
    QPoint ClampedImagePoint(QPoint clientPoint) const;
    void UpdateCursor(QPoint clientPoint);

    void BeginDrag(QPoint clientPoint);
    void TrackDrag(QPoint clientPoint);
    void EndDrag(QPoint clientPoint);
    void CancelDrag();
    void MoveBand(QPoint imagePoint);
    void InvalidateBand();
    void ReleaseDrag();
    void TrackAutoScroll(QPoint clientPoint);
    void EnsureBlockVisible(QPoint clientPoint);
    void NotifySelection();
    void SetSelection(const PixelRect& r);
    void RouteCommand(int id);
    // The arrow keys move the selection, with Shift they resize it; true when taken.
    bool KeySelection(QKeyEvent* event);

    // The eraser's stroke and the outline that follows the pointer.
    QPoint StrokePoint(QPoint clientPoint) const;
    void BeginErase(QPoint clientPoint);
    void ContinueErase(QPoint clientPoint);
    void EndErase();
    void EraseTo(QPoint imagePoint);
    void MoveBrush(QPoint clientPoint);
    void HideBrush();
    PixelRect BrushViewRect() const;
    void DrawBrush(QPainter& p, QPoint scroll) const;

    void DrawImage(QPainter& p, const QRect& area) const;
    void DrawGrid(QPainter& p, const QRect& area) const;
    void DrawSelection(QPainter& p, QPoint scroll) const;
    void DrawBand(QPainter& p, QPoint scroll) const;
    void InvalidateViewRect(const PixelRect& viewRect);

    int32_t m_nZoom = 1;
    int32_t m_nZoomMode = kZoomFit;
    int32_t m_nMaxZoom = kDefaultMaxZoom;
    QSize m_sizeExtent;
    bool m_bGridOn = false;
    int32_t m_nRedrawLock = 0;
    ImageViewState m_savedState;
    bool m_bInitialized = false;
    bool m_bSelectionMode;
    int32_t m_nMenuIndex;
    bool m_bDragging = false;
    int32_t m_nDragCode = 0;
    QPoint m_ptAnchor, m_ptLast, m_ptEnd;
    PixelRect m_rcBand;
    QSize m_sizeScrollStep;
    bool m_bTimerOn = false;

    QBasicTimer m_timer;
    QPoint m_ptLastClient;     // the pointer at the last press or move of a drag
    QSize m_sizeShownImage;    // the picture size the extent was computed for
    QMenu* m_pMenu = nullptr;
    QRegion m_lastPaint;

    int32_t m_nEraserRadius = 0;   // device pixels; 0 off
    int32_t m_nStrokeRadius = 0;   // picture pixels, fixed for one stroke
    bool m_bErasing = false;
    bool m_bStrokePainted = false;
    QPoint m_ptStroke;             // the stroke's last picture point
    bool m_bBrushShown = false;
    QPoint m_ptBrush;              // picture pixel under the pointer
};
