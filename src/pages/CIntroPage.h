// Page 0: what the program does and what the user must prepare.
#pragma once

#include "CWizardPage.h"

class CIntroPage : public CWizardPage {
    Q_OBJECT
public:
    explicit CIntroPage(QWidget* parent = nullptr);
    bool CanGoBack() const override { return false; }
};
