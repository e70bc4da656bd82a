#include "CFontSample.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <set>

#include "Accessibility.h"
#include "Strings.h"

namespace {

// Makes the toolkit know a face's family by loading its file, once per file.
void EnsureFamilyKnown(const QString& family, const std::string& file) {
    static std::set<std::string> loaded;
    if (file.empty() || QFontDatabase::hasFamily(family) || !loaded.insert(file).second) return;
    QFontDatabase::addApplicationFont(QString::fromStdString(file));
}

}  // namespace

CFontSample::CFontSample(QWidget* parent)
    : QWidget(parent), m_strText(QString::fromUtf8(GetString(kStrFontSampleText))) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(48);
    SetAccessibleText(this, 62266);
}

QSize CFontSample::sizeHint() const { return QSize(240, 120); }

void CFontSample::SetSampleFont(const LogFont* lf, const std::string& file) {
    m_bHasFont = lf != nullptr;
    if (lf) {
        m_lf = *lf;
        m_strFile = file;
        MakeFont();
    }
    update();
}

void CFontSample::MakeFont() {
    QString family = QString::fromStdString(m_lf.lfFaceName);
    EnsureFamilyKnown(family, m_strFile);
    m_font = QFont(family);
    m_font.setWeight(QFont::Weight(std::clamp(m_lf.lfWeight, 100, 900)));
    m_font.setItalic(m_lf.lfItalic != 0);
    m_font.setUnderline(m_lf.lfUnderline != 0);
    m_font.setStrikeOut(m_lf.lfStrikeOut != 0);
    // Two thirds of the height as the cell height (ascent plus descent), not the em.
    int cell = std::max(1, height() * 2 / 3);
    m_font.setPixelSize(cell);
    int measured = QFontMetrics(m_font).height();
    if (measured > 0 && measured != cell) m_font.setPixelSize(std::max(1, cell * cell / measured));
}

void CFontSample::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_bHasFont) MakeFont();
}

void CFontSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_bHasFont) return;
    painter.setClipRect(rect());
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    QFontMetrics metrics(m_font);
    int x = (width() - metrics.horizontalAdvance(m_strText)) / 2;
    int y = (height() - metrics.height()) / 2;
    painter.drawText(x, y + metrics.ascent(), m_strText);
}
