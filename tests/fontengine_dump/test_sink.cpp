// The indenting sink of the structured dump, one rule at a time.
#include <gtest/gtest.h>

#include <string>

#include "TTDump.h"

namespace {
std::string Sunk(const std::string& input) {
    std::string text;
    {
        TTDumpSink sink(&text);
        sink.put(input);
    }
    return text;
}
}  // namespace

TEST(DumpSink, BracesSetTheIndentAndAClosingBraceSitsOneLevelOut) {
    EXPECT_EQ(Sunk("a = {\nb = {\nc = 1\n}\nd = 2\n}\ne = 3\n"),
              "a = { \n  b = { \n    c = 1\n  }\n  d = 2\n}\ne = 3\n");
    // More closing braces than opening ones never indent negatively.
    EXPECT_EQ(Sunk("}\n}\nx\n"), "}\n}\nx\n");
}

TEST(DumpSink, AnOpeningBraceIsFollowedByABlank) {
    EXPECT_EQ(Sunk("{x}\n"), "{ x}\n");
}

TEST(DumpSink, TabsBecomeBlanksAndAreDroppedAtTheStartOfALine) {
    EXPECT_EQ(Sunk("a\tb\n\t\tc\n"), "a b\nc\n");
    EXPECT_EQ(Sunk("{\n\tx\n}\n"), "{ \n  x\n}\n");
}

TEST(DumpSink, ABlankOrTabAtColumn72OrBeyondBreaksTheLine) {
    std::string word(71, 'w');
    // Column 71: the blank stays; at 72 it becomes a line break.
    EXPECT_EQ(Sunk(word + " x\n"), word + " x\n");
    EXPECT_EQ(Sunk(word + "w x\n"), word + "w\nx\n");
    EXPECT_EQ(Sunk(word + "w\tx\n"), word + "w\nx\n");
    // The indentation counts towards the column, and the new line is indented again.
    std::string indented = Sunk("{\n" + std::string(70, 'w') + " y\n}\n");
    EXPECT_EQ(indented, "{ \n  " + std::string(70, 'w') + "\n  y\n}\n");
}

TEST(DumpSink, EmptyLinesAreNotPrinted) {
    EXPECT_EQ(Sunk("\n\na\n\n\nb\n\t\n"), "a\nb\n");
}

TEST(DumpSink, QuotedTextPassesUnchanged) {
    EXPECT_EQ(Sunk("n = \"{\ta}\"\nm = 'x\t{'\nz\n"), "n = \"{\ta}\"\nm = 'x\t{'\nz\n");
    // No line break inside quotes, however far out.
    std::string longQuoted = "\"" + std::string(80, 'q') + " q\"";
    EXPECT_EQ(Sunk(longQuoted + "\n"), longQuoted + "\n");
    // A double quote inside single quotes does not open a quote.
    EXPECT_EQ(Sunk("'\"' {\nx\n}\n"), "'\"' { \n  x\n}\n");
}

TEST(DumpSink, AnUnclosedQuoteEndsWithItsLine) {
    EXPECT_EQ(Sunk("{\nname = 'it\n{\nx\n}\n}\n"), "{ \n  name = 'it\n  { \n    x\n  }\n}\n");
}

TEST(DumpSink, AStarLeavesTheRestOfItsLineUnindented) {
    EXPECT_EQ(Sunk("{\n* Table 'head'\t*(x)\ny\n}\n"), "{ \n* Table 'head' *(x)\n  y\n}\n");
    // A line broken after the star starts a new line, indented again.
    std::string out = Sunk("{\n*" + std::string(75, 's') + " t\n}\n");
    EXPECT_EQ(out, "{ \n*" + std::string(75, 's') + "\n  t\n}\n");
}

TEST(DumpSink, FieldsAndArraysKeepTheirLayout) {
    std::string text;
    {
        TTDumpSink sink(&text);
        sink.begin("rec");
        sink.fieldHex("version", 0x10000);
        sink.field("unitsPerEm", 2048);
        const uint16_t values[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xABC, 0xFFFF};
        sink.array("data", values, 12);
        const int16_t negative[1] = {-1};
        sink.array("signed", negative, 1);
        sink.fieldText("t", "a\"b");
        sink.end();
    }
    EXPECT_EQ(text,
              "rec = { \n"
              "  version = 0x10000\n"
              "  unitsPerEm = 2048\n"
              "  data[12] = { \n"
              "      0   1   2   3   4   5   6   7   8   9\n"
              "    abc ffff\n"
              "  }\n"
              "  signed[1] = { \n"
              "    ffff\n"
              "  }\n"
              "  t = \"a\\x22b\"\n"
              "}\n");
}
