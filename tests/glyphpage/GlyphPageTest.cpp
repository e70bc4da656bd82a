// The glyph page inside the real sheet, with a traced picture and DejaVu Serif from its
// file: sliders, character boxes, point sizes, drags in the preview and its pixels.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <memory>

#include "CGlyphPage.h"
#include "CGlyphView.h"
#include "CPenmarkDlg.h"
#include "OutlineRaster.h"
#include "PenmarkDocument.h"
#include "PrivateFontFolder.h"
#include "Strings.h"
#include "TestPictures.h"
#include "WizardPages.h"

namespace {

const std::string kSerif = std::string(test_fonts::kDejaVuDir) + "DejaVuSerif.ttf";

// Tallies what fontTools reads from a font: the advance of a character and the em.
bool FontToolsAdvance(const std::string& font, char c, int& advance, int& unitsPerEm) {
    std::string cmd = "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
                      "g = f.getBestCmap()[ord(sys.argv[2])]; print(f['hmtx'][g][0], f['head'].unitsPerEm)\" '" +
                      font + "' " + c + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    bool ok = std::fscanf(p, "%d %d", &advance, &unitsPerEm) == 2;
    return pclose(p) == 0 && ok;
}

struct GlyphPageTest : ::testing::Test {
    CPenmarkDocument doc;
    std::unique_ptr<CPenmarkDlg> sheet;
    CGlyphPage* page = nullptr;
    CGlyphView* view = nullptr;

    void SetUp() override {
        SetCurrentLanguage(Language::English);
        if (::access(kSerif.c_str(), R_OK) != 0) {
            if (test_fonts::MaySkip()) GTEST_SKIP() << "fonts-dejavu-core is needed";
            FAIL() << "fonts-dejavu-core is needed";
        }
        FontInfo font;
        font.szFullName = font.szFaceName = "DejaVu Serif";
        font.szPath = kSerif;
        font.lf.lfFaceName = "DejaVu Serif";
        doc.SetFontInfo(font);
        // A traced ring, as the select-area page leaves it.
        doc.m_pImage = std::make_unique<MonoImage>();
        RingPicture(200).CopyTo(*doc.m_pImage);
        doc.m_rcSelection = {0, 0, 200, 200};
        doc.ComputeInkRect();
        ASSERT_TRUE(doc.TraceSelection());
        sheet = std::make_unique<CPenmarkDlg>(&doc);
        CreateWizardPages(*sheet);
        sheet->resize(800, 600);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->SetActivePage(1);
        sheet->SetActivePage(5);
        ASSERT_EQ(sheet->ActiveIndex(), 5);
        page = dynamic_cast<CGlyphPage*>(sheet->Page(5));
        ASSERT_NE(page, nullptr);
        view = page->View();
        ASSERT_NE(view, nullptr);
        QApplication::processEvents();
    }
    QImage Grab() {
        view->repaint();
        return view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, (from + to) / 2);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }
};

TEST_F(GlyphPageTest, SlidersMapToTheParametersAtBothEnds) {
    EXPECT_EQ(page->SizeSlider()->value(), 60);  // size 50
    EXPECT_EQ(page->VertSlider()->value(), 100);  // position 0
    QTest::keyClick(page->SizeSlider(), Qt::Key_Home);
    EXPECT_EQ(page->SizeSlider()->value(), 10);
    EXPECT_EQ(doc.m_nSize, 100);
    QTest::keyClick(page->SizeSlider(), Qt::Key_End);
    EXPECT_EQ(doc.m_nSize, 10);
    QTest::keyClick(page->VertSlider(), Qt::Key_Home);
    EXPECT_EQ(doc.m_nVertPos, 100);
    QTest::keyClick(page->VertSlider(), Qt::Key_End);
    EXPECT_EQ(doc.m_nVertPos, -100);

    // Up moves the handle up, where the larger size and the higher position are.
    QTest::keyClick(page->SizeSlider(), Qt::Key_Up);
    EXPECT_EQ(doc.m_nSize, 11);
    QTest::keyClick(page->SizeSlider(), Qt::Key_PageUp);
    EXPECT_GT(doc.m_nSize, 11);
    QTest::keyClick(page->VertSlider(), Qt::Key_Up);
    EXPECT_EQ(doc.m_nVertPos, -99);
    QTest::keyClick(page->VertSlider(), Qt::Key_Down);
    EXPECT_EQ(doc.m_nVertPos, -100);

    QTest::mouseClick(page->ResetButton(), Qt::LeftButton);
    EXPECT_EQ(doc.m_nSize, 50);
    EXPECT_EQ(doc.m_nVertPos, 0);
    EXPECT_EQ(page->SizeSlider()->value(), 60);
    EXPECT_EQ(page->VertSlider()->value(), 100);
}

