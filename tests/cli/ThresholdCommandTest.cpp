// "penmark threshold" and --threshold on a photo written by Pillow.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliRunner.h"
#include "Strings.h"

namespace fs = std::filesystem;

TEST(ThresholdCommand, WritesThePbmThatWouldBeTracedAndTakesTheChoice) {
    SetCurrentLanguage(Language::English);
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0) {
        if (!std::getenv("CI")) GTEST_SKIP() << "python3-pil is needed";
        FAIL() << "python3-pil is needed";
    }
    fs::path dir = fs::path(PENMARK_TEST_TMP) / ("threshold-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string jpg = (dir / "photo.jpg").string();
    // A dark stroke on paper lit from the left.
    std::string cmd = "/usr/bin/python3 -c \"from PIL import Image, ImageDraw; im = Image.new('L', (300, 100)); "
                      "[im.putpixel((x, y), int(230 - x * 0.5)) for x in range(300) for y in range(100)]; "
                      "ImageDraw.Draw(im).line((20, 50, 280, 60), fill=20, width=6); im.save('" + jpg + "', quality=60)\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    std::string pbm = (dir / "out.pbm").string();
    CliRun run = Cli({"threshold", jpg, "--threshold", "local", "-o", pbm});
    ASSERT_EQ(run.code, 0) << run.err;
    std::ifstream in(pbm);
    std::string magic, size;
    in >> magic;
    std::getline(in >> std::ws, size);
    EXPECT_EQ(magic, "P1");
    EXPECT_EQ(size, "300 100");
    std::string body((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(body.find('1'), std::string::npos);  // the stroke is black

    EXPECT_EQ(Cli({"threshold", jpg, "--threshold", "300", "-o", pbm}).code, 2);
    EXPECT_EQ(Cli({"trace", jpg, "--threshold", "auto", "-o", (dir / "s.svg").string()}).code, 0);
    fs::remove_all(dir);
}
