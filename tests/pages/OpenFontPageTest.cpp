// The font page inside the real sheet, on the real catalogue over a private font folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "CFontSample.h"
#include "COpenFontPage.h"
#include "CPenmarkDlg.h"
#include "FontCatalog.h"
#include "FontEnumeration.h"
#include "PenmarkDocument.h"
#include "PlatformVersion.h"
#include "PrivateFontFolder.h"
#include "Strings.h"
#include "WizardPages.h"

using test_fonts::PrivateFontFolder;

namespace {

std::string Font(const char* dir, const char* file) {
    std::string path = std::string(dir) + file;
    return ::access(path.c_str(), R_OK) == 0 ? path : std::string();
}

QStringList ListTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// Ink pixels (dark) of a grabbed widget and their bounding box.
int InkPixels(const QImage& image, QRect* box = nullptr) {
    int ink = 0;
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ++ink;
                bounds |= QRect(x, y, 1, 1);
            }
    if (box) *box = bounds;
    return ink;
}

bool AllWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    return true;
}

struct FontPageTest : ::testing::Test {
    void SetUp() override {
        SetCurrentLanguage(Language::English);
        sans = Font(test_fonts::kDejaVuDir, "DejaVuSans.ttf");
        bold = Font(test_fonts::kDejaVuDir, "DejaVuSans-Bold.ttf");
        serif = Font(test_fonts::kDejaVuDir, "DejaVuSerif.ttf");
        liberation = Font(test_fonts::kLiberationDir, "LiberationSans-Regular.ttf");
        if (sans.empty() || bold.empty() || serif.empty() || liberation.empty()) {
            if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-dejavu-core and fonts-liberation2 are needed";
            FAIL() << "fonts-dejavu-core and fonts-liberation2 are needed";
        }
    }
    // The sheet with every page, on the catalogue of the private folder, at the font page.
    void Open() {
        catalog = std::make_unique<FontCatalog>(folder.ConfigFile());
        ASSERT_TRUE(catalog->Ok());
        sheet = std::make_unique<CPenmarkDlg>(&doc);
        sheet->SetFontCatalog(catalog.get());
        CreateWizardPages(*sheet);
        sheet->resize(800, 600);
        sheet->show();
        sheet->next();
        ASSERT_EQ(sheet->ActiveIndex(), 1);
        page = dynamic_cast<COpenFontPage*>(sheet->Page(1));
        ASSERT_NE(page, nullptr);
    }
    QAbstractButton* Next() const { return sheet->button(QWizard::NextButton); }
    QPoint ItemCentre(int row) const { return page->FontList()->visualItemRect(page->FontList()->item(row)).center(); }

    std::string sans, bold, serif, liberation;
    PrivateFontFolder folder{std::filesystem::path(PENMARK_TEST_TMP) / ("fontpage-" + std::to_string(::getpid()))};
    std::unique_ptr<FontCatalog> catalog;
    CPenmarkDocument doc;
    std::unique_ptr<CPenmarkDlg> sheet;
    COpenFontPage* page = nullptr;
};

}  // namespace

TEST_F(FontPageTest, ListsEachFaceOnceWithEveryCharsetAndSelectsTheFirst) {
    folder.Add(liberation);
    folder.Add(bold);
    folder.Add(sans);
    Open();
    QListWidget* list = page->FontList();
    EXPECT_EQ(ListTexts(list), (QStringList{"DejaVu Sans", "DejaVu Sans Bold", "Liberation Sans"}));
    ASSERT_EQ(page->m_fonts.size(), 3u);
    std::vector<InstalledFace> faces = catalog->Faces();
    for (int row = 0; row < list->count(); ++row) {
        const FontInfo& info = page->m_fonts[size_t(list->item(row)->data(Qt::UserRole).toInt())];
        EXPECT_EQ(QString::fromStdString(info.szFullName), list->item(row)->text());
        EXPECT_EQ(info.szPath, folder.Fonts() + "/" + std::filesystem::path(info.szPath).filename().string());
        // The family is listed under several charsets; the face carries every one of them.
        EXPECT_EQ(info.charsets, faces[size_t(row)].charsets) << info.szFullName;
        EXPECT_GT(info.charsets.size(), 5u);
        EXPECT_EQ(info.lf.lfCharSet, info.charsets.front());
    }
    const FontInfo& boldInfo = *std::find_if(page->m_fonts.begin(), page->m_fonts.end(),
                                             [](const FontInfo& f) { return f.szFullName == "DejaVu Sans Bold"; });
    EXPECT_EQ(boldInfo.szFaceName, "DejaVu Sans");
    EXPECT_EQ(boldInfo.lf.lfWeight, 700);
    EXPECT_EQ(boldInfo.lf.lfFaceName, "DejaVu Sans");

    EXPECT_EQ(list->currentRow(), 0);
    ASSERT_NE(page->SelectedFont(), nullptr);
    EXPECT_EQ(page->SelectedFont()->szFullName, "DejaVu Sans");
    EXPECT_TRUE(page->Sample()->HasFont());
    EXPECT_TRUE(Next()->isEnabled());
}

