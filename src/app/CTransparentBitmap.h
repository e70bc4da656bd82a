// A decorative picture whose light grey (192, 192, 192) pixels take the colour of the
// dialog behind it, so it blends into any theme.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class CTransparentBitmap : public QWidget {
    Q_OBJECT
public:
    // id names one of the program's own pictures (see DecorativePicture).
    explicit CTransparentBitmap(int id, QWidget* parent = nullptr);

    QSize sizeHint() const override { return m_source.size(); }
    // The picture as painted against a background colour.
    QImage Rendered(const QColor& background) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    QImage m_source;
    QImage m_cache;
    QColor m_cacheColour;
};

// The program's pictures: 153 (finished), 156 (a signature being written), 158 (a font
// sample) and 159 (a picture file); drawn on light grey. An unknown id gives an empty
// picture.
QImage DecorativePicture(int id);
