// The whole wizard as a user goes through it: from the intro to the finish page, with a
// private user font folder read by a private fontconfig configuration, a Debian font, a
// 1-bit TIFF, real xkb layouts; fontconfig, ots-sanitize and fontTools judge the font.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "CEditImagePage.h"
#include "CImageView.h"
#include "CKeyboardCtrl.h"
#include "COpenFontPage.h"
#include "COpenImagePage.h"
#include "CPenmarkDlg.h"
#include "CPlaceToFontPage.h"
#include "CSaveFontPage.h"
#include "CSelectAreaPage.h"
#include "FontCatalog.h"
#include "FontFiles.h"
#include "ImageFormatRegistry.h"
#include "PenmarkDocument.h"
#include "PrivateFontFolder.h"
#include "Strings.h"
#include "TestPictures.h"
#include "WizardPages.h"
#include "XkbKeyboard.h"

namespace fs = std::filesystem;

namespace {

class NoMessages : public IMessageSink {
public:
    std::vector<std::string> texts;
    int Show(const std::string& text, uint32_t) override {
        texts.push_back(text);
        return 6;
    }
};

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HaveEverything() {
    return ::access("/usr/bin/ots-sanitize", X_OK) == 0 && ::access("/usr/bin/fc-list", X_OK) == 0 &&
           ::access("/usr/bin/tiffinfo", X_OK) == 0 && ::access("/usr/share/X11/xkb/symbols/us", R_OK) == 0 &&
           ::access((std::string(test_fonts::kDejaVuDir) + "DejaVuSans.ttf").c_str(), R_OK) == 0 &&
           Shell("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") == 0;
}

TEST(WizardEndToEnd, FromTheIntroToAnInstalledFont) {
    SetCurrentLanguage(Language::English);
    if (!HaveEverything()) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "the oracles, xkb-data and DejaVu are needed";
        FAIL() << "the oracles, xkb-data and DejaVu are needed";
    }
    fs::path root = fs::path(PENMARK_TEST_TMP) / "endtoend";
    test_fonts::PrivateFontFolder folder(root);
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    std::string source = folder.Add(std::string(test_fonts::kDejaVuDir) + "DejaVuSans.ttf");
    fs::create_directories(root / "work");
    std::string tiff = (root / "work" / "ring.tif").string();
    ASSERT_TRUE(WriteTestTiff(tiff, RingPicture(240)));
    ASSERT_EQ(Shell("tiffinfo '" + tiff + "' > /dev/null 2>&1"), 0);  // libtiff reads it too

    FontCatalog catalog(folder.ConfigFile());
    XkbKeyboardLayouts layouts(XkbKeyboardOptions{{"us"}, "en_US.UTF-8", {}, "/usr/share/locale"});
    ImageFormatRegistry registry;
    NoMessages messages;
    CPenmarkDocument doc;
    doc.SetImageRegistry(&registry);
    doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, &messages, ProgressCallback});
    CPenmarkDlg sheet(&doc);
    sheet.SetFontCatalog(&catalog);
    sheet.SetKeyboardLayouts(&layouts);
    CreateWizardPages(sheet);
    SetProgressSheet(&sheet);
    sheet.resize(800, 640);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    QAbstractButton* next = sheet.button(QWizard::NextButton);
    auto clickNext = [&] {
        QTest::mouseClick(next, Qt::LeftButton);
        QApplication::processEvents();
    };

    clickNext();  // intro
    auto* fonts = dynamic_cast<COpenFontPage*>(sheet.ActivePage());
    ASSERT_NE(fonts, nullptr);
    QListWidget* list = fonts->FontList();
    QList<QListWidgetItem*> found = list->findItems("DejaVu Sans", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    clickNext();

    auto* sourcePage = dynamic_cast<COpenImagePage*>(sheet.ActivePage());
    ASSERT_NE(sourcePage, nullptr);
    QTest::keyClicks(sourcePage->ImagePathEdit(), QString::fromStdString(tiff));
    clickNext();

    auto* edit = dynamic_cast<CEditImagePage*>(sheet.ActivePage());
    ASSERT_NE(edit, nullptr) << (messages.texts.empty() ? "" : messages.texts.back());
    for (QAction* a : edit->ToolBar()->actions())
        if (a->data().toInt() == ID_IMAGE_ROTATE_CW) {
            QWidget* button = edit->ToolBar()->widgetForAction(a);
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(button, Qt::LeftButton);
        }
    clickNext();

    auto* select = dynamic_cast<CSelectAreaPage*>(sheet.ActivePage());
    ASSERT_NE(select, nullptr);
    CImageView* view = select->View();
    PixelRect all = view->ImageRectToView({0, 0, 240, 240});
    QPoint from = QPoint(all.left + 2, all.top + 2) - view->ScrollPosition();
    QPoint to = QPoint(all.right - 3, all.bottom - 3) - view->ScrollPosition();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    ASSERT_TRUE(next->isEnabled());
    clickNext();
    ASSERT_EQ(sheet.ActiveIndex(), 5) << (messages.texts.empty() ? "" : messages.texts.back());
    clickNext();  // the glyph page as it comes

    auto* place = dynamic_cast<CPlaceToFontPage*>(sheet.ActivePage());
    ASSERT_NE(place, nullptr);
    CKeyboardCtrl* keyboard = place->Keyboard();
    for (int i = 0; i < CKeyboardCtrl::kKeyCount; ++i)
        if (keyboard->Key(i).scanCode == 0x10)  // q
            QTest::mouseClick(keyboard, Qt::LeftButton, {}, keyboard->Key(i).Bounds().center());
    EXPECT_EQ(place->UnicodeText(), "0071");
    clickNext();

    auto* save = dynamic_cast<CSaveFontPage*>(sheet.ActivePage());
    ASSERT_NE(save, nullptr);
    std::string out = (root / "work" / "Signature.ttf").string();
    save->FileEdit()->setText(QString::fromStdString(out));
    save->InstallBox()->setChecked(true);
    save->CopyBox()->setChecked(true);
    clickNext();
    ASSERT_EQ(sheet.ActiveIndex(), 8) << (messages.texts.empty() ? "" : messages.texts.back());
    EXPECT_TRUE(messages.texts.empty());

    std::string installed = folder.Fonts() + "/Signature.ttf";
    EXPECT_TRUE(Slurp(installed) == Slurp(out));
    EXPECT_EQ(Shell("ots-sanitize '" + installed + "' /dev/null > /dev/null"), 0);
    std::string listing = (root / "fc-list.txt").string();
    Shell("FONTCONFIG_FILE='" + folder.ConfigFile() + "' fc-list --format '%{family}\\n' > '" + listing + "'");
    EXPECT_NE(Slurp(listing).find("DejaVu Sans-Penmark"), std::string::npos) << Slurp(listing);
    // "q" of the installed font is the traced ring: fontTools draws it.
    EXPECT_EQ(Shell("/usr/bin/python3 '" PENMARK_SOURCE_DIR "/tests/symbolfont/check_symbol.py' -Penmark '" + source +
                    "' '" + installed + "' 0x71"),
              0);
    // The font page lists the new face after the font-change notice.
    EXPECT_TRUE(catalog.FindFace("DejaVu Sans-Penmark").has_value() || catalog.HasFaceNamed("DejaVu Sans-Penmark"));

    SetProgressSheet(nullptr);
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
