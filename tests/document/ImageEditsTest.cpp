// The eraser's stroke against a per-pixel distance oracle, and keeping and bringing back
// the picture's edit state.
#include <gtest/gtest.h>

#include <random>

#include "ImageEdits.h"
#include "PenmarkDocument.h"

namespace {

// Exact squared-distance test of a pixel centre against a segment, in integers.
bool WithinSegment(PixelPoint p, PixelPoint a, PixelPoint b, int64_t r) {
    const int64_t dx = b.x - a.x, dy = b.y - a.y, px = p.x - a.x, py = p.y - a.y;
    const int64_t len2 = dx * dx + dy * dy, t = px * dx + py * dy;
    if (len2 == 0 || t <= 0) return px * px + py * py <= r * r;
    if (t >= len2) {
        const int64_t qx = p.x - b.x, qy = p.y - b.y;
        return qx * qx + qy * qy <= r * r;
    }
    const int64_t cross = px * dy - py * dx;
    return cross * cross <= r * r * len2;
}

bool WithinStroke(PixelPoint p, const std::vector<PixelPoint>& points, int r) {
    if (points.size() == 1) return WithinSegment(p, points[0], points[0], r);
    for (size_t i = 1; i < points.size(); ++i)
        if (WithinSegment(p, points[i - 1], points[i], r)) return true;
    return false;
}

MonoImage AllInk(int w, int h) {
    MonoImage img;
    img.Create(w, h);
    img.Fill(0);
    return img;
}

TEST(EraseStroke, PaintsExactlyThePixelsWithinTheBrushOfThePath) {
    std::mt19937 rng(7);
    // Odd widths: spans that start and end inside a byte and in the last, padded one.
    const int w = 77, h = 53;
    for (int round = 0; round < 60; ++round) {
        MonoImage img = AllInk(w, h);
        std::uniform_int_distribution<int> x(-20, w + 20), y(-20, h + 20), n(1, 5), radius(0, 15);
        std::vector<PixelPoint> points(size_t(n(rng)));
        for (PixelPoint& p : points) p = {x(rng), y(rng)};
        if (round % 5 == 0) points.push_back(points.back());  // a standing pointer
        if (round % 7 == 0) points.push_back({points.back().x, points.back().y + 9});  // straight down
        if (round % 3 == 0) points.push_back({points.back().x + 11, points.back().y});  // across
        const int r = radius(rng);
        PixelRect painted = EraseStroke(img, points, r);
        PixelRect expected;
        int wrong = 0;
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                const bool in = WithinStroke({px, py}, points, r);
                wrong += img.GetPixel(px, py) != (in ? 1 : 0);
                if (!in) continue;
                if (expected.IsEmpty()) expected = {px, py, px + 1, py + 1};
                expected = {std::min(expected.left, px), std::min(expected.top, py),
                            std::max(expected.right, px + 1), std::max(expected.bottom, py + 1)};
            }
        EXPECT_EQ(wrong, 0) << "round " << round << " radius " << r;
        EXPECT_EQ(painted, expected) << "round " << round;
    }
}

TEST(EraseStroke, LeavesPaperAndOtherRowsAlone) {
    MonoImage img = AllInk(40, 10);
    img.SetPixel(0, 5, 1);
    EXPECT_EQ(EraseStroke(img, {{20, 5}}, 0), (PixelRect{20, 5, 21, 6}));
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 10; ++y) EXPECT_EQ(img.GetPixel(x, y), (y == 5 && (x == 0 || x == 20)) ? 1 : 0);
    EXPECT_TRUE(EraseStroke(img, {{-50, -50}, {-10, -40}}, 3).IsEmpty());
    EXPECT_TRUE(EraseStroke(img, {}, 3).IsEmpty());
}

TEST(EditState, ComesBackWithItsShapeAndDropsAStaleSelection) {
    CPenmarkDocument doc;
    auto* img = new MonoImage;
    img->Create(30, 20);
    img->Fill(0);
    doc.SetImage(img);
    const uint32_t serial = doc.PictureSerial();
    const ImageEditState before = doc.SaveEditState();
    doc.m_rcSelection = {1, 1, 5, 5};
    PixelRect painted = doc.EraseStroke({{3, 3}, {10, 3}}, 1);
    EXPECT_EQ(painted, (PixelRect{2, 2, 12, 5}));
    EXPECT_EQ(doc.m_pImage->GetPixel(6, 3), 1);
    EXPECT_EQ(doc.PictureSerial(), serial);  // an edit, not a new picture

    // The same shape: the picture comes back, the selection stays.
    ASSERT_TRUE(doc.RestoreEditState(before));
    EXPECT_EQ(doc.m_pImage->GetPixel(6, 3), 0);
    EXPECT_EQ(doc.m_rcSelection, (PixelRect{1, 1, 5, 5}));

    // A turned picture brought back: the selection no longer fits it.
    doc.m_pImage->Rotate(0);
    ASSERT_TRUE(doc.RestoreEditState(before));
    EXPECT_EQ(doc.m_pImage->width, 30);
    EXPECT_TRUE(doc.m_rcSelection.IsEmpty());

    doc.SetImage(nullptr);
    EXPECT_NE(doc.PictureSerial(), serial);
}

}  // namespace
