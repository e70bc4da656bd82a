// A minimal document/view base: a document keeps a list of views and tells them all
// when something changed, passing an optional hint object.
#pragma once

#include <cstdint>
#include <vector>

class CDocument;

// Base of hint objects passed through UpdateAllViews.
class CObject {
public:
    virtual ~CObject() = default;
};

class CView {
public:
    virtual ~CView();
    CDocument* GetDocument() const { return m_pDocument; }

    // Called for every view but the sender. pHint may be null (a general update); a view
    // asks the hint what it is and does what it shows.
    virtual void OnUpdate(CView* /*pSender*/, intptr_t /*lHint*/, CObject* /*pHint*/) {}

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

class CDocument {
public:
    CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;
    virtual ~CDocument();

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& Views() const { return m_views; }

    // Tells every attached view except pSender.
    void UpdateAllViews(CView* pSender, intptr_t lHint = 0, CObject* pHint = nullptr);

    bool m_bAutoDelete = true;

private:
    std::vector<CView*> m_views;
};
