// The image view driven as the user meets it: real widget, mouse and keys, grabbed pixels.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "CImageView.h"
#include "ImageViewHints.h"
#include "PenmarkDocument.h"
#include "PlatformVersion.h"
#include "Strings.h"

namespace {

// The page the view sits on: counts the view's selection notices.
class NoticeCounter : public QWidget {
public:
    int notices = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == ImageSelectionEvent::EventType()) {
            ++notices;
            return true;
        }
        return QWidget::event(e);
    }
};

// A picture of w x h with ink where pattern(x, y) says so.
template <class Pattern>
std::unique_ptr<MonoImage> Picture(int w, int h, Pattern pattern) {
    auto image = std::make_unique<MonoImage>();
    image->Create(w, h);
    image->Fill(1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pattern(x, y)) image->SetPixel(x, y, 0);
    return image;
}

std::unique_ptr<MonoImage> Paper(int w, int h) {
    return Picture(w, h, [](int, int) { return false; });
}

struct ImageViewTest : ::testing::Test {
    CPenmarkDocument doc;
    NoticeCounter page;
    CImageView* view = nullptr;

    void SetUp() override { SetCurrentLanguage(Language::English); }
    void TearDown() override { SetPlatformVersion(PlatformVersion{}); }

    // A view of the picture on a page of the given client size, as the page shows it.
    void Show(std::unique_ptr<MonoImage> image, QSize client, bool selectionMode = true) {
        doc.m_pImage = std::move(image);
        *doc.m_pViewState = {ImageViewState::kZoomFit, 0, 0};  // as after a picture is loaded
        page.resize(client);
        view = new CImageView(&doc, selectionMode, selectionMode ? 1 : 0, &page);
        view->setGeometry(QRect(QPoint(0, 0), client));
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
        view->RestoreState();
    }
    QWidget* Port() const { return view->viewport(); }
    // Drags with the left button from a to b (client pixels).
    void Drag(QPoint a, QPoint b) {
        QTest::mousePress(Port(), Qt::LeftButton, {}, a);
        QTest::mouseMove(Port(), (a + b) / 2);
        QTest::mouseMove(Port(), b);
        QTest::mouseRelease(Port(), Qt::LeftButton, {}, b);
    }
};

TEST_F(ImageViewTest, ZoomButtonsDoubleAndHalveThroughTheSequence) {
    Show(Paper(100, 80), {400, 300});
    view->ZoomTo(1);
    view->ZoomIn();
    EXPECT_EQ(view->Zoom(), 2);
    view->ZoomTo(-2);
    view->ZoomIn();
    EXPECT_EQ(view->Zoom(), 1);
    view->ZoomOut();
    EXPECT_EQ(view->Zoom(), -2);
    view->ZoomTo(16);
    view->ZoomOut();
    EXPECT_EQ(view->Zoom(), 8);

    std::vector<int> seen;
    view->ZoomTo(1);
    for (int i = 0; i < 6; ++i) {
        view->ZoomOut();
        seen.push_back(view->Zoom());
    }
    EXPECT_EQ(seen, (std::vector<int>{-2, -4, -8, -16, -16, -16}));
    seen.clear();
    for (int i = 0; i < 10; ++i) {
        view->ZoomIn();
        seen.push_back(view->Zoom());
    }
    EXPECT_EQ(seen, (std::vector<int>{-8, -4, -2, 1, 2, 4, 8, 16, 16, 16}));
    EXPECT_EQ(view->ZoomMode(), 16);
    // From a fitted value the buttons double or halve it.
    EXPECT_EQ(CImageView::ZoomInStep(-3), 1);
    EXPECT_EQ(CImageView::ZoomOutStep(-3), -6);
    EXPECT_EQ(CImageView::ZoomInStep(7), 14);
    EXPECT_EQ(CImageView::ZoomOutStep(7), 3);
}

