// The finer picture hints: what an image view does when the picture turned, or when an
// area of it (or of the selection) must be painted again.
#pragma once

#include "Hints.h"
#include "MonoImage.h"

// The picture was turned a quarter: the selection goes, the zoom limit and the fit are
// recomputed.
class ImageRotatedHint : public CImageUpdateHint {
public:
    void UpdateView(CView* pView) override;
};

// An area of the picture, in image pixels, must be painted again.
class ImageAreaHint : public CImageUpdateHint {
public:
    explicit ImageAreaHint(const PixelRect& rect) : m_rect(rect) {}
    void UpdateView(CView* pView) override;
    const PixelRect& Rect() const { return m_rect; }

protected:
    PixelRect m_rect;
};

// The selection's area changed: as ImageAreaHint, with room for the handles.
class SelectionHint : public ImageAreaHint {
public:
    using ImageAreaHint::ImageAreaHint;
    void UpdateView(CView* pView) override;
};
