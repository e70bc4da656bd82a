// Step 2: where the picture comes from (a picture file, the clipboard, an EPS/AI drawing
// or a scanner) and reading it into the document.
#pragma once

#include <memory>
#include <string>

#include "CWizardPage.h"

class CProgressPanel;
class MonoBitmap;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// Control ids.
constexpr int IDC_SOURCE_FILE = 1019;
constexpr int IDC_SOURCE_CLIPBOARD = 1021;
constexpr int IDC_SOURCE_EPS = 1005;
constexpr int IDC_SOURCE_SCANNER = 1020;
constexpr int IDC_IMAGE_PATH = 1010;
constexpr int IDC_EPS_PATH = 1013;
constexpr int IDC_BROWSE_IMAGE = 1008;
constexpr int IDC_BROWSE_EPS = 1009;
constexpr int IDC_SELECT_SCANNER = 1022;
constexpr int IDC_OPENING_TEXT = 1012;
constexpr int IDC_OPENING_PROGRESS = 1011;
constexpr int IDC_ESC_TEXT = 1023;
constexpr int IDC_SCANNING_TEXT = 1024;

class COpenImagePage : public CWizardPage {
    Q_OBJECT
public:
    // The sources, in the order of the radio group.
    enum Source { kFromFile = 0, kFromClipboard = 1, kFromEps = 2, kFromScanner = 3 };

    explicit COpenImagePage(QWidget* parent = nullptr);
    ~COpenImagePage() override;

    bool CanGoNext() const override;
    bool CanGoBack() const override;
    int OnWizardNext() override;
    int OnWizardBack() override;
    int OnProgress(int code, intptr_t param) override;

    // A scanned picture arrived: the page takes it (-1) while scanning, otherwise 0 and the
    // bitmap stays the caller's.
    int OnAcceptImage(MonoBitmap* bitmap) override;
    // The scanner started: the source controls rest and the scanning text shows.
    void BeginScanning();
    bool Scanning() const { return m_bScanning; }

    // The source as the controls show it, and the two paths.
    int Source() const;
    void SetSource(int source);
    std::string ImagePath() const;
    std::string EpsPath() const;

    QLineEdit* ImagePathEdit() const { return m_pImagePath; }
    QLineEdit* EpsPathEdit() const { return m_pEpsPath; }
    QProgressBar* ProgressBar() const;
    QRadioButton* SourceButton(int source) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnPathEdited(int source, const QString& text);
    void OnBrowse(int source);
    void EnableSources(bool enable);
    // After a picture arrived: fit, no selection, every view repainted.
    void ResetViewState();
    int NextFromFile();
    int NextFromClipboard();
    int NextFromEps();
    int NextFromScanner();
    bool PictureArrived();

    QButtonGroup* m_pSources = nullptr;
    QLineEdit* m_pImagePath = nullptr;
    QLineEdit* m_pEpsPath = nullptr;
    QPushButton* m_pBrowseImage = nullptr;
    QPushButton* m_pBrowseEps = nullptr;
    QPushButton* m_pSelectScanner = nullptr;
    std::unique_ptr<CProgressPanel> m_pProgressPanel;
    QLabel* m_pScanningText = nullptr;
    bool m_bScanning = false;
};
