// The CFF building blocks: INDEX and DICT bounds and encodings, charstrings run for
// their boxes (subroutines, hints, flex, arithmetic) and refused when malformed, and the
// charstrings the engine writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CffCharstring.h"
#include "CffData.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes IndexOf(const std::vector<std::string>& items) {
    std::vector<std::string_view> views(items.begin(), items.end());
    Bytes out;
    Cff::WriteIndex(out, views);
    return out;
}

// Charstring operands as the format encodes them (one, two or three bytes).
void Num(Bytes& b, int v) {
    if (v >= -107 && v <= 107) {
        b.push_back(uint8_t(v + 139));
    } else {
        b.push_back(28);
        b.push_back(uint8_t(uint16_t(v) >> 8));
        b.push_back(uint8_t(v));
    }
}
Bytes Program(std::initializer_list<int> tokens) {
    // Values below 1000 are numbers; 1000 + k is operator k, 1200 + k the escaped k.
    Bytes b;
    for (int t : tokens) {
        if (t >= 1200) {
            b.push_back(12);
            b.push_back(uint8_t(t - 1200));
        } else if (t >= 1000) {
            b.push_back(uint8_t(t - 1000));
        } else {
            Num(b, t);
        }
    }
    return b;
}
constexpr int rmoveto = 1021, rlineto = 1005, hlineto = 1006, vlineto = 1007, rrcurveto = 1008,
              callsubr = 1010, ret = 1011, endchar = 1014, hstemhm = 1018, hintmask = 1019, vstem = 1003,
              callgsubr = 1029, hvcurveto = 1031, flex = 1235, add = 1210, dup = 1227, roll = 1230;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

bool Box(const Bytes& program, Cff::Bounds& b, const Cff::Subroutines& subrs = {}) {
    return Cff::RunCharstring(program.data(), program.size(), subrs, b);
}

TEST(CffIndex, ItemsAndTheirBoundsAreChecked) {
    Bytes idx = IndexOf({"ab", "", std::string(300, 'x')});
    Cff::Index index;
    ASSERT_TRUE(index.read(idx.data(), idx.size(), 0));
    ASSERT_EQ(index.count(), 3u);
    EXPECT_EQ(index.text(0), "ab");
    EXPECT_EQ(index.itemSize(1), 0u);
    EXPECT_EQ(index.itemSize(2), 300u);
    EXPECT_EQ(index.end(), idx.size());
    EXPECT_EQ(idx[2], 2) << "302 bytes of data need 2-byte offsets";

    Bytes empty = IndexOf({});
    ASSERT_TRUE(index.read(empty.data(), empty.size(), 0));
    EXPECT_EQ(index.count(), 0u);
    EXPECT_EQ(index.end(), 2u);

    // Cut short, an offset past the end, offsets going backwards, a bad offset size.
    EXPECT_FALSE(index.read(idx.data(), idx.size() - 1, 0));
    Bytes bad = IndexOf({"ab", "cd"});
    bad[5] = 9;  // the last offset of 1-byte offsets
    EXPECT_FALSE(index.read(bad.data(), bad.size(), 0));
    bad = IndexOf({"ab", "cd"});
    bad[4] = 0;
    EXPECT_FALSE(index.read(bad.data(), bad.size(), 0));
    bad[2] = 5;
    EXPECT_FALSE(index.read(bad.data(), bad.size(), 0));
    EXPECT_FALSE(index.read(idx.data(), idx.size(), idx.size()));
    Bytes huge = {0xFF, 0xFF, 4};  // 65535 items, nothing after
    EXPECT_FALSE(index.read(huge.data(), huge.size(), 0));
}