TEST_F(ImageViewTest, FitPicksTheLargestWholeMagnificationOrEnoughReduction) {
    Show(Paper(50, 40), {400, 300});
    EXPECT_EQ(view->ZoomMode(), CImageView::kZoomFit);
    EXPECT_EQ(view->Zoom(), 7);  // 300 / 40
    EXPECT_EQ(view->Extent(), QSize(350, 280));
    EXPECT_FALSE(view->GridOn());

    doc.m_pImage = Paper(1200, 100);  // three times wider than the client
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(view->Zoom(), -3);
    EXPECT_EQ(view->Extent(), QSize(400, 34));

    doc.m_pImage = Paper(1201, 100);
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(view->Zoom(), -4);
}

TEST_F(ImageViewTest, RectanglesMapToWholeBlocksInsideTheGrid) {
    Show(Paper(300, 200), {400, 300});
    PixelRect r{2, 3, 5, 7};
    view->SetZoom(16);
    ASSERT_TRUE(view->GridOn());
    EXPECT_EQ(view->ImageRectToView(r), (PixelRect{33, 49, 80, 112}));
    view->SetZoom(1);
    EXPECT_FALSE(view->GridOn());
    EXPECT_EQ(view->ImageRectToView(r), r);
    view->SetZoom(-3);
    EXPECT_EQ(view->ImageRectToView(r), (PixelRect{0, 1, 2, 3}));
    EXPECT_EQ(view->ImageToView(QPoint(7, 9)), QPoint(2, 3));
    EXPECT_EQ(view->ViewToImage(QPoint(2, 3)), QPoint(6, 9));
}

TEST_F(ImageViewTest, OldPlatformsLimitTheZoomSoTheExtentFitsSixteenBits) {
    SetPlatformVersion({1, 4, 0});
    Show(Paper(4000, 100), {400, 300});
    EXPECT_EQ(view->MaxZoom(), 8);
    view->ZoomTo(16);
    EXPECT_EQ(view->Zoom(), 8);
    view->ZoomIn();
    EXPECT_EQ(view->Zoom(), 8);

    SetPlatformVersion(PlatformVersion{});
    doc.m_pImage = Paper(4001, 100);
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(view->MaxZoom(), 16);
}

TEST_F(ImageViewTest, ADragEndingAboveLeftGivesANormalizedSelection) {
    Show(Paper(300, 200), {400, 300});
    view->ZoomTo(1);
    Drag({120, 90}, {40, 30});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{40, 30, 121, 91}));
    EXPECT_FALSE(view->Dragging());
    EXPECT_EQ(page.notices, 1);

    // A click without moving selects the one pixel.
    QTest::mouseClick(Port(), Qt::LeftButton, {}, QPoint(250, 10));
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{250, 10, 251, 11}));
    EXPECT_EQ(page.notices, 2);

    // Beyond the picture the band stops at its last pixel.
    Drag({10, 10}, {390, 290});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{10, 10, 300, 200}));
}

TEST_F(ImageViewTest, MovingAgainstTheBorderStopsWithoutShrinking) {
    Show(Paper(300, 200), {400, 300});
    view->ZoomTo(1);
    doc.m_rcSelection = {100, 100, 150, 140};
    EXPECT_EQ(view->HitTest({125, 120}), CImageView::kHitMove);
    QTest::mousePress(Port(), Qt::LeftButton, {}, {125, 120});
    EXPECT_EQ(view->DragCode(), CImageView::kHitMove);
    QTest::mouseMove(Port(), {10, 110});     // 115 to the left: only 100 are possible
    QTest::mouseMove(Port(), {5, 105});
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, {5, 105});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{0, 85, 50, 125}));

    // Edges and corners resize.
    EXPECT_EQ(view->HitTest({49, 105}), CImageView::kHitRight);
    EXPECT_EQ(view->HitTest({49, 124}), CImageView::kHitRight + CImageView::kHitBottom);
    EXPECT_EQ(view->HitTest({20, 83}), CImageView::kHitTop);
    EXPECT_EQ(view->HitTest({60, 105}), CImageView::kHitNone);
    Drag({49, 124}, {80, 150});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{0, 85, 81, 151}));
}

