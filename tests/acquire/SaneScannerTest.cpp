// Scanning through SANE with its own test backend, the only one a private configuration
// names: devices, a frame at 300 dpi, cancelling, a device that does not exist, none at all.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SaneScanner.h"

namespace fs = std::filesystem;

namespace {

bool HaveTestBackend() {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/sane/", "/usr/lib/sane/"}) {
        std::string path = std::string(dir) + "libsane-test.so.1";
        if (::access(path.c_str(), R_OK) != 0) continue;
        // Kept loaded, so that what the backend itself leaves behind on a cancel is
        // known by its name to the leak checker (and suppressed there).
        dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
        return true;
    }
    return false;
}

struct SaneScannerTest : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        if (!HaveTestBackend()) {
            if (!std::getenv("CI")) GTEST_SKIP() << "libsane1 (its test backend) is needed";
            FAIL() << "libsane1 (its test backend) is needed";
        }
        // SANE reads the folder's name once per process: one folder per process, its files
        // rewritten by each test.
        dir = fs::path(PENMARK_TEST_TMP) / ("sane-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        Configure("test\n", "number_of_devices 1\ntest-picture \"Solid black\"\n");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(fs::path(PENMARK_TEST_TMP) / ("sane-" + std::to_string(::getpid())), ec);
    }
    void Configure(const std::string& backends, const std::string& test) {
        std::ofstream(dir / "dll.conf") << backends;
        std::ofstream(dir / "test.conf") << test;
        setenv("SANE_CONFIG_DIR", dir.c_str(), 1);  // this folder only
    }
};

TEST_F(SaneScannerTest, ListsOnlyTheConfiguredBackend) {
    SaneSession sane;
    ASSERT_TRUE(sane.Ok());
    std::vector<SaneDevice> devices = sane.Devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "test:0");
}

TEST_F(SaneScannerTest, AFrameAt300DpiBecomesAPictureOfTheScannedArea) {
    SaneSession sane;
    std::unique_ptr<MonoImage> image;
    int reports = 0;
    SaneScanRequest request;
    request.device = "test:0";
    request.progress = [&](int32_t code, intptr_t) { return reports += code == 1, 0; };
    ASSERT_EQ(sane.Scan(request, image), SaneError::kOk);
    ASSERT_NE(image, nullptr);
    // The backend's default area is 80 x 100 mm.
    EXPECT_NEAR(image->width, 80 / 25.4 * 300, 2);
    EXPECT_NEAR(image->height, 100 / 25.4 * 300, 2);
    EXPECT_GT(reports, 0);
    // "Solid black": every pixel is ink.
    PixelRect ink;
    image->FindInkBounds(ink, nullptr, 1);
    EXPECT_TRUE(ink.IsEmpty()) << "paper found";
}

TEST_F(SaneScannerTest, AWhitePageAtALowerResolution) {
    Configure("test\n", "number_of_devices 1\ntest-picture \"Solid white\"\n");
    SaneSession sane;
    std::unique_ptr<MonoImage> image;
    SaneScanRequest request;
    request.dpi = 50;
    ASSERT_EQ(sane.Scan(request, image), SaneError::kOk);  // the first device
    EXPECT_NEAR(image->width, 80 / 25.4 * 50, 2);
    PixelRect ink;
    image->FindInkBounds(ink, nullptr, 0);
    EXPECT_TRUE(ink.IsEmpty()) << "ink found";
}

TEST_F(SaneScannerTest, CancellingDuringTheReadLeavesNoPicture) {
    SaneSession sane;
    std::unique_ptr<MonoImage> image;
    SaneScanRequest request;
    request.progress = [](int32_t, intptr_t) { return 3000; };
    EXPECT_EQ(sane.Scan(request, image), SaneError::kCancelled);
    EXPECT_EQ(image, nullptr);
    // The device is free again.
    request.progress = {};
    EXPECT_EQ(sane.Scan(request, image), SaneError::kOk);
}

TEST_F(SaneScannerTest, ADeviceThatDoesNotExistIsAClearError) {
    SaneSession sane;
    std::unique_ptr<MonoImage> image;
    SaneScanRequest request;
    request.device = "nosuch:device";
    std::string detail;
    EXPECT_EQ(sane.Scan(request, image, &detail), SaneError::kOpenFailed);
    EXPECT_FALSE(detail.empty());
}

TEST_F(SaneScannerTest, NoScannerAtAllIsSaidAtOnce) {
    Configure("", "");
    SaneSession sane;
    EXPECT_TRUE(sane.Devices().empty());
    std::unique_ptr<MonoImage> image;
    EXPECT_EQ(sane.Scan(SaneScanRequest{}, image), SaneError::kNoDevice);
}

}  // namespace
