#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "BufferedFile.h"
#include "PsTokenReader.h"

namespace {

struct Token {
    int type;
    std::string text;
    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Token& t) {
    return os << "{0x" << std::hex << t.type << std::dec << ", \"" << t.text << "\"}";
}

// Every token of a text up to and including the end token.
std::vector<Token> Tokens(const std::string& text, size_t bufferSize = PsTokenReader::kTokenBufferSize) {
    PsTokenReader reader(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    std::vector<Token> out;
    std::vector<char> buf(bufferSize);
    for (int guard = 0; guard < 10000; ++guard) {
        int type = reader.NextToken(buf.data(), buf.size());
        out.push_back({type, buf.data()});
        if (type == kPsEnd) break;
    }
    return out;
}

TEST(PsTokenReader, DeliversEachTokenTypeWithItsText) {
    const std::string text =
        "/Name(str (in) ing)%  \t comment text\r\n"
        "[ ] > { } <4a 6B\nzz 7f> moveto abc/def 12 -7 8#17 2#102 "
        "1.5 -.25 5. 1e2 2E-1 -3e-1 \x01\x7f\xc3\xa9";
    const std::vector<Token> expected = {
        {kPsLiteral, "Name"},
        {kPsString, "str (in) ing"},
        {kPsComment, "comment text"},
        {kPsArrayOpen, ""},
        {kPsArrayClose, ""},
        {kPsArrayClose, ""},
        {kPsProcOpen, ""},
        {kPsProcClose, ""},
        {kPsHexString, "4a6B7f"},
        {kPsOther, "moveto"},
        {kPsOther, "abc"},
        {kPsLiteral, "def"},
        {kPsInteger, "12"},
        {kPsInteger, "-7"},
        {kPsInteger, "8#17"},
        {kPsInteger, "2#102"},
        {kPsReal, "1.5"},
        {kPsReal, "-.25"},
        {kPsReal, "5."},
        {kPsReal, "1e2"},
        {kPsReal, "2E-1"},
        {kPsReal, "-3e-1"},
        {kPsOther, "\x7f\xc3\xa9"},
        {kPsEnd, ""},
    };
    EXPECT_EQ(Tokens(text), expected);
}

TEST(PsTokenReader, NumbersAndNearNumbers) {
    struct Case {
        const char* text;
        int type;
        long integer;
        double real;
    };
    const Case cases[] = {
        {"-0042", kPsInteger, -42, -42.0},
        {"8#17", kPsInteger, 15, 15.0},
        {"2#102", kPsInteger, 6, 6.0},  // digits are not checked against the base
        {"26#1", kPsInteger, 1, 1.0},
        {"-2.75", kPsReal, -2, -2.75},
        {"2.5e-1", kPsReal, 0, 0.25},
        {"1e", kPsReal, 1, 1.0},
        {"99999999999999999999999", kPsInteger, LONG_MAX, 1e23},
        // Outside the numeric forms these are plain names.
        {"16#FF", kPsOther, 0, 0}, {"27#1", kPsOther, 0, 0}, {"1#1", kPsOther, 0, 0},
        {"2#", kPsOther, 0, 0},    {"1.2.3", kPsOther, 0, 0}, {"1-2", kPsOther, 0, 0},
        {"+5", kPsOther, 0, 0},    {"1e5e1", kPsOther, 0, 0}, {".e5", kPsOther, 0, 0},
        // A lone "-" or "." passes the tests but is no number: the input ends there.
        {"- 1", kPsEnd, 0, 0},     {". 1", kPsEnd, 0, 0},     {"-. 1", kPsEnd, 0, 0},
    };
    for (const Case& c : cases) {
        PsTokenReader reader(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text));
        char buf[64];
        EXPECT_EQ(reader.NextToken(buf, sizeof buf), c.type) << c.text;
        EXPECT_EQ(reader.EndedOnBadNumber(), c.type == kPsEnd) << c.text;
        if (c.type == kPsInteger || c.type == kPsReal) {
            EXPECT_EQ(reader.IntValue(), c.integer) << c.text;
            EXPECT_DOUBLE_EQ(reader.RealValue(), c.real) << c.text;
        }
    }
}

TEST(PsTokenReader, StringLineEndsAndEscapes) {
    // Line ends become the two characters \n and \r; an escaped parenthesis neither
    // opens nor closes a level, so the operator after the string survives.
    auto tokens = Tokens("(a\nb\rc) (x\\)y\\(z) m (unterminated (x)");
    std::vector<Token> expected = {
        {kPsString, "a\\nb\\rc"},
        {kPsString, "x\\)y\\(z"},
        {kPsOther, "m"},
        {kPsString, "unterminated (x)"},
        {kPsEnd, ""},
    };
    EXPECT_EQ(tokens, expected);
}

TEST(PsTokenReader, CommentsEndAtTheLineAndNeverSwallowTheNext) {
    std::string longLine(700, 'x');
    auto tokens = Tokens("%\n1 %%EndProlog\r\n%" + longLine + " 3 4 m\n5");
    ASSERT_EQ(tokens.size(), 6u);
    EXPECT_EQ(tokens[0], (Token{kPsComment, ""}));
    EXPECT_EQ(tokens[1], (Token{kPsInteger, "1"}));
    EXPECT_EQ(tokens[2], (Token{kPsComment, "%EndProlog"}));
    // The rest of an overlong comment line is dropped, not read as code.
    EXPECT_EQ(tokens[3], (Token{kPsComment, longLine.substr(0, 511)}));
    EXPECT_EQ(tokens[4], (Token{kPsInteger, "5"}));
}

TEST(PsTokenReader, LongNameAndStringAreCutAndContinued) {
    const std::string name(600, 'n');
    const std::string inner = std::string(509, 's') + "(\n)" + std::string(100, 't');
    const std::string text = name + " (" + inner + ") /" + std::string(520, 'l') + " m";
    PsTokenReader reader(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    char buf[PsTokenReader::kTokenBufferSize];
    std::vector<std::pair<Token, bool>> got;
    for (;;) {
        int type = reader.NextToken(buf, sizeof buf);
        got.push_back({{type, buf}, reader.IsContinuation()});
        if (type == kPsEnd) break;
    }
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[0], std::make_pair(Token{kPsOther, name.substr(0, 511)}, false));
    EXPECT_EQ(got[1], std::make_pair(Token{kPsOther, name.substr(511)}, true));
    // 509 s and "(" leave one place, too few for "\n": it starts the remainder, which is
    // still inside the string.
    EXPECT_EQ(got[2], std::make_pair(Token{kPsString, std::string(509, 's') + "("}, false));
    EXPECT_EQ(got[3], std::make_pair(Token{kPsString, "\\n)" + std::string(100, 't')}, true));
    EXPECT_EQ(got[4], std::make_pair(Token{kPsLiteral, std::string(511, 'l')}, false));
    EXPECT_EQ(got[5], std::make_pair(Token{kPsLiteral, std::string(9, 'l')}, true));
    EXPECT_EQ(got[6], std::make_pair(Token{kPsOther, "m"}, false));
}

TEST(PsTokenReader, TinyBuffersStillMakeProgress) {
    auto tokens = Tokens("abc (de) 12", 2);
    std::vector<Token> expected = {{kPsOther, "a"},  {kPsOther, "b"},   {kPsOther, "c"},
                                   {kPsString, "d"}, {kPsString, "e"},  {kPsOther, "1"},
                                   {kPsOther, "2"},   {kPsEnd, ""}};
    EXPECT_EQ(tokens, expected);
    char one[1];
    PsTokenReader reader(reinterpret_cast<const uint8_t*>("x"), 1);
    EXPECT_EQ(reader.NextToken(one, 1), kPsEnd);
}

TEST(PsTokenReader, SeekTextFindsTheFirstOccurrence) {
    // A mismatch on a byte that could start the text must not skip it.
    const std::string text = "\xc5\xd0%%!P%%!PS-Adobe-3.0\n";
    PsTokenReader reader(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    ASSERT_TRUE(reader.SeekText("%!PS"));
    char buf[64];
    EXPECT_EQ(reader.NextToken(buf, sizeof buf), kPsComment);
    EXPECT_STREQ(buf, "!PS-Adobe-3.0");

    // Only a whole comment token counts, never one inside a string.
    const std::string prolog = "%%EndPrologue\n(%%EndProlog) %%EndProlog \n%%EndProlog\n7";
    PsTokenReader skip(reinterpret_cast<const uint8_t*>(prolog.data()), prolog.size());
    ASSERT_TRUE(skip.SkipToComment("%EndProlog"));
    EXPECT_EQ(skip.NextToken(buf, sizeof buf), kPsInteger);
    EXPECT_STREQ(buf, "7");

    const std::string none = "%!P %!pS";
    PsTokenReader missing(reinterpret_cast<const uint8_t*>(none.data()), none.size());
    EXPECT_FALSE(missing.SeekText("%!PS"));
    EXPECT_EQ(missing.NextToken(buf, sizeof buf), kPsEnd);
}

TEST(PsTokenReader, SeekTextAcrossTheFileWindow) {
    // The text straddles the reader's 64 KiB window, and the seek goes back into the
    // previous window.
    std::string content(65536 - 2, 'a');
    content += "%!PS-Adobe-3.0\n%%Marker\n";
    const std::string path = std::string(PENMARK_TEST_TMP) + "/seek_window.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);

    BufferedFile file;
    ASSERT_TRUE(file.open(path, BufferedFile::Mode::Read));
    PsTokenReader reader(file);
    ASSERT_TRUE(reader.SeekText("%!PS"));
    char buf[64];
    EXPECT_EQ(reader.NextToken(buf, sizeof buf), kPsComment);
    EXPECT_STREQ(buf, "!PS-Adobe-3.0");
    EXPECT_TRUE(reader.SkipToComment("%Marker"));
    EXPECT_FALSE(reader.SkipToComment("%Marker"));
}

}  // namespace
