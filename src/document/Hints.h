// Hints the document sends to its views. A view that receives one asks what it is
// (dynamic_cast) and calls its UpdateView with itself; the hint calls back what it needs.
#pragma once

#include "Document.h"

// The picture changed. This base does nothing; the image view defines the finer kinds.
class CImageUpdateHint : public CObject {
public:
    virtual void UpdateView(CView* /*pView*/) {}
};

// What a view that shows the placed glyph offers the glyph hints.
class CGlyphHintTarget {
public:
    virtual ~CGlyphHintTarget() = default;
    // Recompute the layout and repaint everything.
    virtual void OnGlyphRebuilt() = 0;
    // Repaint the old area of the glyph, recompute its position, repaint the new area.
    virtual void OnGlyphMoved() = 0;
};

// The glyph was rebuilt.
class CGlyphUpdateHint : public CObject {
public:
    virtual void UpdateView(CView* pView) {
        if (auto* target = dynamic_cast<CGlyphHintTarget*>(pView)) target->OnGlyphRebuilt();
    }
};

// The glyph was only moved.
class CGlyphMoveUpdateHint : public CGlyphUpdateHint {
public:
    void UpdateView(CView* pView) override {
        if (auto* target = dynamic_cast<CGlyphHintTarget*>(pView)) target->OnGlyphMoved();
    }
};
