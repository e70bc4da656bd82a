#include "CImageView.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Accessibility.h"
#include "CPenmarkDlg.h"
#include "Error.h"
#include "ImageViewHints.h"
#include "PlatformVersion.h"
#include "StringIds.h"
#include "Strings.h"
#include "ZoomedRows.h"

namespace {

const QColor kGrey(128, 128, 128);
const QColor kSelectionOr(0, 0, 127);
const QColor kSelectionXor(192, 192, 191);
const QColor kFrameBlue(0, 0, 255);

constexpr int kHitOuter = 4;     // the hit area reaches this far outside the selection
constexpr int kHitEdge = 7;      // an edge is hit within this distance
constexpr int kHandleSize = 7;
constexpr int kMidHandleMin = 28;  // mid-edge handles only on sides longer than this
constexpr int kHandleBefore = 3;

// Texts of the two popups.
constexpr int kStrMenuImage = 15200, kStrMenuSelection = 15201;
constexpr int kStrEnhance = 15202, kStrInvert = 15203, kStrFlipH = 15204, kStrFlipV = 15205;
constexpr int kStrRotate = 15206, kStrRotate90 = 15207, kStrRotate270 = 15208;
constexpr int kStrSelectAll = 15209, kStrDeselect = 15210;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int CeilDiv(int a, int b) { return (a + b - 1) / b; }

QString Text(int id) { return QString::fromUtf8(GetString(id)); }

PixelRect Normalized(PixelRect r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

// A band (right and bottom inclusive) as a rectangle with them exclusive.
PixelRect Exclusive(const PixelRect& band) {
    PixelRect r = Normalized(band);
    ++r.right;
    ++r.bottom;
    return r;
}

PixelRect Grown(const PixelRect& r, int by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

bool Contains(const PixelRect& r, QPoint p) {
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Rounds a distance up to a whole number of blocks at zoom k.
int WholeBlocks(int distance, int k) {
    if (k <= 1 || distance == 0) return distance;
    int sign = distance < 0 ? -1 : 1;
    return sign * CeilDiv(std::abs(distance), k) * k;
}

Qt::CursorShape CursorFor(int code) {
    switch (code) {
        case 1: case 2: return Qt::SizeHorCursor;
        case 4: case 8: return Qt::SizeVerCursor;
        case 5: case 10: return Qt::SizeFDiagCursor;
        case 6: case 9: return Qt::SizeBDiagCursor;
        case 16: return Qt::SizeAllCursor;
        default: return Qt::ArrowCursor;
    }
}

// Step sizes of a scroll bar: a fraction of the client size in whole blocks.
int ScrollStep(int client, int num, int den, int k) {
    int step = client * num / den;
    if (k > 1) return std::max(k, step / k * k);
    return std::max(1, step);
}

}  // namespace

CImageView::CImageView(CPenmarkDocument* document, bool selectionMode, int menuIndex, QWidget* parent)
    : QAbstractScrollArea(parent), m_bSelectionMode(selectionMode), m_nMenuIndex(menuIndex) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(selectionMode);
    setFocusPolicy(Qt::StrongFocus);
    SetAccessibleText(this, selectionMode ? 62261 : 62260);
    if (document) document->AddView(this);
    ComputeMaxZoom();
}

CImageView::~CImageView() {
    if (CDocument* doc = GetDocument()) doc->RemoveView(this);
}

CPenmarkDocument* CImageView::Document() const { return static_cast<CPenmarkDocument*>(GetDocument()); }

const MonoImage* CImageView::Image() const {
    CPenmarkDocument* doc = Document();
    const MonoImage* image = doc ? doc->m_pImage.get() : nullptr;
    return image && !image->IsEmpty() ? image : nullptr;
}

QSize CImageView::ImageSize() const {
    const MonoImage* image = Image();
    return image ? QSize(image->width, image->height) : QSize(0, 0);
}

// ---- coordinates

QPoint CImageView::ImageToView(QPoint p) const {
    if (m_nZoom >= 1) return p * m_nZoom;
    return QPoint(FloorDiv(p.x(), -m_nZoom), FloorDiv(p.y(), -m_nZoom));
}

QPoint CImageView::ViewToImage(QPoint p) const {
    if (m_nZoom >= 1) return QPoint(FloorDiv(p.x(), m_nZoom), FloorDiv(p.y(), m_nZoom));
    return p * -m_nZoom;
}

PixelRect CImageView::ImageRectToView(const PixelRect& r) const {
    QPoint nearEdge = ImageToView(QPoint(r.left, r.top));
    QPoint farEdge(r.right - 1, r.bottom - 1);
    farEdge = m_nZoom >= 2 ? (farEdge + QPoint(1, 1)) * m_nZoom - QPoint(1, 1) : ImageToView(farEdge);
    if (m_bGridOn) nearEdge += QPoint(1, 1);
    return {nearEdge.x(), nearEdge.y(), farEdge.x() + 1, farEdge.y() + 1};
}

QPoint CImageView::ScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

qreal CImageView::Ratio() const { return viewport()->devicePixelRatioF(); }

QSize CImageView::ClientSize() const {
    qreal dpr = Ratio();
    return QSize(int(std::floor(viewport()->width() * dpr)), int(std::floor(viewport()->height() * dpr)));
}

QPoint CImageView::DevicePoint(QPointF widgetPoint) const {
    qreal dpr = Ratio();
    return QPoint(int(std::floor(widgetPoint.x() * dpr)), int(std::floor(widgetPoint.y() * dpr)));
}

QPoint CImageView::ClampedImagePoint(QPoint clientPoint) const {
    QPoint p = ViewToImage(clientPoint + ScrollPosition());
    QSize size = ImageSize();
    return QPoint(std::clamp(p.x(), 0, std::max(0, size.width() - 1)),
                  std::clamp(p.y(), 0, std::max(0, size.height() - 1)));
}

// ---- zoom and scrolling

void CImageView::ComputeMaxZoom() {
    m_nMaxZoom = kDefaultMaxZoom;
    QSize size = ImageSize();
    // Older platforms draw with 16-bit device coordinates: the zoomed picture must fit.
    if (GetPlatformVersion().platformId != 2 && !size.isEmpty())
        m_nMaxZoom = std::clamp(std::min(32767 / size.height(), 32767 / size.width()), 1, kDefaultMaxZoom);
    if (m_nZoom > m_nMaxZoom) SetZoom(m_nMaxZoom);
}

void CImageView::UpdateExtent() {
    QSize size = ImageSize();
    m_sizeShownImage = size;
    if (m_nZoom >= 1)
        m_sizeExtent = size * m_nZoom;
    else
        m_sizeExtent = QSize(CeilDiv(size.width(), -m_nZoom), CeilDiv(size.height(), -m_nZoom));
    UpdateScrollBars();
}

void CImageView::UpdateScrollBars() {
    QSize client = ClientSize();
    qreal dpr = Ratio();
    QScrollBar* bars[2] = {horizontalScrollBar(), verticalScrollBar()};
    int extent[2] = {m_sizeExtent.width(), m_sizeExtent.height()};
    int clientSize[2] = {client.width(), client.height()};
    for (int i = 0; i < 2; ++i) {
        bars[i]->setRange(0, std::max(0, extent[i] - clientSize[i]));
        bars[i]->setPageStep(ScrollStep(clientSize[i], 7, 8, m_nZoom));
        bars[i]->setSingleStep(ScrollStep(clientSize[i], 1, 20, m_nZoom));
    }
    // The bars' own policy hides them when everything fits; the client size changes then.
    (void)dpr;
}

void CImageView::ScrollTo(QPoint viewPoint) {
    horizontalScrollBar()->setValue(viewPoint.x());
    verticalScrollBar()->setValue(viewPoint.y());
}

void CImageView::LockRedraw() {
    if (m_nRedrawLock++ == 0) viewport()->setUpdatesEnabled(false);
}

void CImageView::UnlockRedraw() {
    if (m_nRedrawLock > 0 && --m_nRedrawLock == 0) {
        viewport()->setUpdatesEnabled(true);
        viewport()->update();
    }
}

void CImageView::SetZoom(int k) {
    if (k == 0) k = 1;
    k = std::clamp(k, kMinZoom, m_nMaxZoom);
    if (k == -1) k = 1;
    if (k == m_nZoom && m_sizeShownImage == ImageSize()) return;
    LockRedraw();
    m_nZoom = k;
    m_bGridOn = k > 7;
    UpdateExtent();
    UnlockRedraw();
}

void CImageView::ZoomAt(int k, QPoint imagePoint) {
    LockRedraw();
    SetZoom(k);
    QSize client = ClientSize();
    ScrollTo(ImageToView(imagePoint) - QPoint(client.width() / 2, client.height() / 2));
    UnlockRedraw();
}

void CImageView::ZoomTo(int k) {
    m_nZoomMode = k;
    if (k == kZoomFit) {
        FitToWindow();
        return;
    }
    QPoint centre;
    const PixelRect& sel = Document() ? Document()->m_rcSelection : PixelRect{};
    if (!sel.IsEmpty()) {
        centre = QPoint((sel.left + sel.right) / 2, (sel.top + sel.bottom) / 2);
    } else {
        QSize client = ClientSize();
        centre = ViewToImage(ScrollPosition() + QPoint(client.width() / 2, client.height() / 2));
    }
    ZoomAt(k, centre);
}

void CImageView::FitToWindow() {
    QSize size = ImageSize();
    if (size.isEmpty()) {
        UpdateExtent();
        viewport()->update();
        return;
    }
    QSize client = ClientSize();
    int k = std::min(client.width() / size.width(), client.height() / size.height());
    if (k < 1) {
        if (client.isEmpty())
            k = kMinZoom;
        else
            k = -std::max(CeilDiv(size.height(), client.height()), CeilDiv(size.width(), client.width()));
    }
    ZoomAt(k, QPoint(size.width() / 2, size.height() / 2));
}

int CImageView::ZoomInStep(int k) {
    int next = k >= 1 ? 2 * k : k / 2;
    return next == 0 || next == -1 ? 1 : next;
}

int CImageView::ZoomOutStep(int k) {
    int next = k >= 1 ? k / 2 : 2 * k;
    return next == 0 || next == -1 ? -2 : next;
}

void CImageView::ZoomIn() { ZoomTo(std::clamp(ZoomInStep(m_nZoom), kMinZoom, m_nMaxZoom)); }
void CImageView::ZoomOut() { ZoomTo(std::clamp(ZoomOutStep(m_nZoom), kMinZoom, m_nMaxZoom)); }

void CImageView::RestoreState() {
    CPenmarkDocument* doc = Document();
    if (doc && doc->m_pViewState) m_savedState = *doc->m_pViewState;
    if (!m_bInitialized) {
        m_bInitialized = true;
        UpdateExtent();
    }
    ComputeMaxZoom();
    m_nZoomMode = m_savedState.zoom;
    if (m_savedState.zoom == kZoomFit)
        FitToWindow();
    else
        ZoomAt(m_savedState.zoom, QPoint(m_savedState.x, m_savedState.y));
}

void CImageView::SaveState() {
    QSize client = ClientSize();
    QPoint centre = ViewToImage(ScrollPosition() + QPoint(client.width() / 2, client.height() / 2));
    m_savedState = {m_nZoomMode, centre.x(), centre.y()};
    CPenmarkDocument* doc = Document();
    if (doc && doc->m_pViewState) *doc->m_pViewState = m_savedState;
}

void CImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_bInitialized && m_nZoomMode == kZoomFit && !m_bDragging)
        FitToWindow();
    else
        UpdateScrollBars();
}

