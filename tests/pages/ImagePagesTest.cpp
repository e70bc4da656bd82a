// The image source, edit-image and select-area pages inside the real sheet, driven with
// the mouse and keys, on real picture files, the real clipboard and the real readers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>

#include "CEditImagePage.h"
#include "ImageEdits.h"
#include "CImageView.h"
#include "COpenImagePage.h"
#include "CPenmarkDlg.h"
#include "EscWhenShown.h"
#include "CSelectAreaPage.h"
#include "Error.h"
#include "ImageFormatRegistry.h"
#include "PenmarkDocument.h"
#include "PhotoReaders.h"
#include "QtServices.h"
#include "StringIds.h"
#include "SvgReader.h"
#include "Strings.h"
#include "TestPictures.h"
#include "WizardPages.h"

namespace fs = std::filesystem;

namespace {

class RecordingMessages : public IMessageSink {
public:
    std::vector<std::string> texts;
    std::vector<uint32_t> styles;
    int answer = 1;
    int Show(const std::string& text, uint32_t style) override {
        texts.push_back(text);
        styles.push_back(style);
        return answer;
    }
};

class RecordingDialog : public IFileDialog {
public:
    std::string answer;
    FileDialogRequest last;
    bool Run(FileDialogRequest& request) override {
        last = request;
        if (answer.empty()) return false;
        request.fileName = answer;
        return true;
    }
};

// A signature-like picture: two strokes of ink on paper.
MonoImage Strokes(int w, int h) {
    MonoImage img;
    img.Create(w, h);
    img.Fill(1);
    for (int x = w / 5; x < w * 4 / 5; ++x)
        for (int t = 0; t < 3; ++t) {
            img.SetPixel(x, h / 3 + t, 0);
            img.SetPixel(x, h * 2 / 3 + t, 0);
        }
    return img;
}

struct ImagePagesTest : ::testing::Test {
    // A folder per test: ctest runs the cases side by side.
    fs::path dir = fs::path(PENMARK_TEST_TMP) /
                   ("imagepages-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ImageFormatRegistry registry;
    RecordingMessages messages;
    RecordingDialog dialog;
    QtClipboard clipboard;
    CPenmarkDocument doc;
    std::unique_ptr<CPenmarkDlg> sheet;
    COpenImagePage* source = nullptr;

    void SetUp() override {
        SetCurrentLanguage(Language::English);
        fs::create_directories(dir);
        doc.SetImageRegistry(&registry);
        doc.SetServices(PlatformServices{&dialog, nullptr, &clipboard, &messages, ProgressCallback});
        sheet = std::make_unique<CPenmarkDlg>(&doc);
        CreateWizardPages(*sheet);
        SetProgressSheet(sheet.get());
        sheet->resize(800, 600);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->SetActivePage(1);
        sheet->SetActivePage(2);
        ASSERT_EQ(sheet->ActiveIndex(), 2);
        source = dynamic_cast<COpenImagePage*>(sheet->Page(2));
        ASSERT_NE(source, nullptr);
    }
    void TearDown() override {
        SetProgressSheet(nullptr);
        sheet.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Clicks a radio button on its text, where it takes the click.
    void ClickSource(int which) {
        QRadioButton* button = source->SourceButton(which);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    QAbstractButton* Next() const { return sheet->button(QWizard::NextButton); }
    QAbstractButton* Back() const { return sheet->button(QWizard::BackButton); }
    // Next, then what the window does before the user looks (layout, first paint).
    void ClickNext() {
        QTest::mouseClick(Next(), Qt::LeftButton);
        QApplication::processEvents();
    }
    std::string Picture(const char* name, const MonoImage& img) {
        std::string path = (dir / name).string();
        EXPECT_TRUE(WriteTestBmp(path, img));
        return path;
    }
    template <class Page>
    Page* Active() const { return dynamic_cast<Page*>(sheet->ActivePage()); }
    // Types a path into the picture box and goes on to step 3.
    void OpenPicture(const std::string& path) {
        QTest::keyClicks(source->ImagePathEdit(), QString::fromStdString(path));
        ClickNext();
    }
};

TEST_F(ImagePagesTest, NextFollowsTheSourceAndItsPath) {
    EXPECT_EQ(source->Source(), COpenImagePage::kFromFile);
    EXPECT_FALSE(Next()->isEnabled());
    source->SetSource(COpenImagePage::kFromClipboard);
    QTest::keyClick(source->ImagePathEdit(), Qt::Key_A);
    EXPECT_EQ(source->Source(), COpenImagePage::kFromFile);
    EXPECT_TRUE(Next()->isEnabled());
    QTest::keyClick(source->ImagePathEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(Next()->isEnabled());

    ClickSource(COpenImagePage::kFromClipboard);
    EXPECT_TRUE(Next()->isEnabled());
    ClickSource(COpenImagePage::kFromEps);
    EXPECT_FALSE(Next()->isEnabled());
    QTest::keyClicks(source->EpsPathEdit(), "x.eps");
    ClickSource(COpenImagePage::kFromFile);
    EXPECT_FALSE(Next()->isEnabled());
    // The EPS box already holds a name: choosing its source enables Next at once.
    ClickSource(COpenImagePage::kFromEps);
    EXPECT_TRUE(Next()->isEnabled());

    // The scanner's controls are there but hidden and disabled.
    QRadioButton* scanner = source->SourceButton(COpenImagePage::kFromScanner);
    EXPECT_FALSE(scanner->isVisible());
    EXPECT_FALSE(scanner->isEnabled());
}

TEST_F(ImagePagesTest, BrowseFillsThePathThroughTheDocumentsDialog) {
    dialog.answer = "/tmp/sig.eps";
    for (QAbstractButton* b : source->findChildren<QAbstractButton*>())
        if (b->property("controlId").toInt() == IDC_BROWSE_EPS) QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(dialog.last.title, "Open EPS...");
    EXPECT_EQ(dialog.last.filters.front().patterns, "*.eps; *.ai");
    EXPECT_EQ(source->EpsPath(), "/tmp/sig.eps");
    EXPECT_EQ(source->Source(), COpenImagePage::kFromEps);
}

TEST_F(ImagePagesTest, TextOnTheClipboardIsNoPicture) {
    QGuiApplication::clipboard()->setText("a signature");
    source->SetSource(COpenImagePage::kFromClipboard);
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kCannotPaste));
    EXPECT_EQ(messages.styles[0], MessageStyle::kIconExclamation);
    EXPECT_EQ(doc.m_pImage, nullptr);
}

TEST_F(ImagePagesTest, AColourClipboardPictureIsReducedByTheBackgroundRule) {
    QImage colour(4, 2, QImage::Format_RGB32);
    colour.fill(Qt::white);
    colour.setPixel(0, 0, qRgb(255, 0, 0));
    colour.setPixel(1, 0, qRgb(254, 255, 255));  // nearly white is still ink: no threshold
    colour.setPixel(3, 1, qRgb(0, 0, 0));
    QGuiApplication::clipboard()->setImage(colour);
    source->SetSource(COpenImagePage::kFromClipboard);
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    ASSERT_NE(doc.m_pImage, nullptr);
    const MonoImage& img = *doc.m_pImage;
    ASSERT_EQ(img.width, 4);
    int expected[2][4] = {{0, 0, 1, 1}, {1, 1, 1, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.GetPixel(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(doc.m_pViewState->zoom, ImageViewState::kZoomFit);
}

TEST_F(ImagePagesTest, APictureOfferedOnlyAsPngDataIsPasted) {
    QImage picture(3, 3, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    auto* data = new QMimeData;
    data->setData("image/png", png);
    QGuiApplication::clipboard()->setMimeData(data);
    source->SetSource(COpenImagePage::kFromClipboard);
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    EXPECT_EQ(doc.m_pImage->GetPixel(1, 1), 0);
    EXPECT_EQ(doc.m_pImage->GetPixel(0, 1), 1);
}

TEST_F(ImagePagesTest, AMissingDrawingIsNotFoundWithoutReading) {
    source->SetSource(COpenImagePage::kFromEps);
    QTest::keyClicks(source->EpsPathEdit(), QString::fromStdString((dir / "nowhere.eps").string()));
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "File not found.");
    EXPECT_EQ(doc.LastLoadError(), 0);  // the reader never ran
    EXPECT_TRUE(source->EpsPathEdit()->hasFocus());

    // A file that is not a drawing: "invalid data", and the page stays.
    std::string bad = (dir / "bad.eps").string();
    FILE* f = std::fopen(bad.c_str(), "w");
    std::fputs("not a drawing", f);
    std::fclose(f);
    source->EpsPathEdit()->setText(QString::fromStdString(bad));
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], GetString(StringId::kInvalidData));
}

TEST_F(ImagePagesTest, TheDrawingGoesStraightToTheGlyphPageAndBackReturns) {
    source->SetSource(COpenImagePage::kFromEps);
    source->EpsPathEdit()->setText(PENMARK_SOURCE_DIR "/tests/eps/data/spec_bulge.eps");
    ClickNext();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(sheet->ActiveIndex(), 5);
    EXPECT_EQ(doc.m_nGlyphBackPage, 2);
    EXPECT_NE(doc.m_pTracedOutline, nullptr);
    QTest::mouseClick(Back(), Qt::LeftButton);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
}

TEST_F(ImagePagesTest, FromPictureToTracing) {
    MonoImage img = Strokes(300, 120);
    OpenPicture(Picture("strokes.bmp", img));
    ASSERT_EQ(sheet->ActiveIndex(), 3) << (messages.texts.empty() ? "" : messages.texts[0]);
    EXPECT_EQ(doc.m_nGlyphBackPage, 0);
    auto* edit = Active<CEditImagePage>();
    ASSERT_NE(edit->View(), nullptr);
    EXPECT_EQ(edit->View()->ZoomMode(), CImageView::kZoomFit);
    EXPECT_EQ(edit->View()->Zoom(), std::min(edit->View()->ClientSize().width() / 300,
                                             edit->View()->ClientSize().height() / 120));

    // Next without a selection selects the ink's box; step 4 shows it with handles.
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 4);
    PixelRect ink{60, 40, 240, 83};
    EXPECT_EQ(doc.m_rcSelection, ink);
    auto* select = Active<CSelectAreaPage>();
    ASSERT_NE(select->View(), nullptr);
    EXPECT_EQ(select->View()->Zoom(), edit->View()->Zoom());  // the same view state
    EXPECT_TRUE(Next()->isEnabled());
    CImageView* view = select->View();
    PixelRect frame = view->ImageRectToView(ink);
    QPoint corner = QPoint(frame.left, frame.top) - view->ScrollPosition();
    QImage shot = view->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixel(corner), qRgb(0, 0, 0));  // a handle

    // Deselect from the popup disables Next; a drag around the strokes enables it again.
    view->ContextMenu()->actions()[1]->trigger();
    EXPECT_FALSE(Next()->isEnabled());
    QPoint from = QPoint(frame.left - 5, frame.top - 5) - view->ScrollPosition();
    QPoint to = QPoint(frame.right + 5, frame.bottom + 5) - view->ScrollPosition();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    EXPECT_TRUE(Next()->isEnabled());

    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 5);
    ASSERT_NE(doc.m_pTracedOutline, nullptr);
    EXPECT_EQ(doc.m_rcInk, ink);
}

TEST_F(ImagePagesTest, AnAllPaperSelectionIsRefused) {
    OpenPicture(Picture("strokes.bmp", Strokes(300, 120)));
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    doc.m_rcSelection = {0, 0, 50, 30};  // above and left of the strokes
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 4);
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 4);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kEmptyRegion));
    EXPECT_EQ(doc.m_pTracedOutline, nullptr);
}

