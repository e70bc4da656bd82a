#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "EpsImport.h"

namespace {

struct Node {
    uint16_t type;
    std::vector<OutlinePoint> points;
    bool operator==(const Node&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Node& n) {
    os << "0x" << std::hex << n.type << std::dec;
    for (const OutlinePoint& p : n.points) os << " (" << p.x << ", " << p.y << ")";
    return os;
}

std::vector<Node> Nodes(const Outline& outline) {
    std::vector<Node> out;
    for (int i = 0; i < outline.nodeCount(); ++i) {
        OutlineNodeRef nd = outline.node(i);
        Node n{nd.typeWord(), {}};
        for (int k = 0; k < nd.pointCount(); ++k) n.points.push_back(nd.point(k));
        out.push_back(n);
    }
    return out;
}

std::string DataPath(const char* name) { return std::string(PENMARK_SOURCE_DIR) + "/tests/eps/data/" + name; }

std::string ReadData(const char* name) {
    std::ifstream in(DataPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A minimal Illustrator-style file around a body.
std::string WithHeader(const std::string& body) {
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%EndComments\n%%BeginProlog\n/m {moveto} def\n%%EndProlog\n" +
           body + "\n";
}

std::unique_ptr<Outline> Read(const std::string& text, int* error = nullptr) {
    return ReadEpsOutlineFromMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size(), error);
}

// Nodes of a body, or a single marker node with the error code when it was refused.
std::vector<Node> BodyNodes(const std::string& body) {
    int error = -1;
    auto outline = Read(WithHeader(body), &error);
    if (!outline) return {Node{uint16_t(0xE000 | error), {}}};
    EXPECT_EQ(error, 0);
    return Nodes(*outline);
}

Node Refused(int code) { return Node{uint16_t(0xE000 | code), {}}; }

TEST(OperandStack, RoundsToTenthsWithHalvesDown) {
    struct Case {
        double v;
        int tenths;
    };
    // 0.05 is the one that a fused multiply-subtract would round up.
    const Case cases[] = {{0.25, 2},  {1.26, 13},   {0.05, 0},       {-0.05, -1},     {-0.25, -3},
                          {100, 1000}, {-12.34, -123}, {3276.7, 32767}, {-3276.8, -32768}, {3276.75, 32767}};
    for (const Case& c : cases) {
        int16_t got = 0;
        EXPECT_TRUE(PsOperandStack::ToTenths(c.v, got)) << c.v;
        EXPECT_EQ(got, c.tenths) << c.v;
    }
    for (double v : {3276.8, -3276.85, 1e300, -1e300, 1.0 / 0.0, 0.0 / 0.0}) {
        int16_t got = 7;
        EXPECT_FALSE(PsOperandStack::ToTenths(v, got)) << v;
        EXPECT_EQ(got, 7);
    }
}

TEST(OperandStack, DropsNumbersPastAHundredAndMarksWideOnes) {
    PsOperandStack stack;
    for (int i = 1; i <= 100; ++i) ASSERT_TRUE(stack.Push(i));
    EXPECT_FALSE(stack.Push(101));  // the 101st number is dropped
    EXPECT_EQ(stack.Count(), 100);
    EXPECT_EQ(stack.Peek(0), 1000);
    EXPECT_EQ(stack.Peek(99), 10);
    stack.Drop(99);
    EXPECT_EQ(stack.Count(), 1);
    EXPECT_EQ(stack.Peek(0), 10);
    EXPECT_TRUE(stack.Push(5000));
    EXPECT_EQ(stack.Count(), 2);
    EXPECT_FALSE(stack.InRange(0));
    EXPECT_TRUE(stack.InRange(1));
}

TEST(ReadEpsOutline, EveryOperatorOfAnIllustratorFile) {
    int error = -1;
    auto outline = ReadEpsOutline(DataPath("all_operators.ai"), &error);
    ASSERT_TRUE(outline) << error;
    EXPECT_EQ(error, 0);
    EXPECT_EQ(outline->masters(), 1);
    // Nothing from the prolog, the setup section or after the trailer; painting, colour
    // and text operators between the paths only clear the operands.
    const std::vector<Node> expected = {
        {0x0011, {{1000, 2000}}},
        {0x0001, {{3000, 2000}}},
        {0x1001, {{3000, 4000}}},
        {0x0011, {{505, 602}}},
        {0x0023, {{500, 600}, {100, 200}, {300, 400}}},
        {0x1023, {{1100, 1200}, {700, 800}, {900, 1000}}},
        // v and V start from the end of the previous curve, not from its last control.
        {0x0023, {{1500, 1600}, {1100, 1200}, {1300, 1400}}},
        {0x1023, {{1900, 2000}, {1500, 1600}, {1700, 1800}}},
        {0x0023, {{2300, 2400}, {2100, 2200}, {2300, 2400}}},
        {0x1023, {{2700, 2800}, {2500, 2600}, {2700, 2800}}},
        {0x0011, {{-123, 5}}},
        {0x0001, {{100, 50}}},
        // 7 8 9 10 m leaves 7 8 for the next L.
        {0x0011, {{90, 100}}},
        {0x0001, {{70, 80}}},
    };
    EXPECT_EQ(Nodes(*outline), expected);
}

TEST(ReadEpsOutline, PreviewHeaderBeforeThePostScript) {
    // A binary preview header whose last bytes almost spell the marker, and binary data
    // after the end.
    std::string header = {'\xc5', '\xd0', '\xd3', '\xc6', 30, 0, 0, 0, '\x7f', 1, 0, 0};
    header += std::string(12, '\0') + "\xff\xff" + "P%%!P%";
    const std::string file = header + ReadData("spec_bulge.eps") + std::string("\0\x89TIFF 1 2 m", 12);
    const std::string path = std::string(PENMARK_TEST_TMP) + "/preview.eps";
    {
        std::ofstream out(path, std::ios::binary);
        out << file;
    }
    int error = -1;
    auto outline = ReadEpsOutline(path, &error);
    ASSERT_TRUE(outline) << error;
    const std::vector<Node> expected = {{0x0011, {{0, 0}}}, {0x0023, {{100, 0}, {0, -100}, {100, -100}}}};
    EXPECT_EQ(Nodes(*outline), expected);
}

TEST(ReadEpsOutline, FileWithoutTrailerIsReadToItsEnd) {
    // Mac line ends, no trailer: still a drawing.
    auto outline = ReadEpsOutline(DataPath("no_trailer_cr.ai"));
    ASSERT_TRUE(outline);
    const std::vector<Node> expected = {{0x0011, {{0, 0}}}, {0x0001, {{1000, 0}}}, {0x0001, {{1000, 1000}}}};
    EXPECT_EQ(Nodes(*outline), expected);
}

TEST(ReadEpsOutline, RefusedFiles) {
    const char* files[] = {"no_ps.eps",         "bad_header.eps", "no_endprolog.eps", "setup_unclosed.eps",
                           "missing_operand.eps", "out_of_range.eps", "too_wide.eps",
                           "no_path.eps"};
    for (const char* name : files) {
        int error = -1;
        EXPECT_EQ(ReadEpsOutline(DataPath(name), &error), nullptr) << name;
        EXPECT_EQ(error, EpsError::kInvalidData) << name;
    }
    // The header comment must follow the marker directly.
    EXPECT_EQ(Read("%!PS\n%!PS-Adobe-3.0\n%%EndProlog\n"), nullptr);
    EXPECT_NE(Read("junk %!PS-Adobe-3.0\n%%EndProlog\n0 0 m\n"), nullptr);
    EXPECT_EQ(Read(""), nullptr);
}

TEST(ReadEpsOutline, ReadingRulesOnFiles) {
    struct Case {
        const char* file;
        std::vector<Node> nodes;
    };
    const Case cases[] = {
        // A wide operand of a painting operator is no coordinate.
        {"wide_operand.eps", {{0x0011, {{0, 0}}}, {0x0001, {{1000, 0}}}, {0x0001, {{1000, 1000}}}}},
        // A lone "-" ends the drawing with what was read.
        {"lone_minus.eps", {{0x0011, {{0, 0}}}, {0x0001, {{1000, 0}}}}},
        // Of 101 numbers the last is dropped, so m takes the 99th and 100th.
        {"full_stack.eps", {{0x0011, {{990, 1000}}}}},
    };
    for (const Case& c : cases) {
        int error = -1;
        auto outline = ReadEpsOutline(DataPath(c.file), &error);
        ASSERT_TRUE(outline) << c.file;
        EXPECT_EQ(error, 0) << c.file;
        EXPECT_EQ(Nodes(*outline), c.nodes) << c.file;
    }
}

TEST(ReadEpsOutline, FilesThatCannotBeOpened) {
    int error = -1;
    EXPECT_EQ(ReadEpsOutline(DataPath("does_not_exist.eps"), &error), nullptr);
    EXPECT_EQ(error, EpsError::kFileNotFound);
    EXPECT_EQ(ReadEpsOutline(DataPath(""), &error), nullptr);  // a directory
    EXPECT_EQ(error, EpsError::kOtherIo);
    EXPECT_EQ(ReadEpsOutline(DataPath("all_operators.ai/x"), &error), nullptr);
    EXPECT_EQ(error, EpsError::kPathNotFound);
}

TEST(ReadEpsOutline, BodyEdgeCases) {
    struct Case {
        std::string body;
        std::vector<Node> nodes;
    };
    const Case cases[] = {
        {"100 200 m 300 200 L 300 400 L",
         {{0x0011, {{1000, 2000}}}, {0x0001, {{3000, 2000}}}, {0x0001, {{3000, 4000}}}}},
        {"0.25 1.26 m 0.05 -0.05 L", {{0x0011, {{2, 13}}}, {0x0001, {{0, -1}}}}},
        {"0 0 m 10 20 30 40 v", {{0x0011, {{0, 0}}}, {0x1023, {{300, 400}, {0, 0}, {100, 200}}}}},
        // Before any m the current point is the origin.
        {"1 2 3 4 V", {{0x0023, {{30, 40}, {0, 0}, {10, 20}}}}},
        // A one-character operator that is no path operator, or any longer name, clears.
        {"0 0 m 5 6 k L", {Refused(EpsError::kInvalidData)}},
        {"0 0 m 5 6 XR L", {Refused(EpsError::kInvalidData)}},
        {"0 0 m 5 l", {Refused(EpsError::kInvalidData)}},
        {"1 2 3 4 5 C", {Refused(EpsError::kInvalidData)}},
        // Strings, hex strings and brackets are no operators and keep the operands.
        {"1 2 (x) <00> [ ] { } m", {{0x0011, {{10, 20}}}}},
        // A literal one-character name acts like the operator.
        {"1 2 /m", {{0x0011, {{10, 20}}}}},
        // The setup section is skipped wherever it stands; the trailer ends the drawing.
        {"%%BeginSetup\n1 1 m\n%%EndSetup\n2 2 m\n%%Trailer\n3 3 m", {{0x0011, {{20, 20}}}}},
        {"1 1 m\n%%BeginSetup\n2 2 m", {Refused(EpsError::kInvalidData)}},
        // A lone "-" or "." ends the reading like the end of the file.
        {"1 1 m - 2 2 L", {{0x0011, {{10, 10}}}}},
        {"1 1 m 2 2 L . 3 3 L", {{0x0011, {{10, 10}}}, {0x0001, {{20, 20}}}}},
        // A number past 16 bits fails only as a coordinate.
        {"1 1 m 3276.8 0 L", {Refused(EpsError::kInvalidData)}},
        {"1 1 m 1e40 0 L", {Refused(EpsError::kInvalidData)}},
        {"4000 w 1e40 0 0 k 1 1 m", {{0x0011, {{10, 10}}}}},
        {"99999 1 1 m", {{0x0011, {{10, 10}}}}},
        {"1 1 99999 m", {Refused(EpsError::kInvalidData)}},
        // Within 16 bits both ways, and an extent that still fits after moving.
        {"-3276.8 3276.7 m -1 3000 L", {{0x0011, {{-32768, 32767}}}, {0x0001, {{-10, 30000}}}}},
        {"-1000 0 m 2276 0 L", {{0x0011, {{-10000, 0}}}, {0x0001, {{22760, 0}}}}},
        {"-1000 0 m 2276.8 0 L", {Refused(EpsError::kInvalidData)}},
        // A name cut at the buffer size never leaves a stray one-letter operator.
        {"1 2 " + std::string(511, 'q') + "m 3 4 m", {{0x0011, {{30, 40}}}}},
        // A drawing without a path is refused.
        {"", {Refused(EpsError::kInvalidData)}},
        {"0 0 0 k f", {Refused(EpsError::kInvalidData)}},
    };
    for (const Case& c : cases) EXPECT_EQ(BodyNodes(c.body), c.nodes) << c.body;
}

}  // namespace