void CImageView::scrollContentsBy(int dx, int dy) {
    qreal dpr = Ratio();
    int ldx = int(std::lround(dx / dpr)), ldy = int(std::lround(dy / dpr));
    // Only what was exposed is painted, when the scroll is a whole number of widget pixels.
    if (m_nRedrawLock == 0 && ldx * dpr == dx && ldy * dpr == dy)
        viewport()->scroll(ldx, ldy);
    else
        viewport()->update();
}

// ---- selection and commands

void CImageView::NotifySelection() {
    if (QWidget* parent = parentWidget()) {
        ImageSelectionEvent ev;
        QCoreApplication::sendEvent(parent, &ev);
    }
}

void CImageView::SetSelection(const PixelRect& r) {
    CPenmarkDocument* doc = Document();
    if (!doc) return;
    PixelRect old = doc->m_rcSelection;
    InvalidateImageRect(old, kHandleMargin);
    SelectionHint oldHint(old);
    doc->UpdateAllViews(this, 0, &oldHint);
    doc->m_rcSelection = r;
    InvalidateImageRect(r, kHandleMargin);
    SelectionHint newHint(r);
    doc->UpdateAllViews(this, 0, &newHint);
}

void CImageView::SelectAll() {
    QSize size = ImageSize();
    if (size.isEmpty()) return;
    SetSelection({0, 0, size.width(), size.height()});
    NotifySelection();
}

