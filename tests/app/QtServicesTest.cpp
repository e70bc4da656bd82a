#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include "MonoImage.h"
#include "PenmarkDocument.h"
#include "QtServices.h"

TEST(QtServices, OnlyWhiteIsPaper) {
    QImage img(10, 2, QImage::Format_ARGB32);
    img.fill(Qt::white);
    img.setPixel(0, 0, qRgb(254, 255, 255));  // nearly white is still ink
    img.setPixel(1, 0, qRgb(0, 0, 255));
    img.setPixel(9, 1, qRgb(0, 0, 0));
    img.setPixel(5, 1, qRgba(0, 0, 0, 0));  // fully transparent: the white behind shows
    auto mono = ReduceToMono(img);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->width, 10);
    EXPECT_EQ(mono->GetPixel(0, 0), 0);
    EXPECT_EQ(mono->GetPixel(1, 0), 0);
    EXPECT_EQ(mono->GetPixel(2, 0), 1);
    EXPECT_EQ(mono->GetPixel(9, 1), 0);
    EXPECT_EQ(mono->GetPixel(5, 1), 1);
    EXPECT_FALSE(ReduceToMono(QImage()));

    QImage bits(9, 1, QImage::Format_Mono);  // a 1-bit picture keeps every pixel
    bits.setColor(0, qRgb(0, 0, 0));
    bits.setColor(1, qRgb(255, 255, 255));
    for (int x = 0; x < 9; ++x) bits.setPixel(x, 0, x % 2);
    auto same = ReduceToMono(bits);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(same->GetPixel(x, 0), x % 2);
}

TEST(QtServices, PasteFromTheClipboard) {
    QtClipboard clipboard;
    CPenmarkDocument doc;
    doc.SetServices(PlatformServices{nullptr, nullptr, &clipboard, nullptr, {}});
    QGuiApplication::clipboard()->setText("only text");
    EXPECT_FALSE(doc.PasteFromClipboard());
    EXPECT_FALSE(doc.m_pImage);
    QImage img(7, 3, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(3, 1, qRgb(200, 30, 30));
    QGuiApplication::clipboard()->setImage(img);
    ASSERT_TRUE(doc.PasteFromClipboard());
    ASSERT_TRUE(doc.m_pImage);
    PixelRect ink;
    doc.m_pImage->FindInkBounds(ink, nullptr, 0);
    EXPECT_EQ(ink, (PixelRect{3, 1, 4, 2}));
}

TEST(QtServices, FiltersAndSettings) {
    EXPECT_EQ(ToQtFilter({"TrueType (*.ttf)", "*.ttf"}), "TrueType (*.ttf)");
    EXPECT_EQ(ToQtFilter({"Image Files ", "*.tif; *.bmp; *.dib"}), "Image Files (*.tif *.bmp *.dib)");
    EXPECT_EQ(ToQtFilter({"EPS files (*.eps; *.ai)", "*.eps; *.ai"}), "EPS files (*.eps *.ai)");

    QTemporaryDir dir;
    QtSettings settings(dir.filePath("penmark.conf"));
    EXPECT_EQ(settings.GetString("Directories", "Fonts", "none"), "none");
    settings.SetString("Directories", "Fonts", "/home/u/fonts/");
    QtSettings again(dir.filePath("penmark.conf"));
    EXPECT_EQ(again.GetString("Directories", "Fonts", ""), "/home/u/fonts/");
}

// Qt's own dialogs speak the program's language: its translations are loaded for it.
TEST(QtTranslations, StandardTextsFollowTheProgramsLanguage) {
    if (!InstallQtTranslations(Language::German)) {
        if (!std::getenv("CI")) GTEST_SKIP() << "qt6-translations-l10n is needed";
        FAIL() << "qt6-translations-l10n is needed";
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Abbrechen");
    ASSERT_TRUE(InstallQtTranslations(Language::Russian));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Отмена");
    ASSERT_TRUE(InstallQtTranslations(Language::English));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Cancel");
}