TEST_F(GlyphPageTest, WidthSliderSpreadsTheUserSpaces) {
    EXPECT_EQ(page->WidthSlider()->value(), 10);
    page->WidthSlider()->setValue(20);
    EXPECT_EQ(doc.m_nLeftSpace, 20);
    EXPECT_EQ(doc.m_nRightSpace, 20);
    EXPECT_EQ(page->WidthSlider()->value(), 20);  // the handle stays where it was put
    // Key presses add up.
    QTest::keyClick(page->WidthSlider(), Qt::Key_Right);
    QTest::keyClick(page->WidthSlider(), Qt::Key_Right);
    EXPECT_EQ(page->WidthSlider()->value(), 22);
    EXPECT_EQ(doc.m_nLeftSpace, 22);
    QTest::keyClick(page->WidthSlider(), Qt::Key_PageUp);
    EXPECT_EQ(page->WidthSlider()->value(), 22 + page->WidthSlider()->pageStep());

    doc.SetSpacing(0, -20, true);
    page->LoadControls();
    EXPECT_EQ(page->WidthSlider()->value(), 0);
    page->WidthSlider()->setValue(30);
    EXPECT_EQ(doc.m_nLeftSpace, 0);
    EXPECT_EQ(doc.m_nRightSpace, -20);
}

TEST_F(GlyphPageTest, SamplesComeFromTheFontFileAtTheScreensResolution) {
    int advance = 0, upem = 0;
    if (!FontToolsAdvance(kSerif, 'E', advance, upem)) {
        if (test_fonts::MaySkip()) GTEST_SKIP() << "python3-fonttools is needed";
        FAIL() << "python3-fonttools is needed";
    }
    EXPECT_TRUE(view->UsesFontFile());
    EXPECT_EQ(view->PixelSize(), std::lround(72 * view->logicalDpiY() / 72.0));
    EXPECT_NEAR(view->CharWidth('E'), double(advance) * view->PixelSize() / upem, 1.0);

    // Even under a name the desktop does not know, the file decides.
    FontInfo odd = doc.m_fontInfo;
    odd.lf.lfFaceName = "No Such Family";
    view->setFont(odd, 0);
    EXPECT_NEAR(view->CharWidth('E'), double(advance) * view->PixelSize() / upem, 1.0);

    page->PointSizeBox()->setCurrentText("128");
    EXPECT_EQ(view->PointSize(), 128);
    EXPECT_EQ(view->PixelSize(), std::lround(128 * view->logicalDpiY() / 72.0));
    EXPECT_NEAR(view->PixelScale(), view->PixelSize() / 2048.0, 1e-12);
}

TEST_F(GlyphPageTest, TheRowIsCentredAndAnEmptyBoxDropsItsSample) {
    int left = view->CharWidth('E'), right = view->CharWidth('g');
    int advance = int(std::lround(doc.m_pGlyph->advanceWidth() * view->PixelScale()));
    EXPECT_EQ(view->OriginX(), view->LeftX() + left);
    EXPECT_EQ(view->AdvanceX(), view->OriginX() + advance);
    EXPECT_NEAR(view->LeftX() + (left + advance + right) / 2.0, view->width() / 2.0, 1.0);
    QImage before = Grab();
    int inkLeft = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < view->OriginX() - 2; ++x) inkLeft += qGray(before.pixel(x, y)) < 100;
    EXPECT_GT(inkLeft, 50);  // the "E"

    page->LeftCharEdit()->selectAll();
    QTest::keyClick(page->LeftCharEdit(), Qt::Key_Backspace);
    EXPECT_EQ(view->LeftChar(), CGlyphView::kNoChar);
    EXPECT_EQ(view->OriginX(), view->LeftX());
    QImage after = Grab();
    int darkLeft = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < view->LeftX() - 2; ++x) darkLeft += qGray(after.pixel(x, y)) < 100 && y != view->BaselineY();
    EXPECT_EQ(darkLeft, 0);

    page->RightCharEdit()->selectAll();
    QTest::keyClicks(page->RightCharEdit(), "x");
    EXPECT_EQ(view->RightChar(), 'x');
}