TEST(CffDict, ReadsEveryNumberFormAndWritesBack) {
    // 0 (one byte), 500 and -500 (two bytes), 10000 (int16), 100000 (int32), -2.25 (real)
    // as the operands of operator 12 7 (FontMatrix stands in for any).
    Bytes d = {139, 248, 136, 252, 136, 28, 0x27, 0x10, 29, 0x00, 0x01, 0x86, 0xA0, 30, 0xE2, 0xA2, 0x5F, 12, 7,
               247, 0, 15};
    Cff::Dict dict;
    ASSERT_TRUE(dict.read(d.data(), d.size()));
    const Cff::DictEntry* e = dict.find(1207);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->operands.size(), 6u);
    EXPECT_EQ(e->operands[0], 0);
    EXPECT_EQ(e->operands[1], 500);
    EXPECT_EQ(e->operands[2], -500);
    EXPECT_EQ(e->operands[3], 10000);
    EXPECT_EQ(e->operands[4], 100000);
    EXPECT_DOUBLE_EQ(e->operands[5], -2.25);
    EXPECT_EQ(dict.number(Cff::Op::kCharset), 108);
    EXPECT_EQ(dict.number(Cff::Op::kPrivate, 1, -1), -1) << "absent: the fallback";
    Bytes back;
    dict.write(back);
    EXPECT_EQ(back, d) << "unchanged entries are written as read";

    // Full-width integers keep the DICT's size whatever their values.
    dict.setIntegers(Cff::Op::kCharset, {0});
    Bytes a;
    dict.write(a);
    dict.setIntegers(Cff::Op::kCharset, {123456789});
    dict.setIntegers(Cff::Op::kPrivate, {40, 7});
    Bytes b;
    dict.write(b);
    EXPECT_EQ(b.size(), a.size() + 11);
    Cff::Dict again;
    ASSERT_TRUE(again.read(b.data(), b.size()));
    EXPECT_EQ(again.number(Cff::Op::kCharset), 123456789);
    EXPECT_EQ(again.number(Cff::Op::kPrivate, 1), 7);

    // Operands without an operator, a cut escape, a cut number, a reserved byte.
    for (Bytes broken : {Bytes{139}, Bytes{139, 12}, Bytes{28, 1}, Bytes{255, 15}}) {
        EXPECT_FALSE(dict.read(broken.data(), broken.size())) << int(broken[0]);
    }
}

TEST(CffStrings, StandardStringsByIdAndName) {
    EXPECT_EQ(Cff::StandardString(0), ".notdef");
    EXPECT_EQ(Cff::StandardString(1), "space");
    EXPECT_EQ(Cff::StandardString(390), "Semibold");
    EXPECT_EQ(Cff::StandardString(391), "");
    EXPECT_EQ(Cff::StandardStringId("Euro"), -1);
    EXPECT_EQ(Cff::StandardStringId("eacute"), Cff::StandardStringId("eacute"));
    EXPECT_EQ(Cff::StandardString(Cff::StandardStringId("eacute")), "eacute");
}

TEST(CffCharstring, BoxesCoverLinesCurvesAndCalls) {
    Cff::Bounds b;
    // A width, a stem hint, a hint mask, then a 100 x 50 box drawn with h/v lines.
    ASSERT_TRUE(Box(Program({500, 10, 20, hstemhm, 0, 30, vstem, hintmask}), b) == false)
        << "a hint mask needs its mask bytes";
    Bytes p = Program({500, 10, 20, hstemhm, 0, 30, hintmask});
    p.push_back(0xC0);  // the mask: two stems, one byte
    Bytes rest = Program({10, 20, rmoveto, 100, 50, -100, hlineto, endchar});
    p.insert(p.end(), rest.begin(), rest.end());
    b = {};
    ASSERT_TRUE(Box(p, b));
    EXPECT_EQ(b.xMin, 10);
    EXPECT_EQ(b.yMin, 20);
    EXPECT_EQ(b.xMax, 110);
    EXPECT_EQ(b.yMax, 70);

    // A curve's box is its extent, not its control points: the arc from (0,0) to (100,0)
    // with controls at height 100 peaks at 75.
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, 0, 100, 100, 0, 0, -100, rrcurveto, endchar}), b));
    EXPECT_DOUBLE_EQ(b.yMax, 75);
    EXPECT_EQ(b.xMax, 100);

    // A trailing move draws nothing; an empty glyph has no box.
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, 10, 0, rlineto, 500, 500, rmoveto, endchar}), b));
    EXPECT_EQ(b.xMax, 10);
    b = {};
    ASSERT_TRUE(Box(Program({300, endchar}), b));
    EXPECT_TRUE(b.empty);

    // Local and global subroutines (bias 107 for small lists), nested.
    Bytes local = IndexOf({Text(Program({40, 0, rlineto, ret}))});
    Bytes global = IndexOf({Text(Program({0, 40, rlineto, -107, callsubr, ret}))});
    Cff::Index li, gi;
    ASSERT_TRUE(li.read(local.data(), local.size(), 0));
    ASSERT_TRUE(gi.read(global.data(), global.size(), 0));
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, -107, callgsubr, endchar}), b, {&gi, &li}));
    EXPECT_EQ(b.xMax, 40);
    EXPECT_EQ(b.yMax, 40);
    b = {};
    EXPECT_FALSE(Box(Program({0, 0, rmoveto, -106, callgsubr, endchar}), b, {&gi, &li})) << "no such subroutine";
    EXPECT_FALSE(Box(Program({0, 0, rmoveto, -107, callgsubr, endchar}), b, {&gi, nullptr})) << "no local list";

    // Flex is two curves; arithmetic computes operands (dup, add, roll).
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, 10, 5, 10, 5, 10, 0, 10, -5, 10, -5, 10, 0, 50, flex, endchar}), b));
    EXPECT_EQ(b.xMax, 60);
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, 20, dup, add, 5, 2, 1, roll, rlineto, endchar}), b));
    EXPECT_EQ(b.xMax, 5);
    EXPECT_EQ(b.yMax, 40);
    b = {};
    ASSERT_TRUE(Box(Program({0, 0, rmoveto, 10, 20, 30, 40, hvcurveto, endchar}), b));
    EXPECT_EQ(b.xMax, 30);
    EXPECT_EQ(b.yMax, 70);
}

