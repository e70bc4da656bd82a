// Every font of the Debian font packages the tests use lists and dumps without error:
// a directory line per table, a header per table read, one listing per glyph.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "DumpFixture.h"
#include "RealFonts.h"
#include "glyfTABLE.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}
}  // namespace

TEST(RealFontsDump, EveryDebianFontListsEveryTableAndGlyph) {
    std::vector<std::string> fonts = DebianFonts();
    ASSERT_GE(fonts.size(), 3u) << "fonts-dejavu-core, fonts-liberation2 and fonts-freefont-ttf are needed";
    for (const std::string& path : fonts) {
        SCOPED_TRACE(path);
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        {
            TTFileStream in(fd);
            TTF font;
            ASSERT_EQ(font.readFrom(&in), 0);
            std::string plain = PlainListing(font);
            EXPECT_EQ(Count(plain, "\n* Table '"), font.childCount());
            EXPECT_EQ(Count(plain, " ;source: imported\n"), font.childCount());
            size_t glyphs = font.glyf()->glyphCount();
            EXPECT_EQ(Count(plain, "\nGlyph # "), glyphs);
            EXPECT_EQ(Count(plain, "glyph read error"), 0u);
            EXPECT_EQ(Count(plain, "The contour is incorrect"), 0u);

            std::string structured = StructuredDump(font);
            // Balanced braces: the dump closes every block it opens.
            EXPECT_EQ(structured.substr(structured.size() - 2), "}\n");
            EXPECT_EQ(Count(structured, "\n      index = "), glyphs);
            EXPECT_EQ(Count(structured, "\n* Table '"), font.childCount());
        }
        ::close(fd);
    }
}

namespace {
// The lines fontTools prints for a font (fonttools_facts.py).
std::vector<std::string> FontToolsFacts(const std::string& path) {
    std::string command = "/usr/bin/python3 " + std::string(PENMARK_SOURCE_DIR) +
                          "/tests/fontengine_dump/fonttools_facts.py '" + path + "'";
    FILE* p = ::popen(command.c_str(), "r");
    std::string text;
    if (p) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
        ::pclose(p);
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The whitespace-separated words of the listing between two markers.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    size_t a = text.find(from);
    if (a == std::string::npos) return "";
    a += from.size();
    size_t b = text.find(to, a);
    return text.substr(a, b == std::string::npos ? std::string::npos : b - a);
}
}  // namespace

TEST(RealFontsDump, ListingAgreesWithFontTools) {
    for (const char* path : {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}) {
        SCOPED_TRACE(path);
        std::vector<std::string> facts = FontToolsFacts(path);
        ASSERT_EQ(facts.size(), 3u) << "python3-fonttools is needed";
        int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        std::string plain;
        {
            TTFileStream in(fd);
            TTF font;
            ASSERT_EQ(font.readFrom(&in), 0);
            plain = PlainListing(font);
        }
        ::close(fd);

        int upem = 0, glyphs = 0, hmetrics = 0, records = 0;
        std::sscanf(Between(plain, "units per em = ", "\n").c_str(), "%d", &upem);
        std::sscanf(Between(plain, "\nTable maxp ;source: imported\nver. ", "\n").c_str(), "%*x, %d", &glyphs);
        std::sscanf(Between(plain, "\nnumberOfHMetrics ", "\n").c_str(), "%d", &hmetrics);
        std::sscanf(Between(plain, "\n contains ", " records").c_str(), "%d", &records);
        std::ostringstream ours;
        ours << upem << ' ' << glyphs << ' ' << hmetrics << ' ' << records;
        EXPECT_EQ(ours.str(), facts[0]);

        // Advance widths: the numbers of the hmtx block, without the line indices.
        std::istringstream widths(Between(plain, "advance width\n", "\n    leftside bearing"));
        std::string word, listed;
        while (widths >> word)
            if (word.back() != ':') listed += (listed.empty() ? "" : " ") + word;
        EXPECT_EQ(listed, facts[1]);

        // Glyph names, one per post line: 'name' at the end of each.
        std::istringstream post(Between(plain, "; mem1 = ", "\n\nTable "));
        std::string line, names;
        std::getline(post, line);
        while (std::getline(post, line)) {
            size_t q = line.find('\'');
            if (q == std::string::npos) continue;
            names += (names.empty() ? "" : " ") + line.substr(q + 1, line.size() - q - 2);
        }
        EXPECT_EQ(names, facts[2]);
    }
}