void CImageView::Deselect() {
    if (CPenmarkDocument* doc = Document()) doc->ClearSelection();
    NotifySelection();
}

bool CImageView::ExecuteCommand(int id) {
    switch (id) {
        case ID_EDIT_SELECT_ALL: SelectAll(); return true;
        case ID_EDIT_DESELECT: Deselect(); return true;
        case ID_VIEW_ZOOM_IN: ZoomIn(); return true;
        case ID_VIEW_ZOOM_OUT: ZoomOut(); return true;
        case ID_VIEW_FIT: ZoomTo(kZoomFit); return true;
        case ID_IMAGE_ENHANCE: case ID_IMAGE_INVERT: case ID_IMAGE_FLIP_HORIZONTAL:
        case ID_IMAGE_FLIP_VERTICAL: case ID_IMAGE_ROTATE_CW: case ID_IMAGE_ROTATE_CCW: break;
        default: return false;
    }
    CPenmarkDocument* doc = Document();
    MonoImage* image = doc ? doc->m_pImage.get() : nullptr;
    if (!image || image->IsEmpty()) return true;
    bool rotated = id == ID_IMAGE_ROTATE_CW || id == ID_IMAGE_ROTATE_CCW;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        ApplyImageCommand(*image, id);
        doc->NoteImageEdit(id);
    } catch (const CodeError&) {
        // The picture is left as it was: the operations allocate before they write.
        QApplication::restoreOverrideCursor();
        if (IMessageSink* messages = doc->Services().messages)
            messages->Show(GetString(StringId::kNoMemory), MessageStyle::kOk | MessageStyle::kIconStop);
        return true;
    }
    QApplication::restoreOverrideCursor();
    if (rotated) {
        ImageRotatedHint hint;
        doc->UpdateAllViews(nullptr, 0, &hint);
    } else {
        doc->UpdateAllViews(nullptr);
    }
    emit ImageEdited();
    return true;
}

