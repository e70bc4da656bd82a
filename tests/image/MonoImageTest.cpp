#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Error.h"
#include "MonoImage.h"

namespace {

// Builds an image from rows of '#' (ink) and '.' (paper).
MonoImage FromText(const std::vector<std::string>& rows) {
    MonoImage img;
    img.Create(int32_t(rows[0].size()), int32_t(rows.size()));
    img.Fill(1);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] == '#') img.SetPixel(int32_t(x), int32_t(y), 0);
    return img;
}

std::vector<std::string> ToText(const MonoImage& img) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < img.height; ++y) {
        std::string r;
        for (int32_t x = 0; x < img.width; ++x) r += img.GetPixel(x, y) ? '.' : '#';
        rows.push_back(r);
    }
    return rows;
}

// Random picture with the given ink probability; padding bits are random too, so that
// no operation can depend on them.
void Randomize(MonoImage& img, int32_t w, int32_t h, double ink, uint32_t seed) {
    std::mt19937 rng(seed);
    img.Create(w, h);
    for (int32_t i = 0; i < img.size; ++i) img.bits[i] = uint8_t(rng());
    std::bernoulli_distribution isInk(ink);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) img.SetPixel(x, y, isInk(rng) ? 0 : 1);
}

bool SamePixels(const MonoImage& a, const MonoImage& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

// Per-pixel noise filter, written straight from the neighbourhood rules.
std::vector<std::string> NaiveEnhance(const MonoImage& img) {
    auto rows = ToText(img);
    for (int32_t y = 0; y < img.height; ++y) {
        for (int32_t x = 0; x < img.width; ++x) {
            auto at = [&](int dx, int dy) { return img.GetPixel(x + dx, y + dy); };
            int code = at(-1, -1) << 7 | at(0, -1) << 6 | at(1, -1) << 5 | at(-1, 0) << 4 |
                       at(1, 0) << 3 | at(-1, 1) << 2 | at(0, 1) << 1 | at(1, 1);
            bool mark;
            if (at(0, 0) == 0) {
                mark = ((code & 0xF8) == 0xF8 && (code & 0x07) != 0x02) ||
                       ((code & 0x1F) == 0x1F && (code & 0xE0) != 0x40) ||
                       ((code & 0xD6) == 0xD6 && (code & 0x29) != 0x08) ||
                       ((code & 0x6B) == 0x6B && (code & 0x94) != 0x10);
            } else {
                mark = __builtin_popcount(unsigned(code)) < 4;
            }
            if (mark) rows[size_t(y)][size_t(x)] = at(0, 0) ? '#' : '.';
        }
    }
    return rows;
}

}  // namespace

TEST(MonoBitmap, StrideIsWholeWords) {
    MonoBitmap b;
    b.SetSize(1, 3);
    EXPECT_EQ(b.stride, 2);
    EXPECT_EQ(b.size, 6);
    b.SetSize(16, 1);
    EXPECT_EQ(b.stride, 2);
    b.SetSize(17, 1);
    EXPECT_EQ(b.stride, 4);
}

TEST(MonoBitmap, BitLayoutAndPolarity) {
    MonoImage img;
    img.Create(10, 2);
    img.Fill(1);
    img.SetPixel(0, 0, 0);
    img.SetPixel(9, 1, 0);
    EXPECT_EQ(img.bits[0], 0x7F);  // leftmost pixel is the most significant bit
    EXPECT_EQ(img.bits[img.stride + 1] & 0x40, 0);
    EXPECT_EQ(img.GetPixel(0, 0), 0);
    EXPECT_EQ(img.GetPixel(1, 0), 1);
}

TEST(MonoBitmap, OutsideReadsPaperAndWritesAreDropped) {
    MonoImage img = FromText({"##", "##"});
    EXPECT_EQ(img.GetPixel(-1, 0), 1);
    EXPECT_EQ(img.GetPixel(0, 2), 1);
    std::vector<uint8_t> before(img.bits, img.bits + img.size);
    img.SetPixel(img.width, 0, 0);
    img.SetPixel(0, -1, 1);
    EXPECT_EQ(std::vector<uint8_t>(img.bits, img.bits + img.size), before);
}

