#include <gtest/gtest.h>

#include "CliOptions.h"
#include "Strings.h"

TEST(CliOptions, Characters) {
    EXPECT_EQ(ParseCharacter("A"), 0x41);
    EXPECT_EQ(ParseCharacter("U+00A7"), 0xA7);
    EXPECT_EQ(ParseCharacter("u+2022"), 0x2022);
    EXPECT_EQ(ParseCharacter("§"), 0xA7);
    EXPECT_EQ(ParseCharacter("Ж"), 0x416);
    EXPECT_EQ(ParseCharacter("€"), 0x20AC);
    EXPECT_FALSE(ParseCharacter(""));
    EXPECT_FALSE(ParseCharacter("AB"));          // one character only
    EXPECT_FALSE(ParseCharacter("U+"));
    EXPECT_FALSE(ParseCharacter("U+12G4"));
    EXPECT_FALSE(ParseCharacter("U+1F600"));     // beyond 16 bits
    EXPECT_FALSE(ParseCharacter("U+FFFF"));      // means "none"
    EXPECT_FALSE(ParseCharacter("U+D800"));      // a surrogate is no character
    EXPECT_FALSE(ParseCharacter("\xC0\x80"));    // overlong
    EXPECT_FALSE(ParseCharacter("\xF0\x9F\x98\x80"));  // astral
    EXPECT_FALSE(ParseCharacter("\xE2\x82"));    // cut short
}

TEST(CliOptions, SelectionAndNumbers) {
    EXPECT_EQ(ParseSelection("10,20,30,40"), (PixelRect{10, 20, 40, 60}));
    EXPECT_FALSE(ParseSelection("10,20,30"));
    EXPECT_FALSE(ParseSelection("10,20,0,5"));
    EXPECT_FALSE(ParseSelection("-1,0,5,5"));
    EXPECT_FALSE(ParseSelection("1,2,3,4,5"));
    EXPECT_FALSE(ParseSelection("2147483647,0,5,5"));
    EXPECT_EQ(ParseInteger("-15"), -15);
    EXPECT_FALSE(ParseInteger("15%"));
    EXPECT_FALSE(ParseInteger("99999999999"));
}

TEST(CliOptions, BuildDefaultsAndEditsInOrder) {
    SetCurrentLanguage(Language::English);
    BuildOptions o;
    auto err = ParseBuildOptions({"--font", "f.ttf", "--image", "s.tif", "--char", "U+00A7",
                                  "--enhance", "--flip", "h", "--rotate", "ccw", "--enhance",
                                  "--invert", "--size", "70", "--left", "-15"}, o);
    ASSERT_FALSE(err) << err->message;
    EXPECT_EQ(o.edits, "ehaei");
    EXPECT_EQ(o.charCode, 0xA7);
    EXPECT_EQ(o.size, 70);
    EXPECT_EQ(o.left, -15);
    EXPECT_FALSE(o.vpos);
    EXPECT_EQ(o.suffix, "-Penmark");
    EXPECT_EQ(o.output, "Penmark.ttf");
    EXPECT_FALSE(o.install);
}

TEST(CliOptions, BuildRefusesWhatItCannotDo) {
    SetCurrentLanguage(Language::English);
    auto fails = [](std::vector<std::string> args, const std::string& says) {
        BuildOptions o;
        auto err = ParseBuildOptions(args, o);
        ASSERT_TRUE(err) << "accepted: " << says;
        EXPECT_NE(err->message.find(says), std::string::npos) << err->message;
    };
    fails({"--image", "s.tif", "--char", "A"}, "--font");
    fails({"--font", "f", "--char", "A"}, "--image | --eps");
    fails({"--font", "f", "--image", "a", "--eps", "b", "--char", "A"}, "--image | --eps");
    fails({"--font", "f", "--image", "a"}, "--char");
    fails({"--font", "f", "--image", "a", "--char"}, "--char needs a value");
    fails({"--font", "f", "--image", "a", "--char", "AB"}, "\"AB\"");
    fails({"--font", "f", "--image", "a", "--char", "A", "--flip", "x"}, "\"x\"");
    fails({"--font", "f", "--image", "a", "--char", "A", "--size", "big"}, "\"big\"");
    fails({"--font", "f", "--image", "a", "--char", "A", "--colour"}, "Unknown option: --colour");
    fails({"--font", "f", "--eps", "a.ai", "--char", "A", "--invert"}, "pictures only");
}

TEST(CliOptions, Trace) {
    TraceOptions t;
    EXPECT_FALSE(ParseTraceOptions({"sig.tif", "-o", "sig.svg"}, t));
    EXPECT_EQ(t.input, "sig.tif");
    EXPECT_EQ(t.output, "sig.svg");
    TraceOptions u;
    EXPECT_TRUE(ParseTraceOptions({"sig.tif"}, u));
    TraceOptions v;
    EXPECT_TRUE(ParseTraceOptions({"a.tif", "b.tif", "-o", "x.svg"}, v));
}
