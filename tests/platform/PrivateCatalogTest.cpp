// The catalogue on a private fontconfig configuration: a temporary font folder the test
// fills with copies of Debian fonts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "FontCatalog.h"
#include "PrivateFontFolder.h"

using test_fonts::PrivateFontFolder;

namespace {

std::string Source(const char* dir, const char* file) {
    std::string path = std::string(dir) + file;
    return ::access(path.c_str(), R_OK) == 0 ? path : std::string();
}

std::vector<std::string> Names(const std::vector<InstalledFace>& faces) {
    std::vector<std::string> names;
    for (const InstalledFace& f : faces) names.push_back(f.fullName);
    return names;
}

struct PrivateCatalog : ::testing::Test {
    void SetUp() override {
        sans = Source(test_fonts::kDejaVuDir, "DejaVuSans.ttf");
        bold = Source(test_fonts::kDejaVuDir, "DejaVuSans-Bold.ttf");
        liberation = Source(test_fonts::kLiberationDir, "LiberationSans-Regular.ttf");
        if (sans.empty() || bold.empty() || liberation.empty()) {
            if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-dejavu-core and fonts-liberation2 are needed";
            FAIL() << "fonts-dejavu-core and fonts-liberation2 are needed";
        }
    }
    std::string sans, bold, liberation;
    PrivateFontFolder folder{std::filesystem::path(PENMARK_TEST_TMP) /
                             ("private-catalog-" + std::to_string(::getpid()))};
};

}  // namespace

TEST_F(PrivateCatalog, ListsExactlyTheFontsOfItsFolder) {
    std::string copy = folder.Add(sans);
    folder.Add(liberation);
    // Only .ttf files are offered, whatever fontconfig finds in the folder.
    std::string fake = folder.Add(sans, "notes.txt");
    ASSERT_FALSE(copy.empty());
    FontCatalog catalog(folder.ConfigFile());
    ASSERT_TRUE(catalog.Ok());
    std::vector<InstalledFace> faces = catalog.Faces();
    EXPECT_EQ(Names(faces), (std::vector<std::string>{"DejaVu Sans", "Liberation Sans"}));
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0].path, copy);
    // Liberation Sans has Hebrew but no Arabic letters; DejaVu Sans has both.
    EXPECT_EQ(faces[1].charsets, (std::vector<int32_t>{0, 238, 204, 161, 162, 177, 186, 163}));
    EXPECT_TRUE(std::find(faces[0].charsets.begin(), faces[0].charsets.end(), 178) != faces[0].charsets.end());

    std::optional<InstalledFace> found = catalog.FindFace("Liberation Sans");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, folder.Fonts() + "/LiberationSans-Regular.ttf");
    EXPECT_FALSE(catalog.FindFace("DejaVu Sans Bold")) << "installed on the machine, not in this folder";
}

TEST_F(PrivateCatalog, SeesFontsAddedAndRemovedWithinTheSameSecond) {
    folder.Add(sans);
    FontCatalog catalog(folder.ConfigFile());
    ASSERT_TRUE(catalog.Ok());
    EXPECT_FALSE(catalog.CheckForChanges());
    ASSERT_EQ(catalog.Faces().size(), 1u);

    // Copied at once, well within the second fontconfig's own check resolves.
    folder.Add(bold);
    EXPECT_TRUE(catalog.CheckForChanges());
    EXPECT_FALSE(catalog.CheckForChanges()) << "a change is reported once";
    EXPECT_EQ(Names(catalog.Faces()), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Bold"}));

    folder.Remove("DejaVuSans.ttf");
    EXPECT_TRUE(catalog.CheckForChanges());
    EXPECT_EQ(Names(catalog.Faces()), (std::vector<std::string>{"DejaVu Sans Bold"}));
    EXPECT_FALSE(catalog.FindFace("DejaVu Sans"));

    folder.Remove("DejaVuSans-Bold.ttf");
    EXPECT_TRUE(catalog.CheckForChanges());
    EXPECT_TRUE(catalog.Faces().empty());
}

// Each face of a collection file is listed with its number in the file, and found by
// its full name with that number.
TEST_F(PrivateCatalog, ListsEachFaceOfACollection) {
    if (::access("/usr/bin/python3", X_OK) != 0) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "python3-fonttools is needed";
        FAIL() << "python3-fonttools is needed";
    }
    const std::string ttc = folder.Fonts() + "/pair.ttc";
    std::string make = "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont, TTCollection; "
                       "c = TTCollection(); c.fonts = [TTFont(sys.argv[1]), TTFont(sys.argv[2])]; c.save(sys.argv[3])\" '" +
                       sans + "' '" + bold + "' '" + ttc + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    FontCatalog catalog(folder.ConfigFile());
    ASSERT_TRUE(catalog.Ok());
    std::vector<InstalledFace> faces = catalog.Faces();
    ASSERT_EQ(Names(faces), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Bold"}));
    EXPECT_EQ(faces[0].path, ttc);
    EXPECT_EQ(faces[1].path, ttc);
    EXPECT_EQ(faces[0].faceIndex, 0);
    EXPECT_EQ(faces[1].faceIndex, 1);
    std::optional<InstalledFace> found = catalog.FindFace("DejaVu Sans Bold");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->faceIndex, 1);
}

// OpenType fonts with PostScript outlines are listed beside TrueType ones; a Type 1
// font, which the engine cannot extend, is not.
TEST_F(PrivateCatalog, ListsPostScriptOutlineFontsButNotType1) {
    const std::string otf = Source("/usr/share/fonts/opentype/cantarell/", "Cantarell-Regular.otf");
    const std::string type1 = Source("/usr/share/fonts/type1/urw-base35/", "NimbusSans-Regular.t1");
    if (otf.empty() || type1.empty()) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-cantarell and fonts-urw-base35 are needed";
        FAIL() << "fonts-cantarell and fonts-urw-base35 are needed";
    }
    std::string copy = folder.Add(otf);
    folder.Add(type1);
    folder.Add(sans);
    FontCatalog catalog(folder.ConfigFile());
    ASSERT_TRUE(catalog.Ok());
    std::vector<InstalledFace> faces = catalog.Faces();
    EXPECT_EQ(Names(faces), (std::vector<std::string>{"Cantarell Regular", "DejaVu Sans"}));
    std::optional<InstalledFace> found = catalog.FindFace("Cantarell Regular");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, copy);
    EXPECT_FALSE(catalog.FindFace("Nimbus Sans Regular"));
}

TEST(PrivateCatalogConfig, AnUnreadableConfigurationGivesAnEmptyCatalogue) {
    FontCatalog catalog(std::string(PENMARK_TEST_TMP) + "/no-such-fonts.conf");
    EXPECT_FALSE(catalog.Ok());
    EXPECT_TRUE(catalog.Faces().empty());
    EXPECT_FALSE(catalog.FindFace("DejaVu Sans"));
    EXPECT_FALSE(catalog.CheckForChanges());
}