void CImageView::RouteCommand(int id) {
    auto* sheet = qobject_cast<CPenmarkDlg*>(window());
    if (sheet && sheet->RouteCommand(id)) return;
    ExecuteCommand(id);
}

QMenu* CImageView::ContextMenu() {
    if (m_pMenu) return m_pMenu;
    auto add = [this](QMenu* menu, int textId, int command) {
        QAction* action = menu->addAction(Text(textId));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { RouteCommand(command); });
    };
    if (m_nMenuIndex == 0) {
        m_pMenu = new QMenu(Text(kStrMenuImage), this);
        add(m_pMenu, kStrEnhance, ID_IMAGE_ENHANCE);
        add(m_pMenu, kStrInvert, ID_IMAGE_INVERT);
        add(m_pMenu, kStrFlipH, ID_IMAGE_FLIP_HORIZONTAL);
        add(m_pMenu, kStrFlipV, ID_IMAGE_FLIP_VERTICAL);
        QMenu* rotate = m_pMenu->addMenu(Text(kStrRotate));
        add(rotate, kStrRotate90, ID_IMAGE_ROTATE_CW);
        add(rotate, kStrRotate270, ID_IMAGE_ROTATE_CCW);
    } else {
        m_pMenu = new QMenu(Text(kStrMenuSelection), this);
        add(m_pMenu, kStrSelectAll, ID_EDIT_SELECT_ALL);
        add(m_pMenu, kStrDeselect, ID_EDIT_DESELECT);
    }
    return m_pMenu;
}

// ---- document updates

void CImageView::OnImageRotated() {
    if (CPenmarkDocument* doc = Document()) doc->ClearSelection();
    ComputeMaxZoom();
    if (m_nZoomMode == kZoomFit) {
        FitToWindow();
        return;
    }
    QSize size = ImageSize();
    UpdateExtent();
    ZoomAt(m_nZoom, QPoint(size.width() / 2, size.height() / 2));
    viewport()->update();
}

void CImageView::OnUpdate(CView*, intptr_t, CObject* pHint) {
    if (!pHint) {
        if (m_bDragging && !Image()) CancelDrag();
        if (!Image()) m_bErasing = false;
        // A new picture: its shape decides the extent, and the fit when that was asked for.
        if (m_sizeShownImage != ImageSize()) {
            ComputeMaxZoom();
            if (m_bInitialized && m_nZoomMode == kZoomFit)
                FitToWindow();
            else
                UpdateExtent();
        }
        viewport()->update();
        return;
    }
    if (auto* hint = dynamic_cast<CImageUpdateHint*>(pHint)) hint->UpdateView(this);
}

void CImageView::InvalidateViewRect(const PixelRect& viewRect) {
    if (viewRect.IsEmpty()) return;
    qreal dpr = Ratio();
    QRectF client = QRectF(ToQRect(viewRect).translated(-ScrollPosition()));
    QRectF logical(client.topLeft() / dpr, client.size() / dpr);
    viewport()->update(logical.toAlignedRect());
}

void CImageView::InvalidateImageRect(const PixelRect& r, int grow) {
    if (r.IsEmpty()) return;
    InvalidateViewRect(Grown(ImageRectToView(r), grow));
}

// ---- hit test and dragging

