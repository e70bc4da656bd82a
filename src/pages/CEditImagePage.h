// Step 3: the picture's corrections (flips, rotations, invert, noise removal) and zoom.
#pragma once

#include "CImagePage.h"

class CEditImagePage : public CImagePage {
    Q_OBJECT
public:
    explicit CEditImagePage(QWidget* parent = nullptr);
    // Selects the ink's box when nothing is selected yet; always goes on.
    int OnWizardNext() override;
};
