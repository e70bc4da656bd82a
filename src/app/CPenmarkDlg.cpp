#include "CPenmarkDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include "CMessageBox.h"
#include "CWizardPage.h"
#include "FontCatalog.h"
#include "XkbKeyboard.h"
#include "PlatformServices.h"
#include "StringIds.h"
#include "Strings.h"
#include "WizardMessages.h"

namespace {

constexpr int kStrConfirmExit = 61310;
constexpr int kStrTipBack = 62020, kStrTipNext = 62021, kStrTipFinish = 62022, kStrTipCancel = 62023;
constexpr int kStrBack = 62024, kStrNext = 62025, kStrFinish = 62026, kStrCancel = 62027;

CPenmarkDlg* g_progressSheet = nullptr;

// Idle comes whenever the event loop waits, many times a second while the user works;
// the font folders are looked at no more often than this.
constexpr qint64 kFontCheckIntervalMs = 1000;

// While a long operation pumps events: Esc is taken as the request to stop, mouse input
// waits; everything else (painting, other keys) is handled as usual.
class PumpFilter : public QObject {
public:
    bool escape = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                    escape = true;
                    return true;
                }
                return false;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

int32_t ProgressCallback(int32_t code, intptr_t param) {
    return g_progressSheet ? g_progressSheet->Progress(code, param) : 0;
}

void SetProgressSheet(CPenmarkDlg* sheet) { g_progressSheet = sheet; }

CPenmarkDlg::CPenmarkDlg(CPenmarkDocument* document, QWidget* parent)
    : QWizard(parent), m_pDocument(document) {
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoCancelButton, false);
    setOption(QWizard::NoDefaultButton, false);
    // Back runs the page's own handler before the wizard goes back.
    QAbstractButton* back = button(QWizard::BackButton);
    disconnect(back, nullptr, this, nullptr);
    connect(back, &QAbstractButton::clicked, this, &CPenmarkDlg::OnBackClicked);
    connect(this, &QWizard::currentIdChanged, this, &CPenmarkDlg::OnPageChanged);
    // Captions come from the program's strings, so the buttons speak its language.
    setButtonText(BackButton, QString::fromUtf8(GetString(kStrBack)));
    setButtonText(NextButton, QString::fromUtf8(GetString(kStrNext)));
    setButtonText(FinishButton, QString::fromUtf8(GetString(kStrFinish)));
    setButtonText(CancelButton, QString::fromUtf8(GetString(kStrCancel)));
    for (WizardButton which : {BackButton, NextButton, FinishButton, CancelButton})
        button(which)->setToolTip(ButtonTooltip(which));
}

CPenmarkDlg::~CPenmarkDlg() {
    if (g_progressSheet == this) g_progressSheet = nullptr;
}

QString CPenmarkDlg::ButtonTooltip(WizardButton which) const {
    int id = which == BackButton ? kStrTipBack : which == NextButton ? kStrTipNext
           : which == FinishButton ? kStrTipFinish : kStrTipCancel;
    return QString::fromUtf8(GetString(id));
}

void CPenmarkDlg::AddPage(CWizardPage* page) {
    page->m_nIndex = int(m_pages.size());
    m_pages.push_back(page);
    setPage(page->m_nIndex, page);
}

CWizardPage* CPenmarkDlg::Page(int index) const {
    return index >= 0 && size_t(index) < m_pages.size() ? m_pages[size_t(index)] : nullptr;
}

CWizardPage* CPenmarkDlg::ActivePage() const { return Page(currentId()); }

void CPenmarkDlg::SetActivePage(int index) {
    if (!Page(index) || index == currentId()) return;
    QList<int> visited = visitedIds();
    if (visited.contains(index)) {
        while (currentId() != index && visitedIds().size() > 1) back();
        return;
    }
    CWizardPage* current = ActivePage();
    if (!current) return;
    current->m_nJumpTo = index;
    m_bForcedJump = true;
    next();
    m_bForcedJump = false;
    current->m_nJumpTo = -1;
}

void CPenmarkDlg::UpdateButtons(CWizardPage* page) {
    if (!page) page = ActivePage();
    int flags = page ? page->GetWizardButtons() : 3;
    if (flags != m_nLastButtons) m_nLastButtons = flags;
    // Next and Finish follow the page's completeness. The wizard's own refresh hides and
    // shows the whole page (closing any open drop-down list or tooltip), so it runs only
    // when the completeness changed, never on a refresh that finds nothing new. Back is
    // set after it, since the wizard would otherwise enable it whenever there is a page
    // to go back to.
    bool complete = page && page->isComplete();
    if (page && (page != m_pCompletePage || complete != m_bComplete)) {
        m_pCompletePage = page;
        m_bComplete = complete;
        emit page->completeChanged();
    }
    auto want = [](QAbstractButton* b, bool on) {
        if (b->isEnabled() != on) b->setEnabled(on);
    };
    want(button(BackButton), page && page->CanGoBack() && visitedIds().size() > 1);
    want(button(NextButton), page && page->CanGoNext());
    want(button(FinishButton), page && page->CanFinish());
}