int CImageView::HitTest(QPoint viewPoint) const {
    CPenmarkDocument* doc = Document();
    if (!m_bSelectionMode || !doc || doc->m_rcSelection.IsEmpty()) return kHitNone;
    PixelRect r = ImageRectToView(doc->m_rcSelection);
    if (!Contains(Grown(r, kHitOuter), viewPoint)) return kHitNone;
    if (Contains(Grown(r, -kHitOuter), viewPoint)) return kHitMove;
    int code = 0;
    if (std::abs(viewPoint.y() - r.top) <= kHitEdge)
        code = kHitTop;
    else if (std::abs(viewPoint.y() - (r.bottom - 1)) <= kHitEdge)
        code = kHitBottom;
    if (std::abs(viewPoint.x() - r.left) <= kHitEdge)
        code += kHitLeft;
    else if (std::abs(viewPoint.x() - (r.right - 1)) <= kHitEdge)
        code += kHitRight;
    return code;
}

void CImageView::UpdateCursor(QPoint clientPoint) {
    if (!m_bSelectionMode && EraserOn()) {
        viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    int code = m_bSelectionMode ? HitTest(clientPoint + ScrollPosition()) : kHitNone;
    if (m_bDragging) code = m_nDragCode;
    viewport()->setCursor(CursorFor(code));
}

void CImageView::InvalidateBand() {
    if (!m_bDragging) return;
    InvalidateImageRect(Exclusive(m_rcBand), 1);
}

void CImageView::BeginDrag(QPoint clientPoint) {
    CPenmarkDocument* doc = Document();
    if (!doc || !Image()) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    m_nDragCode = HitTest(clientPoint + ScrollPosition());
    QPoint p = ClampedImagePoint(clientPoint);
    m_ptAnchor = m_ptLast = p;
    if (m_nDragCode == kHitNone) {
        m_rcBand = {p.x(), p.y(), p.x(), p.y()};
    } else {
        const PixelRect& sel = doc->m_rcSelection;
        m_rcBand = {sel.left, sel.top, sel.right - 1, sel.bottom - 1};
    }
    m_bDragging = true;
    InvalidateBand();
    m_ptLastClient = clientPoint;
    EnsureBlockVisible(p);
    TrackAutoScroll(clientPoint);
}

void CImageView::MoveBand(QPoint p) {
    InvalidateBand();
    switch (m_nDragCode) {
        case kHitNone:
            m_rcBand = {m_ptAnchor.x(), m_ptAnchor.y(), p.x(), p.y()};
            break;
        case kHitMove: {
            QSize size = ImageSize();
            int dx = std::max(std::min(p.x() - m_ptLast.x(), size.width() - 1 - m_rcBand.right), -m_rcBand.left);
            int dy = std::max(std::min(p.y() - m_ptLast.y(), size.height() - 1 - m_rcBand.bottom), -m_rcBand.top);
            m_rcBand = {m_rcBand.left + dx, m_rcBand.top + dy, m_rcBand.right + dx, m_rcBand.bottom + dy};
            break;
        }
        default:
            if (m_nDragCode & kHitLeft) m_rcBand.left = p.x();
            if (m_nDragCode & kHitRight) m_rcBand.right = p.x();
            if (m_nDragCode & kHitTop) m_rcBand.top = p.y();
            if (m_nDragCode & kHitBottom) m_rcBand.bottom = p.y();
            break;
    }
    m_ptLast = p;
    InvalidateBand();
}

void CImageView::TrackDrag(QPoint clientPoint) {
    m_ptLastClient = clientPoint;
    QPoint p = ClampedImagePoint(clientPoint);
    EnsureBlockVisible(p);
    MoveBand(p);
    TrackAutoScroll(clientPoint);
}

void CImageView::ReleaseDrag() {
    m_bDragging = false;
    m_timer.stop();
    m_bTimerOn = false;
    UpdateCursor(m_ptLastClient);
}

void CImageView::EndDrag(QPoint clientPoint) {
    m_timer.stop();
    m_bTimerOn = false;
    InvalidateBand();
    m_ptEnd = ClampedImagePoint(clientPoint);
    if (m_nDragCode == kHitNone) m_rcBand = {m_ptAnchor.x(), m_ptAnchor.y(), m_ptEnd.x(), m_ptEnd.y()};
    PixelRect selection = Exclusive(m_rcBand);
    m_bDragging = false;
    SetSelection(selection);
    ReleaseDrag();
    NotifySelection();
}

void CImageView::CancelDrag() {
    if (!m_bDragging) return;
    InvalidateBand();
    ReleaseDrag();
    NotifySelection();
}

void CImageView::TrackAutoScroll(QPoint clientPoint) {
    QSize client = ClientSize();
    auto beyond = [](int v, int size) { return v < 0 ? v : (v >= size ? v - size + 1 : 0); };
    QSize step(WholeBlocks(beyond(clientPoint.x(), client.width()), m_nZoom),
               WholeBlocks(beyond(clientPoint.y(), client.height()), m_nZoom));
    if (step.isNull()) {
        m_timer.stop();
        m_bTimerOn = false;
        return;
    }
    m_sizeScrollStep = step;
    if (!m_bTimerOn) {
        m_timer.start(kAutoScrollMs, this);
        m_bTimerOn = true;
    }
}

void CImageView::EnsureBlockVisible(QPoint imagePoint) {
    if (m_nZoom <= 1) return;
    QSize client = ClientSize();
    QPoint scroll = ScrollPosition();
    QPoint block = ImageToView(imagePoint);
    QPoint target = scroll;
    // Only a block under the pointer can be partly visible: one at the client's edge.
    if (block.x() < scroll.x() && block.x() + m_nZoom > scroll.x()) target.rx() = block.x();
    if (block.x() + m_nZoom > scroll.x() + client.width() && block.x() < scroll.x() + client.width())
        target.rx() = block.x() + m_nZoom - client.width();
    if (block.y() < scroll.y() && block.y() + m_nZoom > scroll.y()) target.ry() = block.y();
    if (block.y() + m_nZoom > scroll.y() + client.height() && block.y() < scroll.y() + client.height())
        target.ry() = block.y() + m_nZoom - client.height();
    if (target != scroll) ScrollTo(target);
}

void CImageView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!m_bDragging) {
        m_timer.stop();
        m_bTimerOn = false;
        return;
    }
    ScrollTo(ScrollPosition() + QPoint(m_sizeScrollStep.width(), m_sizeScrollStep.height()));
    TrackDrag(m_ptLastClient);
}

