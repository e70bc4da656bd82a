// The save and install page inside the real sheet: a traced ring added to a Debian font,
// written, and installed into a private user font folder that a private fontconfig
// configuration reads. fontconfig, ots-sanitize and fontTools judge the result.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "CPenmarkDlg.h"
#include "EscWhenShown.h"
#include "CSaveFontPage.h"
#include "FontCatalog.h"
#include "FontFiles.h"
#include "FontInstall.h"
#include "PenmarkDocument.h"
#include "PlatformVersion.h"
#include "PrivateFontFolder.h"
#include "StringIds.h"
#include "Strings.h"
#include "SymbolFont.h"
#include "TTError.h"
#include "TestPictures.h"
#include "WizardPages.h"

namespace fs = std::filesystem;

namespace {

class AnsweringMessages : public IMessageSink {
public:
    std::vector<std::string> texts;
    int answer = 6;  // Yes to every question
    int Show(const std::string& text, uint32_t style) override {
        texts.push_back(text);
        return (style & 0xF) == MessageStyle::kYesNo ? answer : 1;
    }
};

class FontsSettings : public ISettings {
public:
    std::string fontsDir;
    std::string GetString(const std::string&, const std::string& key, const std::string& fallback) override {
        return key == "Fonts" && !fontsDir.empty() ? fontsDir : fallback;
    }
    void SetString(const std::string&, const std::string&, const std::string&) override {}
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

bool HaveOracles() {
    return ::access("/usr/bin/ots-sanitize", X_OK) == 0 && ::access("/usr/bin/fc-list", X_OK) == 0 &&
           Shell("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") == 0;
}

struct SavePageTest : ::testing::Test {
    // A folder per test: ctest runs the cases side by side.
    fs::path root = fs::path(PENMARK_TEST_TMP) /
                    ("savepage-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::unique_ptr<test_fonts::PrivateFontFolder> folder;
    std::unique_ptr<FontCatalog> catalog;
    AnsweringMessages messages;
    FontsSettings settings;
    CPenmarkDocument doc;
    std::unique_ptr<CPenmarkDlg> sheet;
    CSaveFontPage* page = nullptr;
    std::string source;
    std::string out;

    void SetUp() override {
        SetCurrentLanguage(Language::English);
        if (!HaveOracles() || ::access((std::string(test_fonts::kDejaVuDir) + "DejaVuSans.ttf").c_str(), R_OK) != 0) {
            if (test_fonts::MaySkip()) GTEST_SKIP() << "ots-sanitize, fontconfig tools, fontTools and DejaVu are needed";
            FAIL() << "ots-sanitize, fontconfig tools, fontTools and DejaVu are needed";
        }
        // The user's font folder is the private folder's: XDG_DATA_HOME/fonts.
        folder = std::make_unique<test_fonts::PrivateFontFolder>(root);
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        ASSERT_EQ(GetFontsDirectory(), folder->Fonts() + "/");
        fs::create_directories(root / "out");
        out = (root / "out" / "Signature.ttf").string();
        source = folder->Add(std::string(test_fonts::kDejaVuDir) + "DejaVuSans.ttf");
        catalog = std::make_unique<FontCatalog>(folder->ConfigFile());
        ASSERT_TRUE(catalog->Ok());
        UseFont(source, "DejaVu Sans", "DejaVu Sans");
        doc.SetServices(PlatformServices{nullptr, &settings, nullptr, &messages, ProgressCallback});
        doc.m_pImage = std::make_unique<MonoImage>();
        RingPicture(200).CopyTo(*doc.m_pImage);
        doc.m_rcSelection = {0, 0, 200, 200};
        doc.ComputeInkRect();
        ASSERT_TRUE(doc.TraceSelection());
        doc.m_wCharCode = 'Q';
        sheet = std::make_unique<CPenmarkDlg>(&doc);
        sheet->SetFontCatalog(catalog.get());
        CreateWizardPages(*sheet);
        SetProgressSheet(sheet.get());
        sheet->resize(800, 600);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->SetActivePage(1);
        sheet->SetActivePage(7);
        ASSERT_EQ(sheet->ActiveIndex(), 7);
        page = dynamic_cast<CSaveFontPage*>(sheet->Page(7));
        ASSERT_NE(page, nullptr);
        page->FileEdit()->setText(QString::fromStdString(out));
    }
    void TearDown() override {
        SetProgressSheet(nullptr);
        sheet.reset();
        SetPlatformVersion(PlatformVersion{});
        unsetenv("XDG_DATA_HOME");
    }
    void UseFont(const std::string& path, const std::string& full, const std::string& face) {
        FontInfo font;
        font.szFullName = full;
        font.szFaceName = face;
        font.szPath = path;
        font.lf.lfFaceName = face;
        doc.SetFontInfo(font);
    }
    void ClickNext() {
        QTest::mouseClick(sheet->button(QWizard::NextButton), Qt::LeftButton);
        QApplication::processEvents();
    }
    void CheckInstall(bool copy) {
        page->InstallBox()->setChecked(true);
        page->CopyBox()->setChecked(copy);
        ClickNext();
    }
    // fontconfig's own tool on the private configuration: every family of every file.
    std::string FcList() {
        std::string list = (root / "fc-list.txt").string();
        Shell("FONTCONFIG_FILE='" + folder->ConfigFile() + "' fc-list --format '%{family}\\n' > '" + list + "'");
        return Slurp(list);
    }
};

TEST_F(SavePageTest, TheNewNameFollowsTheSuffixAsItIsTyped) {
    EXPECT_EQ(page->NewNameBox()->text(), "DejaVu Sans-Penmark");
    page->SuffixEdit()->selectAll();
    QTest::keyClicks(page->SuffixEdit(), " Sig");
    EXPECT_EQ(page->NewNameBox()->text(), "DejaVu Sans Sig");
    // The face name inside a longer full name: the rest follows the suffix.
    UseFont(source, "DejaVu Sans Bold", "DejaVu Sans");
    page->OnSetActive();
    EXPECT_EQ(page->NewNameBox()->text(), "DejaVu Sans Sig Bold");

    EXPECT_FALSE(page->CopyBox()->isEnabled());
    QTest::mouseClick(page->InstallBox(), Qt::LeftButton, {}, QPoint(5, page->InstallBox()->height() / 2));
    EXPECT_TRUE(page->CopyBox()->isEnabled());
    page->FileEdit()->clear();
    EXPECT_FALSE(sheet->button(QWizard::NextButton)->isEnabled());
}

// A suffix that makes the new name longer than 63 characters is refused on the page with
// a message and nothing is written; one outside ASCII that fits is saved as typed.
TEST_F(SavePageTest, AnOverlongSuffixIsRefusedAndOneOutsideAsciiSaved) {
    page->SuffixEdit()->setText(QString(53, QChar('x')));  // "DejaVu Sans" and 53: 64
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], FormatString(StringId::kSuffixTooLong, 63));
    EXPECT_NE(::access(out.c_str(), F_OK), 0);

