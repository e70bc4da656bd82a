#include "CImagePage.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "CImageView.h"
#include "CPenmarkDlg.h"
#include "Strings.h"
#include "ToolbarIcons.h"

CImagePage::CImagePage(int titleId, int textId, bool selectionMode, std::vector<int> buttons,
                       std::vector<int> commands, QWidget* parent)
    : CWizardPage(titleId, parent), m_bSelectionMode(selectionMode), m_commands(std::move(commands)) {
    m_pLayout = new QVBoxLayout(this);
    QLabel* text = Label(textId, this);
    SetControlId(text, IDC_PAGE_TEXT);
    m_pLayout->addWidget(text);

    m_pToolBar = new QToolBar(this);
    m_pToolBar->setIconSize(QSize(16, 15));
    SetControlId(m_pToolBar, IDC_TOOLBAR_PLACE);
    for (int id : buttons) {
        if (id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = m_pToolBar->addAction(ToolbarIcon(id), TooltipText(id));
        action->setData(id);
        action->setToolTip(TooltipText(id));
        connect(action, &QAction::triggered, this, [this, id] {
            CPenmarkDlg* sheet = Sheet();
            if (!sheet || !sheet->RouteCommand(id)) OnCommand(id);
        });
    }
    m_pLayout->addWidget(m_pToolBar);
    m_pLayout->addStretch(1);  // the view's place until it is made
}

void CImagePage::CreateView() {
    CPenmarkDocument* doc = Document();
    if (m_pView || !doc) return;
    m_pView = new CImageView(doc, m_bSelectionMode, m_bSelectionMode ? 1 : 0, this);
    m_pView->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    SetControlId(m_pView, IDC_VIEW_PLACE);
    // The view takes the stretch's place below the toolbar.
    delete m_pLayout->takeAt(m_pLayout->count() - 1);
    m_pLayout->addWidget(m_pView, 1);
    m_pLayout->activate();
}

void CImagePage::OnSetActive() {
    CreateView();
    if (m_pView) m_pView->RestoreState();
    UpdateButtons();
}

void CImagePage::OnKillActive() {
    if (m_pView) m_pView->SaveState();
}

bool CImagePage::OnCommand(int id) {
    if (!m_pView || std::find(m_commands.begin(), m_commands.end(), id) == m_commands.end()) return false;
    return m_pView->ExecuteCommand(id);
}