TEST_F(ImagePagesTest, ToolbarCommandsReachTheViewAndKeepTheSelection) {
    OpenPicture(Picture("strokes.bmp", Strokes(300, 120)));
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    auto* edit = Active<CEditImagePage>();
    QStringList tips;
    QToolButton* invert = nullptr;
    for (QAction* a : edit->ToolBar()->actions()) {
        if (a->isSeparator()) continue;
        tips << a->toolTip();
        EXPECT_FALSE(a->icon().isNull());
        if (a->data().toInt() == ID_IMAGE_INVERT)
            invert = qobject_cast<QToolButton*>(edit->ToolBar()->widgetForAction(a));
    }
    EXPECT_EQ(tips, (QStringList{"Enhance", "Flip Vertical", "Flip Horizontal", "Rotate Clockwise",
                                 "Rotate Counterclockwise", "Invert", "Eraser: small brush", "Eraser: medium brush",
                                 "Eraser: large brush", "Undo", "Redo", "Zoom In", "Zoom Out", "Fit To Window"}));
    doc.m_rcSelection = {1, 2, 3, 4};
    ASSERT_NE(invert, nullptr);
    QTest::mouseClick(invert, Qt::LeftButton);
    EXPECT_EQ(doc.m_pImage->GetPixel(0, 0), 0);  // paper became ink
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{1, 2, 3, 4}));
    int zoom = edit->View()->Zoom();
    EXPECT_TRUE(sheet->RouteCommand(ID_VIEW_ZOOM_IN));
    EXPECT_EQ(edit->View()->Zoom(), CImageView::ZoomInStep(zoom));
    EXPECT_FALSE(sheet->RouteCommand(ID_EDIT_SELECT_ALL));  // not a command of this page
}

