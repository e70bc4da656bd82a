// The keyboard picture on real xkb layouts, driven with the mouse and key events.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "CKeyboardCtrl.h"
#include "PlatformVersion.h"
#include "Strings.h"
#include "WizardMessages.h"
#include "XkbKeyboard.h"

namespace {

bool HaveXkbData() {
    return ::access("/usr/share/X11/xkb/symbols/us", R_OK) == 0 &&
           ::access("/usr/share/X11/locale/en_US.UTF-8/Compose", R_OK) == 0;
}

// The parent, as the placement page: it records what the picture tells it.
class Recorder : public QWidget {
public:
    std::vector<int> chars, notices;

protected:
    bool event(QEvent* e) override {
        if (e->type() == KeyboardCharEvent::EventType()) {
            chars.push_back(static_cast<KeyboardCharEvent*>(e)->byte());
            return true;
        }
        if (e->type() == KeyboardNotifyEvent::EventType()) {
            notices.push_back(static_cast<KeyboardNotifyEvent*>(e)->code());
            return true;
        }
        return QWidget::event(e);
    }
};

struct KeyboardCtrlTest : ::testing::Test {
    void SetUp() override {
        if (!HaveXkbData()) {
            if (!std::getenv("CI")) GTEST_SKIP() << "xkb-data and libx11-data are needed";
            FAIL() << "xkb-data and libx11-data are needed";
        }
        SetCurrentLanguage(Language::English);
    }
    void Open(std::vector<std::string> configured, std::string composeFile = {}) {
        layouts = std::make_unique<XkbKeyboardLayouts>(
            XkbKeyboardOptions{std::move(configured), "C", std::move(composeFile), "/usr/share/locale"});
        keyboard = std::make_unique<CKeyboardCtrl>(layouts.get(), &parent);
        parent.resize(484, 164);
        keyboard->setGeometry(0, 0, 482, 162);
        parent.show();
    }
    void Click(int index) {
        QTest::mouseClick(keyboard.get(), Qt::LeftButton, Qt::NoModifier, keyboard->Key(index).Bounds().center());
    }
    // A key of the real keyboard, by its scan code (the platform's key code is 8 more).
    void RealKey(uint16_t scanCode, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, mods, scanCode + 8u, 0, 0);
        QApplication::sendEvent(keyboard.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, mods, scanCode + 8u, 0, 0);
        QApplication::sendEvent(keyboard.get(), &release);
    }
    int Legend(int index) const { return keyboard->Key(index).legend; }
    int Flags(int index) const { return keyboard->Key(index).flags; }

    Recorder parent;
    std::unique_ptr<XkbKeyboardLayouts> layouts;
    std::unique_ptr<CKeyboardCtrl> keyboard;
};

constexpr int kKeyA = 26, kKeyE = 16, kKeyAcute = 12, kKeyCircumflex = 0, kKey1 = 1, kKeyQ = 14;

TEST_F(KeyboardCtrlTest, KeysSitInFifteenUnitsAndFiveRows) {
    Open({"us"});
    const int u = 481 / 15, h = 161 / 5;
    EXPECT_EQ(keyboard->Key(0).Bounds(), QRect(1, 1, u, h));
    EXPECT_EQ(keyboard->Key(kKeyQ).Bounds().left(), 1 + 3 * u / 2);
    EXPECT_EQ(keyboard->Key(kKeyA).Bounds().left(), 1 + 11 * u / 6);
    EXPECT_EQ(keyboard->Key(37).Bounds().left(), 1 + 7 * u / 3);
    EXPECT_EQ(keyboard->Key(CKeyboardCtrl::kSpaceBar).Bounds().width(), 481 - 8 * u);
    for (int index : {CKeyboardCtrl::kBackSpace, CKeyboardCtrl::kEnter, CKeyboardCtrl::kRightShift, CKeyboardCtrl::kRightCtrl})
        EXPECT_EQ(keyboard->Key(index).Bounds().right(), 481) << index;
    // Enter covers the ends of rows 2 and 3; the spacers are not keys.
    EXPECT_EQ(keyboard->HitTest(keyboard->Key(25).Bounds().center() + QPoint(u, 0)), CKeyboardCtrl::kEnter);
    EXPECT_EQ(keyboard->HitTest(keyboard->Key(36).Bounds().center() + QPoint(u, 0)), CKeyboardCtrl::kEnter);
    EXPECT_EQ(keyboard->HitTest(keyboard->Key(51).Bounds().center()), -1);
    EXPECT_EQ(keyboard->KeyboardRect(), QRect(1, 1, 481, 5 * h));
    EXPECT_EQ(keyboard->SearchScanCodes().size(), 48u);
    EXPECT_EQ(keyboard->SearchVirtualKeys()[kKeyA], 'A');
}

