// Hints the document sends to its views; each knows what it asks of a view.
#pragma once

#include "Document.h"

class CUpdateHint : public CObject {
public:
    virtual void UpdateView(CView* pView) = 0;
};

// The picture changed; the image view defines finer kinds.
class CImageUpdateHint : public CUpdateHint {
public:
    void UpdateView(CView* pView) override { pView->OnImageChanged(this); }
};

// The glyph was rebuilt: recompute the layout and repaint everything.
class CGlyphUpdateHint : public CUpdateHint {
public:
    void UpdateView(CView* pView) override { pView->OnGlyphRebuilt(); }
};

// The glyph was only moved: repaint its old and new areas.
class CGlyphMoveUpdateHint : public CGlyphUpdateHint {
public:
    void UpdateView(CView* pView) override { pView->OnGlyphMoved(); }
};
