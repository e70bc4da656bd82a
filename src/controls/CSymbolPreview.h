// The chosen character in the chosen face: a white box with a black border, the
// character centred at two thirds of the box's height, or both diagonals when there is none.
#pragma once

#include <QRawFont>
#include <QWidget>

#include "FontInfo.h"

class CSymbolPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNoChar = -1;
    explicit CSymbolPreview(QWidget* parent = nullptr);

    void SetFont(const FontInfo& font);
    // A code point, or kNoChar.
    void SetChar(int code);
    int Char() const { return m_nChar; }

    QSize sizeHint() const override { return QSize(96, 96); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FontInfo m_font;
    int m_nChar = kNoChar;
};
