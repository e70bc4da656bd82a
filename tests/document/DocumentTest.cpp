#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "Error.h"
#include "Oracles.h"
#include "Hints.h"
#include "TestPictures.h"
#include "PenmarkDocument.h"
#include "StringIds.h"
#include "Strings.h"
#include "SymbolFont.h"

namespace {

// Counts what the document tells its views.
class RecordingView : public CView, public CGlyphHintTarget {
public:
    int rebuilt = 0, moved = 0, general = 0;
    void OnUpdate(CView*, intptr_t, CObject* pHint) override {
        if (auto* hint = dynamic_cast<CGlyphUpdateHint*>(pHint))
            hint->UpdateView(this);
        else
            ++general;
    }
    void OnGlyphRebuilt() override { ++rebuilt; }
    void OnGlyphMoved() override { ++moved; }
};

std::unique_ptr<Outline> Box(int16_t w, int16_t h) {
    auto o = std::make_unique<Outline>();
    o->appendMove({0, 0});
    o->appendLine({w, 0});
    o->appendLine({w, h});
    o->appendLine({0, h});
    o->appendLine({0, 0});
    return o;
}

class FakeDialog : public IFileDialog {
public:
    FileDialogRequest seen;
    std::string answer;
    int filterIndex = 1;
    bool confirm = true;
    bool Run(FileDialogRequest& r) override {
        seen = r;
        r.fileName = answer;
        r.filterIndex = filterIndex;
        return confirm;
    }
};

class FakeSettings : public ISettings {
public:
    std::map<std::string, std::string> values;
    std::string GetString(const std::string& s, const std::string& k, const std::string& f) override {
        auto it = values.find(s + "/" + k);
        return it == values.end() ? f : it->second;
    }
    void SetString(const std::string& s, const std::string& k, const std::string& v) override {
        values[s + "/" + k] = v;
    }
};

struct DocumentTest : ::testing::Test {
    CPenmarkDocument doc;
    RecordingView view;
    void SetUp() override { doc.AddView(&view); }
    void Trace(int16_t w, int16_t h) {
        doc.m_pTracedOutline = Box(w, h);
        doc.ResetGlyphParameters(true);
    }
};

}  // namespace

TEST_F(DocumentTest, StartsWithTheDocumentedDefaults) {
    EXPECT_EQ(doc.m_wCharCode, 0xFFFF);
    EXPECT_EQ(doc.m_nSize, 50);
    EXPECT_EQ(doc.m_nLeftSpace, 10);
    EXPECT_EQ(doc.m_nUnitsPerEm, 2048);
    EXPECT_EQ(doc.m_fontInfo.lf.lfFaceName, "Arial");
    EXPECT_EQ(doc.m_fontInfo.lf.lfCharSet, 1);
    EXPECT_EQ(doc.m_fontInfo.lf.lfQuality, 2);
    EXPECT_EQ(doc.m_pViewState->zoom, 1);
    EXPECT_FALSE(doc.m_bAutoDelete);
    EXPECT_FALSE(doc.SupportsCharset(0));  // empty charset list
}

TEST_F(DocumentTest, RebuildWithoutTracingDoesNothing) {
    doc.RebuildGlyph();
    doc.SetSize(70);
    EXPECT_EQ(view.rebuilt, 0);
    EXPECT_FALSE(doc.m_pGlyph);
    EXPECT_EQ(doc.m_nSize, 70);
}

TEST_F(DocumentTest, SettersClampAndSkipUnchangedValues) {
    Trace(100, 100);
    EXPECT_EQ(view.rebuilt, 1);
    EXPECT_EQ(doc.m_nGlyphHeight, 1024);
    doc.SetSize(150);
    EXPECT_EQ(doc.m_nSize, 100);
    EXPECT_EQ(doc.m_nGlyphHeight, 2048);
    doc.SetSize(100);
    EXPECT_EQ(view.rebuilt, 2);  // same value: no rebuild, no hint
    doc.SetSize(-5);
    EXPECT_EQ(doc.m_nSize, 0);
    doc.SetSpacing(-300, 500, true);
    EXPECT_EQ(doc.m_nLeftSpace, -100);
    EXPECT_EQ(doc.m_nRightSpace, 200);
    EXPECT_EQ(doc.m_nUserLeftSpace, -100);
    int before = view.rebuilt;
    doc.SetSpacing(-100, 200, true);
    EXPECT_EQ(view.rebuilt, before);
}