void CImageView::mousePressEvent(QMouseEvent* event) {
    QPoint client = DevicePoint(event->position());
    if (event->button() == Qt::RightButton) {
        if (m_bDragging)
            CancelDrag();
        else if (!m_bErasing)
            ContextMenu()->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (m_bSelectionMode && !m_bDragging)
        BeginDrag(client);
    else if (!m_bSelectionMode && EraserOn() && !m_bErasing)
        BeginErase(client);
}

void CImageView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CImageView::mouseMoveEvent(QMouseEvent* event) {
    QPoint client = DevicePoint(event->position());
    if (m_bErasing) ContinueErase(client);
    if (!m_bSelectionMode && EraserOn()) MoveBrush(client);
    if (m_bDragging)
        TrackDrag(client);
    else
        UpdateCursor(client);
}

void CImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (m_bDragging) EndDrag(DevicePoint(event->position()));
    if (m_bErasing) {
        ContinueErase(DevicePoint(event->position()));
        EndErase();
    }
}

bool CImageView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) HideBrush();
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- the eraser

void CImageView::SetEraser(int screenRadius) {
    m_nEraserRadius = std::max(0, screenRadius);
    viewport()->setMouseTracking(m_bSelectionMode || EraserOn());
    if (!EraserOn()) {
        if (m_bErasing) EndErase();
        HideBrush();
    } else if (viewport()->underMouse()) {
        MoveBrush(DevicePoint(viewport()->mapFromGlobal(QCursor::pos())));
    }
    if (!m_bSelectionMode) viewport()->setCursor(EraserOn() ? Qt::CrossCursor : Qt::ArrowCursor);
}

int CImageView::BrushRadius() const {
    if (!EraserOn()) return 0;
    if (m_nZoom >= 1) return (m_nEraserRadius + m_nZoom / 2) / m_nZoom;
    return m_nEraserRadius * -m_nZoom;
}

QPoint CImageView::StrokePoint(QPoint clientPoint) const {
    // Far beyond the picture a point only needs to stay far: the stroke keeps its
    // direction into the picture and the numbers stay small.
    QPoint p = ViewToImage(clientPoint + ScrollPosition());
    QSize size = ImageSize();
    int margin = m_nStrokeRadius + 1;
    return QPoint(std::clamp(p.x(), -margin, size.width() + margin), std::clamp(p.y(), -margin, size.height() + margin));
}

void CImageView::BeginErase(QPoint clientPoint) {
    CPenmarkDocument* doc = Document();
    if (!doc || !Image()) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    m_nStrokeRadius = BrushRadius();
    m_bErasing = true;
    m_bStrokePainted = false;
    m_ptStroke = StrokePoint(clientPoint);
    PixelRect painted = doc->EraseStroke({{m_ptStroke.x(), m_ptStroke.y()}}, m_nStrokeRadius);
    if (painted.IsEmpty()) return;
    m_bStrokePainted = true;
    ImageAreaHint hint(painted);
    doc->UpdateAllViews(nullptr, 0, &hint);
}

