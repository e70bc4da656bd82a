// The SVG reader's contract beyond fidelity: nothing outside the file is read, the
// failures each have their code and message, sizes are bounded, and the registry finds
// the reader by both extensions and still reads another format's file named .svg.
#include <gtest/gtest.h>

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Error.h"
#include "ImageErrors.h"
#include "ImageFormatRegistry.h"
#include "Strings.h"
#include "SvgTestSupport.h"

using namespace svg_test;

namespace {

const char* kSvgOpen = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                       "width=\"200\" height=\"100\">";

std::string WithRect(const std::string& extra) {
    return std::string(kSvgOpen) + "<rect x=\"10\" y=\"10\" width=\"30\" height=\"30\"/>" + extra + "</svg>";
}

int DecodeCode(const std::string& bytes, int size = 400) {
    MonoBitmap out;
    try {
        DecodeSvg(Bytes(bytes), size, out);
    } catch (const CodeError& e) {
        EXPECT_TRUE(out.IsEmpty());
        return e.code();
    }
    return 0;
}

// A black picture file, for a drawing to reference.
void WriteBlackPng(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 16, 16);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(s, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(s);
}

TEST(SvgReader, ExternalImagesAreLeftOutWithoutReadingThem) {
    const std::string png = TempPath("external-black.png");
    WriteBlackPng(png);
    // A pipe nobody writes to: a reader that opened it would wait for a writer, and the
    // watcher below is one, so any opening for reading is seen.
    const std::string fifo = TempPath("external-fifo.png");
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string images =
        "<image x=\"100\" y=\"10\" width=\"40\" height=\"40\" href=\"file://" + png + "\"/>"
        "<image x=\"150\" y=\"10\" width=\"40\" height=\"40\" xlink:href=\"" + png + "\"/>"
        "<image x=\"100\" y=\"55\" width=\"40\" height=\"40\" xlink:href=\"external-black.png\"/>"
        "<image x=\"150\" y=\"55\" width=\"40\" height=\"40\" href=\"file://" + fifo + "\"/>"
        "<style>@import url(\"file://" + fifo + "\");</style>";
    const std::string path = TempPath("external.svg");
    // An XInclude names the pipe too.
    WriteFile(path, WithRect(images + "<xi:include xmlns:xi=\"http://www.w3.org/2001/XInclude\" href=\"file://" + fifo +
                             "\" parse=\"text\"/>"));
    // An external entity is not loaded either; the drawing cannot be read without it and
    // is refused with its own message.
    const std::string entity = TempPath("entity.svg");
    WriteFile(entity, "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY ext SYSTEM \"file://" + fifo + "\">]>\n" +
                          WithRect("<text x=\"100\" y=\"90\">&ext;</text>"));

    std::atomic<bool> done{false}, opened{false};
    std::thread watcher([&] {
        while (!done) {
            int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // succeeds only with a reader
            if (fd >= 0) {
                opened = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::unique_ptr<MonoImage> picture, refused;
    int code = ReadThroughRegistry(path, picture);
    int entityCode = ReadThroughRegistry(entity, refused);
    done = true;
    watcher.join();
    ::unlink(fifo.c_str());
    EXPECT_FALSE(opened) << "the referenced pipe was opened";
    EXPECT_EQ(entityCode, ImageError::kExternalEntity);
    ASSERT_EQ(code, 0);
    // Only the rectangle has ink: its box is square, the images' places are paper.
    PixelRect ink = InkBox(*picture);
    EXPECT_EQ(ink.Width(), ink.Height());
    EXPECT_NEAR(ink.Width(), kDefaultSvgSize, 2);
    // A data: URL belongs to the file and is drawn.
    EXPECT_EQ(DecodeCode(WithRect("<image x=\"100\" y=\"10\" width=\"40\" height=\"40\" href=\"data:image/png;base64,"
                                  "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAAAAAA6fptVAAAACklEQVR4nGNgAAAAAgABSK+kcQAAAABJRU5ErkJggg==\"/>")),
              0);
}

TEST(SvgReader, FailuresHaveTheirCodesAndMessages) {
    EXPECT_EQ(DecodeCode("<html><body><p>hello</p></body></html>"), ImageError::kNotSvg);
    EXPECT_EQ(DecodeCode("<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\"><rect"),
              ImageError::kDrawingDamaged);
    EXPECT_EQ(DecodeCode(std::string(kSvgOpen) + "<rect x=\"1\" y=\"1\" width=\"5\" height=\"5\"/></g></svg>"),
              ImageError::kDrawingDamaged);
    // An undefined entity is damage, not a reference to another file.
    EXPECT_EQ(DecodeCode(WithRect("<text>&nothing;</text>")), ImageError::kDrawingDamaged);
    EXPECT_EQ(DecodeCode("GIF89a not a drawing"), ImageError::kUnknownFormat);
    EXPECT_EQ(DecodeCode(""), ImageError::kUnknownFormat);
    // Packed data cut short, or not gzip after its mark.
    std::string packed = Gzip(WithRect(""));
    EXPECT_EQ(DecodeCode(packed.substr(0, packed.size() / 2)), ImageError::kDrawingDamaged);
    EXPECT_EQ(DecodeCode(std::string("\x1f\x8b\x08\x00garbagegarbage", 18)), ImageError::kDrawingDamaged);
    EXPECT_EQ(DecodeCode(packed), 0);
    // A square drawing at 12000 pixels a side is 144 million pixels; at 9000, 81 million.
    EXPECT_EQ(DecodeCode(WithRect(""), 12000), ImageError::kDrawingTooLarge);
    SvgLayout big = LayoutSvg(Bytes(WithRect("")), 9000);
    EXPECT_LE(uint64_t(big.width) * uint64_t(big.height), kMaxSvgPixels);
    // The longest side taken, on a long thin drawing: within what cairo can draw on.
    const std::string thin = std::string(kSvgOpen) + "<rect x=\"10\" y=\"50\" width=\"180\" height=\"1\"/></svg>";
    SvgLayout longest = LayoutSvg(Bytes(thin), kMaxSvgSize);
    EXPECT_LE(longest.width, 32767);
    EXPECT_EQ(DecodeCode(thin, kMaxSvgSize), 0);
    // An absurd size in the file itself changes nothing: the ink decides the scale.
    EXPECT_EQ(DecodeCode("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1e30\" height=\"1e30\">"
                         "<rect width=\"1e29\" height=\"1e29\"/></svg>"),
              0);

    for (int code : {ImageError::kNotSvg, ImageError::kDrawingDamaged, ImageError::kDrawingTooLarge, ImageError::kNoSvgRenderer,
                     ImageError::kExternalEntity}) {
        int id = ImageErrorStringId(code);
        EXPECT_NE(id, ImageText::kInternalError) << code;
        const std::string english = GetString(id, Language::English);
        EXPECT_FALSE(english.empty()) << code;
        for (Language lang : {Language::German, Language::French, Language::Russian}) {
            const char* text = GetString(id, lang);
            ASSERT_NE(text, nullptr);
            EXPECT_NE(english, text) << code;  // translated, not missing
        }
    }
    SetCurrentLanguage(Language::English);
    EXPECT_EQ(ImageErrorMessage(ImageError::kNotSvg), "The file is not an SVG drawing.");
}

TEST(SvgReader, SizeOptionSetsTheLongerSide) {
    const std::string path = TempPath("size.svg");
    // A wide drawing: 120 by 30 units of ink.
    WriteFile(path, std::string(kSvgOpen) + "<rect x=\"40\" y=\"35\" width=\"120\" height=\"30\"/></svg>");
    for (int size : {300, 2000}) {
        SetSvgSize(size);
        std::unique_ptr<MonoImage> picture;
        ASSERT_EQ(ReadThroughRegistry(path, picture), 0);
        PixelRect ink = InkBox(*picture);
        EXPECT_NEAR(ink.Width(), size, 1) << size;
        EXPECT_NEAR(ink.Height(), size / 4, 1) << size;
        EXPECT_GT(ink.left, 0);  // a margin of paper all round
        EXPECT_GT(ink.top, 0);
        EXPECT_LT(ink.right, picture->width);
        EXPECT_LT(ink.bottom, picture->height);
    }
    SetSvgSize(kDefaultSvgSize);
    EXPECT_EQ(SvgSize(), kDefaultSvgSize);
}

TEST(SvgReader, EmptyDrawingIsItsBlankPage) {
    MonoBitmap out;
    DecodeSvg(Bytes(std::string(kSvgOpen) + "</svg>"), 400, out);
    EXPECT_EQ(out.width, 400 + 2 * (400 / 50 + 2));  // the page, 2:1
    EXPECT_EQ(CountInk(out), 0);
}

TEST(SvgReader, RegistryTakesBothExtensionsAndFallsThrough) {
    ImageFormatRegistry registry;
    RegisterSvgFormat(registry);
    const ImageFormatHandler* svg = registry.FindHandler("Signature.SVG", kImageFormatCanRead);
    ASSERT_NE(svg, nullptr);
    EXPECT_EQ(registry.FindHandler("a/b.svgz", kImageFormatCanRead), svg);
    EXPECT_EQ(svg->patterns, "*.svg; *.svgz");
    SetCurrentLanguage(Language::English);
    EXPECT_EQ(svg->Description(), "SVG Drawings (*.svg, *.svgz)");
    std::string filter;
    registry.AllImagesFilter(filter, "All", kImageFormatCanRead);
    EXPECT_NE(filter.find("*.svg; *.svgz"), std::string::npos);

    // A PNG named .svg is still read, by the PNG reader.
    const std::string png = TempPath("really-a-png.svg");
    WriteBlackPng(png);
    std::unique_ptr<MonoImage> picture;
    EXPECT_EQ(registry.ReadImage(png, nullptr, picture), 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 16);
    // A missing file has the usual message; XML that is not SVG its own.
    EXPECT_EQ(registry.ReadImage(TempPath("missing.svg"), nullptr, picture), ImageError::kFileNotFound);
    const std::string html = TempPath("page.svg");
    WriteFile(html, "<html/>");
    EXPECT_EQ(registry.ReadImage(html, nullptr, picture), ImageError::kNotSvg);
    EXPECT_FALSE(picture);
}

}  // namespace