TEST_F(DocumentTest, WidthSplitsInTheUsersProportion) {
    doc.SetSpacing(10, 30, true);
    EXPECT_EQ(doc.GetWidth(), 20);
    doc.SetWidth(20);
    EXPECT_EQ(doc.m_nLeftSpace, 10);
    EXPECT_EQ(doc.m_nRightSpace, 30);
    doc.SetWidth(40);
    EXPECT_EQ(doc.m_nLeftSpace, 20);
    EXPECT_EQ(doc.m_nRightSpace, 60);
    EXPECT_EQ(doc.m_nUserLeftSpace, 10);  // the proportion the user gave is kept
    EXPECT_EQ(doc.GetWidth(), 40);        // and the width reads back as it was set

    doc.SetSpacing(-5, -5, true);
    doc.SetWidth(50);
    EXPECT_EQ(doc.m_nLeftSpace, -5);
    EXPECT_EQ(doc.m_nRightSpace, -5);
    EXPECT_EQ(doc.GetWidth(), 0);
}

TEST_F(DocumentTest, MoveGlyphKeepsTheSumAndTheRanges) {
    Trace(100, 100);
    doc.SetSpacing(180, 10, true);
    uint16_t advance = doc.m_pGlyph->advanceWidth();
    int16_t x0 = doc.m_pGlyph->node(0).point(0).x;
    doc.MoveGlyph(50, 0);
    EXPECT_EQ(doc.m_nLeftSpace, 200);
    EXPECT_EQ(doc.m_nRightSpace, -10);
    EXPECT_EQ(doc.m_nLeftSpace + doc.m_nRightSpace, 190);
    EXPECT_EQ(doc.m_pGlyph->advanceWidth(), advance);  // moved, not rebuilt
    EXPECT_EQ(doc.m_pGlyph->node(0).point(0).x, x0 + doc.m_nGlyphWidth * 20 / 100);
    EXPECT_EQ(view.moved, 1);

    int32_t dx = 0, dy = 0;
    doc.ClampMove(dx, dy);
    EXPECT_EQ(dx, 0);
    dx = 10;
    dy = 150;
    doc.ClampMove(dx, dy);
    EXPECT_EQ(dx, 0);  // left is already at 200
    EXPECT_EQ(dy, 100);
    dx = -30;
    dy = -250;
    doc.ClampMove(dx, dy);
    EXPECT_EQ(dx, -30);
    EXPECT_EQ(dy, -100);
}

TEST_F(DocumentTest, VerticalPositionMovesWithoutRebuilding) {
    doc.SetVerticalPosition(30);
    EXPECT_EQ(doc.m_nVertPos, 30);
    EXPECT_EQ(view.moved, 0);  // no glyph yet: stored only
    doc.m_pTracedOutline = Box(100, 100);
    doc.RebuildGlyph();
    EXPECT_EQ(doc.m_pGlyph->box().yMin, 307);  // placed with it: trunc(0.3 * 1024)
    doc.SetVerticalPosition(-130);
    EXPECT_EQ(doc.m_nVertPos, -100);
    EXPECT_EQ(view.moved, 1);
    doc.m_pGlyph->boundingBox();
    EXPECT_EQ(doc.m_pGlyph->box().yMin, -1024);
    EXPECT_EQ(view.rebuilt, 1);
}

TEST_F(DocumentTest, InkRectangles) {
    auto* img = new MonoImage;
    img->Create(40, 30);
    img->Fill(1);
    img->SetPixel(10, 5, 0);
    img->SetPixel(30, 20, 0);
    doc.SetImage(img);
    doc.SelectInkIfEmpty();
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{10, 5, 31, 21}));
    EXPECT_EQ(doc.m_rcInk, doc.m_rcSelection);
    doc.m_rcSelection = PixelRect{0, 0, 20, 20};
    doc.SelectInkIfEmpty();  // a selection exists: unchanged
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{0, 0, 20, 20}));
    doc.ComputeInkRect();
    EXPECT_EQ(doc.m_rcInk, (PixelRect{10, 5, 11, 6}));
    doc.m_rcSelection = PixelRect{0, 25, 5, 30};
    doc.ComputeInkRect();
    EXPECT_TRUE(doc.m_rcInk.IsEmpty());
    doc.ClearSelection();
    EXPECT_TRUE(doc.m_rcSelection.IsEmpty());
    EXPECT_EQ(view.general, 1);
}

