#include "CEditImagePage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "Binarize.h"
#include "CImageView.h"
#include "MonoImage.h"
#include "PageIds.h"
#include "PenmarkDocument.h"

CEditImagePage::CEditImagePage(QWidget* parent)
    : CImagePage(PageText::kTitleStep1 + 2, PageText::kEditText, false,
                 {ID_IMAGE_ENHANCE, ID_IMAGE_FLIP_VERTICAL, ID_IMAGE_FLIP_HORIZONTAL, ID_IMAGE_ROTATE_CW,
                  ID_IMAGE_ROTATE_CCW, ID_IMAGE_INVERT, 0, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_FIT},
                 {ID_IMAGE_ENHANCE, ID_IMAGE_FLIP_HORIZONTAL, ID_IMAGE_FLIP_VERTICAL, ID_IMAGE_INVERT,
                  ID_IMAGE_ROTATE_CW, ID_IMAGE_ROTATE_CCW, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_FIT},
                 parent) {
    // Threshold, level, then the two methods, in one row below the toolbar.
    m_pThresholdRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_pThresholdRow);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel* label = Label(PageText::kThreshold, m_pThresholdRow);
    m_pSlider = new QSlider(Qt::Horizontal, m_pThresholdRow);
    m_pSlider->setRange(1, 255);
    m_pSlider->setPageStep(16);
    // A big picture takes a moment to cut: a drag cuts once, when the slider is let go.
    m_pSlider->setTracking(false);
    m_pSlider->setMinimumWidth(120);
    SetControlId(m_pSlider, IDC_THRESHOLD);
    label->setBuddy(m_pSlider);
    m_pLevel = new QLabel(m_pThresholdRow);
    m_pLevel->setMinimumWidth(m_pLevel->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    m_pGlobal = new QRadioButton(Text(PageText::kThresholdGlobal), m_pThresholdRow);
    m_pLocal = new QRadioButton(Text(PageText::kThresholdLocal), m_pThresholdRow);
    SetControlId(m_pGlobal, IDC_THRESHOLD_GLOBAL);
    SetControlId(m_pLocal, IDC_THRESHOLD_LOCAL);
    row->addWidget(label);
    row->addWidget(m_pSlider, 1);
    row->addWidget(m_pLevel);
    row->addSpacing(12);
    row->addWidget(m_pGlobal);
    row->addWidget(m_pLocal);
    Layout()->insertWidget(2, m_pThresholdRow);  // below the text and the toolbar
    m_pThresholdRow->hide();

    connect(m_pSlider, &QSlider::valueChanged, this, [this](int level) {
        Rebinarize(ThresholdChoice{ThresholdMode::Fixed, level});
    });
    connect(m_pSlider, &QSlider::sliderMoved, m_pLevel, [this](int level) { m_pLevel->setNum(level); });
    // The global method starts from the level it finds itself; the slider then shows it.
    connect(m_pGlobal, &QRadioButton::clicked, this, [this] { Rebinarize(ThresholdChoice{ThresholdMode::Global}); });
    connect(m_pLocal, &QRadioButton::clicked, this, [this] { Rebinarize(ThresholdChoice{ThresholdMode::Local}); });
}

void CEditImagePage::OnSetActive() {
    CImagePage::OnSetActive();
    ShowThreshold();
}

void CEditImagePage::ShowThreshold() {
    CPenmarkDocument* doc = Document();
    const GreySource* grey = doc ? doc->GreyPicture() : nullptr;
    m_pThresholdRow->setVisible(grey != nullptr);
    if (!grey) return;
    QSignalBlocker blockSlider(m_pSlider), blockGlobal(m_pGlobal), blockLocal(m_pLocal);
    m_pSlider->setValue(grey->result.level);
    m_pLevel->setNum(grey->result.level);
    (grey->result.used == ThresholdMode::Local ? m_pLocal : m_pGlobal)->setChecked(true);
}

void CEditImagePage::Rebinarize(const ThresholdChoice& choice) {
    CPenmarkDocument* doc = Document();
    if (!doc || !doc->CanRebinarize()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    doc->Rebinarize(choice);
    QApplication::restoreOverrideCursor();
    ShowThreshold();
}

int CEditImagePage::OnWizardNext() {
    if (CPenmarkDocument* doc = Document()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        doc->SelectInkIfEmpty();
        QApplication::restoreOverrideCursor();
    }
    return 0;
}