TEST(MonoBitmap, CreateTooLargeRaisesNoMemoryAndLeavesEmpty) {
    MonoBitmap b;
    try {
        b.Create(1 << 30, 1 << 30);
        FAIL() << "expected 2005";
    } catch (const CodeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::kNoMemory);
    }
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.width, 0);
}

TEST(MonoBitmap, CopyMoveAttach) {
    MonoImage a = FromText({"#.#", ".#."});
    MonoImage c;
    a.CopyTo(c);
    EXPECT_TRUE(SamePixels(a, c));
    MonoImage m;
    c.MoveTo(m);
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_TRUE(SamePixels(a, m));
    std::vector<uint8_t> external(4, 0xFF);
    MonoBitmap att;
    att.Attach(3, 2, external.data());
    EXPECT_FALSE(att.owns);
    att.SetPixel(1, 1, 0);
    EXPECT_EQ(external[2], 0xBF);
}

TEST(MonoBitmap, FillAndInvert) {
    MonoImage img = FromText({"#..", "..#"});
    img.Invert();
    EXPECT_EQ(ToText(img), (std::vector<std::string>{".##", "##."}));
    img.Fill(0);
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"###", "###"}));
    MonoImage empty;
    empty.Fill(1);
    empty.Invert();  // no buffer: nothing happens
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(Blit, ClipsInTheOrderGiven) {
    MonoImage dest = FromText({"....", "....", "...."});
    MonoImage src = FromText({"#.##", "##.#"});
    // Negative source offset shrinks the block and moves the destination right.
    MonoImage::Blit(&dest, 0, 0, 4, 2, &src, -1, 0, kBlitCopy);
    EXPECT_EQ(ToText(dest), (std::vector<std::string>{".#.#", ".##.", "...."}));
    // Negative destination offset moves the source right.
    dest.Fill(1);
    MonoImage::Blit(&dest, -2, 1, 4, 2, &src, 0, 0, kBlitCopy);
    EXPECT_EQ(ToText(dest), (std::vector<std::string>{"....", "##..", ".#.."}));
    // Off the edge on every side: clipped, nothing written out of bounds.
    MonoImage::Blit(&dest, 3, 2, 100, 100, &src, 0, 0, kBlitCopy);
    EXPECT_EQ(ToText(dest)[2], ".#.#");
    MonoImage::Blit(&dest, 10, 10, 4, 4, &src, 0, 0, kBlitCopy);
    MonoImage::Blit(&dest, 0, 0, INT32_MAX, INT32_MAX, &src, INT32_MIN, INT32_MIN, kBlitCopy);
}

TEST(Blit, UnknownOpsAndMissingBuffersChangeNothing) {
    MonoImage dest = FromText({"#..."});
    MonoImage src = FromText({"####"});
    MonoImage none;
    MonoImage::Blit(&dest, 0, 0, 4, 1, &src, 0, 0, 0x00550009);
    MonoImage::Blit(&dest, 0, 0, 4, 1, &none, 0, 0, kBlitCopy);
    MonoImage::Blit(nullptr, 0, 0, 4, 1, &src, 0, 0, kBlitCopy);
    EXPECT_EQ(ToText(dest)[0], "#...");
}

TEST(Blit, MatchesPixelwiseCombinationAtEveryAlignment) {
    MonoImage src, base;
    Randomize(src, 53, 7, 0.5, 1);
    Randomize(base, 61, 9, 0.5, 2);
    for (uint32_t op : {kBlitCopy, kBlitAnd, kBlitOr, kBlitXor}) {
        for (int sx = 0; sx < 9; ++sx) {
            for (int dx = 0; dx < 9; ++dx) {
                for (int w : {1, 5, 8, 13, 40}) {
                    MonoImage dest;
                    base.CopyTo(dest);
                    MonoImage::Blit(&dest, dx, 1, w, 5, &src, sx, 2, op);
                    for (int32_t y = 0; y < dest.height; ++y) {
                        for (int32_t x = 0; x < dest.width; ++x) {
                            int d = base.GetPixel(x, y), want = d;
                            bool inside = x >= dx && x < dx + w && y >= 1 && y < 6;
                            if (inside) {
                                int s = src.GetPixel(x - dx + sx, y - 1 + 2);
                                want = op == kBlitCopy ? s : op == kBlitAnd ? (d & s)
                                     : op == kBlitOr   ? (d | s) : (d ^ s);
                            }
                            ASSERT_EQ(dest.GetPixel(x, y), want)
                                << "op " << op << " sx " << sx << " dx " << dx << " w " << w
                                << " at " << x << "," << y;
                        }
                    }
                }
            }
        }
    }
}