TEST(SaveDialog, DefaultExtensionRule) {
    EXPECT_EQ(ApplyDefaultExtension("/home/u/sig", "*.ttf"), "/home/u/sig.ttf");
    EXPECT_EQ(ApplyDefaultExtension("/home/u/sig.fonts", "*.ttf"), "/home/u/sig.fonts.ttf");
    EXPECT_EQ(ApplyDefaultExtension("/home/u/sig.ttf", "*.ttf"), "/home/u/sig.ttf");
    EXPECT_EQ(ApplyDefaultExtension("/home/u.v/sig", "*.ttf"), "/home/u.v/sig.ttf");
    EXPECT_EQ(ApplyDefaultExtension("sig", "*.*"), "sig");
    EXPECT_EQ(ApplyDefaultExtension("sig", "*.eps; *.ai"), "sig.eps");
}

// The suffix may make the new name at most 63 UTF-16 units long, as the page shows it.
TEST_F(DocumentTest, SuffixThatMakesTheNameTooLongIsRefused) {
    EXPECT_EQ(kMaxNewNameLength, 63u);
    doc.m_fontInfo.szFullName = "Liberation Sans Bold";
    doc.m_fontInfo.szFaceName = "Liberation Sans";
    EXPECT_TRUE(doc.IsSuffixAcceptable(" Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"));
    EXPECT_TRUE(doc.IsSuffixAcceptable(""));
    // 20 units of the full name leave 43 for the suffix, counted in UTF-16 units.
    EXPECT_TRUE(doc.IsSuffixAcceptable(std::string(43, 'x')));
    EXPECT_FALSE(doc.IsSuffixAcceptable(std::string(44, 'x')));
    std::string umlauts;
    for (int i = 0; i < 43; ++i) umlauts += "\xC3\xA4";
    EXPECT_TRUE(doc.IsSuffixAcceptable(umlauts));
    EXPECT_FALSE(doc.IsSuffixAcceptable(umlauts + "\xC3\xA4"));
    // A character beyond the BMP takes two units.
    EXPECT_FALSE(doc.IsSuffixAcceptable(std::string(42, 'x') + "\xF0\x9F\x96\x8B"));
    EXPECT_TRUE(IsSuffixAcceptable("Gill Sans", "Futura", std::string(54, 'x')));
    EXPECT_FALSE(IsSuffixAcceptable("Gill Sans", "Futura", std::string(55, 'x')));
    EXPECT_NE(std::string(GetString(StringId::kSuffixTooLong, Language::Russian)).find("%d"), std::string::npos);
}

TEST_F(DocumentTest, PromptFileNameRemembersTheFolderAndAppendsTheExtension) {
    FakeDialog dialog;
    FakeSettings settings;
    settings.values["Directories/Fonts"] = "/fonts/";
    doc.SetServices(PlatformServices{&dialog, &settings, nullptr, nullptr, {}});
    dialog.answer = "/out/dir/MySig";
    std::string name = "Penmark.ttf";
    ASSERT_TRUE(doc.PromptFileName(name, 61288, 0, false, kFileFonts));
    EXPECT_EQ(name, "/out/dir/MySig.ttf");
    EXPECT_EQ(settings.values["Directories/Fonts"], "/out/dir/");
    EXPECT_EQ(dialog.seen.initialDir, "/fonts/");
    EXPECT_EQ(dialog.seen.fileName, "Penmark.ttf");
    ASSERT_EQ(dialog.seen.filters.size(), 2u);
    EXPECT_EQ(dialog.seen.filters[0].patterns, "*.ttf; *.otf");
    EXPECT_EQ(dialog.seen.filters[1].patterns, "*.*");

    // A font with PostScript outlines is proposed as .otf and keeps that extension when
    // the user types a name without one; a collection is never offered for saving.
    name = "/home/u/Penmark.otf";
    ASSERT_TRUE(doc.PromptFileName(name, 61288, 0, false, kFileFonts));
    EXPECT_EQ(name, "/out/dir/MySig.otf");
    EXPECT_EQ(dialog.seen.filters[0].patterns, "*.otf; *.ttf");
    // Opening takes any font file, collections too.
    ASSERT_TRUE(doc.PromptFileName(name, 61288, 0, true, kFileFonts));
    EXPECT_EQ(name, "/out/dir/MySig");
    EXPECT_EQ(dialog.seen.filters[0].patterns, "*.ttf; *.otf; *.ttc");
    name = "Penmark.ttf";

    // An open dialog appends nothing; the image kind offers the combined entry first.
    doc.SetImageFilters({"", "*.tif; *.bmp; *.dib"},
                        {{"TIFF Files (*.tif)", "*.tif"}, {"Bitmap Files (*.bmp, *.dib)", "*.bmp; *.dib"}});
    dialog.answer = "/pics/scan";
    ASSERT_TRUE(doc.PromptFileName(name, 61288, 0, true, kFileImages));
    EXPECT_EQ(name, "/pics/scan");
    ASSERT_EQ(dialog.seen.filters.size(), 4u);
    EXPECT_EQ(dialog.seen.filters[0].description, "Image Files ");
    EXPECT_EQ(dialog.seen.filters[0].patterns, "*.tif; *.bmp; *.dib");
    EXPECT_EQ(settings.values["Directories/Images"], "/pics/");

    dialog.confirm = false;
    name = "keep";
    EXPECT_FALSE(doc.PromptFileName(name, 61288, 0, true, kFileOutlines));
    EXPECT_EQ(name, "keep");
    EXPECT_EQ(dialog.seen.filters[0].patterns, "*.eps; *.ai");
}