TEST_F(KeyboardCtrlTest, ClickingLeftShiftLatchesAndReleasesTheShiftedLegends) {
    Open({"us"});
    EXPECT_EQ(Legend(kKeyA), 'a');
    EXPECT_EQ(Legend(kKey1), '1');
    Click(CKeyboardCtrl::kLeftShift);
    EXPECT_TRUE(Flags(CKeyboardCtrl::kLeftShift) & CKeyboardCtrl::kPressed);
    EXPECT_FALSE(Flags(CKeyboardCtrl::kRightShift) & CKeyboardCtrl::kPressed);
    EXPECT_EQ(Legend(kKeyA), 'A');
    EXPECT_EQ(Legend(kKey1), '!');
    Click(kKeyA);
    Click(CKeyboardCtrl::kLeftShift);
    EXPECT_FALSE(Flags(CKeyboardCtrl::kLeftShift) & CKeyboardCtrl::kPressed);
    EXPECT_EQ(Legend(kKeyA), 'a');
    EXPECT_EQ(parent.chars, std::vector<int>{'A'});
    // Ctrl gives control characters: grey legends.
    Click(CKeyboardCtrl::kLeftCtrl);
    EXPECT_TRUE(Flags(kKeyA) & CKeyboardCtrl::kGrey);
    Click(CKeyboardCtrl::kLeftCtrl);
    EXPECT_FALSE(Flags(kKeyA) & CKeyboardCtrl::kGrey);
}

TEST_F(KeyboardCtrlTest, BothShiftKeysLatchTogetherWhereTheyShareOneVirtualKey) {
    SetPlatformVersion(PlatformVersion{1, 4, 0});
    Open({"us"});
    SetPlatformVersion(PlatformVersion{});
    Click(CKeyboardCtrl::kRightShift);
    EXPECT_TRUE(Flags(CKeyboardCtrl::kLeftShift) & CKeyboardCtrl::kPressed);
    EXPECT_TRUE(Flags(CKeyboardCtrl::kRightShift) & CKeyboardCtrl::kPressed);
    EXPECT_EQ(Legend(kKeyA), 'A');
}

TEST_F(KeyboardCtrlTest, ADeadKeySendsNothingAndTheNextLetterSendsTheComposedByte) {
    Open({"de"});
    QSignalSpy spy(keyboard.get(), &CKeyboardCtrl::charTyped);
    EXPECT_TRUE(Flags(kKeyAcute) & CKeyboardCtrl::kDeadKey);
    EXPECT_EQ(Legend(kKeyAcute), 0xB4);
    Click(kKeyAcute);
    EXPECT_TRUE(parent.chars.empty());
    EXPECT_EQ(keyboard->PendingDeadKeys().size(), 1u);
    // The legends show what each key gives after the accent.
    EXPECT_EQ(Legend(kKeyE), 0xE9);
    Click(kKeyE);
    EXPECT_EQ(parent.chars, std::vector<int>{0xE9});
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 0xE9);
    EXPECT_TRUE(keyboard->PendingDeadKeys().empty());
    EXPECT_EQ(Legend(kKeyE), 'e');
    // AltGr on its own reaches the third level.
    Click(CKeyboardCtrl::kRightAlt);
    EXPECT_EQ(Legend(kKeyQ), '@');
    Click(kKeyQ);
    EXPECT_EQ(parent.chars.back(), '@');
}

