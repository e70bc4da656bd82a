#include "CSelectAreaPage.h"

#include <QApplication>

#include "CImageView.h"
#include "PageIds.h"
#include "PenmarkDocument.h"
#include "PlatformServices.h"
#include "StringIds.h"

CSelectAreaPage::CSelectAreaPage(QWidget* parent)
    : CImagePage(PageText::kTitleStep1 + 3, PageText::kSelectText, true,
                 {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_FIT},
                 {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_FIT, ID_EDIT_SELECT_ALL, ID_EDIT_DESELECT}, parent) {}

bool CSelectAreaPage::CanGoNext() const {
    CPenmarkDocument* doc = Document();
    return View() && doc && !doc->m_rcSelection.IsEmpty();
}

bool CSelectAreaPage::event(QEvent* e) {
    if (e->type() == ImageSelectionEvent::EventType()) {
        UpdateButtons();
        return true;
    }
    return CImagePage::event(e);
}

int CSelectAreaPage::OnWizardNext() {
    CPenmarkDocument* doc = Document();
    if (!doc) return -1;
    doc->ComputeInkRect();
    if (doc->m_rcInk.IsEmpty()) {
        ShowMessage(StringId::kEmptyRegion, MessageStyle::kOk | MessageStyle::kIconExclamation);
        return -1;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool traced = doc->TraceSelection();
    QApplication::restoreOverrideCursor();
    if (traced) return 0;
    // Stopped with Esc: nothing to say. Otherwise the reason, and the page stays.
    if (int id = TraceErrorStringId(doc->LastLoadError()))
        ShowMessage(id, MessageStyle::kOk | MessageStyle::kIconStop);
    return -1;
}