TEST_F(FontPageTest, ClickSelectsAndNextStoresTheChosenFace) {
    folder.Add(sans);
    folder.Add(liberation);
    Open();
    QListWidget* list = page->FontList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ItemCentre(1));
    ASSERT_EQ(list->currentRow(), 1);
    EXPECT_EQ(page->Sample()->SampleFont().family(), "Liberation Sans");
    QTest::mouseClick(Next(), Qt::LeftButton);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    EXPECT_EQ(doc.m_fontInfo.szFullName, "Liberation Sans");
    EXPECT_EQ(doc.m_fontInfo.szPath, folder.Fonts() + "/LiberationSans-Regular.ttf");
}

// Each face of a collection file is offered under its own name; choosing one stores the
// file and the face's number for the build.
TEST_F(FontPageTest, ListsTheFacesOfACollectionAndStoresTheChosenOne) {
    ASSERT_EQ(::access("/usr/bin/python3", X_OK), 0) << "python3-fonttools is needed";
    const std::string ttc = folder.Fonts() + "/pair.ttc";
    std::string make = "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont, TTCollection; "
                       "c = TTCollection(); c.fonts = [TTFont(sys.argv[1]), TTFont(sys.argv[2])]; c.save(sys.argv[3])\" '" +
                       sans + "' '" + serif + "' '" + ttc + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    Open();
    QListWidget* list = page->FontList();
    ASSERT_EQ(ListTexts(list), (QStringList{"DejaVu Sans", "DejaVu Serif"}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ItemCentre(1));
    QTest::mouseClick(Next(), Qt::LeftButton);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    EXPECT_EQ(doc.m_fontInfo.szFullName, "DejaVu Serif");
    EXPECT_EQ(doc.m_fontInfo.szPath, ttc);
    EXPECT_EQ(doc.m_fontInfo.nFaceIndex, 1u);
}

TEST_F(FontPageTest, DoubleClickActsAsNext) {
    folder.Add(sans);
    folder.Add(serif);
    Open();
    QWidget* viewport = page->FontList()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, ItemCentre(1));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, ItemCentre(1));
    EXPECT_EQ(page->FontList()->currentRow(), 1);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    EXPECT_EQ(doc.m_fontInfo.szFullName, "DejaVu Serif");
    // Back on the page, the list is as it was left.
    sheet->back();
    EXPECT_EQ(sheet->ActiveIndex(), 1);
    EXPECT_EQ(page->SelectedFont()->szFullName, "DejaVu Serif");
}

TEST_F(FontPageTest, FollowsFontsAddedAndRemovedAfterTheNotice) {
    folder.Add(sans);
    Open();
    EXPECT_FALSE(sheet->CheckFontChange());

    // Copied while the page is open: listed as soon as the sheet's check sees it.
    folder.Add(bold);
    EXPECT_TRUE(sheet->CheckFontChange());
    EXPECT_EQ(ListTexts(page->FontList()), (QStringList{"DejaVu Sans", "DejaVu Sans Bold"}));

    // Deleted while another page is active: gone when the page comes back.
    sheet->next();
    ASSERT_EQ(sheet->ActiveIndex(), 2);
    folder.Remove("DejaVuSans.ttf");
    EXPECT_TRUE(sheet->CheckFontChange());
    EXPECT_TRUE(page->m_bRefresh);
    sheet->back();
    EXPECT_EQ(ListTexts(page->FontList()), (QStringList{"DejaVu Sans Bold"}));
    EXPECT_FALSE(page->m_bRefresh);

    // The activation notice runs the same check.
    folder.Add(liberation);
    sheet->Notify(3 /* application activated */);
    EXPECT_EQ(ListTexts(page->FontList()), (QStringList{"DejaVu Sans Bold", "Liberation Sans"}));
}

