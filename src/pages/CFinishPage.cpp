#include "CFinishPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMetaObject>

#include "CPenmarkDlg.h"
#include "CTransparentBitmap.h"
#include "PageIds.h"
#include "Strings.h"

CFinishPage::CFinishPage(QWidget* parent) : CWizardPage(PageText::kTitleFinish, parent) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(new CTransparentBitmap(153, this), 0, 0, Qt::AlignTop);
    auto* text = new QLabel(QString::fromUtf8(GetString(PageText::kFinishText)), this);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    grid->addWidget(text, 0, 1);
    m_pStartOver = new QCheckBox(QString::fromUtf8(GetString(PageText::kStartOver)), this);
    SetControlId(m_pStartOver, IDC_START_OVER);
    grid->addWidget(m_pStartOver, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

void CFinishPage::OnSetActive() {
    if (CPenmarkDlg* sheet = Sheet()) sheet->UpdateButtons(this);
}

void CFinishPage::OnKillActive() {}

bool CFinishPage::OnWizardFinish() {
    m_bStartOver = m_pStartOver->isChecked() ? 1 : 0;
    CPenmarkDlg* sheet = Sheet();
    if (m_bStartOver) {
        // Back to the font page once the wizard has finished handling this press; the
        // document keeps everything, so every page shows it again.
        if (sheet) QMetaObject::invokeMethod(sheet, [sheet] { sheet->SetActivePage(1); }, Qt::QueuedConnection);
        return false;
    }
    hide();
    if (sheet) sheet->hide();
    return true;
}
