#include "CEditImagePage.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <QUndoCommand>
#include <QVBoxLayout>

#include "Binarize.h"
#include "CImageView.h"
#include "ImageEdits.h"
#include "MonoImage.h"
#include "PageIds.h"
#include "PenmarkDocument.h"

namespace {

// One step of the history: the picture's state before and after an edit. The states are
// shared with the neighbouring steps, so a step costs one copy of the 1-bit picture.
class EditStep : public QUndoCommand {
public:
    EditStep(CEditImagePage* page, std::shared_ptr<const ImageEditState> before,
             std::shared_ptr<const ImageEditState> after)
        : m_pPage(page), m_pBefore(std::move(before)), m_pAfter(std::move(after)) {}
    void undo() override { m_pPage->ShowEditState(m_pBefore); }
    void redo() override {
        // The edit itself has just run when the step is pushed.
        if (m_bDone) m_pPage->ShowEditState(m_pAfter);
        m_bDone = true;
    }

private:
    CEditImagePage* m_pPage;
    std::shared_ptr<const ImageEditState> m_pBefore, m_pAfter;
    bool m_bDone = false;
};

}  // namespace

CEditImagePage::CEditImagePage(QWidget* parent)
    : CImagePage(PageText::kTitleStep1 + 2, PageText::kEditText, false,
                 {ID_IMAGE_ENHANCE, ID_IMAGE_FLIP_VERTICAL, ID_IMAGE_FLIP_HORIZONTAL, ID_IMAGE_ROTATE_CW,
                  ID_IMAGE_ROTATE_CCW, ID_IMAGE_INVERT, 0, ID_ERASER_SMALL, ID_ERASER_MEDIUM, ID_ERASER_LARGE, 0,
                  ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_FIT},
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

    m_pHistory = new QUndoStack(this);
    m_pHistory->setUndoLimit(kHistoryLimit);  // each step holds a copy of the picture
    SetUpHistoryButtons();
}

QAction* CEditImagePage::Action(int id) const {
    for (QAction* action : ToolBar()->actions())
        if (action->data().toInt() == id) return action;
    return nullptr;
}

void CEditImagePage::SetUpHistoryButtons() {
    // Checking one brush releases the others; clicking the checked one puts the eraser away.
    m_pBrushes = new QActionGroup(this);
    m_pBrushes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int id : {ID_ERASER_SMALL, ID_ERASER_MEDIUM, ID_ERASER_LARGE}) {
        QAction* brush = Action(id);
        brush->setCheckable(true);
        m_pBrushes->addAction(brush);
    }
    QAction* undo = Action(ID_EDIT_UNDO);
    QAction* redo = Action(ID_EDIT_REDO);
    // Window-wide, but only while this page's toolbar is shown.
    undo->setShortcuts(QKeySequence::Undo);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* a : {undo, redo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        a->setEnabled(false);
    }
    connect(m_pHistory, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_pHistory, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
}

void CEditImagePage::OnSetActive() {
    CImagePage::OnSetActive();
    if (CImageView* view = View()) {
        connect(view, &CImageView::ImageEdited, this, &CEditImagePage::RecordEdit, Qt::UniqueConnection);
        ApplyBrush();
    }
    CPenmarkDocument* doc = Document();
    if (doc && (doc->PictureSerial() != m_nPictureSerial || !m_pShown)) ResetHistory();
    ShowThreshold();
}

bool CEditImagePage::OnCommand(int id) {
    switch (id) {
        case ID_ERASER_SMALL: case ID_ERASER_MEDIUM: case ID_ERASER_LARGE: ApplyBrush(); return true;
        case ID_EDIT_UNDO: m_pHistory->undo(); return true;
        case ID_EDIT_REDO: m_pHistory->redo(); return true;
        default: return CImagePage::OnCommand(id);
    }
}

void CEditImagePage::ApplyBrush() {
    CImageView* view = View();
    if (!view) return;
    int radius = 0;
    const int ids[3] = {ID_ERASER_SMALL, ID_ERASER_MEDIUM, ID_ERASER_LARGE};
    for (int i = 0; i < 3; ++i)
        if (Action(ids[i])->isChecked()) radius = int(kBrushRadii[i] * view->devicePixelRatioF() + 0.5);
    view->SetEraser(radius);
}

std::shared_ptr<const ImageEditState> CEditImagePage::KeepState() const {
    CPenmarkDocument* doc = Document();
    if (!doc || !doc->m_pImage) return nullptr;
    try {
        return std::make_shared<const ImageEditState>(doc->SaveEditState());
    } catch (const std::exception&) {  // no memory for the copy: no step back either
        return nullptr;
    }
}

void CEditImagePage::ResetHistory() {
    m_pHistory->clear();
    CPenmarkDocument* doc = Document();
    m_nPictureSerial = doc ? doc->PictureSerial() : 0;
    m_pShown = KeepState();
}

void CEditImagePage::RecordEdit() {
    std::shared_ptr<const ImageEditState> after = KeepState();
    if (m_pShown && after) {
        m_pHistory->push(new EditStep(this, m_pShown, after));
    } else {
        // Without both states there is no way back to before this edit.
        m_pHistory->clear();
    }
    m_pShown = std::move(after);
}

void CEditImagePage::ShowEditState(const std::shared_ptr<const ImageEditState>& state) {
    CPenmarkDocument* doc = Document();
    if (!doc || !state) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool shown = doc->RestoreEditState(*state);
    QApplication::restoreOverrideCursor();
    if (shown) m_pShown = state;
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
    const bool cut = doc->Rebinarize(choice);
    QApplication::restoreOverrideCursor();
    if (cut) RecordEdit();
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
