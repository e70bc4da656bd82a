#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <vector>

#include "CFinishPage.h"
#include "CMessageBox.h"
#include "CPenmarkApp.h"
#include "CPenmarkDlg.h"
#include "CTextPage.h"
#include "CWizardPage.h"
#include "Strings.h"
#include "WizardMessages.h"
#include "WizardPages.h"

namespace {

int g_answer = MessageResult::kNo;
int g_boxes = 0;
int AnswerBox(CMessageBox&) {
    ++g_boxes;
    return g_answer;
}

// A page that records what the sheet tells it and whose Next rule the test sets.
class ProbePage : public CWizardPage {
public:
    explicit ProbePage(int title) : CWizardPage(title) {}
    bool canNext = true;
    std::vector<int> progress;
    std::vector<int> notes;
    bool CanGoNext() const override { return canNext; }
    int OnProgress(int code, intptr_t) override {
        progress.push_back(code);
        return 0;
    }
    void OnWizardNotify(int code) override { notes.push_back(code); }
};

// Counts the hide events of the widgets it watches.
struct HideCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == QEvent::Hide;
        return false;
    }
};

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct WizardTest : ::testing::Test {
    void SetUp() override {
        SetCurrentLanguage(Language::English);
        SetMessageBoxHook(AnswerBox);
        g_boxes = 0;
        g_answer = MessageResult::kNo;
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }
};

}  // namespace

TEST_F(WizardTest, NinePagesInOrderWithTheirTitles) {
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    CreateWizardPages(sheet);
    ASSERT_EQ(sheet.PageCount(), 9);
    EXPECT_EQ(sheet.Page(0)->title(), "Penmark: Intro");
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(sheet.Page(i)->title(), QString("Penmark: Step %1 of 7").arg(i));
    EXPECT_EQ(sheet.Page(8)->title(), "Penmark: Finish");
    EXPECT_EQ(sheet.ButtonTooltip(QWizard::NextButton), "Next Page");
}

TEST_F(WizardTest, IntroHasNoBackAndNextLeadsToTheFontPage) {
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    CreateWizardPages(sheet);
    sheet.show();
    ASSERT_EQ(sheet.ActiveIndex(), 0);
    EXPECT_EQ(sheet.windowTitle(), "Penmark: Intro");
    EXPECT_FALSE(sheet.button(QWizard::BackButton)->isEnabled());
    EXPECT_TRUE(sheet.button(QWizard::NextButton)->isEnabled());
    sheet.next();
    EXPECT_EQ(sheet.ActiveIndex(), 1);
    EXPECT_EQ(sheet.windowTitle(), "Penmark: Step 1 of 7");
    EXPECT_TRUE(sheet.button(QWizard::BackButton)->isEnabled());
    sheet.button(QWizard::BackButton)->click();
    EXPECT_EQ(sheet.ActiveIndex(), 0);

    sheet.grab().save(QString(PENMARK_TEST_TMP) + "/intro.png");
}

