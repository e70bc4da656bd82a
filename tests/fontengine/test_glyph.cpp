// Glyph decoding and encoding, loca, composites and the recomputed metric tables.
#include <gtest/gtest.h>

#include "FontBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "headTABLE.h"
#include "hheaTABLE.h"
#include "maxpTABLE.h"

namespace {

GlyphPoint P(int x, int y, bool on = true) { return GlyphPoint{uint16_t(on ? PointFlag::OnCurve : 0), int16_t(x), int16_t(y)}; }

// Decodes bytes as one glyph.
std::unique_ptr<TTGLYPH> Decode(const Bytes& b, int* code = nullptr) {
    auto g = std::make_unique<TTGLYPH>();
    int c = g->decode(b.data(), b.size());
    if (code) *code = c;
    return g;
}

Bytes Encode(const std::unique_ptr<TTGLYPH>& g) {
    Bytes out;
    EXPECT_EQ(g->encode(out), 0);
    return out;
}

// A resident simple glyph with one contour.
std::unique_ptr<TTGLYPH> Contour(const std::vector<GlyphPoint>& pts) {
    auto g = std::make_unique<TTGLYPH>();
    g->reset();
    g->m_nKind = TTGLYPH::Simple;
    g->appendContour(pts.data(), pts.size());
    g->updateBoundingBox();
    return g;
}

std::unique_ptr<TTGLYPH> Copy(const std::unique_ptr<TTGLYPH>& g) {
    return std::unique_ptr<TTGLYPH>(static_cast<TTGLYPH*>(g->clone().release()));
}

// The flag and coordinate bytes after the header, end points and instructions.
Bytes Body(const Bytes& glyph, size_t contours) { return Bytes(glyph.begin() + long(10 + 2 * contours + 2), glyph.end()); }

TEST(Glyph, DecoderKeepsTheRepeatConvention) {
    // Four points: flag 0x37 (on, short/same x and y) with repeat 2, then one of 0x01.
    Bytes b;
    Be{b}.u16(1).u16(0).u16(0).u16(3).u16(3).u16(3).u16(0);
    Be{b}.u8(0x3F).u8(2).u8(0x01).u8(1).u8(1).u8(1).u16(0).u8(1).u8(1).u8(1).u16(0);
    int code;
    auto g = Decode(b, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(g->m_points.size(), 4u);
    EXPECT_EQ(g->m_points[0].flags, 0x3F);
    EXPECT_EQ(g->m_points[1].flags, 0x3F);
    EXPECT_EQ(g->m_points[2].flags, 0x37);
    EXPECT_EQ(g->m_points[3].flags, 0x01);
    EXPECT_EQ(g->m_points[2].x, 3);
    EXPECT_EQ(g->m_points[3].x, 3);
    EXPECT_EQ(g->m_points[2].y, 3);
}

TEST(Glyph, FlagRunsAreCompressedAndSplitAfter256Points) {
    auto three = Contour({P(0, 0), P(0, 0), P(0, 0)});
    EXPECT_EQ(Body(Encode(three), 1), (Bytes{0x31 | 0x08, 2}));

    std::vector<GlyphPoint> many(300, P(5, 5));
    many[0] = P(0, 0);
    auto long_ = Contour(many);
    Bytes body = Body(Encode(long_), 1);
    // The first point moves (0,0)->(0,0); the other 299 stay put: one run of 256, one of 43.
    ASSERT_GE(body.size(), 5u);
    EXPECT_EQ(body[0], 0x31);
    std::vector<GlyphPoint> back = Decode(Encode(long_))->m_points;
    ASSERT_EQ(back.size(), 300u);
    EXPECT_EQ(back[299].x, 5);
    EXPECT_EQ(back[1].x, 5);
}

TEST(Glyph, CoordinateDeltasTakeTheSmallestForm) {
    auto g = Contour({P(255, 0), P(255 + 256, 0), P(255 + 256, 0), P(0, -255)});
    Bytes body = Body(Encode(g), 1);
    // x: +255 as one byte, +256 as a word, 0 as nothing, -511 as a word; y: 0,0,0,-255.
    Bytes want = {0x01 | 0x02 | 0x10 | 0x20, 0x01 | 0x20, 0x01 | 0x10 | 0x20, 0x01 | 0x04,
                  0xFF, 0x01, 0x00, 0xFE, 0x01, 0xFF};
    EXPECT_EQ(body, want);
    auto back = Decode(Encode(g));
    EXPECT_EQ(back->m_points, g->m_points);
}

TEST(Glyph, RejectsInvalidHeaders) {
    std::vector<std::vector<Pt>> contours(513, std::vector<Pt>{{0, 0}});
    int code;
    Decode(SimpleGlyph(contours), &code);
    EXPECT_EQ(code, TTError::kInvalid);

    Bytes inverted = SimpleGlyph({{{0, 0}, {10, 10}}});
    Be{inverted}.u8(0);
    inverted[2] = 0x7F;  // xMin far above xMax
    Decode(inverted, &code);
    EXPECT_EQ(code, TTError::kInvalid);

    Bytes truncated = SimpleGlyph({{{0, 0}, {10, 10}, {20, 0}}});
    truncated.pop_back();
    Decode(truncated, &code);
    EXPECT_EQ(code, TTError::kRead);

    // No contours but a header: a simple glyph without points, not a composite.
    Bytes none;
    Be{none}.u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
    auto g = Decode(none, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(g->m_nKind, TTGLYPH::Simple);
    EXPECT_TRUE(g->m_points.empty());
}

Bytes Component(int flags, int glyph, int a1, int a2) {
    Bytes b;
    Be w{b};
    w.u16(flags).u16(glyph);
    if (flags & ComponentFlag::ARG_1_AND_2_ARE_WORDS) w.u16(a1).u16(a2);
    else w.u8(a1).u8(a2);
    return b;
}

Bytes Composite(const std::vector<Bytes>& parts, int xMax = 100) {
    Bytes b;
    Be{b}.u16(0xFFFF).u16(0).u16(0).u16(xMax).u16(100);
    for (const auto& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

TEST(Glyph, CompositeFlagsAreNormalisedAndArgumentsKept) {
    using namespace ComponentFlag;
    // Byte arguments with a negative arg2; MORE_COMPONENTS wrongly on the last, a kept
    // high flag (scaled offset) and a reserved one on the first.
    Bytes b = Composite({Component(ARGS_ARE_XY_VALUES | MORE_COMPONENTS | 0x0800 | 0x8000, 1, 5, 0xF6),
                         Component(ARGS_ARE_XY_VALUES | MORE_COMPONENTS, 2, 0, 0),
                         Component(ARGS_ARE_XY_VALUES, 3, 1, 2)});
    int code;
    auto g = Decode(b, &code);
    // The decoder follows MORE_COMPONENTS, so a third component is read only as written.
    ASSERT_EQ(code, 0);
    ASSERT_EQ(g->m_components.size(), 3u);
    EXPECT_EQ(g->m_components[0].arg2, -10);
    g->m_components[1].flags &= uint16_t(~MORE_COMPONENTS);
    g->m_components[2].flags |= MORE_COMPONENTS;
    Bytes out = Encode(g);
    auto back = Decode(out, &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(back->m_components.size(), 3u);
    EXPECT_EQ(back->m_components[0].flags, ARGS_ARE_XY_VALUES | MORE_COMPONENTS | 0x0800);
    EXPECT_EQ(back->m_components[1].flags, ARGS_ARE_XY_VALUES | MORE_COMPONENTS);
    EXPECT_EQ(back->m_components[2].flags, ARGS_ARE_XY_VALUES);
    EXPECT_EQ(back->m_components[0].arg1, 5);
    EXPECT_EQ(back->m_components[0].arg2, -10);

    // An argument edited beyond a byte switches the component to words.
    back->m_components[2].arg1 = 300;
    auto wide = Decode(Encode(back));
    EXPECT_EQ(wide->m_components[2].arg1, 300);
    EXPECT_TRUE(wide->m_components[2].flags & ARG_1_AND_2_ARE_WORDS);
}

// A font of the given glyph bodies, read back into font.
void LoadFont(TTF& font, TTMemoryStream& s, const std::vector<Bytes>& glyphs, std::vector<int> advances = {}) {
    advances.resize(glyphs.size(), 500);
    s = TTMemoryStream(BuildSfnt(SmallFont(glyphs, advances)));
    ASSERT_EQ(ReadFont(font, s), 0);
}

TEST(Glyph, ComponentCyclesAreBoundedAndRefused) {
    using namespace ComponentFlag;
    Bytes square = SimpleGlyph({{{0, 0}, {0, 10}, {10, 10}}});
    struct Case { const char* what; std::vector<Bytes> glyphs; };
    std::vector<Case> cases = {
        {"itself", {square, Composite({Component(ARGS_ARE_XY_VALUES, 1, 0, 0)})}},
        {"pair", {square, Composite({Component(ARGS_ARE_XY_VALUES, 2, 0, 0)}),
                  Composite({Component(ARGS_ARE_XY_VALUES, 1, 0, 0)})}},
    };
    // A chain nested deeper than any real font.
    Case chain{"deep chain", {square}};
    for (int i = 1; i <= 40; ++i) chain.glyphs.push_back(Composite({Component(ARGS_ARE_XY_VALUES, i - 1, 0, 0)}));
    cases.push_back(chain);
    for (auto& c : cases) {
        TTF font;
        TTMemoryStream s;
        LoadFont(font, s, c.glyphs);
        Bytes out;
        EXPECT_EQ(WriteFont(font, out), TTError::kInvalid) << c.what;
        GlyphStatistics st;
        EXPECT_EQ(font.glyf()->statistics(1, st), c.glyphs.size() > 40 ? 0 : TTError::kInvalid) << c.what;
    }
}

TEST(Glyph, SharedComponentsAreCountedOnceEach) {
    using namespace ComponentFlag;
    // Each composite uses the one before twice: the points double at every level, and
    // the statistics must not take exponential time to find that out.
    std::vector<Bytes> glyphs = {SimpleGlyph({{{0, 0}, {0, 10}, {10, 10}}})};
    for (int i = 1; i <= 30; ++i)
        glyphs.push_back(Composite({Component(ARGS_ARE_XY_VALUES | MORE_COMPONENTS, i - 1, 0, 0),
                                    Component(ARGS_ARE_XY_VALUES, i - 1, 0, 0)}));
    TTF font;
    TTMemoryStream s;
    LoadFont(font, s, glyphs);
    GlyphStatistics st;
    ASSERT_EQ(font.glyf()->statistics(20, st), 0);
    EXPECT_EQ(st.points, 3u << 20);
    EXPECT_EQ(st.contours, 1u << 20);
    EXPECT_EQ(st.depth, 20);
    Bytes out;
    ASSERT_EQ(WriteFont(font, out), 0);
    Bytes maxp = TableBytes(out, "maxp");
    EXPECT_EQ(GetBE16(maxp, 10), 0xFFFF);  // maxCompositePoints, saturated
    EXPECT_EQ(GetBE16(maxp, 30), 30);      // maxComponentDepth
    EXPECT_EQ(GetBE16(maxp, 28), 2);       // maxComponentElements
}

TEST(Glyph, FlattenAppliesScaleOffsetAndMirroring) {
    using namespace ComponentFlag;
    TTF font;
    TTMemoryStream s;
    LoadFont(font, s, {SimpleGlyph({{{0, 0}, {0, 100}, {100, 0}}})});
    auto comp = std::make_unique<TTGLYPH>(TTGLYPH::Composite, 0, 0, 0, 0);
    GlyphComponent half;
    half.flags = ARGS_ARE_XY_VALUES | WE_HAVE_A_SCALE;
    half.scale = 0x2000;
    half.arg1 = 1000;
    GlyphComponent mirror;
    mirror.flags = ARGS_ARE_XY_VALUES | WE_HAVE_AN_X_AND_Y_SCALE;
    mirror.xx = -0x4000;
    mirror.yy = 0x4000;
    GlyphComponent matched;  // its point 0 onto point 2 gathered so far (the half's (1050, 0))
    matched.arg1 = 2;
    matched.arg2 = 0;
    comp->m_components = {half, mirror, matched};
    TTGLYPH* g = font.glyf()->addGlyph(std::move(comp));
    std::vector<GlyphPoint> pts;
    std::vector<uint16_t> ends;
    ASSERT_EQ(g->flatten(pts, ends), 0);
    ASSERT_EQ(pts.size(), 9u);
    EXPECT_EQ(ends, (std::vector<uint16_t>{2, 5, 8}));
    EXPECT_EQ(pts[1].x, 1000);
    EXPECT_EQ(pts[1].y, 50);
    EXPECT_EQ(pts[2].x, 1050);
    // Mirrored in x, so the contour runs backwards to keep its direction.
    EXPECT_EQ(pts[3].x, -100);
    EXPECT_EQ(pts[5].x, 0);
    EXPECT_EQ(pts[6].x, 1050);
    EXPECT_EQ(pts[8].x, 1150);
    g->updateBoundingBox();
    EXPECT_EQ(g->xMin, -100);
    EXPECT_EQ(g->xMax, 1150);
    EXPECT_EQ(g->yMax, 100);
}

TEST(Glyph, LocaFormatFollowsTheGlyphDataSize) {
    // Read with long offsets, small enough for short ones.
    TTF small;
    TTMemoryStream s1;
    LoadFont(small, s1, {Bytes{}, SimpleGlyph({{{0, 0}, {5, 5}, {9, 0}}}), Bytes{}});
    Bytes out;
    ASSERT_EQ(WriteFont(small, out), 0);
    EXPECT_EQ(GetBE16(TableBytes(out, "head"), 50), 0);
    Bytes loca = TableBytes(out, "loca");
    ASSERT_EQ(loca.size(), 8u);
    EXPECT_EQ(GetBE16(loca, 0), 0);
    EXPECT_EQ(GetBE16(loca, 2), 0);                  // the empty glyph repeats the value
    EXPECT_EQ(GetBE16(loca, 6), GetBE16(loca, 4));   // and so does the empty last one
    EXPECT_EQ(TableBytes(out, "glyf").size(), size_t(GetBE16(loca, 4)) * 2);

    // Enough glyph data for long offsets: 600 glyphs of 256 points.
    std::vector<Pt> ring;
    for (int i = 0; i < 256; ++i) ring.push_back({i * 300 % 30000, (i * 77) % 1000});
    std::vector<Bytes> glyphs(600, SimpleGlyph({ring}));
    TTF big;
    TTMemoryStream s2;
    LoadFont(big, s2, glyphs);
    ASSERT_EQ(WriteFont(big, out), 0);
    ASSERT_GE(TableBytes(out, "glyf").size(), size_t(0x20000));
    EXPECT_EQ(GetBE16(TableBytes(out, "head"), 50), 1);
    EXPECT_EQ(TableBytes(out, "loca").size(), 601u * 4);
}

TEST(Glyph, EveryGlyphHasEvenLength) {
    auto odd = Contour({P(0, 0), P(10, 10), P(20, 0)});
    ASSERT_EQ(Encode(odd).size() % 2, 1u);
    TTF font;
    TTMemoryStream s;
    LoadFont(font, s, {Bytes{}});
    font.glyf()->addGlyph(Copy(odd));
    Bytes out;
    ASSERT_EQ(WriteFont(font, out), 0);
    Bytes loca = TableBytes(out, "loca");
    EXPECT_EQ(GetBE16(loca, 4) * 2u, (Encode(odd).size() + 1));
}

TEST(Glyph, MetricTablesFollowTheGlyphs) {
    // 150 glyphs, the last 100 of one width: numberOfHMetrics = count - 99.
    std::vector<Bytes> glyphs(150, SimpleGlyph({{{10, 0}, {10, 500}, {400, 0}}}));
    std::vector<int> adv(150, 600);
    for (int i = 0; i < 50; ++i) adv[size_t(i)] = 300 + i;
    TTF font;
    TTMemoryStream s;
    LoadFont(font, s, glyphs, adv);
    auto wide = Contour({P(50, -20), P(50, 900), P(2950, 0)});
    wide->m_nAdvanceWidth = 3000;
    wide->m_nLeftSideBearing = 50;
    // Adding a glyph makes a new last width, so every glyph gets its own advance again.
    font.glyf()->addGlyph(std::move(wide));
    Bytes out;
    ASSERT_EQ(WriteFont(font, out), 0);
    Bytes hhea = TableBytes(out, "hhea");
    EXPECT_EQ(GetBE16(hhea, 10), 3000);   // advanceWidthMax
    EXPECT_EQ(GetBE16(hhea, 16), 2950);   // xMaxExtent
    EXPECT_EQ(GetBE16(hhea, 34), 151);
    EXPECT_EQ(GetBE16(TableBytes(out, "maxp"), 4), 151);
    EXPECT_EQ(TableBytes(out, "hmtx").size(), 151u * 4);
    EXPECT_EQ(TableBytes(out, "loca").size(), 152u * 2);
    Bytes head = TableBytes(out, "head");
    EXPECT_EQ(int16_t(GetBE16(head, 38)), -20);   // yMin
    EXPECT_EQ(GetBE16(head, 40), 2950);           // xMax

    TTF same;
    TTMemoryStream s2;
    LoadFont(same, s2, glyphs, adv);
    ASSERT_EQ(WriteFont(same, out), 0);
    EXPECT_EQ(GetBE16(TableBytes(out, "hhea"), 34), 51);
    EXPECT_EQ(TableBytes(out, "hmtx").size(), 51u * 4 + 99u * 2);
}

TEST(Glyph, TablesTiedToTheGlyphCountFollowOrRefuse) {
    auto tables = SmallFont({Bytes{}, SimpleGlyph({{{0, 0}, {5, 5}, {9, 0}}})}, {500, 500});
    // Glyph variations for two glyphs: short offsets, shared tuples after the array.
    Bytes gvar;
    Be{gvar}.u16(1).u16(0).u16(1).u16(1).u32(26).u16(2).u16(0).u32(28).u16(0).u16(0).u16(0).u16(0x4000).u16(0);
    tables.push_back({"gvar", gvar});
    // A horizontal-variations table lists every glyph and the engine cannot extend it.
    auto withHdmx = tables;
    Bytes hvar;
    Be{hvar}.u16(1).u16(0).u32(0).u32(0).u32(0).u32(0);
    withHdmx.push_back({"HVAR", hvar});

    TTF refused;
    TTMemoryStream s1(BuildSfnt(withHdmx));
    ASSERT_EQ(ReadFont(refused, s1), 0);
    Bytes out;
    ASSERT_EQ(WriteFont(refused, out), 0);  // unchanged glyph count: written as read
    refused.glyf()->addGlyph(Contour({P(0, 0), P(1, 1), P(2, 0)}));
    EXPECT_EQ(WriteFont(refused, out), TTError::kGlyphCountTable);

    TTF extended;
    TTMemoryStream s2(BuildSfnt(tables));
    ASSERT_EQ(ReadFont(extended, s2), 0);
    extended.glyf()->addGlyph(Contour({P(0, 0), P(1, 1), P(2, 0)}));
    ASSERT_EQ(WriteFont(extended, out), 0);
    Bytes got = TableBytes(out, "gvar");
    ASSERT_EQ(got.size(), gvar.size() + 2);
    EXPECT_EQ(GetBE16(got, 12), 3);        // glyphCount
    EXPECT_EQ(GetBE32(got, 8), 28u);       // sharedTuplesOffset moved past the longer array
    EXPECT_EQ(GetBE32(got, 16), 30u);      // glyphVariationDataArrayOffset too
    EXPECT_EQ(GetBE16(got, 26), 0);        // the new glyph repeats the last offset
    EXPECT_EQ(GetBE16(got, 28), 0x4000);   // the shared tuple, intact
}

}  // namespace

TEST(Glyph, AnEmptyDeviceWidthTableFollowsAnAddedGlyph) {
    auto tables = SmallFont({Bytes{}, SimpleGlyph({{{0, 0}, {5, 5}, {9, 0}}})}, {500, 500});
    tables.push_back({"hdmx", Bytes(8, 0)});
    TTF font;
    TTMemoryStream in(BuildSfnt(tables));
    ASSERT_EQ(ReadFont(font, in), 0);
    font.glyf()->addGlyph(Contour({P(0, 0), P(1, 1), P(2, 0)}));
    Bytes out;
    EXPECT_EQ(WriteFont(font, out), 0);
}