TEST_F(ImageViewTest, EscAndTheRightButtonKeepThePreviousSelection) {
    Show(Paper(300, 200), {400, 300});
    view->ZoomTo(1);
    doc.m_rcSelection = {10, 10, 20, 20};
    QTest::mousePress(Port(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(Port(), {150, 150});
    EXPECT_TRUE(view->Dragging());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(view->Dragging());
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, {150, 150});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{10, 10, 20, 20}));
    EXPECT_EQ(page.notices, 1);

    QTest::mousePress(Port(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(Port(), {150, 150});
    QTest::mousePress(Port(), Qt::RightButton, {}, {150, 150});
    EXPECT_FALSE(view->Dragging());
    EXPECT_FALSE(view->ContextMenu()->isVisible());  // the right button only cancelled
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, {150, 150});
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{10, 10, 20, 20}));
    EXPECT_EQ(page.notices, 2);
}

TEST_F(ImageViewTest, SelectAllDeselectAndTheirPopup) {
    Show(Paper(300, 200), {400, 300});
    QMenu* menu = view->ContextMenu();
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Select &All", "&Deselect"}));
    menu->actions()[0]->trigger();
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{0, 0, 300, 200}));
    menu->actions()[1]->trigger();
    EXPECT_TRUE(doc.m_rcSelection.IsEmpty());
    EXPECT_EQ(page.notices, 2);
}

TEST_F(ImageViewTest, ImageCommandsChangeThePictureAndRotationRefits) {
    Show(Picture(60, 20, [](int x, int y) { return x == 0 && y == 0; }), {400, 300}, false);
    QMenu* menu = view->ContextMenu();
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"&Enhance", "&Invert", "Flip &Horizontal", "Flip &Vertical", "&Rotate"}));
    EXPECT_EQ(view->Zoom(), 6);  // 400 / 60
    menu->actions()[2]->trigger();  // Flip Horizontal
    EXPECT_EQ(doc.m_pImage->GetPixel(59, 0), 0);
    EXPECT_EQ(doc.m_pImage->GetPixel(0, 0), 1);

    doc.m_rcSelection = {1, 1, 5, 5};
    QMenu* rotate = menu->actions()[4]->menu();
    ASSERT_NE(rotate, nullptr);
    rotate->actions()[0]->trigger();  // 90°
    EXPECT_EQ(doc.m_pImage->width, 20);
    EXPECT_EQ(doc.m_pImage->height, 60);
    EXPECT_TRUE(doc.m_rcSelection.IsEmpty());
    EXPECT_EQ(view->Zoom(), 5);  // 300 / 60, fitted again
    EXPECT_EQ(view->Extent(), QSize(100, 300));

    // Not fitted: the zoom stays, the extent follows the new shape.
    view->ZoomTo(2);
    rotate->actions()[1]->trigger();  // 270°
    EXPECT_EQ(view->Zoom(), 2);
    EXPECT_EQ(view->Extent(), QSize(120, 40));
}

TEST_F(ImageViewTest, StateSurvivesThroughTheDocument) {
    Show(Paper(1000, 800), {400, 300});
    view->ZoomAt(4, {500, 400});
    view->ZoomTo(4);
    view->SaveState();
    EXPECT_EQ(doc.m_pViewState->zoom, 4);
    EXPECT_NEAR(doc.m_pViewState->x, 500, 1);
    EXPECT_NEAR(doc.m_pViewState->y, 400, 1);

    CImageView other(&doc, false, 0, &page);
    other.setGeometry(0, 0, 400, 300);
    other.show();
    other.RestoreState();
    EXPECT_EQ(other.Zoom(), 4);
    EXPECT_EQ(other.ScrollPosition(), view->ScrollPosition());
}

