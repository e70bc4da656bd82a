// PNG and JPEG photos of a signature, written by Pillow from photo-like pictures, read and
// made black and white: compared with the clean master they were made from.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ImageErrors.h"
#include "ImageFormatRegistry.h"
#include "PhotoPictures.h"
#include "PhotoReaders.h"

namespace fs = std::filesystem;

namespace {

bool HavePillow() { return std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0; }

struct PhotoReadersTest : ::testing::Test {
    fs::path dir = fs::path(PENMARK_TEST_TMP) /
                   ("photos-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    void SetUp() override {
        if (!HavePillow()) {
            if (!std::getenv("CI")) GTEST_SKIP() << "python3-pil is needed";
            FAIL() << "python3-pil is needed";
        }
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The grey picture as PGM, converted by Pillow with a Python expression on `im`.
    std::string Convert(const GreyImage& g, const std::string& name, const std::string& save) {
        std::string pgm = (dir / (name + ".pgm")).string(), out = (dir / name).string();
        std::ofstream f(pgm, std::ios::binary);
        f << "P5\n" << g.width << " " << g.height << "\n255\n";
        f.write(reinterpret_cast<const char*>(g.pixels.data()), std::streamsize(g.pixels.size()));
        f.close();
        std::string cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + pgm + "'); " + save +
                          "\" '" + out + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return out;
    }
};

TEST_F(PhotoReadersTest, PhotosInEveryFormReadCloseToTheirMaster) {
    MonoImage master = photo::Master(900, 300);
    ImageFormatRegistry registry;
    struct Form {
        const char* name;
        const char* save;
    } forms[] = {
        {"q60.jpg", "im.save(__import__('sys').argv[1], quality=60)"},
        {"grey16.png", "im.point(lambda v: v * 257, 'I').save(__import__('sys').argv[1])"},
        {"rgba.png", "im.convert('RGBA').save(__import__('sys').argv[1])"},
        {"palette.png", "im.convert('P').save(__import__('sys').argv[1])"},
    };
    for (const photo::Photo& p : photo::Photos(master))
        for (const Form& form : forms) {
            std::string path = Convert(p.grey, form.name, form.save);
            std::unique_ptr<MonoImage> image;
            ASSERT_EQ(registry.ReadImage(path, {}, image), 0) << p.name << " " << form.name;
            double iou = photo::Score(p, *image);
            std::printf("%-20s %-12s IoU %.3f\n", p.name.c_str(), form.name, iou);
            EXPECT_GE(iou, 0.90) << p.name << " " << form.name;
        }
}

TEST_F(PhotoReadersTest, ABlackAndWhitePngIsTakenPixelForPixel) {
    // Dots of one pixel, which speck removal would take, as a 1-bit and a two-colour PNG.
    MonoImage master = photo::Master(300, 100);
    for (int i = 0; i < 40; ++i) master.SetPixel(7 * i + 3, (i * 13) % 100, 0);
    GreyImage g = photo::Render(master, [](int, int, bool ink) { return ink ? 0.0 : 255.0; });
    ImageFormatRegistry registry;
    for (const char* save : {"im.convert('1').save(__import__('sys').argv[1])",
                             "im.point(lambda v: 255 if v else 0).convert('RGB').point(lambda v: v or 90)"
                             ".convert('P', palette=Image.ADAPTIVE, colors=2).save(__import__('sys').argv[1])"}) {
        std::string path = Convert(g, "bw.png", save);
        std::unique_ptr<MonoImage> image;
        ASSERT_EQ(registry.ReadImage(path, {}, image), 0) << save;
        EXPECT_EQ(photo::InkIoU(*image, master), 1.0) << save;
    }
}

TEST_F(PhotoReadersTest, TransparencyIsPaperAndTheExifOrientationTurnsThePicture) {
    // A black square on a transparent page, and the same as a JPEG turned by its tag.
    std::string png = (dir / "alpha.png").string();
    std::string cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.new('RGBA', (40, 20), (0, 0, 0, 0)); "
                      "im.paste((0, 0, 0, 255), (2, 2, 12, 12)); im.save('" + png + "')\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ImageFormatRegistry registry;
    std::unique_ptr<MonoImage> image;
    ASSERT_EQ(registry.ReadImage(png, {}, image), 0);
    EXPECT_EQ(image->GetPixel(5, 5), 0);
    EXPECT_EQ(image->GetPixel(30, 15), 1);  // transparent: paper

    std::string jpg = (dir / "turned.jpg").string();
    cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.new('L', (40, 20), 255); "
          "im.paste(0, (2, 2, 12, 12)); ex = Image.Exif(); ex[0x0112] = 6; im.save('" + jpg + "', exif=ex, quality=95)\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_EQ(registry.ReadImage(jpg, {}, image), 0);
    ASSERT_EQ(image->width, 20);  // a quarter turn clockwise to show upright
    ASSERT_EQ(image->height, 40);
    EXPECT_EQ(image->GetPixel(14, 5), 0);
    EXPECT_EQ(image->GetPixel(3, 5), 1);
}

TEST_F(PhotoReadersTest, DamagedTruncatedAndHugeFilesAreRefused) {
    ImageFormatRegistry registry;
    std::unique_ptr<MonoImage> image;
    std::string bad = (dir / "bad.png").string();
    std::ofstream(bad) << "\x89PNG\r\n\x1a\n garbage";
    EXPECT_EQ(registry.ReadImage(bad, {}, image), ImageError::kInvalidData);

    std::string jpg = Convert(photo::Photos(photo::Master(200, 100))[0].grey, "whole.jpg",
                              "im.save(__import__('sys').argv[1])");
    fs::resize_file(jpg, fs::file_size(jpg) / 2);
    // Truncated: libjpeg pads the rest; the picture reads or is refused, never crashes.
    int code = registry.ReadImage(jpg, {}, image);
    EXPECT_TRUE(code == 0 || code == ImageError::kInvalidData) << code;

    // A 20000 x 20000 PNG of a few kilobytes: refused before its 400 megapixels are made.
    std::string bomb = (dir / "bomb.png").string();
    std::string cmd = "/usr/bin/python3 -c \"from PIL import Image; Image.MAX_IMAGE_PIXELS = None; "
                      "Image.new('1', (20000, 20000), 1).save('" + bomb + "')\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(registry.ReadImage(bomb, {}, image), ImageError::kTooLarge);
    EXPECT_EQ(image, nullptr);
}

}  // namespace