TEST(Blit, XorTwiceRestoresAndSelfBlitIsSafe) {
    MonoImage a, b, orig;
    Randomize(a, 100, 20, 0.3, 3);
    Randomize(b, 100, 20, 0.3, 4);
    a.CopyTo(orig);
    MonoImage::Blit(&a, 3, 2, 90, 15, &b, 5, 1, kBlitXor);
    EXPECT_FALSE(SamePixels(a, orig));
    MonoImage::Blit(&a, 3, 2, 90, 15, &b, 5, 1, kBlitXor);
    EXPECT_TRUE(SamePixels(a, orig));
    // Whole-image fast path.
    MonoImage::Blit(&a, 0, 0, 100, 20, &b, 0, 0, kBlitCopy);
    EXPECT_TRUE(SamePixels(a, b));
    // Overlapping copy within one image behaves as if the source were copied first.
    orig.Free();
    a.CopyTo(orig);
    MonoImage::Blit(&a, 3, 0, 97, 20, &a, 0, 0, kBlitCopy);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 3; x < 100; ++x) ASSERT_EQ(a.GetPixel(x, y), orig.GetPixel(x - 3, y));
}

TEST(Crop, CopiesTheRectangleAndRefusesEmpty) {
    MonoImage img = FromText({"......", "..##..", "..#...", "......"});
    auto crop = img.Crop(PixelRect{2, 1, 4, 3});
    ASSERT_TRUE(crop);
    EXPECT_EQ(ToText(*crop), (std::vector<std::string>{"##", "#."}));
    EXPECT_FALSE(img.Crop(PixelRect{3, 1, 3, 3}));
    MonoImage none;
    EXPECT_FALSE(none.Crop(PixelRect{0, 0, 1, 1}));
}

TEST(FindPixel, NextAndPrevAgreeWithAScan) {
    MonoImage img;
    Randomize(img, 77, 12, 0.05, 5);
    for (int32_t y = -1; y <= 12; ++y) {
        for (int value : {0, 1}) {
            for (int32_t x1 = -3; x1 < 80; x1 += 7) {
                for (int32_t x2 = x1; x2 < 85; x2 += 5) {
                    int32_t next = -1, prev = -1;
                    for (int32_t x = std::max(x1, 0); x <= std::min(x2, 76); ++x)
                        if (y >= 0 && y < 12 && img.GetPixel(x, y) == value) {
                            if (next < 0) next = x;
                            prev = x;
                        }
                    ASSERT_EQ(img.FindNextPixel(x1, y, x2, value), next);
                    ASSERT_EQ(img.FindPrevPixel(x2, y, x1, value), prev);
                }
            }
        }
    }
}

TEST(FindInkBounds, TightBoxEmptyAndWithin) {
    MonoImage img;
    img.Create(20, 12);
    img.Fill(1);
    PixelRect r;
    img.FindInkBounds(r, nullptr, 0);
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r, PixelRect{});
    img.SetPixel(5, 7, 0);
    img.FindInkBounds(r, nullptr, 0);
    EXPECT_EQ(r, (PixelRect{5, 7, 6, 8}));
    img.SetPixel(17, 2, 0);
    img.SetPixel(9, 10, 0);
    img.FindInkBounds(r, nullptr, 0);
    EXPECT_EQ(r, (PixelRect{5, 2, 18, 11}));
    PixelRect within{6, -5, 100, 9};  // clamped to the image
    img.FindInkBounds(r, &within, 0);
    EXPECT_EQ(r, (PixelRect{17, 2, 18, 3}));
    PixelRect none{0, 0, 5, 5};
    img.FindInkBounds(r, &none, 0);
    EXPECT_TRUE(r.IsEmpty());
}

