#include "ImageViewHints.h"

#include "CImageView.h"

void ImageRotatedHint::UpdateView(CView* pView) {
    if (auto* view = dynamic_cast<CImageView*>(pView)) view->OnImageRotated();
}

void ImageAreaHint::UpdateView(CView* pView) {
    if (auto* view = dynamic_cast<CImageView*>(pView)) view->InvalidateImageRect(m_rect, 0);
}

void SelectionHint::UpdateView(CView* pView) {
    if (auto* view = dynamic_cast<CImageView*>(pView))
        view->InvalidateImageRect(m_rect, CImageView::kHandleMargin);
}
