#include "CTransparentBitmap.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kKeyColour(192, 192, 192);

void DrawSignature(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.center().y() + 6);
    path.cubicTo(r.left() + 10, r.top(), r.left() + 18, r.bottom(), r.left() + 26, r.center().y());
    path.cubicTo(r.left() + 32, r.top() + 4, r.left() + 38, r.bottom() - 2, r.left() + 46, r.center().y() - 4);
    path.cubicTo(r.left() + 52, r.top() + 8, r.right() - 4, r.bottom(), r.right(), r.center().y());
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}
}  // namespace

QImage DecorativePicture(int id) {
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(kKeyColour);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
        case 156: {  // a pen writing a signature
            DrawSignature(p, QRectF(4, 30, 44, 22));
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(40, 60, 140));
            QPolygonF pen({{46, 40}, {60, 10}, {64, 12}, {50, 42}});
            p.drawPolygon(pen);
            break;
        }
        case 158: {  // a font sample: a page with letters
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::white);
            p.drawRect(10, 6, 44, 52);
            QFont f = p.font();
            f.setPixelSize(22);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRect(10, 10, 44, 40), Qt::AlignCenter, "Aa");
            break;
        }
        case 159: {  // a picture file
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::white);
            p.drawRect(8, 10, 48, 40);
            DrawSignature(p, QRectF(12, 20, 40, 20));
            break;
        }
        case 153: {  // done: a tick beside a signature
            DrawSignature(p, QRectF(4, 36, 40, 18));
            p.setPen(QPen(QColor(0, 128, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({{30, 18}, {40, 28}, {58, 6}}));
            break;
        }
        default:
            return QImage();
    }
    return img;
}

CTransparentBitmap::CTransparentBitmap(int id, QWidget* parent)
    : QWidget(parent), m_source(DecorativePicture(id)) {
    setFixedSize(m_source.size());
}

QImage CTransparentBitmap::Rendered(const QColor& background) const {
    QImage out = m_source.convertToFormat(QImage::Format_RGB32);
    const QRgb key = kKeyColour.rgb(), bg = background.rgb();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = bg;
    }
    return out;
}

void CTransparentBitmap::paintEvent(QPaintEvent*) {
    // The mask is rebuilt whenever the background colour changes.
    QColor bg = palette().color(backgroundRole());
    if (m_cache.isNull() || bg != m_cacheColour) {
        m_cache = Rendered(bg);
        m_cacheColour = bg;
    }
    QPainter p(this);
    p.drawImage(0, 0, m_cache);
}

void CTransparentBitmap::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) update();
    QWidget::changeEvent(e);
}
