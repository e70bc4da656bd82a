#include "CProgressPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

#include "CWizardPage.h"
#include "PageIds.h"
#include "Progress.h"

CProgressPanel::CProgressPanel(QWidget* page, QGridLayout* grid, int& row, int columns, int textId, Ids ids,
                               bool narrowRange)
    : m_bNarrowRange(narrowRange) {
    m_pText = CWizardPage::Label(textId, page);
    CWizardPage::SetControlId(m_pText, ids.text);
    grid->addWidget(m_pText, row++, 0, 1, columns);
    m_pBar = new QProgressBar(page);
    m_pBar->setTextVisible(false);
    CWizardPage::SetControlId(m_pBar, ids.bar);
    grid->addWidget(m_pBar, row++, 0, 1, columns);
    m_pEscText = CWizardPage::Label(PageText::kPressEsc, page);
    CWizardPage::SetControlId(m_pEscText, ids.esc);
    grid->addWidget(m_pEscText, row++, 0, 1, columns);
    Show(false);
}

int CProgressPanel::OnProgress(int code, intptr_t param) {
    switch (code) {
        case ProgressCode::kPosition:
            m_pBar->setValue(int(param));
            break;
        case ProgressCode::kRange:
            if (const auto* range = reinterpret_cast<const int32_t*>(param)) {
                if (m_bNarrowRange)
                    m_pBar->setRange(int16_t(range[0]), int16_t(range[1]));
                else
                    m_pBar->setRange(range[0], range[1]);
            }
            break;
        case ProgressCode::kShowProgress:
            m_pBar->setValue(0);
            Show(true);
            break;
        case ProgressCode::kHideProgress:
            Show(false);
            break;
    }
    return 0;
}

void CProgressPanel::Show(bool show) {
    m_pText->setVisible(show);
    m_pBar->setVisible(show);
    m_pEscText->setVisible(show);
}