TEST_F(FontPageTest, NoFacesGiveAnEmptyListAWhiteSampleAndNoNext) {
    Open();
    EXPECT_EQ(page->FontList()->count(), 0);
    EXPECT_FALSE(page->Sample()->HasFont());
    EXPECT_TRUE(AllWhite(page->Sample()->grab().toImage()));
    EXPECT_FALSE(Next()->isEnabled());
    QTest::mouseClick(Next(), Qt::LeftButton);
    EXPECT_EQ(sheet->ActiveIndex(), 1);
}

TEST_F(FontPageTest, SampleIsCentredBlackOnWhiteAtTwoThirdsOfItsHeight) {
    folder.Add(sans);
    Open();
    CFontSample* sample = page->Sample();
    // The page gives the sample a fixed height; a test-sized one shows the scaling.
    sample->setFixedSize(300, 120);
    sample->SetSampleFont(&page->m_fonts[0].lf, page->m_fonts[0].szPath);
    EXPECT_EQ(sample->SampleText(), "AaBbCc");
    QImage image = sample->grab().toImage();
    QRect ink;
    ASSERT_GT(InkPixels(image, &ink), 200);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    // Centred within a few pixels (side bearings and the descent make up the rest).
    EXPECT_NEAR(ink.center().x(), image.width() / 2, 6);
    EXPECT_NEAR(ink.center().y(), image.height() / 2, 12);
    // The letters' height is most of two thirds of the control: the cell, not the em.
    EXPECT_GT(ink.height(), 120 * 2 / 3 / 2);
    EXPECT_LE(ink.height(), 120 * 2 / 3);
    int cell = QFontMetrics(sample->SampleFont()).height();
    EXPECT_NEAR(cell, 80, 2);

    sample->SetSampleFont(nullptr);
    EXPECT_TRUE(AllWhite(sample->grab().toImage()));
}

namespace {

// A font resource file naming target (a 16-bit executable with one 0x80CC resource).
void WriteFot(const std::string& path, const std::string& target) {
    std::vector<unsigned char> f(0x300, 0);
    auto le16 = [&](size_t at, unsigned v) { f[at] = uint8_t(v), f[at + 1] = uint8_t(v >> 8); };
    le16(0, 0x5A4D);
    le16(0x18, 0x40);
    le16(0x3C, 0x80);
    le16(0x80, 0x454E);
    le16(0x80 + 0x24, 0x40);
    le16(0x80 + 0x26, 0x70);
    f[0x80 + 0x36] = 2;
    le16(0xC0, 0);           // alignment shift
    le16(0xC2, 0x80CC);      // the font resource type, one entry
    le16(0xC4, 1);
    le16(0xCA, 0x200);       // its data: offset and length
    le16(0xCC, unsigned(target.size() + 1));
    std::copy(target.begin(), target.end(), f.begin() + 0x200);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), long(f.size()));
}

// An enumeration the test writes: families and faces as given, files by full name.
class ScriptedFonts : public FontEnumerator {
public:
    std::vector<FontEnumEntry> families, faces;
    std::map<std::string, std::string> files;
    bool sawBasic = false;
    void EnumFamilies(bool basic, const FontEnumCallback& cb) override {
        sawBasic = basic;
        for (const FontEnumEntry& e : families) cb(e);
    }
    void EnumFaces(const std::string& family, bool, const FontEnumCallback& cb) override {
        for (const FontEnumEntry& e : faces)
            if (e.faceName == family) cb(e);
    }
    std::string LookupFontFile(const std::string& fullName) override {
        auto it = files.find(fullName);
        return it == files.end() ? std::string() : it->second;
    }
};

FontEnumEntry Entry(const char* full, const char* family, const char* style, int32_t cs, int type = 4) {
    FontEnumEntry e;
    e.fullName = full;
    e.faceName = family;
    e.style = style;
    e.charset = cs;
    e.fontType = type;
    return e;
}

}  // namespace