void CImageView::ContinueErase(QPoint clientPoint) { EraseTo(StrokePoint(clientPoint)); }

void CImageView::EraseTo(QPoint p) {
    CPenmarkDocument* doc = Document();
    if (!doc || !Image() || p == m_ptStroke) return;
    // Each move paints the whole segment from the last point: a fast drag leaves no gaps.
    PixelRect painted = doc->EraseStroke({{m_ptStroke.x(), m_ptStroke.y()}, {p.x(), p.y()}}, m_nStrokeRadius);
    m_ptStroke = p;
    if (painted.IsEmpty()) return;
    m_bStrokePainted = true;
    ImageAreaHint hint(painted);
    doc->UpdateAllViews(nullptr, 0, &hint);
}

void CImageView::EndErase() {
    if (!m_bErasing) return;
    m_bErasing = false;
    if (m_bStrokePainted) emit ImageEdited();  // a stroke beside the picture is no edit
}

PixelRect CImageView::BrushViewRect() const {
    int k = m_nZoom;
    int radius = BrushRadius();
    QPoint c = k >= 1 ? m_ptBrush * k + QPoint(k / 2, k / 2) : ImageToView(m_ptBrush);
    int r = k >= 1 ? radius * k + k : radius / -k + 1;
    r += 3;  // the halo and rounding
    return {c.x() - r, c.y() - r, c.x() + r + 1, c.y() + r + 1};
}

void CImageView::MoveBrush(QPoint clientPoint) {
    QPoint p = ViewToImage(clientPoint + ScrollPosition());
    if (m_bBrushShown && p == m_ptBrush) return;
    if (m_bBrushShown) InvalidateViewRect(BrushViewRect());
    m_ptBrush = p;
    m_bBrushShown = true;
    InvalidateViewRect(BrushViewRect());
}

void CImageView::HideBrush() {
    if (!m_bBrushShown) return;
    InvalidateViewRect(BrushViewRect());
    m_bBrushShown = false;
}

void CImageView::DrawBrush(QPainter& p, QPoint scroll) const {
    // The circle of pixel centres the brush reaches: black on a white halo, so that it
    // shows on ink, paper and the grey around the picture alike.
    int k = m_nZoom;
    double scale = k >= 1 ? k : 1.0 / -k;
    QPointF centre = (QPointF(m_ptBrush) + QPointF(0.5, 0.5)) * scale - QPointF(scroll);
    double radius = (BrushRadius() + 0.5) * scale;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(centre, radius, radius);
}