    page->SuffixEdit()->setText(QString::fromUtf8(" Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"));
    EXPECT_EQ(page->NewNameBox()->text(), QString::fromUtf8("DejaVu Sans Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"));
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 8);
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(Shell("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont\n"
                    "n = TTFont(sys.argv[1])['name']\n"
                    "sys.exit(0 if n.getName(1, 3, 1, 0x409).toUnicode() == 'DejaVu Sans Unterschrift \\u00e4\\u00f6\\u00fc\\u20ac'"
                    " and n.getName(6, 3, 1, 0x409).toUnicode() == 'DejaVuSansUnterschrift' else 1)\" '" + out + "'"),
              0);
}

TEST_F(SavePageTest, TheDefaultFileIsInTheLastFontsFolderOrHome) {
    settings.fontsDir = (root / "out").string();
    sheet.reset();
    sheet = std::make_unique<CPenmarkDlg>(&doc);
    sheet->SetFontCatalog(catalog.get());
    CreateWizardPages(*sheet);
    sheet->show();
    sheet->SetActivePage(1);
    sheet->SetActivePage(7);
    page = dynamic_cast<CSaveFontPage*>(sheet->Page(7));
    ASSERT_EQ(sheet->ActiveIndex(), 7);
    EXPECT_EQ(page->FileEdit()->text().toStdString(), (root / "out" / "Penmark.ttf").string());
}

