// On every page, in every language, no two controls share a mnemonic (the letter after
// '&'), counting the wizard's own buttons: Alt and a letter must reach one control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QWizardPage>
#include <map>
#include <memory>

#include "CPenmarkDlg.h"
#include "PenmarkDocument.h"
#include "Strings.h"
#include "WizardPages.h"
#include "XkbKeyboard.h"

namespace {

QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&') {
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            return text[i + 1].toLower();
        }
    return {};
}

// Shows every page after the intro in turn, in a sheet of the current language.
template <typename Visit>
void ForEachPage(const Visit& visit) {
    XkbKeyboardLayouts layouts(XkbKeyboardOptions{{"us"}, "C", {}, "/usr/share/locale"});
    CPenmarkDocument doc;
    CPenmarkDlg sheet(&doc);
    sheet.SetKeyboardLayouts(&layouts);
    CreateWizardPages(sheet);
    sheet.show();
    for (int index = 1; index < sheet.PageCount(); ++index) {
        sheet.SetActivePage(index);
        QApplication::processEvents();
        ASSERT_EQ(sheet.ActiveIndex(), index);
        visit(sheet, index);
    }
}

TEST(Mnemonics, NoTwoControlsOfAPageShareOne) {
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetCurrentLanguage(Language(lang));
        ForEachPage([lang](CPenmarkDlg& sheet, int index) {
            std::map<QChar, QString> seen;
            auto add = [&](const QString& text) {
                QChar m = Mnemonic(text);
                if (m.isNull()) return;
                auto [at, fresh] = seen.emplace(m, text);
                EXPECT_TRUE(fresh) << "language " << lang << ", page " << index << ": \"" << text.toStdString()
                                   << "\" and \"" << at->second.toStdString() << "\"";
            };
            for (QWizard::WizardButton b : {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton,
                                            QWizard::CancelButton})
                if (sheet.button(b)->isVisible()) add(sheet.button(b)->text());
            QWidget* page = sheet.currentPage();
            for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
                if (b->isVisibleTo(page)) add(b->text());
            for (QLabel* l : page->findChildren<QLabel*>())
                if (l->buddy() && l->isVisibleTo(page)) add(l->text());
            for (QTabBar* t : page->findChildren<QTabBar*>())
                for (int i = 0; i < t->count(); ++i) add(t->tabText(i));
        });
    }
    SetCurrentLanguage(Language::English);
}

// Tab reaches only controls the user can see: each stop of the focus chain that takes Tab
// is a visible, enabled control with an area, never a page or the wizard's frame.
TEST(TabStops, EveryStopIsAControlTheUserSees) {
    ForEachPage([](CPenmarkDlg& sheet, int index) {
        QWidget* start = sheet.button(QWizard::CancelButton);
        int stops = 0;
        for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled()) continue;
            ++stops;
            EXPECT_EQ(qobject_cast<QWizardPage*>(w), nullptr) << "page " << index << ": the page itself";
            EXPECT_NE(w, &sheet) << "page " << index;
            EXPECT_FALSE(w->size().isEmpty()) << "page " << index << ": " << w->metaObject()->className();
            EXPECT_TRUE(w->window() == &sheet) << "page " << index;
        }
        EXPECT_GT(stops, 1) << "page " << index;
    });
}

}  // namespace
