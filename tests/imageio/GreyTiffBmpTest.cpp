// Grey and colour TIFF and BMP pictures: refused as before unless asked for, then made
// black and white like photos. The files are written by Pillow and libtiff's tiffcp from
// photo-like pictures and compared with the clean master they were made from.
#include <gtest/gtest.h>

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

bool Have(const char* check) { return std::system(check) == 0; }

// Each form: the file's name and the Python that writes it from `im` (grey) to `out`.
struct Form {
    const char* name;
    const char* python;
};
const Form kForms[] = {
    {"grey.tif", "im.save(out)"},
    {"grey-lzw.tif", "im.save(out, compression='tiff_lzw')"},
    {"rgb-packbits.tif", "im.convert('RGB').save(out, compression='packbits')"},
    {"rgba.tif", "im.convert('RGBA').save(out)"},
    {"palette.tif", "im.convert('P').save(out)"},
    {"grey16.tif", "im.point(lambda v: v * 257, 'I').convert('I;16').save(out)"},
    {"grey.bmp", "im.save(out)"},
    {"rgb.bmp", "im.convert('RGB').save(out)"},
    {"rgba.bmp", "im.convert('RGBA').save(out)"},
    {"palette.bmp", "im.convert('P').save(out)"},
};
// Made by tiffcp from grey.tif / rgb-packbits.tif: predictor, tiles and the other byte order.
const Form kTiffcp[] = {
    {"rgb-lzw-predictor.tif", "-c lzw:2 rgb-packbits.tif"},
    {"grey-tiled.tif", "-t -w 64 -l 48 grey.tif"},
    {"rgb-big-endian.tif", "-B -c lzw:2 rgb-packbits.tif"},
};