TEST_F(SavePageTest, SavedCopiedAndInstalledForFontconfigAndEveryOracle) {
    CheckInstall(true);
    ASSERT_EQ(sheet->ActiveIndex(), 8) << (messages.texts.empty() ? "" : messages.texts.back());
    std::string copy = folder->Fonts() + "/Signature.ttf";
    EXPECT_TRUE(Slurp(copy) == Slurp(out));
    EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Shell("/usr/bin/python3 '" PENMARK_SOURCE_DIR "/tests/symbolfont/check_symbol.py' -Penmark '" + source +
                    "' '" + copy + "' 0x51"),
              0);
    // Every program sees the font: fontconfig's own tool lists the suffixed family.
    std::string listed = FcList();
    EXPECT_NE(listed.find("DejaVu Sans-Penmark"), std::string::npos) << listed;
    // And this one: the catalogue found it, the second install under the name is refused.
    EXPECT_TRUE(catalog->HasFaceNamed("DejaVu Sans-Penmark"));
    sheet->SetActivePage(7);
    fs::remove(out);
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    ASSERT_FALSE(messages.texts.empty());
    EXPECT_EQ(messages.texts.back(), FormatString(StringId::kFontNameInstalled, "DejaVu Sans-Penmark"));
}

// A font with PostScript outlines: offered as an OpenType file, saved with the symbol as
// a charstring, copied and installed; fontconfig lists the suffixed family.
TEST_F(SavePageTest, APostScriptOutlineFontIsSavedAndInstalledAsOpenType) {
    const std::string cantarell = "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf";
    if (::access(cantarell.c_str(), R_OK) != 0) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-cantarell is needed";
        FAIL() << "fonts-cantarell is needed";
    }
    const std::string otf = folder->Add(cantarell);
    UseFont(otf, "Cantarell Regular", "Cantarell");
    page->FileEdit()->clear();
    page->OnSetActive();
    EXPECT_TRUE(page->FileEdit()->text().endsWith("/Penmark.otf")) << page->FileEdit()->text().toStdString();
    EXPECT_EQ(page->NewNameBox()->text(), "Cantarell-Penmark Regular");
    const std::string saved = (root / "out" / "Signature.otf").string();
    page->FileEdit()->setText(QString::fromStdString(saved));
    CheckInstall(true);
    ASSERT_EQ(sheet->ActiveIndex(), 8) << (messages.texts.empty() ? "" : messages.texts.back());
    const std::string copy = folder->Fonts() + "/Signature.otf";
    EXPECT_TRUE(Slurp(copy) == Slurp(saved));
    EXPECT_EQ(Shell("ots-sanitize '" + saved + "' /dev/null > /dev/null"), 0);
    EXPECT_EQ(Shell("/usr/bin/python3 '" PENMARK_SOURCE_DIR "/tests/symbolfont/check_symbol.py' -Penmark '" + otf +
                    "' '" + copy + "' 0x51"),
              0);
    std::string listed = FcList();
    EXPECT_NE(listed.find("Cantarell-Penmark"), std::string::npos) << listed;
}

TEST_F(SavePageTest, InstallWithoutCopyLinksTheFullPath) {
    CheckInstall(false);
    ASSERT_EQ(sheet->ActiveIndex(), 8) << (messages.texts.empty() ? "" : messages.texts.back());
    fs::path link = fs::path(folder->Fonts()) / "Signature.ttf";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), out);
    EXPECT_NE(FcList().find("DejaVu Sans-Penmark"), std::string::npos);
}

TEST_F(SavePageTest, AFileOfTheSameNameInTheFontFolderIsNeverReplaced) {
    std::string existing = folder->Fonts() + "/Signature.ttf";
    { std::ofstream(existing) << "mine"; }
    CheckInstall(true);
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], FormatString(StringId::kFontFileInFolder, "Signature.ttf"));
    EXPECT_EQ(Slurp(existing), "mine");
    EXPECT_FALSE(fs::exists(out));  // stopped before writing anything
}

