#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Cli.h"
#include "Strings.h"
#include "TestPictures.h"

namespace {

// Runs the front end and collects what it printed.
struct CliRun {
    int code;
    std::string out, err;
};

CliRun Cli(std::vector<std::string> args) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    CliRun r{RunCli(args, out, err), {}, {}};
    for (auto [f, s] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::rewind(f);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s->append(buf, n);
        std::fclose(f);
    }
    return r;
}

}  // namespace

TEST(Cli, UsageAndUnknownCommands) {
    SetCurrentLanguage(Language::English);
    CliRun none = Cli({});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("penmark build"), std::string::npos);
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("penmark fonts"), std::string::npos);
    CliRun bad = Cli({"frobnicate"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("Unknown command: frobnicate"), std::string::npos);
    SetCurrentLanguage(Language::German);
    EXPECT_NE(Cli({"frobnicate"}).err.find("Unbekannter Befehl"), std::string::npos);
    SetCurrentLanguage(Language::English);
}

TEST(Cli, FontsListsTheCatalogue) {
    CliRun r = Cli({"fonts"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("DejaVu Sans\t/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n"), std::string::npos);
    EXPECT_EQ(Cli({"fonts", "--extra"}).code, 2);
    EXPECT_EQ(Cli({"fonts", "--help"}).code, 0);
}

TEST(Cli, TraceWritesTheOutlineAsSvg) {
    std::string dir = PENMARK_TEST_TMP;
    ASSERT_TRUE(WriteTestBmp(dir + "/ring.bmp", RingPicture(40)));
    CliRun r = Cli({"trace", dir + "/ring.bmp", "-o", dir + "/ring.svg"});
    ASSERT_EQ(r.code, 0) << r.err;
    FILE* f = std::fopen((dir + "/ring.svg").c_str(), "rb");
    ASSERT_TRUE(f);
    char buf[8192];
    std::string svg(buf, std::fread(buf, 1, sizeof buf, f));
    std::fclose(f);
    EXPECT_EQ(svg.compare(0, 4, "<svg"), 0);
    size_t moves = 0;
    for (size_t at = svg.find(" d=\""); (at = svg.find('M', at + 1)) != std::string::npos;) ++moves;
    EXPECT_EQ(moves, 2u);  // the ring and its hole

    std::string eps = std::string(PENMARK_SOURCE_DIR) + "/tests/eps/data/all_operators.ai";
    EXPECT_EQ(Cli({"trace", eps, "-o", dir + "/eps.svg"}).code, 0);

    SetCurrentLanguage(Language::English);
    CliRun missing = Cli({"trace", dir + "/none.bmp", "-o", dir + "/x.svg"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("File not found."), std::string::npos);
    MonoImage blank;
    blank.Create(10, 10);
    blank.Fill(1);
    ASSERT_TRUE(WriteTestBmp(dir + "/blank.bmp", blank));
    CliRun empty = Cli({"trace", dir + "/blank.bmp", "-o", dir + "/x.svg"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("empty region"), std::string::npos);
    CliRun unwritable = Cli({"trace", dir + "/ring.bmp", "-o", dir + "/no/such/dir.svg"});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("Cannot write"), std::string::npos);
}
