// What the edit-image and select-area pages share: a text, a toolbar and an image view of
// the document's picture whose zoom and centre go with the document from page to page.
#pragma once

#include <vector>

#include "CWizardPage.h"

class CImageView;
class QToolBar;
class QVBoxLayout;

// Control ids.
constexpr int IDC_PAGE_TEXT = 1052;
constexpr int IDC_VIEW_PLACE = 1031;
constexpr int IDC_TOOLBAR_PLACE = 1053;

class CImagePage : public CWizardPage {
    Q_OBJECT
public:
    // buttons: the toolbar's commands in order, 0 for a separator. commands: every command
    // the page hands to its view.
    CImagePage(int titleId, int textId, bool selectionMode, std::vector<int> buttons,
               std::vector<int> commands, QWidget* parent = nullptr);

    void OnSetActive() override;
    void OnKillActive() override;
    bool OnCommand(int id) override;

    // The view, made on the page's first activation (null before).
    CImageView* View() const { return m_pView; }
    QToolBar* ToolBar() const { return m_pToolBar; }

protected:
    // The page's column: text, toolbar, then the view (or its stretch) last.
    QVBoxLayout* Layout() const { return m_pLayout; }

private:
    void CreateView();

    bool m_bSelectionMode;
    std::vector<int> m_commands;
    QVBoxLayout* m_pLayout = nullptr;
    QToolBar* m_pToolBar = nullptr;
    CImageView* m_pView = nullptr;
};
