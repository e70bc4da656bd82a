// The font page's sample: "AaBbCc" in the selected face, centred, black on white, at two
// thirds of the control's height; plain white when there is no face.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <string>

#include "FontInfo.h"

// String id of the sample text.
constexpr int kStrFontSampleText = 61311;

class CFontSample : public QWidget {
    Q_OBJECT
public:
    explicit CFontSample(QWidget* parent = nullptr);

    // The face to show, or none (null). file is the face's font file: a face installed
    // after the program started is not yet known to the toolkit, which then loads it
    // from there.
    void SetSampleFont(const LogFont* lf, const std::string& file = {});

    bool HasFont() const { return m_bHasFont; }
    const QFont& SampleFont() const { return m_font; }
    const QString& SampleText() const { return m_strText; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void MakeFont();

    LogFont m_lf;
    std::string m_strFile;
    QFont m_font;
    bool m_bHasFont = false;
    QString m_strText;
};
