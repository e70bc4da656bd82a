#include "CIntroPage.h"

#include <QGridLayout>
#include <QLabel>

#include "CTransparentBitmap.h"
#include "PageIds.h"
#include "Strings.h"

CIntroPage::CIntroPage(QWidget* parent) : CWizardPage(PageText::kTitleIntro, parent) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(PageText::kIntro1, this), 0, 0, 1, 2);
    grid->addWidget(Label(PageText::kIntro2, this), 1, 0, 1, 2);
    grid->addWidget(new CTransparentBitmap(158, this), 2, 0, Qt::AlignTop);
    grid->addWidget(Label(PageText::kIntro3, this), 2, 1);
    grid->addWidget(new CTransparentBitmap(156, this), 3, 0, Qt::AlignTop);
    grid->addWidget(Label(PageText::kIntro4, this), 3, 1);
    grid->addWidget(new CTransparentBitmap(159, this), 4, 0, Qt::AlignTop);
    grid->addWidget(Label(PageText::kIntro5, this), 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
}