TEST_F(DocumentTest, LoadOutlineFileTakesADrawingAndRefusesOthers) {
    std::string dir = std::string(PENMARK_SOURCE_DIR) + "/tests/eps/data/";
    Trace(100, 100);
    doc.SetSize(80);
    ASSERT_TRUE(doc.LoadOutlineFile(dir + "all_operators.ai"));
    EXPECT_EQ(doc.m_nSize, 50);  // parameters reset for the new outline
    ASSERT_TRUE(doc.m_pTracedOutline);
    GlyphOutline probe;
    probe.assignOutline(*doc.m_pTracedOutline);
    GlyphBox box = probe.boundingBox();
    EXPECT_EQ(box.xMin, 0);  // moved to the origin
    EXPECT_EQ(box.yMin, 0);

    EXPECT_FALSE(doc.LoadOutlineFile(dir + "bad_header.eps"));
    EXPECT_EQ(doc.LastLoadError(), 1024);
    EXPECT_FALSE(doc.m_pTracedOutline);
    EXPECT_FALSE(doc.LoadOutlineFile(dir + "no-such-file.eps"));
    EXPECT_NE(doc.LastLoadError(), 0);
}

namespace {

class RecordingMessages : public IMessageSink {
public:
    std::vector<std::string> shown;
    int Show(const std::string& text, uint32_t) override {
        shown.push_back(text);
        return 1;
    }
};

}  // namespace

TEST_F(DocumentTest, LoadTraceAndPlaceAPicture) {
    ImageFormatRegistry registry;
    RecordingMessages messages;
    doc.SetImageRegistry(&registry);
    doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, &messages, {}});
    std::string path = std::string(PENMARK_TEST_TMP) + "/ring.bmp";
    ASSERT_TRUE(WriteTestBmp(path, RingPicture(60)));

    ASSERT_TRUE(doc.LoadImageFile(path));
    ASSERT_TRUE(doc.m_pImage);
    EXPECT_EQ(doc.m_pImage->width, 60);
    doc.SelectInkIfEmpty();
    EXPECT_FALSE(doc.m_rcInk.IsEmpty());
    doc.SetSize(80);
    ASSERT_TRUE(doc.TraceSelection());
    EXPECT_EQ(doc.m_nSize, 50);  // fresh parameters for the new tracing
    ASSERT_TRUE(doc.m_pGlyph);
    EXPECT_EQ(doc.m_nGlyphHeight, 1024);
    int moves = 0;
    for (OutlineNodeRef n = doc.m_pTracedOutline->firstNode(); n; n = doc.m_pTracedOutline->nextNode(n))
        moves += n.kind() == kNodeMove;
    EXPECT_EQ(moves, 2);  // the ring and its hole
    EXPECT_TRUE(messages.shown.empty());

    // A failed load leaves no picture and no selection, after the readers' message.
    std::unique_ptr<Outline> before = std::make_unique<Outline>(*doc.m_pTracedOutline);
    EXPECT_FALSE(doc.LoadImageFile(std::string(PENMARK_TEST_TMP) + "/missing.bmp"));
    EXPECT_FALSE(doc.m_pImage);
    EXPECT_TRUE(doc.m_rcSelection.IsEmpty());
    EXPECT_EQ(messages.shown.size(), 1u);

    // Tracing without a picture fails and keeps the previous tracing.
    EXPECT_FALSE(doc.TraceSelection());
    EXPECT_EQ(doc.m_pTracedOutline->nodeCount(), before->nodeCount());
    std::remove(path.c_str());
}

