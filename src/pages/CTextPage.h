// A page that shows its title and its texts: the place of a step whose controls are
// still to come.
#pragma once

#include <initializer_list>

#include "CWizardPage.h"

class CTextPage : public CWizardPage {
    Q_OBJECT
public:
    CTextPage(int titleId, std::initializer_list<int> textIds, QWidget* parent = nullptr);
};