struct GreyTiffBmpTest : ::testing::Test {
    fs::path dir = fs::path(PENMARK_TEST_TMP) /
                   ("greytiffbmp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ImageFormatRegistry registry;
    void SetUp() override {
        for (const char* check : {"/usr/bin/python3 -c 'import PIL' 2>/dev/null", "command -v tiffcp >/dev/null"})
            if (!Have(check)) {
                if (!std::getenv("CI")) GTEST_SKIP() << "python3-pil and libtiff-tools are needed";
                FAIL() << "python3-pil and libtiff-tools are needed";
            }
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        SetGreyTiffBmp(false);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Every form of one grey picture, in its own folder.
    fs::path WriteForms(const GreyImage& g, const std::string& name) {
        fs::path to = dir / name;
        fs::create_directories(to);
        std::string pgm = (to / "source.pgm").string();
        std::ofstream f(pgm, std::ios::binary);
        f << "P5\n" << g.width << " " << g.height << "\n255\n";
        f.write(reinterpret_cast<const char*>(g.pixels.data()), std::streamsize(g.pixels.size()));
        f.close();
        std::string script = "import os\nfrom PIL import Image\nos.chdir('" + to.string() + "')\n";
        for (const Form& form : kForms)
            script += std::string("im = Image.open('source.pgm'); out = '") + form.name + "'; " + form.python + "\n";
        for (const Form& form : kTiffcp)
            script += std::string("assert os.system('tiffcp ") + form.python + " " + form.name + "') == 0\n";
        std::string py = (to / "make.py").string();
        std::ofstream(py) << script;
        EXPECT_EQ(std::system(("/usr/bin/python3 " + py).c_str()), 0) << script;
        return to;
    }
};

TEST_F(GreyTiffBmpTest, RefusedUnlessAskedForThenCloseToTheirMaster) {
    MonoImage master = photo::Master(900, 300);
    std::vector<photo::Photo> photos = photo::Photos(master);
    fs::path first = WriteForms(photos[0].grey, "first");
    std::unique_ptr<MonoImage> image;
    std::unique_ptr<GreySource> grey;
    // The readers' answer as specified, with nothing kept.
    for (const char* name : {"grey.tif", "rgb.bmp", "palette.bmp"}) {
        EXPECT_EQ(registry.ReadImage((first / name).string(), {}, image, &grey), ImageError::kNotBlackWhite) << name;
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(grey, nullptr);
    }

    SetGreyTiffBmp(true);
    for (size_t i = 0; i < photos.size(); ++i) {
        fs::path forms = i == 0 ? first : WriteForms(photos[i].grey, "photo" + std::to_string(i));
        std::vector<std::string> names;
        for (const Form& f : kForms) names.push_back(f.name);
        for (const Form& f : kTiffcp) names.push_back(f.name);
        for (const std::string& name : names) {
            ASSERT_EQ(registry.ReadImage((forms / name).string(), {}, image, &grey), 0) << photos[i].name << " " << name;
            ASSERT_NE(grey, nullptr);
            EXPECT_EQ(grey->grey.width, 900);
            double iou = photo::Score(photos[i], *image);
            std::printf("%-20s %-22s IoU %.3f (%s, level %d)\n", photos[i].name.c_str(), name.c_str(), iou,
                        grey->result.used == ThresholdMode::Local ? "local" : "global", grey->result.level);
            EXPECT_GE(iou, 0.90) << photos[i].name << " " << name;
        }
    }
}

TEST_F(GreyTiffBmpTest, ABlackAndWhitePictureStillTakesItsOwnReader) {
    SetGreyTiffBmp(true);
    std::string tif = (dir / "mono.tif").string(), bmp = (dir / "mono.bmp").string();
    std::string cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.new('1', (40, 20), 1); "
                      "im.paste(0, (2, 2, 12, 12)); im.save('" + tif + "'); im.save('" + bmp + "')\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (const std::string& path : {tif, bmp}) {
        std::unique_ptr<MonoImage> image;
        std::unique_ptr<GreySource> grey;
        ASSERT_EQ(registry.ReadImage(path, {}, image, &grey), 0) << path;
        EXPECT_EQ(grey, nullptr);  // nothing to cut again
        EXPECT_EQ(image->GetPixel(5, 5), 0);
        EXPECT_EQ(image->GetPixel(30, 15), 1);
    }
}

// Little-endian field writers for hand-made headers.
void Put16(std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }

std::string BmpHeader(int32_t width, int32_t height, uint16_t bits, uint32_t offBits, uint32_t colours) {
    std::string s = "BM";
    Put32(s, 0), Put32(s, 0), Put32(s, offBits);
    Put32(s, 40), Put32(s, uint32_t(width)), Put32(s, uint32_t(height));
    Put16(s, 1), Put16(s, bits);
    Put32(s, 0), Put32(s, 0), Put32(s, 0), Put32(s, 0), Put32(s, colours), Put32(s, 0);
    return s;
}

TEST_F(GreyTiffBmpTest, SizesAndOffsetsFromTheFileAreBoundedBeforeUse) {
    SetGreyTiffBmp(true);
    auto read = [&](const std::string& name, const std::string& bytes) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        std::unique_ptr<MonoImage> image;
        int code = registry.ReadImage(path, {}, image);
        EXPECT_EQ(code != 0, image == nullptr);
        return code;
    };
    // 20000 x 20000 colour pixels claimed by a header alone: refused before any allocation.
    EXPECT_EQ(read("bomb.bmp", BmpHeader(20000, 20000, 24, 54, 0)), ImageError::kTooLarge);
    EXPECT_EQ(read("bomb-topdown.bmp", BmpHeader(20000, -20000, 24, 54, 0)), ImageError::kTooLarge);
    // Rows the file does not hold, a colour table over the pixels, a table past the end.
    EXPECT_EQ(read("short.bmp", BmpHeader(3000, 3000, 24, 54, 0) + std::string(100, '\0')), ImageError::kReadError);
    EXPECT_EQ(read("table.bmp", BmpHeader(4, 4, 8, 60, 256) + std::string(64, '\0')), ImageError::kInvalidData);
    EXPECT_NE(read("table-end.bmp", BmpHeader(4, 4, 8, 54 + 1024, 0)), 0);
    EXPECT_EQ(read("zero.bmp", BmpHeader(0, 5, 24, 54, 0)), ImageError::kInvalidData);

    // A grey TIFF of 20000 x 20000 pixels in a few bytes, and one whose strip lies past the end.
    auto tiff = [](uint32_t w, uint32_t h, uint32_t stripOffset) {
        std::string s = "II";
        Put16(s, 42), Put32(s, 8);
        const uint16_t tags[][3] = {{256, 4, 0}, {257, 4, 0}, {258, 3, 8}, {262, 3, 1}, {273, 4, 0}, {279, 4, 0}};
        Put16(s, 6);
        for (auto& t : tags) {
            Put16(s, t[0]), Put16(s, t[1]), Put32(s, 1);
            uint32_t v = t[0] == 256 ? w : t[0] == 257 ? h : t[0] == 273 ? stripOffset : t[0] == 279 ? w * h : t[2];
            if (t[1] == 3) Put16(s, v), Put16(s, 0);
            else Put32(s, v);
        }
        Put32(s, 0);
        return s + std::string(16, '\x80');
    };
    EXPECT_EQ(read("bomb.tif", tiff(20000, 20000, 86)), ImageError::kTooLarge);
    EXPECT_NE(read("past-end.tif", tiff(4, 4, 100000)), 0);
    EXPECT_EQ(read("fine.tif", tiff(4, 4, 86)), 0);
}

}  // namespace
