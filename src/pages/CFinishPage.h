// The last page: leave the program, or start over with what the document holds.
#pragma once

#include "CWizardPage.h"

class QCheckBox;

class CFinishPage : public CWizardPage {
    Q_OBJECT
public:
    explicit CFinishPage(QWidget* parent = nullptr);

    int GetWizardButtons() const override { return 4; }
    bool OnWizardFinish() override;
    void OnSetActive() override;
    void OnKillActive() override;

    QCheckBox* StartOverBox() const { return m_pStartOver; }
    int m_bStartOver = 0;

private:
    QCheckBox* m_pStartOver;
};
