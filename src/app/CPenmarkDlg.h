// The wizard sheet: nine pages in a fixed order, the button rules, exit confirmation,
// the progress-and-abort pump and the notifications to every widget.
#pragma once

#include <QElapsedTimer>
#include <QWizard>
#include <cstdint>
#include <vector>

class CWizardPage;
class CPenmarkDocument;
class FontCatalog;
class IKeyboardLayouts;
class MonoBitmap;

class CPenmarkDlg : public QWizard {
    Q_OBJECT
public:
    explicit CPenmarkDlg(CPenmarkDocument* document, QWidget* parent = nullptr);
    ~CPenmarkDlg() override;

    // Appends a page; pages take the indexes 0, 1, 2, ... in the order added.
    void AddPage(CWizardPage* page);
    CWizardPage* Page(int index) const;
    CWizardPage* ActivePage() const;
    int ActiveIndex() const { return currentId(); }
    int PageCount() const { return int(m_pages.size()); }

    // Shows the page with this index, backwards through the pages visited or forwards
    // without the current page's Next handling.
    void SetActivePage(int index);

    // Applies a page's button rules (the active page when null).
    void UpdateButtons(CWizardPage* page = nullptr);
    int LastButtons() const { return m_nLastButtons; }

    // "Are you sure you want to exit Penmark?" with Yes and No; true for Yes.
    bool ConfirmExit();

    // One step of a long operation: 3 and 4 switch the wait cursor, other codes go to the
    // active page; then pending paint and key events are handled. 3000 when Esc was
    // pressed (the operation should stop), else 0.
    int Progress(int code, intptr_t param);

    // Sends a wizard notification to every widget of the sheet; idle first refreshes
    // the active page's buttons.
    void Notify(int code);
    void OnIdle();

    CPenmarkDocument* Document() const { return m_pDocument; }

    // A command from a menu or toolbar, handed to the active page; true when it took it.
    bool RouteCommand(int id);
    // A scanned picture, offered to the pages in turn until one takes it (-1).
    int AcceptImage(MonoBitmap* bitmap);

    // The installed fonts the pages offer: the system's, unless a test sets its own.
    FontCatalog& Fonts() const;
    void SetFontCatalog(FontCatalog* catalog) { m_pFontCatalog = catalog; }
    // The keyboard layouts the pages offer: the desktop's, unless a test sets its own.
    IKeyboardLayouts& KeyboardLayouts() const;
    void SetKeyboardLayouts(IKeyboardLayouts* layouts) { m_pLayouts = layouts; }
    // The font-change notice: every widget of the sheet hears that the installed fonts
    // changed. Raised by CheckFontChange, and by whoever installs a font.
    void FontChanged();
    // Asks the catalogue whether font files came or went (on activation and idle, and
    // after installing a font); raises the notice when they did. True when it was raised.
    bool CheckFontChange();

    // The sheet's own tooltip texts for its buttons.
    QString ButtonTooltip(WizardButton which) const;

signals:
    // The user confirmed leaving the program, or the wizard finished.
    void wizardClosed(int exitCode);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void OnBackClicked();
    void OnPageChanged(int id);
    bool PumpEvents();
    void SizeToLargestPage();

    CPenmarkDocument* m_pDocument;
    std::vector<CWizardPage*> m_pages;
    int m_nLastButtons = 0;
    // The page and completeness the wizard's buttons were last refreshed for.
    const CWizardPage* m_pCompletePage = nullptr;
    bool m_bComplete = false;
    int m_nPrevious = -1;
    bool m_bForcedJump = false;
    bool m_bInIdle = false;
    bool m_bClosing = false;
    bool m_bSized = false;  // sized for its largest page on first showing
    FontCatalog* m_pFontCatalog = nullptr;
    IKeyboardLayouts* m_pLayouts = nullptr;
    QElapsedTimer m_fontCheck;  // since the last idle check of the font folders
    friend class CWizardPage;
};

// The progress function handed to long operations: forwards to the sheet, 0 without one.
int32_t ProgressCallback(int32_t code, intptr_t param);
// The sheet ProgressCallback talks to (the application's main window).
void SetProgressSheet(CPenmarkDlg* sheet);
