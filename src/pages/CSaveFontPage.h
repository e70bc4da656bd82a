// Step 7: the new font's name suffix and file; Next writes it and, when asked, installs
// it for the user (copied into, or linked from, the user's font folder).
#pragma once

#include <memory>
#include <string>

#include "CWizardPage.h"

class CProgressPanel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Control ids.
constexpr int IDC_SAVE_FILE = 1010;
constexpr int IDC_SAVE_BROWSE = 1008;
constexpr int IDC_SUFFIX = 1051;
constexpr int IDC_NEW_NAME = 1052;
constexpr int IDC_INSTALL = 1061;
constexpr int IDC_COPY = 1062;
constexpr int IDC_SAVING_TEXT = 1034;
constexpr int IDC_SAVING_PROGRESS = 1035;
constexpr int IDC_SAVE_ESC_TEXT = 1023;

class CSaveFontPage : public CWizardPage {
    Q_OBJECT
public:
    explicit CSaveFontPage(QWidget* parent = nullptr);
    ~CSaveFontPage() override;

    bool CanGoNext() const override;
    int OnWizardNext() override;
    void OnSetActive() override;
    int OnProgress(int code, intptr_t param) override;

    void ComposeNewName();

    std::string m_strFontsDir;
    std::string m_strNewName;
    std::string m_strFile;
    std::string m_strSuffix = "-Penmark";
    bool m_bCopy = true;
    bool m_bInstall = false;

    QLineEdit* FileEdit() const { return m_pFile; }
    QLineEdit* SuffixEdit() const { return m_pSuffix; }
    QLineEdit* NewNameBox() const { return m_pNewName; }
    QCheckBox* InstallBox() const { return m_pInstall; }
    QCheckBox* CopyBox() const { return m_pCopy; }
    QProgressBar* ProgressBar() const;
    QPushButton* BrowseButton() const { return m_pBrowse; }

private:
    // The controls into the fields, and back.
    void ReadFields();
    void WriteFields();
    void OnBrowse();
    std::string DefaultFile() const;
    // The file in the font folder for a copy and the name the install gets; false (after
    // the message) when the page must stay.
    bool FontsFolderTarget(std::string& target, std::string& registered);
    bool Install(const std::string& target, const std::string& registered);

    QLineEdit* m_pSuffix = nullptr;
    QLineEdit* m_pFile = nullptr;
    QLineEdit* m_pNewName = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QCheckBox* m_pInstall = nullptr;
    QCheckBox* m_pCopy = nullptr;
    std::unique_ptr<CProgressPanel> m_pProgressPanel;
};