// Grabs the view and tells the colour of each client pixel.
QImage Grab(CImageView* view) {
    view->viewport()->repaint();
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(ImageViewTest, PaintedPixelsAreThePicturesAtZoomFour) {
    auto pattern = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; };
    Show(Picture(21, 13, pattern), {200, 100}, false);
    view->ZoomTo(4);
    ASSERT_EQ(view->ScrollPosition(), QPoint(0, 0));
    QImage shot = Grab(view);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            QRgb expected = x >= 84 || y >= 52 ? qRgb(128, 128, 128)
                            : pattern(x / 4, y / 4) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            ASSERT_EQ(shot.pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(ImageViewTest, GridAndSelectionLook) {
    Show(Picture(40, 30, [](int x, int) { return x >= 20; }), {400, 300});
    view->ZoomTo(8);
    ASSERT_TRUE(view->GridOn());
    ASSERT_EQ(view->ScrollPosition(), QPoint(0, 0));
    QImage shot = Grab(view);
    EXPECT_EQ(shot.pixel(8, 3), qRgb(128, 128, 128));   // a grid line
    EXPECT_EQ(shot.pixel(3, 3), qRgb(255, 255, 255));   // paper
    EXPECT_EQ(shot.pixel(163, 3), qRgb(0, 0, 0));      // ink

    doc.m_rcSelection = {10, 5, 30, 25};  // view 81..239, 41..199
    shot = Grab(view);
    EXPECT_EQ(shot.pixel(100, 100), qRgb(63, 63, 64));     // paper inside
    EXPECT_EQ(shot.pixel(180, 100), qRgb(192, 192, 192));  // ink inside
    EXPECT_EQ(shot.pixel(81, 41), qRgb(0, 0, 0));          // corner handle's centre
    EXPECT_EQ(shot.pixel(78, 38), qRgb(255, 255, 255));    // its white outline
    EXPECT_EQ(shot.pixel(160, 41), qRgb(0, 0, 0));         // mid-edge handle: wide enough
    QRgb frame = shot.pixel(120, 41);
    EXPECT_TRUE(frame == qRgb(0, 0, 255) || frame == qRgb(255, 255, 255));

    // A selection 3 pixels wide (24 view pixels) has no handles in the middle of top and bottom.
    doc.m_rcSelection = {10, 5, 13, 25};
    shot = Grab(view);
    EXPECT_NE(shot.pixel(93, 41), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(81, 120), qRgb(0, 0, 0));  // the left side is tall: it has one
}

TEST_F(ImageViewTest, ScrollingPaintsOnlyWhatWasExposed) {
    Show(Paper(1000, 800), {400, 300}, false);
    view->ZoomTo(1);
    Grab(view);
    QApplication::processEvents();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 10);
    QApplication::processEvents();
    QRect painted = view->LastPaintRegion().boundingRect();
    EXPECT_LE(painted.height(), 10);
    EXPECT_EQ(painted.width(), view->viewport()->width());
}

TEST_F(ImageViewTest, DraggingPastTheEdgeScrollsEveryTick) {
    Show(Paper(1000, 800), {400, 300});
    view->ZoomTo(4);
    view->ZoomAt(4, {0, 0});
    ASSERT_EQ(view->ScrollPosition(), QPoint(0, 0));
    QTest::mousePress(Port(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(Port(), {view->viewport()->width() + 5, 100});
    EXPECT_TRUE(view->AutoScrolling());
    QTest::qWait(350);
    EXPECT_GE(view->ScrollPosition().x(), 16);  // whole blocks, at least two ticks
    EXPECT_EQ(view->ScrollPosition().x() % 4, 0);
    QTest::mouseMove(Port(), {200, 100});
    EXPECT_FALSE(view->AutoScrolling());
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, {200, 100});
    EXPECT_GT(doc.m_rcSelection.right, 50);
}

TEST_F(ImageViewTest, TheKeyboardSetsTheSelection) {
    Show(Paper(200, 100), {400, 300});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);  // the first key selects the middle
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{50, 25, 150, 75}));
    EXPECT_EQ(page.notices, 1);
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{51, 35, 151, 85}));
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{51, 35, 150, 84}));
    for (int i = 0; i < 30; ++i) QTest::keyClick(view, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{101, 35, 200, 84}));  // stopped at the border, same size
    for (int i = 0; i < 20; ++i) QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(doc.m_rcSelection.Width(), 1);  // a pixel always stays
}

}  // namespace