TEST_F(WizardTest, EscapeAsksBeforeLeaving) {
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    CreateWizardPages(sheet);
    sheet.show();
    sheet.next();
    int closed = 0;
    QObject::connect(&sheet, &CPenmarkDlg::wizardClosed, [&](int) { ++closed; });
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&sheet, &esc);
    EXPECT_EQ(g_boxes, 1);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.ActiveIndex(), 1);

    sheet.close();  // the close box asks too
    EXPECT_EQ(g_boxes, 2);
    EXPECT_TRUE(sheet.isVisible());

    g_answer = MessageResult::kYes;
    sheet.button(QWizard::CancelButton)->click();
    EXPECT_EQ(g_boxes, 3);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(WizardTest, ProgressReachesThePageAndEscapeAborts) {
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    auto* probe = new ProbePage(62100);
    sheet.AddPage(probe);
    sheet.AddPage(new CTextPage(62101, {}));
    sheet.show();
    SetProgressSheet(&sheet);

    EXPECT_EQ(ProgressCallback(3, 0), 0);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ProgressCallback(5, 0), 0);
    EXPECT_EQ(ProgressCallback(1, 40), 0);
    EXPECT_EQ(ProgressCallback(6, 0), 0);
    EXPECT_EQ(ProgressCallback(4, 0), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(probe->progress, (std::vector<int>{5, 1, 6}));  // 3 and 4 stay in the sheet

    QCoreApplication::postEvent(&sheet, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_EQ(ProgressCallback(1, 41), kProgressAbort);
    EXPECT_EQ(g_boxes, 0);  // Esc during work aborts, it does not ask to exit
    EXPECT_EQ(ProgressCallback(1, 42), 0);
    SetProgressSheet(nullptr);
    EXPECT_EQ(ProgressCallback(1, 43), 0);  // no main window: nothing to ask
}

TEST_F(WizardTest, IdleRefreshesButtonsAndNotifiesEveryPage) {
    CPenmarkApp app;
    ProbePage* first = nullptr;
    ProbePage* second = nullptr;
    ASSERT_TRUE(app.InitInstance([&](CPenmarkDlg& sheet) {
        first = new ProbePage(62100);
        second = new ProbePage(62101);
        sheet.AddPage(first);
        sheet.AddPage(second);
        sheet.AddPage(new CFinishPage);
    }));
    CPenmarkDlg* sheet = app.Sheet();
    EXPECT_TRUE(sheet->button(QWizard::NextButton)->isEnabled());
    // Idle moments that find nothing new leave the page alone: hiding it, even for a
    // moment, would close any open drop-down list and tooltip.
    HideCounter hides;
    first->installEventFilter(&hides);
    RunEventLoopFor(50);
    EXPECT_EQ(hides.count, 0);
    first->canNext = false;  // nothing else happens: the next idle moment must notice
    RunEventLoopFor(30);
    EXPECT_FALSE(sheet->button(QWizard::NextButton)->isEnabled());
    first->canNext = true;
    RunEventLoopFor(30);
    EXPECT_TRUE(sheet->button(QWizard::NextButton)->isEnabled());
    hides.count = 0;
    RunEventLoopFor(50);
    EXPECT_EQ(hides.count, 0);
    first->removeEventFilter(&hides);
    EXPECT_FALSE(second->notes.empty());  // pages that are not shown hear it too
    EXPECT_EQ(second->notes.back(), WizardNotify::kIdle);

    first->notes.clear();
    app.InputLanguageChanged(0x0409);
    app.InputLanguageChanged(0x0409);
    app.InputLanguageChanged(0x0407);
    app.InputLanguageChanged(0x0409);
    int changes = 0;
    for (int n : first->notes) changes += n == WizardNotify::kInputLanguageChanged;
    EXPECT_EQ(changes, 3);
    app.ExitInstance();
}

TEST_F(WizardTest, FinishEndsOrStartsOver) {
    CPenmarkDocument doc;
    doc.m_wCharCode = 0x00A7;
    CPenmarkDlg sheet(&doc);
    CreateWizardPages(sheet);
    sheet.show();
    sheet.next();
    sheet.SetActivePage(8);
    ASSERT_EQ(sheet.ActiveIndex(), 8);
    EXPECT_EQ(sheet.LastButtons(), 4);
    auto* finish = static_cast<CFinishPage*>(sheet.Page(8));
    int closed = 0;
    QObject::connect(&sheet, &CPenmarkDlg::wizardClosed, [&](int code) {
        ++closed;
        EXPECT_EQ(code, 0);
    });

    finish->StartOverBox()->setChecked(true);
    sheet.button(QWizard::FinishButton)->click();
    RunEventLoopFor(10);
    EXPECT_EQ(sheet.ActiveIndex(), 1);
    EXPECT_EQ(doc.m_wCharCode, 0x00A7);  // the document keeps its content
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(closed, 0);  // the program goes on

    sheet.SetActivePage(8);
    finish->StartOverBox()->setChecked(false);
    sheet.button(QWizard::FinishButton)->click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(g_boxes, 0);  // finishing does not ask for confirmation
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(WizardTest, TooltipIsTheTextAfterTheFirstLineBreak) {
    EXPECT_EQ(CWizardPage::TooltipText(61310), "");
    EXPECT_TRUE(CWizardPage::TooltipText(62150).startsWith("If the image needs correction"));
    EXPECT_LE(CWizardPage::TooltipText(62150).size(), 80);
}

TEST_F(WizardTest, PagesSpeakTheLocaleLanguage) {
    SetCurrentLanguage(Language::German);
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    CreateWizardPages(sheet);
    EXPECT_EQ(sheet.Page(1)->title(), "Penmark: Schritt 1 von 7");
    EXPECT_EQ(sheet.ButtonTooltip(QWizard::BackButton), QString::fromUtf8("Zurück"));
    EXPECT_EQ(sheet.button(QWizard::NextButton)->text(), "&Weiter >");
    EXPECT_EQ(sheet.button(QWizard::CancelButton)->text(), "Abbrechen");
    SetCurrentLanguage(Language::French);
    CPenmarkDlg fr(&doc);
    CreateWizardPages(fr);
    EXPECT_EQ(fr.Page(8)->title(), "Penmark : fin");
    SetCurrentLanguage(Language::English);
}
