// The base of every wizard page: button rules, navigation hooks, progress and the
// wizard notifications, tooltips from the string table.
#pragma once

#include <QString>
#include <QWizardPage>
#include <cstdint>
#include <string>

class CPenmarkDlg;
class CPenmarkDocument;
class QLabel;
class MonoBitmap;

class CWizardPage : public QWizardPage {
    Q_OBJECT
public:
    // title: the string id of the page's caption.
    CWizardPage(int titleId, QWidget* parent = nullptr);

    virtual bool CanGoBack() const { return true; }
    virtual bool CanGoNext() const { return true; }
    virtual bool CanFinish() const { return true; }
    virtual int GetWizardButtons() const { return 3; }

    // Next pressed: -1 stays, 0 goes to the following page, a positive value is the
    // index of the page to go to.
    virtual int OnWizardNext() { return 0; }
    // Back pressed: -1 stays, 0 goes to the previous page, a positive value is a page.
    virtual int OnWizardBack() { return 0; }
    // Finish pressed: true ends the wizard.
    virtual bool OnWizardFinish() { return true; }
    // The page becomes active (after the sheet refreshed its buttons) or is left.
    virtual void OnSetActive() {}
    virtual void OnKillActive() {}
    // A progress step forwarded by the sheet; the answer goes back to the operation.
    virtual int OnProgress(int code, intptr_t param);
    // A wizard notification (input language changed, application activated, idle).
    virtual void OnWizardNotify(int code);
    // The set of installed fonts changed (the sheet's font-change notice).
    virtual void OnFontChange() {}
    // A menu or toolbar command sent to the main window while this page is active;
    // true when the page handled it.
    virtual bool OnCommand(int /*id*/) { return false; }
    // A scanned picture arrived: -1 when the page took it (it then owns the bitmap).
    virtual int OnAcceptImage(MonoBitmap* /*bitmap*/) { return 0; }

    CPenmarkDlg* Sheet() const;
    CPenmarkDocument* Document() const;

    // A message with the program's caption, through the document's message service
    // (the program's message box without one); answers the button chosen.
    int ShowMessage(int textId, uint32_t style);
    int ShowMessage(const std::string& text, uint32_t style);
    // Refreshes the wizard's buttons from this page's rules, when it is the active page.
    void UpdateButtons();

    // Gives a child control its numeric id; its tooltip is the text after the first
    // line break of the string with that id.
    static void SetControlId(QWidget* control, int id);
    static QString TooltipText(int id);
    // A string in the current language, and a word-wrapped plain-text label showing one.
    static QString Text(int id);
    static QLabel* Label(int id, QWidget* parent);

    // Index of this page in the sheet.
    int PageIndex() const { return m_nIndex; }
    int TitleId() const { return m_nTitleId; }

    // QWizardPage's view of the rules above.
    bool isComplete() const override;
    int nextId() const override;
    void initializePage() override;
    void cleanupPage() override;
    bool validatePage() override;

protected:
    bool event(QEvent* e) override;

private:
    friend class CPenmarkDlg;
    int m_nTitleId;
    int m_nIndex = -1;
    int m_nJumpTo = -1;  // set by OnWizardNext for nextId
};