TEST_F(ImagePagesTest, EscDuringALargeReadLeavesNoPicture) {
    MonoImage big = Strokes(6000, 4000);
    std::string path = (dir / "big.tif").string();
    ASSERT_TRUE(WriteTestTiff(path, big, 16));
    QTest::keyClicks(source->ImagePathEdit(), QString::fromStdString(path));
    // The user presses Esc as soon as the bar appears.
    EscWhenShown esc(sheet.get());
    source->ProgressBar()->installEventFilter(&esc);
    ClickNext();
    source->ProgressBar()->removeEventFilter(&esc);
    EXPECT_TRUE(esc.pressed);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    EXPECT_EQ(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.LastLoadError(), ErrorCode::kCancelled);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_FALSE(source->ProgressBar()->isVisible());
    EXPECT_TRUE(source->ImagePathEdit()->hasFocus());

    // Without Esc the same file reads, with the bar shown meanwhile.
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 3);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->width, 6000);
}

TEST_F(ImagePagesTest, DroppingAFileFillsItsBox) {
    auto drop = [&](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(source, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(source, &dropped);
    };
    drop("/home/me/signature.AI");
    EXPECT_EQ(source->EpsPath(), "/home/me/signature.AI");
    EXPECT_EQ(source->Source(), COpenImagePage::kFromEps);
    EXPECT_TRUE(Next()->isEnabled());
    drop("/home/me/scan.tif");
    EXPECT_EQ(source->ImagePath(), "/home/me/scan.tif");
    EXPECT_EQ(source->Source(), COpenImagePage::kFromFile);
}

TEST_F(ImagePagesTest, AnSvgDrawingIsOfferedDroppedAndTraced) {
    RegisterSvgFormat(registry);  // as the application fills its registry
    doc.SetImageRegistry(&registry);
    dialog.answer.clear();
    for (QAbstractButton* b : source->findChildren<QAbstractButton*>())
        if (b->property("controlId").toInt() == IDC_BROWSE_IMAGE) QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_FALSE(dialog.last.filters.empty());
    EXPECT_NE(dialog.last.filters.front().patterns.find("*.svg; *.svgz"), std::string::npos);
    bool listed = false;
    for (const FileFilter& f : dialog.last.filters) listed |= f.patterns == "*.svg; *.svgz";
    EXPECT_TRUE(listed);

    const std::string svg = (dir / "signature.svgz").string();
    std::ofstream(svg) << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 40\">"
                          "<path d=\"M 10,30 C 30,0 60,40 90,10\" style=\"fill:none;stroke:#000;stroke-width:3;"
                          "stroke-linecap:round\"/></svg>";
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(svg))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(source, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(source, &dropped);
    EXPECT_EQ(source->ImagePath(), svg);
    EXPECT_EQ(source->Source(), COpenImagePage::kFromFile);

    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 3) << (messages.texts.empty() ? "" : messages.texts[0]);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_NEAR(std::max(doc.m_pImage->width, doc.m_pImage->height), SvgSize() + 2 * (SvgSize() / 50 + 2), 2);
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 4);
    ClickNext();
    EXPECT_EQ(sheet->ActiveIndex(), 5);
    ASSERT_NE(doc.m_pTracedOutline, nullptr);
}

