#include <gtest/gtest.h>

#include <vector>

#include "Outline.h"

namespace {

struct Node {
    uint16_t kind;
    std::vector<OutlinePoint> pts;
    bool operator==(const Node&) const = default;
};

std::vector<Node> Nodes(const Outline& o) {
    std::vector<Node> out;
    for (int i = 0; i < o.nodeCount(); ++i) {
        OutlineNodeRef nd = o.node(i);
        Node n{nd.kind(), {}};
        for (int k = 0; k < nd.pointCount(); ++k) n.pts.push_back(nd.point(k));
        out.push_back(n);
    }
    return out;
}

void PrintTo(const Node& n, std::ostream* os) {
    *os << std::hex << n.kind << std::dec;
    for (auto p : n.pts) *os << " (" << p.x << "," << p.y << ")";
}

}  // namespace

TEST(Outline, NodeSizesAndGrowth) {
    EXPECT_EQ(Outline::NodeBytes(kNodeCubic, 1), 14u);
    EXPECT_EQ(Outline::NodeBytes(kNodeCubic, 2), 26u);
    Outline one(1), two(2);
    EXPECT_EQ(one.growthIncrement(), 40u);
    EXPECT_EQ(two.growthIncrement(), 72u);

    one.appendMove({1, 2});
    EXPECT_EQ(one.capacity(), 40u);  // a small request grows by the increment
    EXPECT_EQ(one.usedBytes(), 6u);
    std::vector<OutlinePoint> many(15);
    one.reserve(100);
    EXPECT_GE(one.capacity(), 106u);
    OutlinePoint pts[6] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}};
    auto nd = two.appendNode(kNodeCubic, pts);
    ASSERT_TRUE(nd);
    EXPECT_EQ(two.usedBytes(), 26u);
    EXPECT_EQ(nd.point(1, 2, 1), (OutlinePoint{4, 4}));  // point-major, then master
}

TEST(Outline, NodeAccessErrorsAndIndex) {
    Outline o;
    EXPECT_FALSE(o.node(0));
    EXPECT_EQ(o.error(), Outline::kNoBuffer);
    o.clearError();
    for (int i = 0; i < 100; ++i) {
        if (i % 10 == 0) o.appendMove({int16_t(i), 0});
        else if (i % 3 == 0) o.appendCubic({int16_t(i), 1}, {0, 0}, {0, 0});
        else o.appendLine({int16_t(i), 1});
    }
    EXPECT_FALSE(o.node(100));
    EXPECT_EQ(o.error(), Outline::kIndexOutOfRange);
    o.clearError();
    auto walked = Nodes(o);
    o.enableIndex(true);
    EXPECT_EQ(Nodes(o), walked);
    o.appendLine({7, 7});
    EXPECT_EQ(o.node(100).point(0), (OutlinePoint{7, 7}));
    EXPECT_EQ(o.contourStart(0), 0);
    EXPECT_EQ(o.contourStart(15), 10);
    EXPECT_EQ(o.contourEnd(15), 19);
    EXPECT_EQ(o.contourEnd(95), 100);
    EXPECT_EQ(o.contourEnd(10), 19);
}

TEST(Outline, AssignAdoptTrimOffset) {
    Outline a;
    a.appendMove({0, 0});
    a.appendLine({10, 0});
    a.appendLine({10, 10});
    Outline b;
    b.assign(a);
    EXPECT_EQ(Nodes(b), Nodes(a));
    Outline c;
    c.adopt(b);
    EXPECT_EQ(b.nodeCount(), 0);
    EXPECT_EQ(b.buffer(), nullptr);
    EXPECT_EQ(Nodes(c), Nodes(a));
    c.trim(false);
    EXPECT_EQ(c.capacity(), c.usedBytes());
    c.trim(true);
    EXPECT_EQ(c.capacity(), 40u);
    c.offsetPoints(-1, 1, 2, {5, -5});
    EXPECT_EQ(c.node(0).point(0), (OutlinePoint{0, 0}));
    EXPECT_EQ(c.node(2).point(0), (OutlinePoint{15, 5}));
    Outline empty;
    empty.appendMove({1, 1});
    empty.clear();
    empty.trim(true);
    EXPECT_EQ(empty.capacity(), 0u);
    EXPECT_EQ(empty.buffer(), nullptr);
}

TEST(Outline, ReverseLinesStartsAtTheLastPoint) {
    Outline o;
    o.appendMove({0, 0});
    o.appendLine({10, 0});
    o.appendLine({10, 10});
    o.appendLine({0, 10});
    o.reverseContours();
    std::vector<Node> want = {{kNodeMove, {{0, 10}}},
                              {kNodeLine, {{10, 10}}},
                              {kNodeLine, {{10, 0}}},
                              {kNodeLine, {{0, 0}}}};
    EXPECT_EQ(Nodes(o), want);
}

TEST(Outline, ReverseCubicsSwapControlsAndKeepCount) {
    Outline o;
    o.appendMove({0, 0});
    o.appendCubic({10, 0}, {3, -2}, {7, -2});
    o.appendLine({10, 10});
    o.appendCubic({0, 0}, {7, 12}, {3, 12});  // back to the start, as the tracer closes
    o.appendMove({100, 100});                 // a second contour reverses on its own
    o.appendLine({110, 100});
    o.appendLine({100, 110});
    o.reverseContours();
    std::vector<Node> want = {{kNodeMove, {{0, 0}}},
                              {kNodeCubic, {{10, 10}, {3, 12}, {7, 12}}},
                              {kNodeLine, {{10, 0}}},
                              {kNodeCubic, {{0, 0}, {7, -2}, {3, -2}}},
                              {kNodeMove, {{100, 110}}},
                              {kNodeLine, {{110, 100}}},
                              {kNodeLine, {{100, 100}}}};
    EXPECT_EQ(Nodes(o), want);
    auto reversed = Nodes(o);
    o.reverseContours();
    o.reverseContours();
    EXPECT_EQ(Nodes(o), reversed);
}

TEST(Outline, ReverseKeepsOffCurveRunsBetweenTheSameOnCurvePoints) {
    // Off-curve points right after the move and a run closing the contour.
    Outline o;
    o.appendMove({0, 0});
    o.appendQuadOff({5, -5});
    o.appendQuadOff({10, -5});
    o.appendLine({15, 0});
    o.appendQuadOff({8, 8});
    o.reverseContours();
    std::vector<Node> want = {{kNodeMove, {{15, 0}}},
                              {kNodeQuadOff, {{10, -5}}},
                              {kNodeQuadOff, {{5, -5}}},
                              {kNodeLine, {{0, 0}}},
                              {kNodeQuadOff, {{8, 8}}}};
    EXPECT_EQ(Nodes(o), want);
    EXPECT_EQ(o.nodeCount(), 5);
}