void CImageView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_bErasing) {
        EndErase();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_bDragging) {
        CancelDrag();
        event->accept();
        return;
    }
    if (m_bSelectionMode && !m_bDragging && KeySelection(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool CImageView::KeySelection(QKeyEvent* event) {
    CPenmarkDocument* doc = Document();
    QSize size = ImageSize();
    if (!doc || size.isEmpty()) return false;
    int dx = 0, dy = 0;
    switch (event->key()) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = -1; break;
        case Qt::Key_Down: dy = 1; break;
        default: return false;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        dx *= kKeyStepLarge;
        dy *= kKeyStepLarge;
    }
    PixelRect r = doc->m_rcSelection;
    if (r.IsEmpty()) {
        // The first key selects the middle of the picture, to move and resize from there.
        r = {size.width() / 4, size.height() / 4, std::max(size.width() / 4 + 1, size.width() * 3 / 4),
             std::max(size.height() / 4 + 1, size.height() * 3 / 4)};
    } else if (event->modifiers() & Qt::ShiftModifier) {
        // Shift with the arrows moves the right and bottom edges: at least one pixel stays.
        r.right = std::clamp(r.right + dx, r.left + 1, size.width());
        r.bottom = std::clamp(r.bottom + dy, r.top + 1, size.height());
    } else {
        dx = std::clamp(dx, -r.left, size.width() - r.right);
        dy = std::clamp(dy, -r.top, size.height() - r.bottom);
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    if (r == doc->m_rcSelection) return true;
    SetSelection(r);
    NotifySelection();
    return true;
}

// ---- drawing

void CImageView::DrawImage(QPainter& p, const QRect& area) const {
    QPoint scroll = ScrollPosition();
    const MonoImage* image = Image();
    bool drawable = image && m_nZoom >= kMinZoom && m_nZoom <= kDefaultMaxZoom;
    QRect shown = drawable ? area.translated(scroll) & QRect(QPoint(0, 0), m_sizeExtent) : QRect();
    QRegion grey(area);
    if (!shown.isEmpty()) grey -= shown.translated(-scroll);
    for (const QRect& r : grey) p.fillRect(r, kGrey);
    if (shown.isEmpty()) return;

    QImage rows(shown.size(), QImage::Format_Mono);
    rows.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    std::vector<uint8_t> scratch(size_t(zoomed_rows::ScratchBytes(shown.width(), m_nZoom)));
    int32_t previous = -1;
    for (int i = 0; i < shown.height(); ++i) {
        int viewY = shown.top() + i;
        int32_t y = m_nZoom >= 1 ? viewY / m_nZoom : viewY * -m_nZoom;
        uchar* out = rows.scanLine(i);
        if (y == previous) {
            std::copy_n(rows.constScanLine(i - 1), rows.bytesPerLine(), out);
        } else {
            zoomed_rows::ZoomRow(image->Row(y), image->width, m_nZoom, shown.left(), shown.width(), out,
                                 scratch.data());
            previous = y;
        }
    }
    p.drawImage(shown.topLeft() - scroll, rows);
}

void CImageView::DrawGrid(QPainter& p, const QRect& area) const {
    QPoint scroll = ScrollPosition();
    QRect shown = area.translated(scroll) & QRect(QPoint(0, 0), m_sizeExtent);
    if (shown.isEmpty()) return;
    int k = m_nZoom;
    p.setPen(QPen(kGrey, 0));
    for (int x = CeilDiv(shown.left(), k) * k; x <= shown.right(); x += k)
        p.drawLine(x - scroll.x(), shown.top() - scroll.y(), x - scroll.x(), shown.bottom() - scroll.y());
    for (int y = CeilDiv(shown.top(), k) * k; y <= shown.bottom(); y += k)
        p.drawLine(shown.left() - scroll.x(), y - scroll.y(), shown.right() - scroll.x(), y - scroll.y());
}

void CImageView::DrawSelection(QPainter& p, QPoint scroll) const {
    CPenmarkDocument* doc = Document();
    if (!doc || doc->m_rcSelection.IsEmpty()) return;
    QRect r = ToQRect(ImageRectToView(doc->m_rcSelection)).translated(-scroll);
    if (r.isEmpty()) return;
    // White paper shows dark grey, black ink light grey.
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.fillRect(r, kSelectionOr);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(r, kSelectionXor);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFrameBlue, 0, Qt::DotLine));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setBackgroundMode(Qt::TransparentMode);

    int xs[3] = {r.left(), (r.left() + r.right()) / 2, r.right()};
    int ys[3] = {r.top(), (r.top() + r.bottom()) / 2, r.bottom()};
    bool midX = r.width() > kMidHandleMin, midY = r.height() > kMidHandleMin;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (i == 1 && j == 1) continue;
            if ((i == 1 && !midX) || (j == 1 && !midY)) continue;
            QRect handle(xs[i] - kHandleBefore, ys[j] - kHandleBefore, kHandleSize, kHandleSize);
            p.fillRect(handle, Qt::white);
            p.fillRect(handle.adjusted(1, 1, -1, -1), Qt::black);
        }
}

void CImageView::DrawBand(QPainter& p, QPoint scroll) const {
    QRect r = ToQRect(ImageRectToView(Exclusive(m_rcBand))).translated(-scroll);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CImageView::Render(QImage& target, const QRect& clientRect) const {
    QPainter p(&target);
    p.translate(-clientRect.topLeft());
    p.setClipRect(clientRect);
    DrawImage(p, clientRect);
    if (m_bGridOn) DrawGrid(p, clientRect);
    QPoint scroll = ScrollPosition();
    if (m_bSelectionMode) DrawSelection(p, scroll);
    if (m_bDragging) DrawBand(p, scroll);
    if (m_bBrushShown) DrawBrush(p, scroll);
}

void CImageView::paintEvent(QPaintEvent* event) {
    m_lastPaint = event->region();
    qreal dpr = Ratio();
    QRect logical = event->rect();
    QRect device = QRectF(QPointF(logical.topLeft()) * dpr, QSizeF(logical.size()) * dpr).toAlignedRect();
    QPainter screen(viewport());
    if (!m_bGridOn && !m_bSelectionMode && !m_bDragging && !m_bBrushShown) {
        // Only the picture and the grey around it: straight onto the screen.
        screen.scale(1 / dpr, 1 / dpr);
        DrawImage(screen, device);
        return;
    }
    // Grid, selection and band are drawn over the picture: in one buffer, copied at once.
    QImage buffer(device.size(), QImage::Format_RGB32);
    Render(buffer, device);
    buffer.setDevicePixelRatio(dpr);
    screen.drawImage(QPointF(device.topLeft()) / dpr, buffer);
}
