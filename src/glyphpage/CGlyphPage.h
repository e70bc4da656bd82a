// Step 5: the symbol's size, vertical position and width against two sample characters
// of the chosen face, with a preview the symbol can be dragged in.
#pragma once

#include <QString>

#include "CWizardPage.h"

class CGlyphView;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

// Control ids.
constexpr int IDC_LEFT_CHAR = 1036;
constexpr int IDC_RIGHT_CHAR = 1037;
constexpr int IDC_SIZE = 1038;
constexpr int IDC_PREVIEW_PLACE = 1039;
constexpr int IDC_POINT_SIZE = 1040;
constexpr int IDC_VERT_POS = 1041;
constexpr int IDC_WIDTH = 1042;
constexpr int IDC_RESET = 1046;

class CGlyphPage : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kInitialPoints = 72;

    explicit CGlyphPage(QWidget* parent = nullptr);

    void OnSetActive() override;
    void OnKillActive() override;
    int OnWizardBack() override;

    // The sliders from the document (outside a slider's own update).
    void LoadControls();

    CGlyphView* View() const { return m_pView; }
    QSlider* SizeSlider() const { return m_pSize; }
    QSlider* VertSlider() const { return m_pVert; }
    QSlider* WidthSlider() const { return m_pWidth; }
    QLineEdit* LeftCharEdit() const { return m_pLeft; }
    QLineEdit* RightCharEdit() const { return m_pRight; }
    QComboBox* PointSizeBox() const { return m_pPoints; }
    QPushButton* ResetButton() const { return m_pReset; }

protected:
    bool event(QEvent* e) override;

private:
    void InitDialog();
    void OnWidthMoved(int position);
    void OnSizeOrPositionMoved();
    void OnCharChanged(QLineEdit* edit, bool left);
    void OnPointSize(const QString& text);
    void OnReset();
    static int FirstChar(const QString& text);

    QSlider* m_pSize = nullptr;
    QSlider* m_pVert = nullptr;
    QSlider* m_pWidth = nullptr;
    QLineEdit* m_pLeft = nullptr;
    QLineEdit* m_pRight = nullptr;
    QComboBox* m_pPoints = nullptr;
    QPushButton* m_pReset = nullptr;
    CGlyphView* m_pView = nullptr;
    QString m_strPoints;
    QString m_strLeft = "E";
    QString m_strRight = "g";
    bool m_bLeft = false;      // the page was left since the view last had the font
    bool m_bUpdating = false;  // the sliders are being set from the document
    bool m_bInitialized = false;
};
