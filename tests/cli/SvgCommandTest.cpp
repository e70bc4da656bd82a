// SVG drawings on the command line: --image and the picture commands take them,
// --svg-size sets the rendering's size, the reader's failures are said in words.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CliOptions.h"
#include "CliRunner.h"
#include "Oracles.h"
#include "Strings.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder() {
    fs::path dir = fs::path(PENMARK_TEST_TMP) / ("svg-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

std::string Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

const char* kWide =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 50\">"
    "<path d=\"M 10,25 C 30,0 50,50 90,25\" style=\"fill:none;stroke:#000;stroke-width:4;stroke-linecap:round\"/></svg>";

}  // namespace

TEST(SvgCommand, OptionsTakeTheSize) {
    BuildOptions b;
    EXPECT_FALSE(ParseBuildOptions({"--font", "f", "--image", "s.svg", "--char", "A", "--svg-size", "800"}, b));
    EXPECT_EQ(b.svgSize, 800);
    BuildOptions d;
    EXPECT_FALSE(ParseBuildOptions({"--font", "f", "--image", "s.svgz", "--char", "A"}, d));
    EXPECT_EQ(d.svgSize, 2000);
    SetCurrentLanguage(Language::English);
    for (const char* bad : {"15", "30001", "big", "-2000"}) {
        BuildOptions o;
        auto e = ParseBuildOptions({"--font", "f", "--image", "s.svg", "--char", "A", "--svg-size", bad}, o);
        ASSERT_TRUE(e) << bad;
        EXPECT_NE(e->message.find("--svg-size"), std::string::npos);
    }
    ThresholdOptions t;
    EXPECT_FALSE(ParseThresholdOptions({"s.svg", "--svg-size", "16", "-o", "x.pbm"}, t));
    EXPECT_EQ(t.svgSize, 16);
    TraceOptions m;
    EXPECT_TRUE(ParseTraceOptions({"s.svg", "-o", "x.svg", "--svg-size"}, m));
}

TEST(SvgCommand, PictureCommandsReadDrawings) {
    SetCurrentLanguage(Language::English);
    fs::path dir = Folder();
    std::string svg = Write(dir / "wide.svg", kWide);
    std::string pbm = (dir / "wide.pbm").string();
    CliRun run = Cli({"threshold", svg, "--svg-size", "500", "-o", pbm});
    ASSERT_EQ(run.code, 0) << run.err;
    std::ifstream in(pbm);
    std::string magic;
    int w = 0, h = 0;
    in >> magic >> w >> h;
    EXPECT_EQ(magic, "P1");
    // 500 pixels of ink across and a margin of 12 each side.
    EXPECT_NEAR(w, 524, 2);
    EXPECT_LT(h, w);

    std::string outline = (dir / "wide-outline.svg").string();
    run = Cli({"trace", svg, "-o", outline});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_GT(fs::file_size(outline), 100u);

    run = Cli({"threshold", Write(dir / "page.svg", "<html><body/></html>"), "-o", pbm});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("The file is not an SVG drawing."), std::string::npos) << run.err;
    run = Cli({"threshold", svg, "--svg-size", "20000", "-o", pbm});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("more than 100 million pixels"), std::string::npos) << run.err;
    run = Cli({"threshold", Write(dir / "cut.svg", std::string(kWide).substr(0, 60)), "-o", pbm});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
}

TEST(SvgCommand, BuildsAFontFromAPackedDrawing) {
    PENMARK_NEED(::access("/usr/bin/ots-sanitize", X_OK) == 0, "ots-sanitize");
    const std::string font = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    PENMARK_NEED(::access(font.c_str(), R_OK) == 0, "fonts-liberation2");
    SetCurrentLanguage(Language::English);
    fs::path dir = Folder();
    // An .svgz file that is plain text: the reader takes it as it is.
    std::string svgz = Write(dir / "plain.svgz", kWide);
    std::string out = (dir / "Svg.ttf").string();
    CliRun run = Cli({"build", "--font", font, "--image", svgz, "--char", "U+00A7", "--svg-size", "800", "-o", out});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(std::system(("ots-sanitize '" + out + "' /dev/null > /dev/null").c_str()), 0);
    // One stroke: one contour, wider than high as drawn.
    std::string check = "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont\n"
                        "b = TTFont('" + out + "'); gl = b['glyf'][b.getBestCmap()[0xA7]]\n"
                        "sys.exit(0 if gl.numberOfContours == 1 and gl.xMax - gl.xMin > 2 * (gl.yMax - gl.yMin) else 1)\"";
    EXPECT_EQ(std::system(check.c_str()), 0);
}
