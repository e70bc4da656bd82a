#include "CEditImagePage.h"

#include <QApplication>

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
                 parent) {}

int CEditImagePage::OnWizardNext() {
    if (CPenmarkDocument* doc = Document()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        doc->SelectInkIfEmpty();
        QApplication::restoreOverrideCursor();
    }
    return 0;
}
