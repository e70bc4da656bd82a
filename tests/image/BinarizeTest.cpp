// Binarisation of photo-like pictures against the clean masters they were made from.
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "Error.h"

#include "Binarize.h"
#include "PhotoPictures.h"

namespace {

double IoU(const photo::Photo& p, ThresholdMode mode, ThresholdMode* used = nullptr) {
    MonoImage out;
    BinarizeResult r = Binarize(p.grey, {mode, 128}, out);
    if (used) *used = r.used;
    return photo::Score(p, out);
}

TEST(Binarize, PhotosMatchTheirMastersAndTheAutomaticChoiceIsNearTheBest) {
    MonoImage master = photo::Master(900, 300);
    for (const photo::Photo& p : photo::Photos(master)) {
        ThresholdMode used;
        double global = IoU(p, ThresholdMode::Global), local = IoU(p, ThresholdMode::Local);
        double automatic = IoU(p, ThresholdMode::Auto, &used);
        std::printf("%-20s global %.3f local %.3f auto %.3f (%s)\n", p.name.c_str(), global, local, automatic,
                    used == ThresholdMode::Local ? "local" : "global");
        EXPECT_GE(automatic, 0.90) << p.name;
        EXPECT_GE(automatic, std::max(global, local) - 0.02) << p.name;
    }
}

TEST(Binarize, OtsuSplitsInkFromPaperAndAFixedLevelCutsTheFlattenedPicture) {
    // Three bands of 8 x 8: 20, 30 and 200.
    GreyImage g{24, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x) g.pixels.push_back(x < 8 ? 20 : x < 16 ? 30 : 200);
    int level = OtsuLevel(g);
    EXPECT_GT(level, 30);
    EXPECT_LE(level, 200);
    MonoImage out;
    Binarize(g, {ThresholdMode::Global, 0}, out);
    EXPECT_EQ(out.GetPixel(11, 3), 0);
    EXPECT_EQ(out.GetPixel(20, 3), 1);

    // Strokes of 20 and 30 on paper of 200 under a shadow that halves the light on the
    // right: the fixed level applies to the picture with the shadow taken out.
    GreyImage s{80, 40, {}};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            int v = y >= 10 && y < 14 ? 20 : y >= 26 && y < 30 ? 30 : 200;
            s.pixels.push_back(uint8_t(x < 40 ? v : v / 2));
        }
    BinarizeResult r = Binarize(s, {ThresholdMode::Fixed, 25}, out);
    EXPECT_EQ(r.used, ThresholdMode::Fixed);
    EXPECT_EQ(r.level, 25);
    for (int x : {10, 60}) {
        EXPECT_EQ(out.GetPixel(x, 12), 0) << x;
        EXPECT_EQ(out.GetPixel(x, 28), 1) << x;
        EXPECT_EQ(out.GetPixel(x, 20), 1) << x;
    }
    Binarize(s, {ThresholdMode::Fixed, 100}, out);
    EXPECT_EQ(out.GetPixel(60, 28), 0);
    EXPECT_EQ(out.GetPixel(60, 20), 1);  // the shaded paper (100) is not ink at 100
}

TEST(Binarize, SpecksSmallerThanAStrokeGo) {
    MonoImage m;
    m.Create(60, 20);
    m.Fill(1);
    for (int y = 5; y < 9; ++y)
        for (int x = 5; x < 50; ++x) m.SetPixel(x, y, 0);  // a stroke 4 pixels wide
    m.SetPixel(55, 15, 0);                                   // a speck
    EXPECT_EQ(StrokeWidth(m), 4);  // across the stroke, not along it
    EXPECT_EQ(RemoveSpecks(m, 8), 1);
    EXPECT_EQ(m.GetPixel(55, 15), 1);
    EXPECT_EQ(m.GetPixel(20, 6), 0);
}

TEST(Binarize, AHardShadowOnBlankPaperLeavesBlankPaper) {
    MonoImage blank;
    blank.Create(900, 300);
    blank.Fill(1);
    for (const GreyImage& g : {photo::HardShadowPicture(blank), photo::PhonePhoto(blank)}) {
        MonoImage out;
        BinarizeResult r = Binarize(g, {}, out);
        EXPECT_EQ(r.used, ThresholdMode::Local);
        // Where the edge meets the border at a sharp angle, the window cannot reach into
        // the tip of the shadow: a little ink stays there, nowhere else.
        PixelRect inside{30, 30, 870, 270}, ink;
        out.FindInkBounds(ink, &inside, 0);
        EXPECT_TRUE(ink.IsEmpty()) << ink.left << "," << ink.top << " " << ink.Width() << "x" << ink.Height();
    }
}

TEST(Binarize, APictureOfTwoLevelsIsTakenPixelForPixel) {
    // Single pixels and pairs, which speck removal would take: two levels are black and
    // white already, whichever two.
    MonoImage master = photo::Master(300, 100);
    for (int i = 0; i < 40; ++i) master.SetPixel(7 * i + 3, (i * 13) % 100, 0);
    for (auto [ink, paper] : {std::pair{0, 255}, std::pair{90, 200}}) {
        GreyImage g = photo::Render(master, [&](int, int, bool isInk) { return isInk ? ink : paper; });
        for (ThresholdMode mode : {ThresholdMode::Auto, ThresholdMode::Global, ThresholdMode::Local}) {
            MonoImage out;
            Binarize(g, {mode, 128}, out);
            EXPECT_EQ(photo::InkIoU(out, master), 1.0) << ink << " " << int(mode);
        }
    }
    // One level: paper when light, ink when dark.
    MonoImage out;
    Binarize(GreyImage{8, 8, std::vector<uint8_t>(64, 250)}, {}, out);
    EXPECT_EQ(out.GetPixel(3, 3), 1);
    Binarize(GreyImage{8, 8, std::vector<uint8_t>(64, 10)}, {}, out);
    EXPECT_EQ(out.GetPixel(3, 3), 0);
}

TEST(Binarize, AnEmptyPictureIsRefused) {
    MonoImage out;
    EXPECT_THROW(Binarize(GreyImage{}, {}, out), CodeError);
}

}  // namespace