TEST(Flip, MirrorsWithinTheWidth) {
    MonoImage img = FromText({"##....#..", ".#.......", "........#"});
    img.Flip(1);
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"..#....##", ".......#.", "#........"}));
    img.Flip(2);
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"#........", ".......#.", "..#....##"}));
    img.Flip(3);
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"##....#..", ".#.......", "........#"}));
    img.Flip(0);
    img.Flip(4);  // only bits 0 and 1 count
    EXPECT_EQ(ToText(img)[0], "##....#..");
}

TEST(Flip, EveryModeIsAnInvolutionAtAwkwardSizes) {
    for (int32_t w : {1, 7, 8, 9, 16, 17, 31}) {
        for (int32_t h : {1, 2, 3}) {
            for (int mode : {1, 2, 3}) {
                MonoImage img, orig;
                Randomize(img, w, h, 0.4, uint32_t(w * 10 + h));
                img.CopyTo(orig);
                img.Flip(mode);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        int32_t sx = (mode & 1) ? w - 1 - x : x, sy = (mode & 2) ? h - 1 - y : y;
                        ASSERT_EQ(img.GetPixel(x, y), orig.GetPixel(sx, sy));
                    }
                img.Flip(mode);
                ASSERT_TRUE(SamePixels(img, orig));
            }
        }
    }
}

TEST(Rotate, QuarterTurnsMovePixelsAsSpecified) {
    MonoImage img = FromText({"#..", "#.#"});
    img.Rotate(0);
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 3);
    EXPECT_EQ(img.GetPixel(0, 0), 0);  // old bottom-left is the new top-left
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"##", "..", "#."}));
    img.Rotate(2);
    EXPECT_EQ(ToText(img), (std::vector<std::string>{"#..", "#.#"}));

    for (int32_t w : {1, 8, 13, 70}) {
        for (int32_t h : {1, 9, 24}) {
            MonoImage a, orig;
            Randomize(a, w, h, 0.3, uint32_t(w * 100 + h));
            a.CopyTo(orig);
            uint8_t* identity = nullptr;
            a.Rotate(0);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(a.GetPixel(h - 1 - y, x), orig.GetPixel(x, y));
            a.Rotate(2);
            ASSERT_TRUE(SamePixels(a, orig));
            a.Rotate(2);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(a.GetPixel(y, w - 1 - x), orig.GetPixel(x, y));
            a.Rotate(0);
            a.Rotate(1);
            identity = a.bits;
            ASSERT_NE(identity, nullptr);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(a.GetPixel(w - 1 - x, h - 1 - y), orig.GetPixel(x, y));
        }
    }
}

TEST(Enhance, SpecifiedCases) {
    MonoImage lone = FromText({".....", "..#..", "....."});
    lone.Enhance();
    EXPECT_EQ(ToText(lone)[1], ".....");

    MonoImage hline = FromText({"........", ".######.", "........"});
    hline.Enhance();
    EXPECT_EQ(ToText(hline)[1], "..####..");

    MonoImage vline = FromText({"...", ".#.", ".#.", ".#.", ".#.", "..."});
    vline.Enhance();
    EXPECT_EQ(ToText(vline), (std::vector<std::string>{"...", "...", ".#.", ".#.", "...", "..."}));

    MonoImage diag = FromText({"......", ".#....", "..#...", "...#..", "....#.", "......"});
    diag.Enhance();
    EXPECT_EQ(ToText(diag), (std::vector<std::string>{"......", "......", "..#...", "...#..",
                                                      "......", "......"}));

    MonoImage hole = FromText({"###", "#.#", "###"});
    hole.Enhance();
    EXPECT_EQ(ToText(hole)[1], "###");

    MonoImage bottom = FromText({"....", "....", ".#.."});
    bottom.Enhance();
    EXPECT_EQ(ToText(bottom)[2], "....");
}

TEST(Enhance, MatchesThePerPixelRuleOnNoisyPictures) {
    for (int32_t w : {1, 5, 8, 19, 64}) {
        for (double ink : {0.1, 0.5, 0.9}) {
            MonoImage img;
            Randomize(img, w, 11, ink, uint32_t(w * 7 + int(ink * 10)));
            auto want = NaiveEnhance(img);
            img.Enhance();
            ASSERT_EQ(ToText(img), want) << "width " << w << " ink " << ink;
        }
    }
}