TEST_F(KeyboardCtrlTest, AtMostThreeDeadKeysArePending) {
    std::string file = std::string(PENMARK_TEST_TMP) + "/chain.compose";
    {
        std::ofstream out(file);
        out << "<dead_acute> <dead_acute> <dead_acute> <dead_acute> <dead_acute> <e> : \"X\"\n"
               "<dead_acute> <dead_acute> <dead_acute> <e> : \"\xC3\xA8\"\n";
    }
    Open({"de"}, file);
    for (int i = 0; i < 4; ++i) Click(kKeyAcute);
    EXPECT_TRUE(parent.chars.empty());
    EXPECT_EQ(keyboard->PendingDeadKeys().size(), 3u);
    Click(kKeyE);
    EXPECT_EQ(parent.chars, std::vector<int>{0xE8});
    std::remove(file.c_str());
}

TEST_F(KeyboardCtrlTest, BackSpaceTabAndEnterDoNothing) {
    Open({"us"});
    QImage before = keyboard->grab().toImage();
    for (int index : {CKeyboardCtrl::kBackSpace, CKeyboardCtrl::kTab, CKeyboardCtrl::kEnter}) {
        QTest::mousePress(keyboard.get(), Qt::LeftButton, Qt::NoModifier, keyboard->Key(index).Bounds().center());
        EXPECT_FALSE(Flags(index) & CKeyboardCtrl::kPressed) << index;
        QTest::mouseRelease(keyboard.get(), Qt::LeftButton, Qt::NoModifier, keyboard->Key(index).Bounds().center());
    }
    RealKey(0x0E);
    RealKey(0x0F);
    RealKey(0x1C);
    EXPECT_TRUE(parent.chars.empty());
    EXPECT_TRUE(keyboard->hasFocus() || !keyboard->isActiveWindow());
    EXPECT_EQ(keyboard->grab().toImage(), before);
}