TEST(CffCharstring, MalformedProgramsAreRefused) {
    Cff::Bounds b;
    EXPECT_FALSE(Box(Program({0, 0, rmoveto, 10, 0, rlineto}), b)) << "no endchar";
    EXPECT_FALSE(Box(Program({rlineto, endchar}), b)) << "operands missing";
    EXPECT_FALSE(Box(Program({0, 0, 1002, endchar}), b)) << "undefined operator";
    Bytes many;
    for (int i = 0; i < 100; ++i) Num(many, 1);
    many.push_back(14);
    EXPECT_FALSE(Box(many, b)) << "stack overflow";
    Bytes cut = {28, 1};
    EXPECT_FALSE(Box(cut, b));
    // A subroutine that calls itself ends at the nesting limit.
    Bytes self = Program({-107, callsubr, ret});
    Bytes list = IndexOf({Text(self)});
    Cff::Index li;
    ASSERT_TRUE(li.read(list.data(), list.size(), 0));
    EXPECT_FALSE(Box(Program({-107, callsubr, endchar}), b, {nullptr, &li}));
    EXPECT_FALSE(Box(Program({0, 0, rmoveto, 1, 40, 1229, 1, rlineto, endchar}), b)) << "index beyond the stack";
}

TEST(CffCharstring, WrittenCharstringsDrawTheirContours) {
    Cff::PathContour square{{100, -200}, {}};
    square.segments.push_back({false, {}, {}, {1300, -200}});
    square.segments.push_back({true, {1400, 300}, {1400, 700}, {1300, 1000}});
    square.segments.push_back({false, {}, {}, {100, 1000}});
    square.segments.push_back({false, {}, {}, {100, -200}});  // closes: left out
    Cff::PathContour dot{{700, 400}, {{false, {}, {}, {710, 400}}}};
    Bytes cs = Cff::EncodeCharstring({square, dot}, 1500, 500, 600);
    Cff::Bounds b;
    ASSERT_TRUE(Box(cs, b));
    EXPECT_EQ(b.xMin, 100);
    EXPECT_EQ(b.yMin, -200);
    EXPECT_EQ(b.yMax, 1000);
    EXPECT_NEAR(b.xMax, 1375, 0.01) << "the curve's own extent";
    EXPECT_EQ(cs[0], 250) << "the width as 1500 - 600, in two bytes";
    EXPECT_EQ(cs.back(), 14);

    // The default width is left out; an empty glyph is just endchar.
    Bytes blank = Cff::EncodeCharstring({}, 500, 500, 600);
    EXPECT_EQ(blank, Bytes{14});
    EXPECT_EQ(Cff::EncodeCharstring({}, 700, 500, 600), (Bytes{139 + 100, 14}));
}

}  // namespace
