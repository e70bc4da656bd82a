// Step 4: the rectangle of the picture that becomes the symbol; Next traces its ink.
#pragma once

#include "CImagePage.h"

class CSelectAreaPage : public CImagePage {
    Q_OBJECT
public:
    explicit CSelectAreaPage(QWidget* parent = nullptr);

    bool CanGoNext() const override;
    int OnWizardNext() override;

protected:
    bool event(QEvent* e) override;
};