TEST_F(ImagePagesTest, AFileThatIsNoDrawingIsSaidSo) {
    RegisterSvgFormat(registry);
    doc.SetImageRegistry(&registry);
    const std::string page = (dir / "page.svg").string();
    std::ofstream(page) << "<html><body>not a drawing</body></html>";
    OpenPicture(page);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "The file is not an SVG drawing.");
}

// The wizard's side of a scanner: it starts when asked and is closed when told.
class FakeScanner : public IScanner {
public:
    bool start = true;
    int starts = 0, closes = 0;
    void SetDelivery(Delivery) override {}
    void SetParentWindow(void*) override {}
    bool ChooseScanner() override { return true; }
    bool StartAcquire() override { return ++starts, start; }
    bool ProcessEvent(void*) override { return false; }
    void CloseAll() override { ++closes; }
};

TEST_F(ImagePagesTest, AScannedPictureArrivesOnlyWhileScanning) {
    FakeScanner scanner;
    doc.SetServices(PlatformServices{&dialog, nullptr, &clipboard, &messages, ProgressCallback, &scanner});
    auto* bitmap = new MonoBitmap;
    bitmap->Create(40, 30);
    bitmap->Fill(1);
    EXPECT_EQ(sheet->AcceptImage(bitmap), 0);  // not scanning: not taken
    source->SetSource(COpenImagePage::kFromScanner);
    scanner.start = false;
    ClickNext();
    EXPECT_FALSE(source->Scanning());  // the scanner did not start: the page stays as it was
    scanner.start = true;
    ClickNext();
    EXPECT_EQ(scanner.starts, 2);
    EXPECT_TRUE(source->Scanning());
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_FALSE(Back()->isEnabled());
    EXPECT_FALSE(source->ImagePathEdit()->isEnabled());
    EXPECT_EQ(sheet->AcceptImage(bitmap), -1);
    EXPECT_FALSE(source->Scanning());
    EXPECT_EQ(scanner.closes, 1);
    EXPECT_EQ(sheet->ActiveIndex(), 3);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->width, 40);
    EXPECT_EQ(doc.m_pViewState->zoom, ImageViewState::kZoomFit);
    EXPECT_TRUE(source->ImagePathEdit()->isEnabled());
}

