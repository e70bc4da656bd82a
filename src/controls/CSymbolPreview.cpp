#include "CSymbolPreview.h"

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include "Accessibility.h"

CSymbolPreview::CSymbolPreview(QWidget* parent) : QWidget(parent) { SetAccessibleText(this, 62265); }

void CSymbolPreview::SetFont(const FontInfo& font) {
    m_font = font;
    update();
}

void CSymbolPreview::SetChar(int code) {
    m_nChar = code;
    update();
}

void CSymbolPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect box = rect().adjusted(0, 0, -1, -1);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (m_nChar == kNoChar) {
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        return;
    }
    int pixels = std::max(1, height() * 2 / 3);
    char32_t c = char32_t(m_nChar);
    QString text = QString::fromUcs4(&c, 1);
    // The face's own file: a name may bring a look-alike.
    QRawFont raw;
    if (!m_font.szPath.empty()) raw.loadFromFile(QString::fromStdString(m_font.szPath), pixels, QFont::PreferDefaultHinting);
    if (raw.isValid()) {
        QList<quint32> glyphs = raw.glyphIndexesForString(text);
        if (glyphs.isEmpty()) return;
        QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
        qreal width = advances.isEmpty() ? 0 : advances[0].x();
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes({glyphs[0]});
        run.setPositions({QPointF(0, 0)});
        qreal baseline = (height() - (raw.ascent() + raw.descent())) / 2 + raw.ascent();
        p.drawGlyphRun(QPointF((this->width() - width) / 2, baseline), run);
        return;
    }
    QFont font(QString::fromStdString(m_font.lf.lfFaceName));
    font.setPixelSize(pixels);
    p.setFont(font);
    p.drawText(rect(), Qt::AlignCenter, text);
}
