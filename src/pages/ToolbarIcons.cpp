#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "CEditImagePage.h"
#include "CImageView.h"

namespace {

constexpr int kWidth = 16, kHeight = 15;
const QColor kInk(0, 0, 0);
const QColor kBlue(0, 0, 160);
const QColor kFace(255, 255, 255);

// A small page with a black shape, the base of the picture commands.
void Page(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kFace);
    p.drawRect(2, 1, 11, 12);
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
    p.setPen(QPen(kBlue, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    QPointF d = to - from;
    qreal len = std::hypot(d.x(), d.y());
    if (len == 0) return;
    QPointF u = d / len, n(-u.y(), u.x());
    p.drawLine(to, to - u * 3 + n * 2.5);
    p.drawLine(to, to - u * 3 - n * 2.5);
}

void Flip(QPainter& p, bool horizontal) {
    Page(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    if (horizontal) {
        p.drawPolygon(QPolygonF({QPointF(4, 4), QPointF(7, 7), QPointF(4, 10)}));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 1));
        p.drawPolygon(QPolygonF({QPointF(11, 4), QPointF(8, 7), QPointF(11, 10)}));
        p.setPen(QPen(kBlue, 1, Qt::DotLine));
        p.drawLine(QPointF(7.5, 2), QPointF(7.5, 12));
    } else {
        p.drawPolygon(QPolygonF({QPointF(4, 3), QPointF(7.5, 6), QPointF(11, 3)}));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 1));
        p.drawPolygon(QPolygonF({QPointF(4, 11), QPointF(7.5, 8), QPointF(11, 11)}));
        p.setPen(QPen(kBlue, 1, Qt::DotLine));
        p.drawLine(QPointF(3, 7), QPointF(12, 7));
    }
}

void Rotate(QPainter& p, bool clockwise) {
    p.setPen(QPen(kBlue, 1.5));
    p.setBrush(Qt::NoBrush);
    QRectF arc(2.5, 2.5, 10, 10);
    p.drawArc(arc, clockwise ? 180 * 16 : 0, clockwise ? -270 * 16 : 270 * 16);
    QPointF tip = clockwise ? QPointF(7.5, 12.5) : QPointF(7.5, 12.5);
    QPointF back = clockwise ? QPointF(10.5, 10) : QPointF(4.5, 10);
    p.setPen(QPen(kBlue, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tip, back);
    p.drawLine(tip, tip + QPointF(clockwise ? 3 : -3, 2.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(6, 6, 3, 3);
}

void Invert(QPainter& p) {
    Page(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(8, 2, 5, 11);
    p.setBrush(kFace);
    p.drawEllipse(QPointF(10.5, 7.5), 1.5, 1.5);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(5.5, 7.5), 1.5, 1.5);
}

void Enhance(QPainter& p) {
    Page(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(7.5, 7.5), 3, 3);
    p.setPen(QPen(kBlue, 1));
    for (QPointF c : {QPointF(3.5, 3.5), QPointF(12, 12)}) {
        p.drawLine(c - QPointF(1.5, 0), c + QPointF(1.5, 0));
        p.drawLine(c - QPointF(0, 1.5), c + QPointF(0, 1.5));
    }
}

void Magnifier(QPainter& p, int sign) {
    p.setPen(QPen(kInk, 1.3));
    p.setBrush(kFace);
    p.drawEllipse(QPointF(6.5, 6), 4.5, 4.5);
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 9.5), QPointF(14, 13.5));
    p.setPen(QPen(kBlue, 1.5));
    p.drawLine(QPointF(4.5, 6), QPointF(8.5, 6));
    if (sign > 0) p.drawLine(QPointF(6.5, 4), QPointF(6.5, 8));
}

void Fit(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kFace);
    p.drawRect(4, 4, 7, 6);
    Arrow(p, QPointF(7.5, 7), QPointF(1.5, 1.5));
    Arrow(p, QPointF(7.5, 7), QPointF(13.5, 12.5));
}

// A rubber held at a slant, and below it a dot the size of its brush (0 to 2).
void Eraser(QPainter& p, int size) {
    p.save();
    p.translate(9.5, 5.5);
    p.rotate(-35);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kFace);
    p.drawRect(QRectF(-5, -2.5, 10, 5));
    p.setBrush(kBlue);
    p.drawRect(QRectF(-5, -2.5, 3.5, 5));
    p.restore();
    const qreal radius[3] = {1.2, 2.2, 3.4};
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(4.5, 10.5), radius[size], radius[size]);
}

// A half-turn arrow: back to the left for undo, on to the right for redo.
void History(QPainter& p, bool back) {
    if (!back) {
        p.translate(kWidth, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath path(QPointF(4, 6));
    path.cubicTo(QPointF(8, 2.5), QPointF(14, 4), QPointF(13, 9));
    path.cubicTo(QPointF(12.5, 12), QPointF(9, 13), QPointF(7, 12.5));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(1.5, 7.5), QPointF(6.5, 2), QPointF(7, 8.5)}));
}

}  // namespace

QIcon ToolbarIcon(int commandId) {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (commandId) {
        case ID_IMAGE_ENHANCE: Enhance(p); break;
        case ID_IMAGE_FLIP_VERTICAL: Flip(p, false); break;
        case ID_IMAGE_FLIP_HORIZONTAL: Flip(p, true); break;
        case ID_IMAGE_ROTATE_CW: Rotate(p, true); break;
        case ID_IMAGE_ROTATE_CCW: Rotate(p, false); break;
        case ID_IMAGE_INVERT: Invert(p); break;
        case ID_VIEW_ZOOM_IN: Magnifier(p, 1); break;
        case ID_VIEW_ZOOM_OUT: Magnifier(p, -1); break;
        case ID_VIEW_FIT: Fit(p); break;
        case ID_ERASER_SMALL: Eraser(p, 0); break;
        case ID_ERASER_MEDIUM: Eraser(p, 1); break;
        case ID_ERASER_LARGE: Eraser(p, 2); break;
        case ID_EDIT_UNDO: History(p, true); break;
        case ID_EDIT_REDO: History(p, false); break;
        default: return QIcon();
    }
    p.end();
    return QIcon(pixmap);
}