// A photo-like grey picture: paper that darkens from left to right, two strokes of ink
// with soft edges.
std::string GreyPhoto(const fs::path& dir, const char* name = "photo.png") {
    QImage photo(240, 120, QImage::Format_Grayscale8);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            auto inStroke = [](int x, int y) {
                return (y >= 40 && y < 46 && x >= 30 && x < 210) || (x >= 100 && x < 106 && y >= 20 && y < 100);
            };
            int paper = 245 - x * 110 / photo.width(), ink = 20 + x / 4;
            // Soft edges, as a lens gives them: a pixel beside a stroke is half ink.
            bool edge = inStroke(x - 1, y) || inStroke(x + 1, y) || inStroke(x, y - 1) || inStroke(x, y + 1);
            int v = inStroke(x, y) ? ink : edge ? (ink + paper) / 2 : paper;
            photo.setPixel(x, y, qRgb(v, v, v));
        }
    std::string path = (dir / name).string();
    EXPECT_TRUE(photo.save(QString::fromStdString(path)));
    return path;
}

std::vector<uint8_t> Bits(const MonoImage& img) { return {img.bits, img.bits + img.size}; }

TEST_F(ImagePagesTest, APhotosThresholdIsCutAgainFromItsGreyPicture) {
    OpenPicture(GreyPhoto(dir));
    auto* edit = Active<CEditImagePage>();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(doc.CanRebinarize());
    ASSERT_TRUE(edit->ThresholdRow()->isVisible());
    // The paper darkens across the picture: the automatic choice is the local method.
    QRadioButton* local = edit->LocalButton();
    QRadioButton* global = edit->GlobalButton();
    EXPECT_TRUE(local->isChecked());
    QSlider* slider = edit->ThresholdSlider();
    const int first = slider->value();
    EXPECT_EQ(first, doc.GreyPicture()->result.level);
    const std::vector<uint8_t> localBits = Bits(*doc.m_pImage);
    auto shot = [&] {
        QApplication::processEvents();
        return edit->View()->viewport()->grab().toImage();
    };
    const QImage localShot = shot();

    // One level for the whole picture: a different cut, on screen too.
    QTest::mouseClick(global, Qt::LeftButton, {}, QPoint(8, global->height() / 2));
    EXPECT_TRUE(global->isChecked());
    EXPECT_EQ(doc.GreyPicture()->result.used, ThresholdMode::Global);
    const std::vector<uint8_t> globalBits = Bits(*doc.m_pImage);
    const QImage globalShot = shot();
    EXPECT_NE(globalBits, localBits);
    EXPECT_NE(globalShot, localShot);

    // Keys move the level from the global method's own: a higher one takes more of the
    // soft edges for ink.
    const int level = slider->value();
    EXPECT_EQ(level, doc.GreyPicture()->result.level);
    slider->setFocus();
    auto steps = [&](Qt::Key key) {
        for (int i = 0; i < 4; ++i) QTest::keyClick(slider, key);
    };
    steps(Qt::Key_PageUp);
    EXPECT_EQ(slider->value(), level + 64);
    const std::vector<uint8_t> higherBits = Bits(*doc.m_pImage);
    EXPECT_NE(higherBits, globalBits);
    EXPECT_NE(shot(), globalShot);
    steps(Qt::Key_PageDown);
    EXPECT_EQ(slider->value(), level);
    const std::vector<uint8_t> fixedBits = Bits(*doc.m_pImage);
    const QImage fixedShot = shot();
    EXPECT_NE(fixedBits, higherBits);
    // Up and down again: the ink the higher level added is gone, which a cut of the last
    // 1-bit picture could not do; it comes from the grey.
    steps(Qt::Key_PageUp);
    EXPECT_EQ(Bits(*doc.m_pImage), higherBits);
    steps(Qt::Key_PageDown);
    EXPECT_EQ(Bits(*doc.m_pImage), fixedBits);
    EXPECT_EQ(shot(), fixedShot);

    QTest::mouseClick(local, Qt::LeftButton, {}, QPoint(8, local->height() / 2));
    EXPECT_TRUE(local->isChecked());
    EXPECT_EQ(Bits(*doc.m_pImage), localBits);
    EXPECT_EQ(shot(), localShot);
}