TEST_F(KeyboardCtrlTest, PressMoveOutAndReleaseTypesNothing) {
    Open({"us"});
    QPoint inside = keyboard->Key(kKeyA).Bounds().center(), outside = keyboard->Key(kKeyE).Bounds().center();
    QTest::mousePress(keyboard.get(), Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_TRUE(Flags(kKeyA) & CKeyboardCtrl::kPressed);
    QMouseEvent move(QEvent::MouseMove, QPointF(outside), keyboard->mapToGlobal(QPointF(outside)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(keyboard.get(), &move);
    EXPECT_FALSE(Flags(kKeyA) & CKeyboardCtrl::kPressed);
    QTest::mouseRelease(keyboard.get(), Qt::LeftButton, Qt::NoModifier, outside);
    EXPECT_TRUE(parent.chars.empty());
    // Caps Lock is the picture's own toggle.
    Click(CKeyboardCtrl::kCapsLock);
    EXPECT_TRUE(keyboard->CapsLock());
    EXPECT_EQ(Legend(kKeyA), 'A');
    EXPECT_EQ(Legend(kKey1), '1');
    Click(CKeyboardCtrl::kCapsLock);
    EXPECT_EQ(Legend(kKeyA), 'a');
}

TEST_F(KeyboardCtrlTest, ARealKeyTypesTheChosenLayoutsCharacter) {
    Open({"de", "ru"});
    RealKey(0x15);  // y on a US keyboard, z on a German one
    EXPECT_EQ(parent.chars, std::vector<int>{'z'});
    RealKey(0x15, Qt::ShiftModifier);
    EXPECT_EQ(parent.chars.back(), 'Z');
    // A held key shows down; AltGr held reaches the third level.
    QKeyEvent altGr(QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, 0x64 + 8u, 0, 0);
    QApplication::sendEvent(keyboard.get(), &altGr);
    EXPECT_TRUE(Flags(CKeyboardCtrl::kRightAlt) & CKeyboardCtrl::kDown);
    EXPECT_EQ(Legend(kKeyQ), '@');
    QKeyEvent q(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0x10 + 8u, 0, 0);
    QApplication::sendEvent(keyboard.get(), &q);
    EXPECT_TRUE(Flags(kKeyQ) & CKeyboardCtrl::kDown);
    EXPECT_EQ(parent.chars.back(), '@');
    QKeyEvent upQ(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, 0x10 + 8u, 0, 0);
    QApplication::sendEvent(keyboard.get(), &upQ);
    QKeyEvent upAltGr(QEvent::KeyRelease, Qt::Key_AltGr, Qt::NoModifier, 0x64 + 8u, 0, 0);
    QApplication::sendEvent(keyboard.get(), &upAltGr);
    EXPECT_FALSE(Flags(kKeyQ) & CKeyboardCtrl::kDown);
    EXPECT_EQ(Legend(kKeyQ), 'q');
    // Switching the program's layout and telling the picture.
    ASSERT_TRUE(layouts->SetActive("ru"));
    WizardNotifyEvent notify(WizardNotify::kInputLanguageChanged);
    QApplication::sendEvent(keyboard.get(), &notify);
    EXPECT_EQ(parent.notices, std::vector<int>{WizardNotify::kInputLanguageChanged});
    EXPECT_EQ(keyboard->LayoutName(), "ru");
    EXPECT_EQ(Legend(kKeyA), 0xF4);  // ф in code page 1251
    EXPECT_EQ(Legend(37), 0xFF);     // я, the last byte of the code page, is a legend too
    EXPECT_FALSE(Flags(37) & CKeyboardCtrl::kGrey);
    RealKey(0x1E);
    EXPECT_EQ(parent.chars.back(), 0xF4);
    // A real Shift press releases the latch.
    Click(CKeyboardCtrl::kLeftShift);
    EXPECT_EQ(Legend(kKeyA), 0xD4);
    RealKey(0x2A);
    EXPECT_FALSE(Flags(CKeyboardCtrl::kLeftShift) & CKeyboardCtrl::kPressed);
    EXPECT_EQ(Legend(kKeyA), 0xF4);
}

TEST_F(KeyboardCtrlTest, KeysAreRaisedInTwoColourSchemesAndPressedKeysMove) {
    Open({"us"});
    QImage image = keyboard->grab().toImage();
    QRect a = keyboard->Key(kKeyA).Bounds(), shift = keyboard->Key(CKeyboardCtrl::kLeftShift).Bounds();
    // A point on the top face near its upper left corner, clear of any text.
    QPoint faceA = a.topLeft() + QPoint(5, 4), faceShift = shift.topLeft() + QPoint(5, 4);
    EXPECT_EQ(QColor(image.pixel(faceA)), QColor(192, 192, 192));
    EXPECT_EQ(QColor(image.pixel(faceShift)), QColor(128, 128, 128));
    // Pressed, the face moves 3 right and 2 down: the same point shows the key's side.
    Click(CKeyboardCtrl::kLeftShift);
    QImage pressed = keyboard->grab().toImage();
    EXPECT_EQ(QColor(pressed.pixel(faceShift)), QColor(64, 64, 64));
    EXPECT_EQ(QColor(pressed.pixel(faceShift + QPoint(3, 2))), QColor(128, 128, 128));
}

TEST_F(KeyboardCtrlTest, TheRightAltReadsAltGr) {
    Open({"us"});
    EXPECT_EQ(keyboard->Key(CKeyboardCtrl::kRightAlt).labelId, kStrKeyAltGr);
    EXPECT_EQ(keyboard->Key(CKeyboardCtrl::kLeftAlt).labelId, kStrKeyAlt);
    for (int lang = 0; lang < kLanguageCount; ++lang)
        EXPECT_STREQ(GetString(kStrKeyAltGr, Language(lang)), "AltGr");
}

}  // namespace

namespace {

// Without layouts (or with one that does not compile) the picture is blank, not broken.
TEST(KeyboardCtrlNoLayoutTest, WithoutALayoutKeysAreGreyAndTypeNothing) {
    QWidget parent;
    CKeyboardCtrl keyboard(nullptr, &parent);
    keyboard.setGeometry(0, 0, 300, 100);
    parent.show();
    QSignalSpy spy(&keyboard, &CKeyboardCtrl::charTyped);
    for (int index : {26, 0, CKeyboardCtrl::kSpaceBar}) {
        EXPECT_TRUE(keyboard.Key(index).flags & CKeyboardCtrl::kGrey) << index;
        QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, keyboard.Key(index).Bounds().center());
    }
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, keyboard.Key(CKeyboardCtrl::kLeftShift).Bounds().center());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(keyboard.LayoutName().empty());
    // A tiny picture still lays out and paints.
    keyboard.resize(3, 3);
    EXPECT_FALSE(keyboard.grab().isNull());
}

}  // namespace
