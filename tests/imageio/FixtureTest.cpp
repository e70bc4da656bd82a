// Pictures written by PIL and libtiff's tools, each read with our readers and compared
// pixel by pixel with libtiff's and PIL's decoding of the same file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

#include "ImageErrors.h"
#include "ImageFormatRegistry.h"
#include "TestSupport.h"

namespace {

struct Fixture {
    std::string file;
    int code = 0;
    std::string reference;
};

class FixtureTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // CTest runs each case in its own process, possibly side by side: each process
        // makes its own fixtures.
        s_dir = ScratchPath("fixtures-" + std::to_string(getpid()));
        std::string command = "/usr/bin/python3 " PENMARK_SOURCE_DIR "/tests/imageio/make_fixtures.py " + s_dir;
        s_ready = std::system(command.c_str()) == 0;
        std::ifstream manifest(s_dir + "/manifest.txt");
        std::string line;
        while (std::getline(manifest, line)) {
            std::istringstream fields(line);
            Fixture f;
            if (fields >> f.file >> f.code) {
                fields >> f.reference;
                s_fixtures.push_back(f);
            }
        }
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(s_dir, ignored);
    }

    // Checks every fixture whose name passes select; answers how many were checked.
    static int CheckAll(const std::function<bool(const Fixture&)>& select) {
        EXPECT_TRUE(s_ready) << "the fixture script failed";
        ImageFormatRegistry registry;
        int checked = 0;
        for (const Fixture& f : s_fixtures) {
            if (!select(f)) continue;
            ++checked;
            SCOPED_TRACE(f.file);
            std::unique_ptr<MonoImage> image;
            int reported = -1;
            bool ok = registry.LoadImage(s_dir + "/" + f.file, image, {}, [&](int code) { reported = code; });
            if (f.code != 0) {
                EXPECT_FALSE(ok);
                EXPECT_EQ(reported, f.code);
                EXPECT_EQ(image, nullptr);
                continue;
            }
            EXPECT_TRUE(ok) << "reported " << reported;
            if (!image) continue;
            Reference ref;
            if (!ReadPbm(s_dir + "/" + f.reference, ref)) {
                ADD_FAILURE() << "no reference " << f.reference;
                continue;
            }
            EXPECT_EQ(CompareWith(*image, ref), "");
        }
        return checked;
    }

    static bool Has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

    static inline std::string s_dir;
    static inline bool s_ready = false;
    static inline std::vector<Fixture> s_fixtures;
};

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

TEST_F(FixtureTest, EachCompressionInBothByteOrdersAndInterpretations) {
    // 2 pictures x 4 compressions x (II, MM, WhiteIsZero), one strip each.
    EXPECT_EQ(CheckAll([](const Fixture& x) {
                  return (StartsWith(x.file, "sig_") || StartsWith(x.file, "runs_")) && !Has(x.file, "_r") &&
                         !Has(x.file, "tiled");
              }),
              24);
}

TEST_F(FixtureTest, StripsThatDoAndDoNotDivideTheHeight) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return Has(x.file, "_r7.") || Has(x.file, "_r10."); }), 8);
}

TEST_F(FixtureTest, TilesOverhangingThePicture) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return Has(x.file, "tiled"); }), 13);
}

TEST_F(FixtureTest, HandAssembledLayouts) {
    // SHORT and LONG offsets (in the entry itself or elsewhere), no byte counts.
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "hand_"); }), 9);
}

TEST_F(FixtureTest, Bitmaps) {
    // Widths around the word and double-word padding, either palette order, refusals.
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "bmp_"); }), 10);
}

TEST_F(FixtureTest, ExtensionIsOnlyAHint) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return Has(x.file, "_named."); }), 3);
}

TEST_F(FixtureTest, RefusalsCarryTheirCodes) {
    // Colour, grey, other compressions, wrong versions, damaged and foreign files.
    EXPECT_EQ(CheckAll([](const Fixture& x) { return x.code != 0; }), 18);
}

TEST_F(FixtureTest, PagesOfMultiPageDocumentsAreOrdinaryPictures) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "page_"); }), 1);
}

TEST_F(FixtureTest, BitsLowestFirstInEveryCompressionAndByteOrder) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "fill2_"); }), 8);
}

TEST_F(FixtureTest, OrientationTurnsThePictureUpright) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "orient"); }), 7);
}

TEST_F(FixtureTest, FaxCodingsInBothByteAndBitOrders) {
    // 2 pictures x 5 codings x (BlackIsZero, WhiteIsZero) x 2 byte orders x 2 bit orders.
    EXPECT_EQ(CheckAll([](const Fixture& x) {
                  return StartsWith(x.file, "fax_") && !Has(x.file, "_strips7") && !Has(x.file, "_tiles");
              }),
              80);
}

TEST_F(FixtureTest, FaxCodingsInStripsAndTiles) {
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "fax_") && Has(x.file, "_strips7"); }), 10);
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "fax_") && Has(x.file, "_tiles"); }), 10);
}

TEST_F(FixtureTest, FaxCodingsOfNoiseAtOddWidths) {
    // 6 widths x 2 densities x 3 codings.
    EXPECT_EQ(CheckAll([](const Fixture& x) { return StartsWith(x.file, "faxnoise_"); }), 36);
}

TEST_F(FixtureTest, FaxPagesFromGhostscript) {
    // Group 3 one- and two-dimensional and Group 4, both bit orders, one strip or many.
    int checked = CheckAll([](const Fixture& x) { return StartsWith(x.file, "gs_"); });
    if (checked == 0 && std::getenv("CI") == nullptr) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    EXPECT_EQ(checked, 12);
}

}  // namespace