TEST_F(ImagePagesTest, EditsOutliveANewThreshold) {
    OpenPicture(GreyPhoto(dir));
    auto* edit = Active<CEditImagePage>();
    ASSERT_NE(edit, nullptr);
    MonoImage expected;
    doc.m_pImage->CopyTo(expected);
    expected.Rotate(0);
    expected.Invert();
    for (int id : {ID_IMAGE_ROTATE_CW, ID_IMAGE_INVERT}) ASSERT_TRUE(sheet->RouteCommand(id));
    QTest::keyClick(edit->ThresholdSlider(), Qt::Key_PageUp);
    QRadioButton* local = edit->LocalButton();
    QTest::mouseClick(local, Qt::LeftButton, {}, QPoint(8, local->height() / 2));
    ASSERT_EQ(doc.m_pImage->width, expected.width);
    EXPECT_EQ(Bits(*doc.m_pImage), Bits(expected));
}

TEST_F(ImagePagesTest, ABlackAndWhitePictureHasNoThreshold) {
    OpenPicture(Picture("strokes.bmp", Strokes(300, 120)));
    auto* edit = Active<CEditImagePage>();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(doc.CanRebinarize());
    EXPECT_FALSE(edit->ThresholdRow()->isVisible());
    // Back to the source page and a photo: now it shows; a 1-bit picture again hides it.
    QTest::mouseClick(Back(), Qt::LeftButton);
    source->ImagePathEdit()->setText(QString::fromStdString(GreyPhoto(dir)));
    ClickNext();
    EXPECT_TRUE(edit->ThresholdRow()->isVisible());
    QTest::mouseClick(Back(), Qt::LeftButton);
    source->ImagePathEdit()->setText(QString::fromStdString(Picture("again.bmp", Strokes(300, 120))));
    ClickNext();
    EXPECT_FALSE(edit->ThresholdRow()->isVisible());
}

TEST_F(ImagePagesTest, AGreyBitmapIsRefusedUnlessTheUserAsksForBlackAndWhite) {
    doc.SetOfferBlackAndWhite(true);
    const std::string bmp = GreyPhoto(dir, "grey.bmp");
    messages.answer = 7;  // No
    OpenPicture(bmp);
    EXPECT_EQ(sheet->ActiveIndex(), 2);
    ASSERT_EQ(messages.texts.size(), 1u);  // the refusal and the question in one message
    EXPECT_EQ(messages.texts[0], "Penmark does not support color and grayscale images.\n"
                                 "Make a black-and-white picture of it, as for a photo?");
    EXPECT_EQ(messages.styles[0], MessageStyle::kYesNo | MessageStyle::kIconQuestion | MessageStyle::kDefaultSecond);
    EXPECT_EQ(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.LastLoadError(), 1030);

    messages.answer = 6;  // Yes
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    EXPECT_EQ(messages.texts.size(), 2u);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_TRUE(Active<CEditImagePage>()->ThresholdRow()->isVisible());
    // Asked once: the next grey bitmap is asked about again.
    EXPECT_FALSE(GreyTiffBmp());
}

// ---- the eraser and the edit history

// The device point of the viewport over a picture pixel's centre.
QPoint ClientAt(const CImageView* view, QPoint pixel) {
    const int k = view->Zoom();
    QPoint p = view->ImageToView(pixel) + (k > 1 ? QPoint(k / 2, k / 2) : QPoint()) - view->ScrollPosition();
    return QPointF(QPointF(p) / view->viewport()->devicePixelRatioF()).toPoint();
}

// A drag with the left button through picture pixels; the pointer jumps between them as
// in a fast drag.
void DragThrough(CImageView* view, std::initializer_list<QPoint> pixels) {
    std::vector<QPoint> points(pixels);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, ClientAt(view, points.front()));
    for (size_t i = 1; i < points.size(); ++i) QTest::mouseMove(view->viewport(), ClientAt(view, points[i]));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, ClientAt(view, points.back()));
    QApplication::processEvents();
}

int InkCount(const MonoImage& img) {
    int ink = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) ink += img.GetPixel(x, y) == 0;
    return ink;
}

int ContourCount(const Outline& outline) {
    int moves = 0;
    for (OutlineNodeRef n = outline.firstNode(); n; n = outline.nextNode(n)) moves += n.kind() == 0x11;
    return moves;
}

struct EraserTest : ImagePagesTest {
    CEditImagePage* edit = nullptr;
    CImageView* view = nullptr;
    void OpenEdit(const std::string& path) {
        OpenPicture(path);
        ASSERT_EQ(sheet->ActiveIndex(), 3) << (messages.texts.empty() ? "" : messages.texts[0]);
        edit = Active<CEditImagePage>();
        view = edit->View();
        ASSERT_NE(view, nullptr);
    }
    QToolButton* Button(int id) const { return qobject_cast<QToolButton*>(edit->ToolBar()->widgetForAction(edit->Action(id))); }
    void Click(int id) const { QTest::mouseClick(Button(id), Qt::LeftButton); }
    // The keys go where the user's focus is: the view.
    void Keys(QKeySequence keys) const {
        sheet->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
        view->setFocus();
        QTest::keySequence(view, keys);
        QApplication::processEvents();
    }
};

