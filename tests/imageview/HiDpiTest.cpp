// On a 200% screen (QT_SCALE_FACTOR=2) the view draws in device pixels: at zoom 1 each
// picture pixel is one device pixel, so a checkerboard stays a sharp checkerboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "CImageView.h"
#include "PenmarkDocument.h"

TEST(ImageViewHiDpi, ZoomOneIsOneDevicePixelPerPicturePixel) {
    CPenmarkDocument doc;
    doc.m_pImage = std::make_unique<MonoImage>();
    doc.m_pImage->Create(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) doc.m_pImage->SetPixel(x, y, (x + y) % 2);
    QWidget page;
    page.resize(200, 150);
    CImageView view(&doc, false, 0, &page);
    view.setGeometry(0, 0, 200, 150);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_EQ(view.viewport()->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    view.ZoomTo(1);
    EXPECT_EQ(view.ClientSize(), QSize(400, 300));
    view.viewport()->repaint();
    QImage shot = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(400, 300));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(shot.pixel(x, y), (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << x << "," << y;
    EXPECT_EQ(shot.pixel(100, 10), qRgb(128, 128, 128));  // beyond the picture
}

// Its own main: the scale factor must be set before the application starts.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_SCALE_FACTOR", "2", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