TEST_F(FontPageTest, MergesConsecutiveEntriesOfAFaceAndSkipsWhatCannotBeOpened) {
    std::string a = folder.Add(sans), b = folder.Add(bold);
    ScriptedFonts fonts;
    fonts.families = {Entry("Sans", "Sans", "", 0), Entry("Sans", "Sans", "", 204),
                      Entry("Bitmap", "Bitmap", "", 0, 1), Entry("Gone", "Gone", "", 0)};
    fonts.faces = {Entry("Sans", "Sans", "Book", 0), Entry("Sans", "Sans", "Book", 204),
                   Entry("Sans", "Sans", "Book", 161), Entry("Sans Bold", "Sans", "Bold", 204),
                   Entry("Sans Bold", "Sans", "Bold", 0), Entry("Sans Bold", "Sans", "Bold", 0),
                   Entry("Bitmap", "Bitmap", "Regular", 0, 1), Entry("Gone", "Gone", "Regular", 0)};
    fonts.files = {{"Sans", a}, {"Sans Bold", b}, {"Bitmap", a}, {"Gone", folder.Fonts() + "/gone.ttf"}};
    COpenFontPage alone;
    alone.FillFontList(fonts);
    EXPECT_FALSE(fonts.sawBasic);
    ASSERT_EQ(alone.m_fonts.size(), 2u) << "only TrueType faces whose file can be read";
    EXPECT_EQ(alone.m_fonts[0].charsets, (std::vector<int32_t>{0, 204, 161}));
    EXPECT_EQ(alone.m_fonts[1].szFullName, "Sans Bold");
    EXPECT_EQ(alone.m_fonts[1].charsets, (std::vector<int32_t>{204, 0}));
    EXPECT_EQ(alone.m_fonts[1].szPath, b);
}

TEST_F(FontPageTest, AnOldPlatformEnumeratesBasicallyAndFollowsFontResourceFiles) {
    // The user font folder is the fonts folder under XDG_DATA_HOME.
    std::filesystem::path data = std::filesystem::path(folder.Fonts()).parent_path() / "data";
    std::filesystem::create_directories(data / "fonts");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::filesystem::copy_file(sans, data / "fonts" / "DEJAVU.TTF");
    WriteFot((data / "fonts" / "DEJAVU.FOT").string(), "DEJAVU.TTF");
    SetPlatformVersion(PlatformVersion{2, 3, 51});

    ScriptedFonts fonts;
    fonts.families = {Entry("Sans", "Sans", "", 0)};
    // The basic enumeration gives no style names to merge by: every entry is a face.
    fonts.faces = {Entry("Sans", "Sans", "", 0), Entry("Sans Full", "Sans", "", 0)};
    fonts.files = {{"Sans", "DEJAVU.FOT"}, {"Sans Full", sans}};
    COpenFontPage alone;
    alone.FillFontList(fonts);
    SetPlatformVersion(PlatformVersion{});
    unsetenv("XDG_DATA_HOME");

    EXPECT_TRUE(fonts.sawBasic);
    ASSERT_EQ(alone.m_fonts.size(), 2u);
    EXPECT_EQ(alone.m_fonts[0].szRegFile, "DEJAVU.TTF");
    EXPECT_EQ(alone.m_fonts[0].szPath, (data / "fonts" / "DEJAVU.TTF").string());
    EXPECT_EQ(alone.m_fonts[1].szRegFile, sans) << "a value holding a folder is used unchanged";
    EXPECT_EQ(alone.m_fonts[1].szPath, sans);
}

// The machine's own catalogue: every face of Debian's DejaVu and Liberation packages is
// offered, with its file, under the name fontconfig gives it.
TEST(FontPageOnTheMachine, ListsEveryDejaVuAndLiberationFaceWithItsFile) {
    std::map<std::string, std::string> expected;  // file -> full name
    FILE* pipe = ::popen("dpkg -L fonts-dejavu-core fonts-liberation2 2>/dev/null | grep '\\.ttf$' | "
                         "xargs -r -n1 fc-query -f '%{file}\\t%{fullname[0]}\\n' 2>/dev/null", "r");
    ASSERT_NE(pipe, nullptr);
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        size_t tab = s.find('\t');
        if (tab != std::string::npos) expected[s.substr(0, tab)] = s.substr(tab + 1);
    }
    ::pclose(pipe);
    if (expected.size() < 10) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "dpkg, fc-query and the font packages are needed";
        FAIL() << "dpkg, fc-query and the font packages are needed";
    }
    COpenFontPage alone;
    alone.FillFontList();
    std::map<std::string, std::string> listed;
    for (const FontInfo& f : alone.m_fonts) listed[f.szPath] = f.szFullName;
    for (const auto& [file, name] : expected) {
        auto it = listed.find(file);
        ASSERT_NE(it, listed.end()) << file;
        EXPECT_EQ(it->second, name) << file;
    }
}
