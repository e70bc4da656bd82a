// The character placement page inside the real sheet, on real xkb layouts (us, de, ru)
// and DejaVu Sans from its file: the keyboard picture, the map, the code tab and the texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <memory>

#include "CCharMapCtrl.h"
#include "CKeyboardCtrl.h"
#include "CPenmarkDlg.h"
#include "CPlaceToFontPage.h"
#include "PenmarkDocument.h"
#include "PrivateFontFolder.h"
#include "Strings.h"
#include "WizardPages.h"
#include "XkbKeyboard.h"

namespace {

bool HaveXkbData() {
    return ::access("/usr/share/X11/xkb/symbols/us", R_OK) == 0 &&
           ::access("/usr/share/X11/locale/en_US.UTF-8/Compose", R_OK) == 0;
}

struct PlacePageTest : ::testing::Test {
    std::unique_ptr<XkbKeyboardLayouts> layouts;
    CPenmarkDocument doc;
    std::unique_ptr<CPenmarkDlg> sheet;
    CPlaceToFontPage* page = nullptr;
    Language language = Language::English;

    void SetUp() override {
        SetCurrentLanguage(language);
        if (!HaveXkbData()) {
            if (test_fonts::MaySkip()) GTEST_SKIP() << "xkb-data and libx11-data are needed";
            FAIL() << "xkb-data and libx11-data are needed";
        }
        layouts = std::make_unique<XkbKeyboardLayouts>(
            XkbKeyboardOptions{{"us", "de", "ru"}, "en_US.UTF-8", {}, "/usr/share/locale"});
        FontInfo font;
        font.szFullName = font.szFaceName = font.lf.lfFaceName = "DejaVu Sans";
        font.szPath = std::string(test_fonts::kDejaVuDir) + "DejaVuSans.ttf";
        font.charsets = {0, 204, 238, 161};  // Western, Cyrillic, Central European, Greek
        doc.SetFontInfo(font);
        sheet = std::make_unique<CPenmarkDlg>(&doc);
        sheet->SetKeyboardLayouts(layouts.get());
        CreateWizardPages(*sheet);
        sheet->resize(800, 640);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->SetActivePage(1);
        sheet->SetActivePage(6);
        ASSERT_EQ(sheet->ActiveIndex(), 6);
        page = dynamic_cast<CPlaceToFontPage*>(sheet->Page(6));
        ASSERT_NE(page, nullptr);
        QApplication::processEvents();
    }
    void TearDown() override { SetCurrentLanguage(Language::English); }
    QAbstractButton* Next() const { return sheet->button(QWizard::NextButton); }
    // Clicks the picture's key with this scan code.
    void ClickScan(uint16_t scan) {
        CKeyboardCtrl* kb = page->Keyboard();
        for (int i = 0; i < CKeyboardCtrl::kKeyCount; ++i)
            if (kb->Key(i).scanCode == scan) {
                QTest::mouseClick(kb, Qt::LeftButton, {}, kb->Key(i).Bounds().center());
                return;
            }
        FAIL() << "no key " << scan;
    }
    void ClickKey(int index) {
        CKeyboardCtrl* kb = page->Keyboard();
        QTest::mouseClick(kb, Qt::LeftButton, {}, kb->Key(index).Bounds().center());
    }
};

TEST_F(PlacePageTest, KeysOfTheUsLayoutGiveTheirCodesAndKeyTexts) {
    ASSERT_EQ(layouts->Active(), "us");
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_EQ(doc.m_wCharCode, 0xFFFF);
    ClickScan(0x1E);  // a
    EXPECT_EQ(page->UnicodeText(), "0061");
    EXPECT_EQ(page->KeyText(), "a");
    EXPECT_EQ(doc.m_wCharCode, 0x61);
    EXPECT_TRUE(Next()->isEnabled());
    EXPECT_EQ(page->CharMap()->Selected(), 0x61);
    ClickKey(CKeyboardCtrl::kLeftShift);
    ClickScan(0x1E);
    EXPECT_EQ(page->UnicodeText(), "0041");
    EXPECT_EQ(page->KeyText(), "Shift + a");
}

TEST_F(PlacePageTest, ACharacterNoKeyTypesShowsTheUnicodeEntry) {
    page->SetCurrentChar(0xA9, false);
    EXPECT_EQ(page->UnicodeText(), "00a9");
    EXPECT_EQ(page->KeyText(), "Ctrl+Shift+U, 00a9");
    EXPECT_EQ(doc.m_wCharCode, 0xA9);
}

TEST_F(PlacePageTest, SpaceAndControlCodesCannotBeChosen) {
    for (int code : {0x20, 0x09, 0x00}) {
        page->SetCurrentChar(code, false);
        EXPECT_FALSE(page->Valid()) << code;
        EXPECT_FALSE(Next()->isEnabled());
        EXPECT_EQ(doc.m_wCharCode, 0xFFFF);
        EXPECT_EQ(page->UnicodeText(), "");
    }
}

TEST_F(PlacePageTest, ADeadKeyCharacterShowsItsSequenceFirstTypedFirst) {
    page->ChooseLayout("de");
    ASSERT_EQ(page->Layouts()[size_t(page->CurrentLayout())].layout.name, "de");
    page->SetCurrentChar(0xE9, false);  // é in code page 1252
    EXPECT_EQ(page->UnicodeText(), "00e9");
    EXPECT_EQ(page->KeyText(), QString::fromUtf8("´, e"));
    // On this layout the third level is written as the key a Linux user presses.
    page->SetCurrentChar(0x80, false);  // € is AltGr + e on de
    EXPECT_EQ(page->UnicodeText(), "20ac");
    EXPECT_EQ(page->KeyText(), "AltGr + e");
}

TEST_F(PlacePageTest, SwitchingTheLayoutKeepsTheByteAndRecomputesTheCharacter) {
    page->SetCurrentChar(0xE0, false);
    EXPECT_EQ(page->UnicodeText(), "00e0");  // à
    QComboBox* combo = page->LayoutCombo();
    int ru = combo->findData("ru");
    ASSERT_GE(ru, 0);
    combo->setCurrentIndex(ru);
    emit combo->activated(ru);
    EXPECT_EQ(layouts->Active(), "ru");
    EXPECT_EQ(page->CurrentChar(), 0xE0);
    EXPECT_EQ(page->UnicodeText(), "0430");  // а in code page 1251
    EXPECT_EQ(doc.m_wCharCode, 0x430);
    EXPECT_EQ(doc.m_fontInfo.lf.lfCharSet, 204);

    // A layout whose charset the face lacks takes the system's code page.
    doc.m_fontInfo.charsets = {0};
    page->RefreshLayouts();
    EXPECT_EQ(page->UnicodeText(), "00e0");
    EXPECT_EQ(doc.m_fontInfo.lf.lfCharSet, 1);
}

TEST_F(PlacePageTest, TheCharacterAndLayoutSurviveLeavingAndComingBack) {
    page->ChooseLayout("de");
    ClickScan(0x15);  // z on de
    EXPECT_EQ(page->UnicodeText(), "007a");
    QTest::mouseClick(Next(), Qt::LeftButton);
    ASSERT_EQ(sheet->ActiveIndex(), 7);
    EXPECT_EQ(layouts->Active(), "us");  // the layout of entering the page is back
    QTest::mouseClick(sheet->button(QWizard::BackButton), Qt::LeftButton);
    ASSERT_EQ(sheet->ActiveIndex(), 6);
    EXPECT_EQ(layouts->Active(), "de");  // and the one chosen here again
    EXPECT_EQ(page->UnicodeText(), "007a");
    EXPECT_EQ(doc.m_wCharCode, 'z');
    EXPECT_TRUE(Next()->isEnabled());
}

TEST_F(PlacePageTest, TheMapMovesWithTheKeysWithinItsCells) {
    page->Tabs()->setCurrentIndex(CPlaceToFontPage::kCharMapTab);
    CCharMapCtrl* map = page->CharMap();
    ASSERT_TRUE(map->isVisible());
    map->setFocus();
    int columns = map->Columns();
    ASSERT_GT(columns, 1);
    QTest::keyClick(map, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(map->Selected(), 0);
    QTest::keyClick(map, Qt::Key_Left);
    EXPECT_EQ(map->Selected(), 0);
    QTest::keyClick(map, Qt::Key_Down);
    EXPECT_EQ(map->Selected(), columns);
    QTest::keyClick(map, Qt::Key_End);
    EXPECT_EQ(map->Selected(), 2 * columns - 1);
    QTest::keyClick(map, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(map->Selected(), 255);
    QTest::keyClick(map, Qt::Key_PageDown);
    EXPECT_EQ(map->Selected(), 255);
    QTest::keyClick(map, Qt::Key_Right);
    EXPECT_EQ(map->Selected(), 255);
    EXPECT_EQ(page->UnicodeText(), "00ff");  // the page heard of each choice
    // The last row is scrolled into view.
    EXPECT_TRUE(map->viewport()->rect().contains(map->CellRect(255).center()));
    // A click picks the cell under the pointer.
    QTest::mouseClick(map->viewport(), Qt::LeftButton, {}, map->CellRect(map->TopRow() * columns + 1).center());
    EXPECT_EQ(map->Selected(), map->TopRow() * columns + 1);
}

TEST_F(PlacePageTest, TheCodeTabOffersThePrivateUseArea) {
    page->Tabs()->setCurrentIndex(CPlaceToFontPage::kCodeTab);
    EXPECT_EQ(page->CodeEdit()->text(), "e000");
    EXPECT_EQ(doc.m_wCharCode, 0xE000);
    EXPECT_EQ(page->KeyText(), "Ctrl+Shift+U, e000");
    EXPECT_TRUE(Next()->isEnabled());
    page->CodeEdit()->selectAll();
    QTest::keyClicks(page->CodeEdit(), "41");
    EXPECT_EQ(doc.m_wCharCode, 0x41);
    EXPECT_EQ(page->KeyText(), "Shift + a");
    page->CodeEdit()->selectAll();
    QTest::keyClicks(page->CodeEdit(), "d800");  // half of a pair: no character
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_EQ(doc.m_wCharCode, 0xFFFF);
    for (const char* noncharacter : {"ffff", "fffe", "fdd0", "fdef"}) {
        page->CodeEdit()->selectAll();
        QTest::keyClicks(page->CodeEdit(), noncharacter);
        EXPECT_FALSE(Next()->isEnabled()) << noncharacter;
        EXPECT_EQ(page->UnicodeText(), "") << noncharacter;
    }
    page->CodeEdit()->selectAll();
    QTest::keyClicks(page->CodeEdit(), "fdf0");  // just past the noncharacters
    EXPECT_TRUE(Next()->isEnabled());
}

TEST_F(PlacePageTest, TheMapOpensWithTheChosenCellInSight) {
    // A choice made before the map was ever laid out (it flows its cells for the small
    // size a hidden widget has) is still in sight once the map has its real size.
    QWidget holder;
    auto* map = new CCharMapCtrl(&holder);
    map->SetFont(doc.m_fontInfo, 1252);
    map->Select(0x61);
    map->setGeometry(0, 0, map->CellRect(0).width() * 16 + 30, map->CellRect(0).height() * 8);
    holder.resize(map->size());
    holder.show();
    QCoreApplication::processEvents();
    ASSERT_GT(map->verticalScrollBar()->maximum(), 0);  // not every row fits
    EXPECT_TRUE(map->viewport()->rect().contains(map->CellRect(0x61).center()))
        << "top row " << map->TopRow() << " of " << map->verticalScrollBar()->maximum();
}

TEST_F(PlacePageTest, TheCodeTabShowsTheCharacterChosenElsewhere) {
    page->Tabs()->setCurrentIndex(CPlaceToFontPage::kCharMapTab);
    QTest::keyClick(page->CharMap(), Qt::Key_Home);
    QTest::keyClick(page->CharMap(), Qt::Key_End, Qt::ControlModifier);  // 0xFF: ÿ
    ASSERT_EQ(doc.m_wCharCode, 0x00FF);
    page->Tabs()->setCurrentIndex(CPlaceToFontPage::kCodeTab);
    EXPECT_EQ(page->CodeEdit()->text(), "00ff");
    EXPECT_EQ(doc.m_wCharCode, 0x00FF);
    EXPECT_TRUE(Next()->isEnabled());
}

struct GermanPlacePageTest : PlacePageTest {
    GermanPlacePageTest() { language = Language::German; }
    const QLabel* LabelSaying(const QString& text) const {
        for (const QLabel* label : page->findChildren<QLabel*>())
            if (label->text() == text) return label;
        return nullptr;
    }
};

// German puts the verb after the code: "... Unicode-Index 0061 gewählt".
TEST_F(GermanPlacePageTest, TheCodeStandsBeforeTheVerb) {
    page->SetCurrentChar(0x61, false);
    ASSERT_EQ(page->UnicodeText(), "0061");
    const QLabel* before = LabelSaying("Sie haben das Symbol mit dem Unicode-Index");
    const QLabel* code = LabelSaying("0061");
    const QLabel* verb = LabelSaying("gewählt");
    ASSERT_TRUE(before && code && verb);
    EXPECT_LT(before->geometry().right(), code->geometry().left());
    EXPECT_LT(code->geometry().right(), verb->geometry().left());
    EXPECT_EQ(code->geometry().center().y(), verb->geometry().center().y());
}

}  // namespace