TEST_F(GlyphPageTest, DraggingAnEdgeChangesItsSpace) {
    const int width = doc.m_nGlyphWidth;
    const double scale = view->PixelScale();
    // The smallest whole pixel offset that makes 10 percent of the glyph's width.
    int pixels = int(std::ceil(0.10 * width * scale));
    ASSERT_EQ(int(pixels / scale * 100 / width), 10) << "the scale allows no exact 10";
    QPoint start(view->OriginX(), view->BaselineY() - 5);
    EXPECT_EQ(view->HitTest(start), CGlyphView::kHitLeftEdge);
    Drag(start, start + QPoint(pixels, 0));
    EXPECT_EQ(doc.m_nLeftSpace, 0);
    EXPECT_EQ(doc.m_nRightSpace, 10);
    EXPECT_EQ(doc.m_nUserLeftSpace, 0);
    EXPECT_EQ(page->WidthSlider()->value(), 5);  // the page heard of the drag

    QPoint right(view->AdvanceX(), view->BaselineY() - 5);
    EXPECT_EQ(view->HitTest(right), CGlyphView::kHitRightEdge);
    Drag(right, right + QPoint(pixels, 0));
    EXPECT_EQ(doc.m_nRightSpace, 20);
}

TEST_F(GlyphPageTest, DraggingTheSymbolStopsAtTheLimits) {
    QPoint centre = view->SymbolRect().center();
    ASSERT_EQ(view->HitTest(centre), CGlyphView::kHitSymbol);
    QTest::mousePress(view, Qt::LeftButton, {}, centre);
    QTest::mouseMove(view, centre + QPoint(2000, -2000));
    QTest::mouseMove(view, centre + QPoint(3000, -3000));
    QTest::mouseRelease(view, Qt::LeftButton, {}, centre + QPoint(3000, -3000));
    EXPECT_EQ(doc.m_nVertPos, 100);
    EXPECT_EQ(doc.m_nRightSpace, -100);  // the symbol went right until the right space ran out
    EXPECT_EQ(doc.m_nLeftSpace, 120);
    EXPECT_EQ(page->VertSlider()->value(), 0);
}

TEST_F(GlyphPageTest, ThePaintedSymbolIsTheRasterisersWithinAPixel) {
    QImage shot = Grab();
    MonoBitmap raster;
    OutlineRasterParams params;
    params.scale = view->PixelScale();
    params.offsetX = view->OriginX();
    params.offsetY = shot.height() - view->BaselineY();
    RasterizeOutline(*doc.m_pGlyph, shot.width(), shot.height(), raster, params);
    QRect box = view->SymbolRect();
    ASSERT_FALSE(box.isEmpty());
    auto ink = [&](int x, int y) { return raster.GetPixel(x, y) == 0; };
    int inked = 0, wrong = 0;
    for (int y = box.top() + 1; y < box.bottom(); ++y)
        for (int x = box.left() + 1; x < box.right(); ++x) {
            if (y == view->BaselineY() || x == view->OriginX() || x == view->AdvanceX()) continue;
            bool painted = qGray(shot.pixel(x, y)) < 128;
            inked += ink(x, y);
            if (painted == ink(x, y)) continue;
            // Only a pixel beside the edge may differ.
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx) edge = ink(x + dx, y + dy) != ink(x, y);
            wrong += !edge;
        }
    EXPECT_GT(inked, 500);
    EXPECT_EQ(wrong, 0);
}

TEST_F(GlyphPageTest, ManyContoursAreDrawnWhole) {
    // 2500 small squares: more contours than a fixed table of 2000 would hold.
    auto traced = std::make_unique<Outline>();
    for (int i = 0; i < 2500; ++i) {
        int16_t x = int16_t((i % 50) * 20), y = int16_t((i / 50) * 20);
        traced->appendMove({x, y});
        traced->appendLine({int16_t(x + 16), y});
        traced->appendLine({int16_t(x + 16), int16_t(y + 16)});
        traced->appendLine({x, int16_t(y + 16)});
    }
    doc.m_pTracedOutline = std::move(traced);
    doc.ResetGlyphParameters(true);
    page->PointSizeBox()->setCurrentText("128");
    QImage shot = Grab();
    QRect box = view->SymbolRect();
    int dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) dark += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(dark, box.width() * box.height() / 4);
    // The last square (top right) is there too.
    EXPECT_LT(qGray(shot.pixel(box.right() - 3, box.top() + 3)), 128);
}

TEST_F(GlyphPageTest, BackGoesWhereTheTracingCameFrom) {
    doc.m_nGlyphBackPage = 2;
    QTest::mouseClick(sheet->button(QWizard::BackButton), Qt::LeftButton);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
}

TEST_F(GlyphPageTest, TheArrowKeysMoveTheSymbol) {
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(doc.m_nLeftSpace, 12);
    EXPECT_EQ(doc.m_nRightSpace, 8);
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(doc.m_nVertPos, 1);
    EXPECT_EQ(page->VertSlider()->value(), 99);  // the page heard of it
}

}  // namespace
