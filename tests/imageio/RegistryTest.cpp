// The format registry: handler look-up, the fall-through on "not this format", the
// read sequence, filter strings and the messages for the codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "ImageErrors.h"
#include "ImageFormatRegistry.h"
#include "Strings.h"
#include "TestSupport.h"

namespace {

TEST(RegistryTest, FindsHandlersByExtensionIgnoringCase) {
    ImageFormatRegistry registry;
    ASSERT_EQ(registry.Handlers().size(), 4u);  // TIFF, BMP, then the photo formats
    const ImageFormatHandler* tiff = &registry.Handlers()[0];
    const ImageFormatHandler* bmp = &registry.Handlers()[1];
    EXPECT_EQ(tiff->patterns, "*.tif");
    EXPECT_EQ(bmp->patterns, "*.bmp; *.dib");
    EXPECT_EQ(registry.FindHandler("/a/b/scan.TIF", 1), tiff);
    EXPECT_EQ(registry.FindHandler("x.y.Dib", 1), bmp);
    EXPECT_EQ(registry.FindHandler("photo.bmp", 1), bmp);
    EXPECT_EQ(registry.FindHandler("scan.tiff", 1), nullptr);
    EXPECT_EQ(registry.FindHandler("noextension", 1), nullptr);
    EXPECT_EQ(registry.FindHandler("dir.tif/file", 1), nullptr);
    EXPECT_EQ(registry.FindHandler("scan.tif", 2), nullptr);
    EXPECT_EQ(registry.FindHandler("Photo.JPEG", 1), &registry.Handlers()[3]);
    EXPECT_EQ(registry.FindHandler("pad.png", 1), &registry.Handlers()[2]);
}

TEST(RegistryTest, ExtensionListsSplitAtCommasAndDots) {
    ImageFormatRegistry registry;
    ImageFormatHandler h;
    h.extensions = "abc,de.f";
    h.flags = 3;
    registry.Register(h);
    EXPECT_EQ(registry.Handlers().back().patterns, "*.abc; *.de; *.f");
    EXPECT_EQ(registry.FindHandler("x.F", 2), &registry.Handlers().back());
}

TEST(RegistryTest, FilterStrings) {
    SetCurrentLanguage(Language::English);
    ImageFormatRegistry registry;
    std::string all;
    registry.AllImagesFilter(all, "Image Files ", 1);
    const char expectedAll[] = "Image Files \0*.tif; *.bmp; *.dib; *.png; *.jpg; *.jpeg; *.jpe\0";
    EXPECT_EQ(all, std::string(expectedAll, sizeof expectedAll - 1));
    std::string each;
    EXPECT_EQ(registry.PerFormatFilters(each, 1), 4);
    const char expectedEach[] = "TIFF Files (*.tif)\0*.tif\0Bitmap Files (*.bmp, *.dib)\0*.bmp; *.dib\0"
                                "PNG Pictures (*.png)\0*.png\0JPEG Photos (*.jpg)\0*.jpg; *.jpeg; *.jpe\0";
    EXPECT_EQ(each, std::string(expectedEach, sizeof expectedEach - 1));
    std::string none;
    registry.AllImagesFilter(none, "Image Files ", 2);
    EXPECT_EQ(registry.PerFormatFilters(none, 2), 0);
    EXPECT_EQ(none, "");
}

// A handler that answers a fixed code and notes that it was asked.
ImageFormatHandler Fake(const char* ext, uint32_t flags, int code, std::vector<std::string>& log) {
    ImageFormatHandler h;
    h.extensions = ext;
    h.flags = flags;
    h.open = [&log, ext](const std::string&, std::unique_ptr<ImageReaderState>& state) {
        log.push_back(ext);
        state = std::make_unique<ImageReaderState>();
        return 0;
    };
    h.read = [code](ImageReaderState&, const ProgressFn&, MonoBitmap& out) {
        if (code == 0) out.Create(3, 2);
        return code;
    };
    h.close = [](std::unique_ptr<ImageReaderState>& state) {
        state.reset();
        return 0;
    };
    return h;
}

TEST(RegistryTest, HandlerForTheExtensionFirstThenTheOthersInOrder) {
    std::vector<std::string> log;
    ImageFormatRegistry registry;
    registry.Register(Fake("one", 1, ImageError::kUnknownFormat, log));
    registry.Register(Fake("two", 0, 0, log));  // cannot read: never asked
    registry.Register(Fake("three", 1, 0, log));
    std::string path = ScratchPath("neither.one");
    WriteBytes(path, {'x', 'y', 'z'});
    std::unique_ptr<MonoImage> image;
    EXPECT_EQ(registry.ReadImage(path, {}, image), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"one", "three"}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 3);
}