TEST_F(SavePageTest, NoToReplaceLeavesTheFileByteForByte) {
    { std::ofstream(out) << "an older font"; }
    messages.answer = 7;
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], FormatString(StringId::kFontFileExists, out.c_str()));
    EXPECT_EQ(Slurp(out), "an older font");
    messages.answer = 6;
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 8);
    EXPECT_TRUE(Slurp(out) != "an older font");
}

TEST_F(SavePageTest, AFailedSaveSaysWhyAndTheFileStays) {
    std::string notAFont = (root / "out" / "text.ttf").string();
    { std::ofstream(notAFont) << "not a font at all"; }
    UseFont(notAFont, "Broken", "Broken");
    { std::ofstream(out) << "kept"; }
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    ASSERT_EQ(messages.texts.size(), 2u);  // replace?, then the reason
    EXPECT_NE(messages.texts[1], "");
    EXPECT_EQ(Slurp(out), "kept");
}

TEST_F(SavePageTest, AFailedSaveSaysWhatIsWrong) {
    // A broken font: the font's own reason, with its code filled in.
    std::string notAFont = (root / "out" / "text.ttf").string();
    { std::ofstream(notAFont) << "not a font at all"; }
    UseFont(notAFont, "Broken", "Broken");
    ClickNext();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].find("%d"), std::string::npos) << messages.texts[0];
    UseFont(source, "DejaVu Sans", "DejaVu Sans");

    // Destinations that cannot be written name the destination and never blame the font.
    const std::string unreadable = GetString(StringId::kFontUnreadable);
    const std::string blame = unreadable.substr(0, unreadable.find(':'));
    struct Case {
        std::string dest;
        int expected;
    };
    const std::string missing = (root / "no such folder" / "x.ttf").string();
    const std::string folder = (root / "out").string();
    for (const Case& c : {Case{missing, StringId::kSaveFolderMissing}, Case{folder, StringId::kSaveIsFolder},
                          Case{"/proc/x.ttf", StringId::kSaveFailed}}) {
        messages.texts.clear();
        page->FileEdit()->setText(QString::fromStdString(c.dest));
        ClickNext();
        EXPECT_EQ(sheet->ActiveIndex(), 7) << c.dest;
        ASSERT_EQ(messages.texts.size(), 1u) << c.dest;  // no question to replace a folder
        EXPECT_EQ(messages.texts[0].find("%"), std::string::npos) << messages.texts[0];
        EXPECT_EQ(messages.texts[0].find(blame), std::string::npos) << messages.texts[0];
        EXPECT_NE(messages.texts[0].find(c.dest), std::string::npos) << messages.texts[0];
        if (c.expected != StringId::kSaveFailed) {
            EXPECT_EQ(messages.texts[0], FormatString(c.expected, c.dest.c_str()));
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(SaveFontErrorText, TellsTheOutputsReasonFromTheFonts) {
    SymbolFontNotes notes;
    notes.outputError = EACCES;
    // An errno that shares its number with an engine code (EACCES 13 is no engine code,
    // ENOENT 2 is one) still speaks of the destination.
    EXPECT_EQ(SaveFontErrorText(EACCES, notes, "/tmp/x.ttf"), FormatString(StringId::kSaveNotPermitted, "/tmp/x.ttf"));
    notes.outputError = ENOSPC;
    EXPECT_EQ(SaveFontErrorText(TTError::kWrite, notes, "/tmp/x.ttf"), FormatString(StringId::kSaveNoRoom, "/tmp/x.ttf"));
    notes.outputError = ENOENT;
    EXPECT_EQ(SaveFontErrorText(ENOENT, notes, "/tmp/x.ttf"), FormatString(StringId::kSaveFailed, "/tmp/x.ttf", ENOENT));
    notes.outputError = 0;
    EXPECT_EQ(SaveFontErrorText(TTError::kNotTrueType, notes, "/tmp/x.ttf"),
              FormatString(StringId::kFontUnreadable, TTError::kNotTrueType));
    EXPECT_EQ(SaveFontErrorText(SymbolFontError::kCancelled, notes, "/tmp/x.ttf"), "");
}

// A font with Graphite tables is saved without them, and the page says so once.
TEST_F(SavePageTest, ASaveWithoutGraphiteTablesSaysSo) {
    const std::string font = "/usr/share/fonts/truetype/scheherazade/Scheherazade-Regular.ttf";
    if (::access(font.c_str(), R_OK) != 0) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-sil-scheherazade is needed";
        FAIL() << "fonts-sil-scheherazade is needed";
    }
    UseFont(font, "Scheherazade", "Scheherazade");
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 8);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kGraphiteDropped));
    EXPECT_EQ(Shell("ots-sanitize '" + out + "' /dev/null > /dev/null"), 0);
}

