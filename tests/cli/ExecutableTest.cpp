// The penmark executable as a user starts it: headless commands without the GUI
// libraries, the wizard as a program of its own beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Result {
    int status;
    std::string output;
};

Result Capture(const std::string& command) {
    Result r{-1, {}};
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string kPenmark = PENMARK_EXECUTABLE;

TEST(Executable, HeadlessProgramNeedsNoGuiLibraries) {
    Result needed = Capture("readelf -d '" + kPenmark + "'");
    ASSERT_EQ(needed.status, 0) << needed.output;
    EXPECT_NE(needed.output.find("NEEDED"), std::string::npos);
    EXPECT_EQ(needed.output.find("libQt"), std::string::npos) << needed.output;
    // librsvg and the desktop stack behind it come only with the first SVG drawing read.
    EXPECT_EQ(needed.output.find("librsvg"), std::string::npos) << needed.output;
    EXPECT_EQ(needed.output.find("libcairo"), std::string::npos) << needed.output;
    Result version = Capture("'" + kPenmark + "' --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("Penmark ", 0), 0u) << version.output;
}

TEST(Executable, WithoutTheWizardBesideItSaysSo) {
    const std::string dir = std::string(PENMARK_TEST_TMP) + "/alone";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "' && cp '" + kPenmark + "' '" + dir + "/penmark'").c_str()), 0);
    Result r = Capture("LC_ALL=C '" + dir + "/penmark'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("The wizard cannot be started: " + dir + "/penmark-wizard"), std::string::npos) << r.output;
}

}  // namespace
