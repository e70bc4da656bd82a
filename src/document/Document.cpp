#include "Document.h"

#include <algorithm>


CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

CDocument::~CDocument() {
    for (CView* v : m_views) v->m_pDocument = nullptr;
}

void CDocument::AddView(CView* pView) {
    if (!pView || pView->m_pDocument == this) return;
    if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    auto it = std::find(m_views.begin(), m_views.end(), pView);
    if (it == m_views.end()) return;
    m_views.erase(it);
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, intptr_t lHint, CObject* pHint) {
    // A view may detach itself while being told; walk a copy.
    std::vector<CView*> views = m_views;
    for (CView* v : views)
        if (v != pSender) v->OnUpdate(pSender, lHint, pHint);
}