TEST_F(SavePageTest, EscDuringALargeSaveStaysWithTheDestinationUntouched) {
    const std::string droid = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
    if (::access(droid.c_str(), R_OK) != 0) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-droid-fallback is needed";
        FAIL() << "fonts-droid-fallback is needed";
    }
    UseFont(droid, "Droid Sans Fallback", "Droid Sans Fallback");
    { std::ofstream(out) << "the previous font"; }
    EscWhenShown esc(sheet.get());
    page->ProgressBar()->installEventFilter(&esc);
    ClickNext();
    page->ProgressBar()->removeEventFilter(&esc);
    EXPECT_TRUE(esc.pressed);
    EXPECT_EQ(sheet->ActiveIndex(), 7);
    EXPECT_EQ(messages.texts.size(), 1u);  // only the question to replace
    EXPECT_FALSE(page->ProgressBar()->isVisible());
    EXPECT_TRUE(Slurp(out) == "the previous font");
}

TEST_F(SavePageTest, OldPlatformsGetAnEightLetterNameAndAResourceFile) {
    SetPlatformVersion({2, 3, 51});
    std::string name = "SIGNATUR";
    out = (root / "out" / (name + ".TTF")).string();
    page->FileEdit()->setText(QString::fromStdString(out));
    { std::ofstream(folder->Fonts() + "/SIGNATUR.TTF") << "taken"; }
    { std::ofstream(folder->Fonts() + "/SIGNATU0.FOT") << "taken"; }
    CheckInstall(true);
    ASSERT_EQ(sheet->ActiveIndex(), 8) << (messages.texts.empty() ? "" : messages.texts.back());
    std::string fonts = folder->Fonts() + "/";
    EXPECT_TRUE(Slurp(fonts + "SIGNATU1.TTF") == Slurp(out));
    EXPECT_EQ(ReadFotTarget(fonts + "SIGNATU1.FOT"), "SIGNATU1.TTF");
    EXPECT_EQ(Slurp(fonts + "SIGNATUR.TTF"), "taken");
}

TEST(FontInstall, UniqueNamesAvoidBothExtensions) {
    fs::path dir = fs::path(PENMARK_TEST_TMP) / "unique";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string d = dir.string() + "/";
    EXPECT_EQ(MakeUniqueFontFileName(d, "SIGNATUR", ".TTF"), "SIGNATUR");
    { std::ofstream(d + "SIGNATUR.TTF") << "x"; }
    EXPECT_EQ(MakeUniqueFontFileName(d, "SIGNATUR", ".TTF"), "SIGNATU0");
    { std::ofstream(d + "SIGNATU0.FOT") << "x"; }
    { std::ofstream(d + "SIGNATU1.TTF") << "x"; }
    EXPECT_EQ(MakeUniqueFontFileName(d, "SIGNATUR", ".TTF"), "SIGNATU2");
    EXPECT_EQ(MakeUniqueFontFileName(d, "AB", ".TTF"), "AB");
    { std::ofstream(d + "AB.FOT") << "x"; }
    EXPECT_EQ(MakeUniqueFontFileName(d, "AB", ".TTF"), "AB_____0");

    // A resource file written here reads back, and an existing file is never replaced.
    EXPECT_TRUE(CreateScalableFontResource(d + "NEW.FOT", "/some/where/Signature.ttf"));
    EXPECT_EQ(ReadFotTarget(d + "NEW.FOT"), "/some/where/Signature.ttf");
    EXPECT_FALSE(CreateScalableFontResource(d + "NEW.FOT", "other.ttf"));
    EXPECT_FALSE(CopyFontFile(d + "NEW.FOT", d + "AB.FOT"));
    EXPECT_EQ(Slurp(d + "AB.FOT"), "x");
}

}  // namespace
