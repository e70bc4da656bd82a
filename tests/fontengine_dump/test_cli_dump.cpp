// penmark dump [--structured] FONT: the listing on standard output, problems on the
// error stream with exit codes 1 (the file) and 2 (the command line).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "DumpFixture.h"

namespace {

std::string WriteFile(const std::string& name, const Bytes& bytes) {
    std::string path = std::string(PENMARK_TEST_TMP) + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    return path;
}
}  // namespace

TEST(CliDump, ListsAFontPlainOrStructured) {
    std::string path = WriteFile("cli_small.ttf", SmallFontBytes());
    CliRun plain = Cli({"dump", path});
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out, ReadSourceFile("tests/fontengine_dump/golden/small_plain.txt"));
    EXPECT_EQ(plain.err, "");
    CliRun structured = Cli({"dump", "--structured", path});
    EXPECT_EQ(structured.code, 0) << structured.err;
    EXPECT_EQ(structured.out, ReadSourceFile("tests/fontengine_dump/golden/small_structured.txt"));
}

TEST(CliDump, CommandLineMistakesAndHelp) {
    CliRun none = Cli({"dump"});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("usage: penmark dump [--structured] FONT"), std::string::npos);
    EXPECT_EQ(Cli({"dump", "--bogus", "x.ttf"}).code, 2);
    EXPECT_EQ(Cli({"dump", "a.ttf", "b.ttf"}).code, 2);
    CliRun help = Cli({"dump", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--structured"), std::string::npos);
    EXPECT_NE(Cli({"--help"}).out.find("penmark dump [--structured] FONT"), std::string::npos);
}

TEST(CliDump, UnreadableFilesAreReported) {
    CliRun missing = Cli({"dump", "/nonexistent/font.ttf"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "Cannot open /nonexistent/font.ttf.\n");
    EXPECT_EQ(Cli({"dump", PENMARK_TEST_TMP}).code, 1);  // a folder

    // A font cut short inside its tables: what was read is listed, then the error.
    Bytes bytes = SmallFontBytes();
    bytes.resize(bytes.size() / 2);
    std::string cut = WriteFile("cli_cut.ttf", bytes);
    CliRun r = Cli({"dump", cut});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.rfind("\n*** Torvane version 3.0.\n", 0), 0u);
    EXPECT_NE(r.err.find("could not be read completely as a font (code 4)"), std::string::npos) << r.err;
}
