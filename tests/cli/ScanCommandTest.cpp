// "penmark scan" and "penmark build --scan" on SANE's own test backend, named alone in a
// private configuration; libtiff's tiffinfo and our reader check the written picture.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CliRunner.h"
#include "ImageFormatRegistry.h"
#include "Strings.h"

namespace fs = std::filesystem;

namespace {

bool HaveTestBackend() {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/sane/", "/usr/lib/sane/"}) {
        std::string path = std::string(dir) + "libsane-test.so.1";
        if (::access(path.c_str(), R_OK) != 0) continue;
        dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);  // its own leaks keep a name
        return true;
    }
    return false;
}

struct ScanCommandTest : ::testing::Test {
    fs::path dir = fs::path(PENMARK_TEST_TMP) / ("scan-" + std::to_string(::getpid()));
    void SetUp() override {
        SetCurrentLanguage(Language::English);
        if (!HaveTestBackend() || ::access("/usr/bin/tiffinfo", X_OK) != 0) {
            if (!std::getenv("CI")) GTEST_SKIP() << "libsane1 and libtiff-tools are needed";
            FAIL() << "libsane1 and libtiff-tools are needed";
        }
        // SANE reads the folder's name once per process: one folder, rewritten per test.
        fs::create_directories(dir);
        Configure("test\n");
    }
    void Configure(const std::string& backends) {
        std::ofstream(dir / "dll.conf") << backends;
        std::ofstream(dir / "test.conf") << "number_of_devices 1\ntest-picture \"Solid black\"\n";
        setenv("SANE_CONFIG_DIR", dir.c_str(), 1);
    }
};

TEST_F(ScanCommandTest, ListsAndScansIntoATiffThatLibtiffReads) {
    CliRun list = Cli({"scan", "--list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out.rfind("test:0\t", 0), 0u) << list.out;

    std::string out = (dir / "page.tif").string();
    CliRun scan = Cli({"scan", "--device", "test:0", "--resolution", "100", "-o", out});
    ASSERT_EQ(scan.code, 0) << scan.err;
    EXPECT_NE(scan.out.find("Scanned"), std::string::npos);
    EXPECT_EQ(std::system(("tiffinfo '" + out + "' > /dev/null 2>&1").c_str()), 0);
    ImageFormatRegistry registry;
    std::unique_ptr<MonoImage> image;
    ASSERT_EQ(registry.ReadImage(out, {}, image), 0);
    EXPECT_NEAR(image->width, 80 / 25.4 * 100, 2);
    EXPECT_EQ(image->GetPixel(image->width / 2, image->height / 2), 0);  // solid black
}

TEST_F(ScanCommandTest, BuildsAFontFromAScannedPage) {
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (::access(font, R_OK) != 0) {
        if (!std::getenv("CI")) GTEST_SKIP() << "fonts-dejavu-core is needed";
        FAIL() << "fonts-dejavu-core is needed";
    }
    std::string out = (dir / "Scanned.ttf").string();
    CliRun build = Cli({"build", "--font", font, "--scan", "test:0", "--char", "U+E000", "-o", out});
    ASSERT_EQ(build.code, 0) << build.err;
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null 2>&1").c_str()), 0);
}

TEST_F(ScanCommandTest, MissingDevicesAreClearErrors) {
    CliRun wrong = Cli({"scan", "--device", "nosuch:device", "-o", (dir / "x.tif").string()});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.err.find("Cannot open the scanner nosuch:device"), std::string::npos) << wrong.err;
    EXPECT_FALSE(fs::exists(dir / "x.tif"));
    CliRun bad = Cli({"scan", "--resolution", "0", "-o", "x.tif"});
    EXPECT_EQ(bad.code, 2);

    Configure("");
    CliRun none = Cli({"scan", "--list"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("No scanner found."), std::string::npos);
}

}  // namespace
