// Step 3: the picture's corrections (flips, rotations, invert, noise removal) and zoom;
// for a picture made black and white from a grey or colour one, its threshold too.
#pragma once

#include "CImagePage.h"

class QLabel;
class QRadioButton;
class QSlider;
class QWidget;
struct ThresholdChoice;

class CEditImagePage : public CImagePage {
    Q_OBJECT
public:
    explicit CEditImagePage(QWidget* parent = nullptr);
    void OnSetActive() override;
    // Selects the ink's box when nothing is selected yet; always goes on.
    int OnWizardNext() override;

    // The threshold controls, shown only for a picture that had to be made black and white.
    QWidget* ThresholdRow() const { return m_pThresholdRow; }
    QSlider* ThresholdSlider() const { return m_pSlider; }
    QRadioButton* GlobalButton() const { return m_pGlobal; }
    QRadioButton* LocalButton() const { return m_pLocal; }

private:
    void ShowThreshold();
    void Rebinarize(const ThresholdChoice& choice);

    QWidget* m_pThresholdRow = nullptr;
    QSlider* m_pSlider = nullptr;
    QLabel* m_pLevel = nullptr;
    QRadioButton* m_pGlobal = nullptr;
    QRadioButton* m_pLocal = nullptr;
};