TEST_F(EraserTest, ADragPaintsPaperAndUndoAndRedoStepThroughItAndAFlip) {
    OpenEdit(Picture("strokes.bmp", Strokes(300, 120)));
    const std::vector<uint8_t> original = Bits(*doc.m_pImage);
    EXPECT_FALSE(edit->Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_FALSE(edit->Action(ID_EDIT_REDO)->isEnabled());

    // The pointer over the picture shows the brush's outline once a brush is chosen.
    QTest::mouseMove(view->viewport(), ClientAt(view, {150, 60}));
    const QImage plain = view->viewport()->grab().toImage();
    Click(ID_ERASER_LARGE);
    ASSERT_TRUE(view->EraserOn());
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::CrossCursor);
    QTest::mouseMove(view->viewport(), ClientAt(view, {150, 61}));
    QApplication::processEvents();
    EXPECT_TRUE(view->BrushShown());
    EXPECT_EQ(view->BrushCentre(), QPoint(150, 61));
    const QImage outlined = view->viewport()->grab().toImage();
    EXPECT_NE(outlined, plain);
    const int r = view->BrushRadius();
    ASSERT_GE(r, 2);
    ASSERT_LT(r, 30);

    // Down across the upper line (rows 40 to 42) in two jumps.
    DragThrough(view, {{150, 20}, {150, 35}, {150, 60}});
    const MonoImage& img = *doc.m_pImage;
    for (int y = 40; y <= 42; ++y) {
        for (int x = 150 - r; x <= 150 + r; ++x) EXPECT_EQ(img.GetPixel(x, y), 1) << x << "," << y;
        EXPECT_EQ(img.GetPixel(150 - r - 1, y), 0);
        EXPECT_EQ(img.GetPixel(150 + r + 1, y), 0);
    }
    EXPECT_EQ(InkCount(img), InkCount(Strokes(300, 120)) - 3 * (2 * r + 1));  // nothing else
    const std::vector<uint8_t> erased = Bits(*doc.m_pImage);
    EXPECT_EQ(edit->History()->count(), 1);
    // A stroke on the grey below the picture paints nothing and is no step.
    const QPoint below(100, 120 + r + 3);
    ASSERT_LT(ClientAt(view, below).y(), view->viewport()->height());
    DragThrough(view, {below, below + QPoint(100, 0)});
    EXPECT_EQ(edit->History()->count(), 1);

    // One step back brings the ink back; one forward (the button, then the keys) erases it again.
    ASSERT_TRUE(edit->Action(ID_EDIT_UNDO)->isEnabled());
    Click(ID_EDIT_UNDO);
    EXPECT_EQ(Bits(*doc.m_pImage), original);
    EXPECT_FALSE(edit->Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_TRUE(edit->Action(ID_EDIT_REDO)->isEnabled());
    Keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(Bits(*doc.m_pImage), erased);
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Bits(*doc.m_pImage), original);
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(Bits(*doc.m_pImage), erased);

    // A flip, then Ctrl+Z: the picture the right way up again, with its erasure.
    doc.m_rcSelection = {1, 2, 3, 4};
    Click(ID_IMAGE_FLIP_VERTICAL);
    EXPECT_EQ(doc.m_pImage->GetPixel(150 + r + 1, 120 - 1 - 41), 0);
    EXPECT_NE(Bits(*doc.m_pImage), erased);
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Bits(*doc.m_pImage), erased);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{1, 2, 3, 4}));  // a flip keeps the selection
    EXPECT_EQ(edit->History()->count(), 2);

    // A rotation and back: the selection no longer fits and goes, the zoom fits again.
    Click(ID_IMAGE_ROTATE_CW);
    EXPECT_EQ(doc.m_pImage->width, 120);
    Click(ID_EDIT_UNDO);
    EXPECT_EQ(doc.m_pImage->width, 300);
    EXPECT_EQ(Bits(*doc.m_pImage), erased);
    EXPECT_EQ(view->Zoom(), std::min(view->ClientSize().width() / 300, view->ClientSize().height() / 120));

    // The checked brush clicked again puts the eraser away: a drag then changes nothing.
    Click(ID_ERASER_LARGE);
    EXPECT_FALSE(view->EraserOn());
    EXPECT_FALSE(view->BrushShown());
    DragThrough(view, {{100, 20}, {100, 90}});
    EXPECT_EQ(Bits(*doc.m_pImage), erased);
    // The brushes are exclusive.
    Click(ID_ERASER_SMALL);
    Click(ID_ERASER_MEDIUM);
    EXPECT_FALSE(edit->Action(ID_ERASER_SMALL)->isChecked());
    EXPECT_TRUE(edit->Action(ID_ERASER_MEDIUM)->isChecked());
    EXPECT_LT(view->BrushRadius(), r);
}

