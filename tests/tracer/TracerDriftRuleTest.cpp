// The straightening rule, measured: deleting vertices only while the accumulated drift
// stays within the tolerance against deleting whenever the bend test allows, on the test
// signatures. Intersection over union of the filled tracing with the ink, and segment
// counts; the bounded rule, the default, must not be the worse one.
#include <gtest/gtest.h>

#include <cstdio>

#include "TraceTestUtil.h"

using namespace trace_fixtures;
using namespace trace_test;

namespace {

struct Score {
    double iou = 0;
    int nodes = 0;
};

Score Measure(const MonoBitmap& picture, bool bounded) {
    TraceParams p;
    p.image = &picture;
    p.boundedDrift = bounded;
    EXPECT_EQ(trace(&p), 0);
    auto back = Rasterized(*p.result, picture.width, picture.height);
    long both = 0, either = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            bool a = IsInk(picture, x, y), b = IsInk(*back, x, y);
            both += a && b;
            either += a || b;
        }
    return {either ? double(both) / double(either) : 1.0, p.result->nodeCount()};
}

TEST(TraceDriftRule, BoundedDriftFitsTheInkAtLeastAsWell) {
    struct Case {
        const char* name;
        int w, h;
        unsigned seed;
    } cases[] = {{"signature 600x200", 600, 200, 1}, {"signature 450x150", 450, 150, 7},
                 {"signature 1200x400", 1200, 400, 3}, {"signature 3000x1000", 3000, 1000, 1}};
    double boundedSum = 0, plainSum = 0;
    for (const Case& c : cases) {
        auto picture = Signature(c.w, c.h, c.seed);
        Score bounded = Measure(*picture, true), plain = Measure(*picture, false);
        std::printf("%-20s bounded: IoU %.4f, %d nodes; unconditional: IoU %.4f, %d nodes\n", c.name, bounded.iou,
                    bounded.nodes, plain.iou, plain.nodes);
        EXPECT_GE(bounded.iou, plain.iou - 0.0005) << c.name;
        boundedSum += bounded.iou;
        plainSum += plain.iou;
    }
    EXPECT_GE(boundedSum, plainSum);
}

}  // namespace
