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
    // PIL reads the same picture: the stroke black, the paper above it white, the last
    // pixels of each 300-pixel row (past the last whole byte) there, lines of 70 at most.
    std::string check = "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open('" + pbm +
                        "').convert('L'); lines = open('" + pbm + "').read().split(chr(10))[2:]; "
                        "sys.exit(0 if im.size == (300, 100) and im.getpixel((150, 55)) == 0 and "
                        "im.getpixel((150, 5)) == 255 and im.getpixel((299, 99)) == 255 and im.getpixel((277, 59)) == 0 and "
                        "max(map(len, lines)) == 70 else 1)\"";
    EXPECT_EQ(std::system(check.c_str()), 0);

    EXPECT_EQ(Cli({"threshold", jpg, "--threshold", "300", "-o", pbm}).code, 2);
    EXPECT_EQ(Cli({"trace", jpg, "--threshold", "auto", "-o", (dir / "s.svg").string()}).code, 0);

    // A colour TIFF and a grey BMP keep their refusal unless --threshold asks for black and white.
    std::string tif = (dir / "colour.tif").string(), bmp = (dir / "grey.bmp").string();
    cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + jpg + "'); im.convert('RGB').save('" +
          tif + "'); im.save('" + bmp + "')\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (const std::string& picture : {tif, bmp}) {
        CliRun refused = Cli({"threshold", picture, "-o", pbm});
        EXPECT_EQ(refused.code, 1);
        EXPECT_NE(refused.err.find("does not support color and grayscale images."), std::string::npos) << refused.err;
        EXPECT_EQ(Cli({"trace", picture, "-o", (dir / "s.svg").string()}).code, 1);
        CliRun taken = Cli({"threshold", picture, "--threshold", "auto", "-o", pbm});
        EXPECT_EQ(taken.code, 0) << taken.err;
        EXPECT_EQ(std::system(check.c_str()), 0) << picture;
    }
    fs::remove_all(dir);
}
