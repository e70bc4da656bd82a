// UTF-8 decoding: well-formed text, characters beyond the BMP and damaged bytes.
#include <gtest/gtest.h>

#include "Utf8.h"

TEST(Utf8, DecodesEveryLength) {
    EXPECT_EQ(DecodeUtf8(" Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"), U" Unterschrift \u00E4\u00F6\u00FC\u20AC");
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x96\x8B"), U"\U0001F58B");
    EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x96\x8B\xE2\x82\xAC"), u"a\U0001F58B\u20AC");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x96\x8B").size(), 2u);  // a surrogate pair
}

TEST(Utf8, DamagedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("\xE9t\xE9"), U"\uFFFDt\uFFFD");              // code page 1252, not UTF-8
    EXPECT_EQ(DecodeUtf8("a\xE2\x82"), U"a\uFFFD\uFFFD");               // cut at the end
    EXPECT_EQ(DecodeUtf8("\xC0\xAF"), U"\uFFFD\uFFFD");                 // overlong
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");       // a surrogate
    EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), U"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
    EXPECT_EQ(DecodeUtf8("\x80x"), U"\uFFFDx");
}
