#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "CMessageBox.h"
#include "Strings.h"

namespace {

struct Shown {
    QString a, b, c;  // captions of visible buttons, empty when hidden
    QPushButton* def = nullptr;
};

Shown Look(CMessageBox& box) {
    auto cap = [](QPushButton* b) { return b->isHidden() ? QString() : b->text(); };
    Shown s{cap(box.ButtonA()), cap(box.ButtonB()), cap(box.ButtonC())};
    for (QPushButton* b : {box.ButtonA(), box.ButtonB(), box.ButtonC()})
        if (b->isDefault()) s.def = b;
    return s;
}

void PressEscape(QWidget* w) {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &esc);
}

}  // namespace

TEST(MessageBox, ButtonsResultsAndEscapeByType) {
    SetCurrentLanguage(Language::English);
    struct Case {
        uint32_t type;
        const char *a, *b, *c;
        int escResult;  // 0: Esc ignored
    };
    const Case cases[] = {
        {0, "", "", "Ok", 1},
        {1, "", "Ok", "Cancel", 2},
        {2, "&Abort", "&Retry", "&Ignore", 0},
        {3, "&Yes", "&No", "Cancel", 2},
        {4, "", "&Yes", "&No", 0},
        {5, "", "&Retry", "Cancel", 2},
        {9, "", "", "Ok", 1},  // unknown types behave as OK
    };
    for (const Case& c : cases) {
        CMessageBox box(nullptr, "text", "Penmark", c.type);
        Shown s = Look(box);
        EXPECT_EQ(s.a, c.a) << c.type;
        EXPECT_EQ(s.b, c.b) << c.type;
        EXPECT_EQ(s.c, c.c) << c.type;
        EXPECT_EQ(box.EscapeIgnored(), c.escResult == 0);
        PressEscape(&box);
        EXPECT_EQ(box.Result(), c.escResult) << "Esc on type " << c.type;
        QCloseEvent close;
        CMessageBox box2(nullptr, "text", "Penmark", c.type);
        QCoreApplication::sendEvent(&box2, &close);
        EXPECT_EQ(close.isAccepted(), c.escResult != 0) << "close on type " << c.type;
    }
    CMessageBox yesNo(nullptr, "text", "Penmark", 4);
    yesNo.ButtonC()->click();
    EXPECT_EQ(yesNo.Result(), 7);
    CMessageBox ari(nullptr, "text", "Penmark", 2);
    ari.ButtonA()->click();
    EXPECT_EQ(ari.Result(), 3);
}

TEST(MessageBox, DefaultButtonFollowsTheFlags) {
    EXPECT_EQ(Look(*std::make_unique<CMessageBox>(nullptr, "t", "", 0)).def->objectName(), "buttonC");
    CMessageBox two(nullptr, "t", "", 4);
    EXPECT_EQ(Look(two).def, two.ButtonB());
    CMessageBox twoSecond(nullptr, "t", "", 4 | 0x100);
    EXPECT_EQ(Look(twoSecond).def, twoSecond.ButtonC());
    CMessageBox three(nullptr, "t", "", 3);
    EXPECT_EQ(Look(three).def, three.ButtonA());
    CMessageBox threeSecond(nullptr, "t", "", 3 | 0x100);
    EXPECT_EQ(Look(threeSecond).def, threeSecond.ButtonB());
    CMessageBox threeThird(nullptr, "t", "", 3 | 0x200);
    EXPECT_EQ(Look(threeThird).def, threeThird.ButtonC());
}

TEST(MessageBox, IconAndLayoutFitTheText) {
    CMessageBox none(nullptr, "x", "", 0);
    EXPECT_TRUE(none.IconLabel()->isHidden());
    CMessageBox stop(nullptr, "x", "", 0x10);
    EXPECT_FALSE(stop.IconLabel()->isHidden());
    EXPECT_GT(stop.TextLabel()->x(), none.TextLabel()->x());  // text beside the icon

    CMessageBox oneWord(nullptr, "Done", "", 3);
    int buttonsRight = oneWord.ButtonC()->geometry().right();
    EXPECT_LE(buttonsRight, oneWord.width());
    EXPECT_GE(oneWord.ButtonA()->x(), 0);

    QString longText;
    for (int i = 0; i < 60; ++i) longText += "A rather long message keeps going. ";
    CMessageBox tall(nullptr, longText, "", 0x30);
    CMessageBox shortBox(nullptr, "Short.", "", 0x30);
    EXPECT_GT(tall.height(), shortBox.height() + 50);
    EXPECT_GE(tall.ButtonC()->y(), tall.TextLabel()->geometry().bottom());
}

TEST(MessageBox, ButtonsSpeakTheProgramsLanguage) {
    SetCurrentLanguage(Language::German);
    CMessageBox de(nullptr, "t", "", 3);
    EXPECT_EQ(de.ButtonA()->text(), "&Ja");
    EXPECT_EQ(de.ButtonB()->text(), "&Nein");
    EXPECT_EQ(de.ButtonC()->text(), "Abbrechen");
    SetCurrentLanguage(Language::Russian);
    CMessageBox ru(nullptr, "t", "", 4);
    EXPECT_EQ(ru.ButtonB()->text(), QString::fromUtf8("&Да"));
    SetCurrentLanguage(Language::French);
    CMessageBox fr(nullptr, "t", "", 1);
    EXPECT_EQ(fr.ButtonC()->text(), "Annuler");
    SetCurrentLanguage(Language::English);
}

TEST(MessageBox, ShowMessageLoadsTextAndCaption) {
    static QString seenText, seenCaption;
    SetMessageBoxHook([](CMessageBox& box) {
        seenText = box.TextLabel()->text();
        seenCaption = box.windowTitle();
        return 6;
    });
    EXPECT_EQ(ShowMessage(nullptr, 61310, 61288, 4), 6);
    EXPECT_EQ(seenText, "Are you sure you want to exit Penmark?");
    EXPECT_EQ(seenCaption, "Penmark");
    ShowMessageText(nullptr, "ready", -1, 0);
    EXPECT_EQ(seenCaption, "");
    SetMessageBoxHook(nullptr);
}

TEST(MessageBox, CtrlCCopiesCaptionTextAndButtons) {
    SetCurrentLanguage(Language::English);
    CMessageBox box(nullptr, "Line one\nline two", "Penmark", 4);
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(&box, &copy);
    const QString rule = "---------------------------\n";
    EXPECT_EQ(QApplication::clipboard()->text(),
              rule + "Penmark\n" + rule + "Line one\nline two\n" + rule + "Yes   No\n" + rule);
    EXPECT_EQ(box.Result(), 0);  // copying does not close the box
}
