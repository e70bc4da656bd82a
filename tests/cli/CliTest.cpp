#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Cli.h"
#include "Strings.h"

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