TEST_F(DocumentTest, EscDuringALongTraceKeepsThePreviousTracing) {
    Trace(100, 100);
    const int before = doc.m_pTracedOutline->nodeCount();
    // 6000 x 4000 with a dot of ink in every 8 x 8 cell: 375000 contours.
    auto image = std::make_unique<MonoImage>();
    image->Create(6000, 4000);
    image->Fill(1);
    for (int32_t y = 2; y < 4000; y += 8)
        for (int32_t x = 0; x < 6000 / 8; ++x) image->Row(y)[x] = 0xE7;
    doc.SetImage(image.release());
    doc.m_rcInk = PixelRect{0, 0, 6000, 4000};
    int calls = 0;
    PlatformServices services;
    services.progress = [&](int32_t, intptr_t) -> int32_t {
        ++calls;
        return ErrorCode::kCancelled;  // Esc
    };
    doc.SetServices(services);
    EXPECT_FALSE(doc.TraceSelection());
    EXPECT_EQ(doc.LastLoadError(), ErrorCode::kCancelled);
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(doc.m_pTracedOutline);
    EXPECT_EQ(doc.m_pTracedOutline->nodeCount(), before);
}

TEST_F(DocumentTest, SaveFontReportsProgressAroundTheEngine) {
    std::string src = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    std::string font = std::string(PENMARK_TEST_TMP) + "/base.ttf";
    std::string cmd = "/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                      "/tests/symbolfont/derive_font.py '" + src + "' '" + font + "' post3";
    PENMARK_NEED(std::system(cmd.c_str()) == 0, "fonts-liberation2 or fontTools");
    std::vector<int32_t> codes;
    PlatformServices services;
    services.progress = [&](int32_t code, intptr_t) -> int32_t {
        codes.push_back(code);
        return 0;
    };
    doc.SetServices(services);
    FontInfo info;
    info.szPath = font;
    doc.SetFontInfo(info);
    std::string out = std::string(PENMARK_TEST_TMP) + "/saved.ttf";
    EXPECT_FALSE(doc.SaveFont(out, "-X"));  // nothing traced yet: no glyph
    EXPECT_EQ(doc.LastLoadError(), kGlyphUnplaceable);
    EXPECT_NE(SaveFontErrorStringId(kGlyphUnplaceable), 0);
    EXPECT_TRUE(codes.empty());  // refused before any progress
    // A signature 12 times as wide as high, at full size with 200 % left space, would
    // reach x = 73728: refused before the font is touched, and told as too large.
    Trace(1200, 100);
    doc.m_wCharCode = 0x41;
    doc.SetSize(100);
    doc.SetSpacing(200, 10, true);
    EXPECT_TRUE(doc.GlyphOutOfRange());
    EXPECT_FALSE(doc.SaveFont(out, "-X"));
    EXPECT_EQ(doc.LastLoadError(), SymbolFontError::kTooLarge);
    EXPECT_EQ(SaveFontErrorStringId(SymbolFontError::kTooLarge), StringId::kSymbolTooLarge);
    EXPECT_TRUE(codes.empty());
    Trace(100, 100);
    EXPECT_FALSE(doc.GlyphOutOfRange());
    ASSERT_TRUE(doc.SaveFont(out, "-X"));
    EXPECT_EQ(codes, (std::vector<int32_t>{3, 5, 2, 1, 1, 6, 4}));
    EXPECT_EQ(ComposeNewName("Arial Bold", "Arial", "-Penmark"), "Arial-Penmark Bold");
    EXPECT_EQ(ComposeNewName("Old Style Arial", "Arial", " X"), "Arial X");
    EXPECT_EQ(ComposeNewName("Gill Sans", "Futura", "-P"), "Gill Sans-P");
}