TEST_F(EraserTest, AnErasureOutlivesANewThresholdAndUndoBringsTheLevelBack) {
    OpenEdit(GreyPhoto(dir));
    ASSERT_TRUE(doc.CanRebinarize());
    // The horizontal stroke (rows 40 to 45) is ink at x = 170, away from the vertical one.
    ASSERT_EQ(doc.m_pImage->GetPixel(170, 42), 0);
    Click(ID_ERASER_MEDIUM);
    DragThrough(view, {{170, 25}, {170, 60}});
    ASSERT_EQ(doc.m_pImage->GetPixel(170, 42), 1);
    const std::vector<uint8_t> erased = Bits(*doc.m_pImage);
    const int level = doc.GreyPicture()->result.level;

    // A new level cuts the photo again: the erasure is made again, the rest of the stroke stays.
    QSlider* slider = edit->ThresholdSlider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageUp);
    ASSERT_EQ(doc.GreyPicture()->result.level, level + 16);
    EXPECT_EQ(doc.m_pImage->GetPixel(170, 42), 1);
    EXPECT_EQ(doc.m_pImage->GetPixel(60, 42), 0);
    EXPECT_NE(Bits(*doc.m_pImage), erased);

    // Undo: the level, the slider and the picture as they were.
    Click(ID_EDIT_UNDO);
    EXPECT_EQ(doc.GreyPicture()->result.level, level);
    EXPECT_EQ(slider->value(), level);
    EXPECT_EQ(Bits(*doc.m_pImage), erased);
    // Undo again: the ink comes back; a new cut now keeps it.
    Click(ID_EDIT_UNDO);
    EXPECT_EQ(doc.m_pImage->GetPixel(170, 42), 0);
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_EQ(doc.m_pImage->GetPixel(170, 42), 0);
    // The method buttons are steps too.
    QRadioButton* global = edit->GlobalButton();
    const bool wasGlobal = global->isChecked();
    QTest::mouseClick(edit->LocalButton(), Qt::LeftButton, {}, QPoint(8, edit->LocalButton()->height() / 2));
    Click(ID_EDIT_UNDO);
    EXPECT_EQ(global->isChecked(), wasGlobal);
    EXPECT_TRUE(edit->Action(ID_EDIT_REDO)->isEnabled());
}

TEST_F(EraserTest, TheErasedPictureIsTracedAndBackKeepsTheHistory) {
    OpenEdit(Picture("strokes.bmp", Strokes(300, 120)));
    Click(ID_ERASER_LARGE);
    // Along the whole upper line: only the lower one is left to trace.
    DragThrough(view, {{50, 41}, {120, 41}, {250, 41}});
    ASSERT_EQ(InkCount(*doc.m_pImage), 180 * 3);
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 4);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{60, 80, 240, 83}));  // the ink left
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 5);
    ASSERT_NE(doc.m_pTracedOutline, nullptr);
    EXPECT_EQ(ContourCount(*doc.m_pTracedOutline), 1);
    ASSERT_NE(doc.m_pSelectionImage, nullptr);
    EXPECT_EQ(doc.m_pSelectionImage->height, 3);

    // Back to the edit page: the erasure can still be taken back.
    QTest::mouseClick(Back(), Qt::LeftButton);
    QTest::mouseClick(Back(), Qt::LeftButton);
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    EXPECT_EQ(edit->History()->count(), 1);
    ASSERT_TRUE(edit->Action(ID_EDIT_UNDO)->isEnabled());
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(InkCount(*doc.m_pImage), 180 * 3 * 2);
    doc.m_rcSelection = PixelRect{};
    ClickNext();
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 5);
    EXPECT_EQ(ContourCount(*doc.m_pTracedOutline), 2);

    // A new picture starts a new history.
    for (int i = 0; i < 3; ++i) QTest::mouseClick(Back(), Qt::LeftButton);
    ASSERT_EQ(sheet->ActiveIndex(), 2);
    source->ImagePathEdit()->setText(QString::fromStdString(Picture("other.bmp", Strokes(200, 100))));
    ClickNext();
    ASSERT_EQ(sheet->ActiveIndex(), 3);
    EXPECT_EQ(edit->History()->count(), 0);
    EXPECT_FALSE(edit->Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_FALSE(edit->Action(ID_EDIT_REDO)->isEnabled());
}

}  // namespace