TEST(RegistryTest, FirstFailureOtherThanUnknownFormatEndsTheLoad) {
    std::vector<std::string> log;
    ImageFormatRegistry registry;
    registry.Register(Fake("bad", 1, ImageError::kInvalidData, log));
    registry.Register(Fake("good", 1, 0, log));
    std::string path = ScratchPath("foreign.xyz");
    WriteBytes(path, {'x', 'y', 'z'});
    std::unique_ptr<MonoImage> image;
    std::vector<int> reported;
    EXPECT_FALSE(registry.LoadImage(path, image, {}, [&](int code) { reported.push_back(code); }));
    EXPECT_EQ(reported, std::vector<int>{ImageError::kInvalidData});
    EXPECT_EQ(log, std::vector<std::string>{"bad"});
    EXPECT_EQ(image, nullptr);
}

TEST(RegistryTest, OpenFailuresMapToTheirCodes) {
    ImageFormatRegistry registry;
    std::unique_ptr<MonoImage> image;
    std::vector<int32_t> calls;
    ProgressFn progress = [&](int32_t code, intptr_t) {
        calls.push_back(code);
        return 0;
    };
    EXPECT_EQ(registry.ReadImage(ScratchPath("missing.tif"), progress, image), ImageError::kFileNotFound);
    // A failed open shows no progress display, and a code other than 1029 asks no
    // other handler.
    EXPECT_EQ(calls, (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(registry.ReadImage(ScratchPath("no/such/folder/x.bmp"), {}, image), ImageError::kPathNotFound);
    EXPECT_EQ(registry.ReadImage(PENMARK_TEST_TMP, {}, image), ImageError::kAccessDenied);
    if (geteuid() != 0) {
        std::string locked = ScratchPath("locked.bmp");
        WriteBytes(locked, {'B', 'M'});
        chmod(locked.c_str(), 0);
        EXPECT_EQ(registry.ReadImage(locked, {}, image), ImageError::kAccessDenied);
    }
}

TEST(MessageTest, EveryCodeHasItsText) {
    SetCurrentLanguage(Language::English);
    EXPECT_EQ(ImageErrorMessage(1024), "File contains invalid data.\nPossibly file is damaged.");
    EXPECT_EQ(ImageErrorMessage(1025), "Internal I/O error. (00000401)");
    EXPECT_EQ(ImageErrorMessage(1026), "Unsupported file format version.");
    EXPECT_EQ(ImageErrorMessage(1029), "Unknown file format.\nDon't know how to handle it.");
    EXPECT_EQ(ImageErrorMessage(1030), "Penmark does not support color and grayscale images.");
    EXPECT_EQ(ImageErrorMessage(1031), "Unsupported compression type.");
    EXPECT_EQ(ImageErrorMessage(2000), "Internal I/O error. (000007D0)");
    EXPECT_EQ(ImageErrorMessage(2001), "File not found.");
    EXPECT_EQ(ImageErrorMessage(2002), "Path not found.");
    EXPECT_EQ(ImageErrorMessage(2003), "Too many open files.");
    EXPECT_EQ(ImageErrorMessage(2004), "Access denied.");
    EXPECT_EQ(ImageErrorMessage(2005), "Not enough memory.");
    EXPECT_EQ(ImageErrorMessage(2006), "Cannot read from the file.\nFile is damaged or contains invalid data.");
    EXPECT_EQ(ImageErrorMessage(2008), "Internal I/O error. (000007D8)");
    EXPECT_EQ(ImageErrorMessage(4711), "Internal I/O error. (00001267)");
    EXPECT_EQ(ImageErrorMessage(0), "");
    EXPECT_EQ(ImageErrorMessage(3000), "");
}

TEST(MessageTest, TextsExistInEveryLanguage) {
    for (int id : {61272, 61273, 61274, 61275, 61276, 61277, 61278, 61279, 61280, 61281, 61282, 61284,
                   61460, 61461}) {
        std::string english = GetString(id, Language::English);
        ASSERT_FALSE(english.empty()) << id;
        for (Language lang : {Language::German, Language::French, Language::Russian}) {
            std::string text = GetString(id, lang);
            EXPECT_NE(text, english) << id << " is not translated";
            // The formatted text must carry the same conversions as the English one.
            EXPECT_EQ(text.find("%08X") != std::string::npos, english.find("%08X") != std::string::npos) << id;
            EXPECT_EQ(std::count(text.begin(), text.end(), '%'), std::count(english.begin(), english.end(), '%')) << id;
        }
    }
    SetCurrentLanguage(Language::German);
    EXPECT_EQ(ImageErrorMessage(1025), "Interner E/A-Fehler. (00000401)");
    SetCurrentLanguage(Language::English);
}

}  // namespace