bool CPenmarkDlg::ConfirmExit() {
    using namespace MessageStyle;
    // Yes/No, question icon, No as the default button.
    return ShowMessage(this, kStrConfirmExit, StringId::kCaption, kYesNo | kIconQuestion | 0x100) ==
           MessageResult::kYes;
}

bool CPenmarkDlg::PumpEvents() {
    PumpFilter filter;
    qApp->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&filter);
    return filter.escape;
}

int CPenmarkDlg::Progress(int code, intptr_t param) {
    if (code == 3) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return 0;
    }
    if (code == 4) {
        QApplication::restoreOverrideCursor();
        return 0;
    }
    if (CWizardPage* page = ActivePage()) page->OnProgress(code, param);
    return PumpEvents() ? kProgressAbort : 0;
}

int CPenmarkDlg::AcceptImage(MonoBitmap* bitmap) {
    for (CWizardPage* page : m_pages)
        if (page->OnAcceptImage(bitmap) == -1) return -1;
    return 0;
}

bool CPenmarkDlg::RouteCommand(int id) {
    CWizardPage* page = ActivePage();
    return page && page->OnCommand(id);
}

void CPenmarkDlg::Notify(int code) {
    if (code == WizardNotify::kIdle) UpdateButtons(nullptr);
    if (code == WizardNotify::kAppActivated) CheckFontChange();
    WizardNotifyEvent ev(code);
    for (QWidget* w : findChildren<QWidget*>()) QCoreApplication::sendEvent(w, &ev);
}

void CPenmarkDlg::OnIdle() {
    if (m_bInIdle || !isVisible()) return;
    m_bInIdle = true;
    if (!m_fontCheck.isValid() || m_fontCheck.hasExpired(kFontCheckIntervalMs)) CheckFontChange();
    Notify(WizardNotify::kIdle);
    m_bInIdle = false;
}

FontCatalog& CPenmarkDlg::Fonts() const { return m_pFontCatalog ? *m_pFontCatalog : SystemFontCatalog(); }

IKeyboardLayouts& CPenmarkDlg::KeyboardLayouts() const {
    if (m_pLayouts) return *m_pLayouts;
    static XkbKeyboardLayouts desktop;
    return desktop;
}

void CPenmarkDlg::FontChanged() {
    FontChangeEvent ev;
    for (QWidget* w : findChildren<QWidget*>()) QCoreApplication::sendEvent(w, &ev);
}

bool CPenmarkDlg::CheckFontChange() {
    m_fontCheck.start();
    if (!Fonts().CheckForChanges()) return false;
    FontChanged();
    return true;
}

void CPenmarkDlg::OnBackClicked() {
    CWizardPage* page = ActivePage();
    int target = page ? page->OnWizardBack() : 0;
    if (target < 0) return;
    if (target > 0) {
        SetActivePage(target);
    } else {
        back();
    }
}

void CPenmarkDlg::OnPageChanged(int id) {
    if (CWizardPage* left = Page(m_nPrevious)) {
        left->m_nJumpTo = -1;
        left->OnKillActive();
    }
    m_nPrevious = id;
    CWizardPage* page = Page(id);
    if (!page) return;
    setWindowTitle(page->title());
    m_pCompletePage = nullptr;  // the wizard refreshed its buttons for the new page
    UpdateButtons(page);
    page->OnSetActive();
}

void CPenmarkDlg::showEvent(QShowEvent* event) {
    if (!m_bSized) {
        m_bSized = true;
        SizeToLargestPage();
    }
    QWizard::showEvent(event);
}

void CPenmarkDlg::SizeToLargestPage() {
    // The wizard measures only the page it shows; sized once for the largest page in this
    // language, the window and its buttons stay where they are from page to page.
    CWizardPage* current = ActivePage();
    if (!current) return;
    QSize shown = current->sizeHint();
    QSize chrome = sizeHint() - shown;
    QSize largest = shown;
    for (CWizardPage* page : m_pages) largest = largest.expandedTo(page->sizeHint());
    resize(size().expandedTo(largest + chrome));
}

void CPenmarkDlg::reject() {
    if (m_bClosing) return;
    if (ConfirmExit()) {
        m_bClosing = true;
        QWizard::reject();
        emit wizardClosed(0);
    }
}

void CPenmarkDlg::closeEvent(QCloseEvent* event) {
    if (m_bClosing) {
        QWizard::closeEvent(event);
        return;
    }
    event->ignore();
    reject();
}

void CPenmarkDlg::done(int result) {
    if (result == QDialog::Accepted) {
        // The wizard refuses to finish when the last page says no (start over, for one):
        // the sheet then stays, and so does the program.
        setResult(QDialog::Rejected);
        m_bClosing = true;
        QWizard::done(result);
        m_bClosing = this->result() == QDialog::Accepted;
        if (m_bClosing) emit wizardClosed(0);
        return;
    }
    QWizard::done(result);
}
