// Fidelity of the tracings on the signature set, measured as intersection over union of
// the filled tracing with the ink at 4x supersampling (TraceIoU.h), against figures
// measured when the tracer last changed: a drop below them fails. Segment counts are
// held too, so that fidelity is not bought with segments unnoticed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "SignatureSet.h"
#include "TraceIoU.h"
#include "TraceTestUtil.h"

using namespace trace_fixtures;

namespace {

struct Pinned {
    double iou;
    int segments;
};

struct PictureFigures {
    // The classic settings (TraceParams as it comes) and the faithful ones, which the
    // document traces with.
    Pinned classic, faithful;
    // potrace 1.16's default tracing of the same picture, measured the same way
    // (bench/tracer_vs_potrace.sh): the faithful tracing must be at least as faithful
    // with no more segments.
    Pinned potrace;
};

// Measured IoU (rounded down) and segments of both tracings, per picture.
const std::map<std::string, PictureFigures>& Figures() {
    static const std::map<std::string, PictureFigures> figures = {
        {"hairline 317x119", {{0.483, 302}, {0.642, 97}, {0.5124, 127}}},
        {"thin pen 480x180", {{0.683, 204}, {0.776, 131}, {0.7540, 148}}},
        {"basic 640x240", {{0.889, 176}, {0.925, 138}, {0.9209, 194}}},
        {"two words 800x300", {{0.872, 263}, {0.905, 168}, {0.8999, 210}}},
        {"heavy marker 800x330", {{0.963, 77}, {0.972, 89}, {0.9717, 105}}},
        {"nested rings 300x300", {{0.920, 32}, {0.963, 42}, {0.9588, 67}}},
        {"dots 240x80", {{0.858, 38}, {0.933, 23}, {0.9286, 35}}},
        {"scan 150 dpi", {{0.819, 95}, {0.863, 86}, {0.8541, 105}}},
        {"scan 300 dpi", {{0.912, 135}, {0.927, 119}, {0.9262, 151}}},
        {"scan 600 dpi", {{0.953, 205}, {0.962, 278}, {0.9619, 287}}},
        {"large 2400x900", {{0.969, 249}, {0.979, 218}, {0.9783, 283}}},
    };
    return figures;
}

// Tolerated drop of IoU from the pinned figure, and growth of segments.
constexpr double kIouSlack = 0.002;
constexpr double kSegmentSlack = 1.03;

struct Result {
    double iou = 0;
    int segments = 0;
    int code = -1;
};

Result Measure(const MonoBitmap& picture, bool faithful) {
    TraceParams p;
    p.image = &picture;
    if (faithful) FaithfulTracing(p, picture.width, picture.height);
    Result r;
    r.code = trace(&p);
    if (r.code != 0) return r;
    for (OutlineNodeRef n = p.result->firstNode(); n; n = p.result->nextNode(n))
        r.segments += n.kind() == kNodeLine || n.kind() == kNodeCubic;
    r.iou = trace_iou::BestOffsetIoU(*p.result, picture, p.outputScale, 0.5).iou;
    return r;
}

void ExpectPinned(const std::string& name, const Result& r, const Pinned& pin, const char* which) {
    ASSERT_EQ(r.code, 0) << name << " " << which;
    std::printf("%-22s %-8s IoU %.4f (pinned %.4f), %d segments (pinned %d)\n", name.c_str(), which, r.iou,
                pin.iou, r.segments, pin.segments);
    EXPECT_GE(r.iou, pin.iou - kIouSlack) << name << " " << which;
    EXPECT_LE(r.segments, int(pin.segments * kSegmentSlack) + 1) << name << " " << which;
}

}  // namespace

TEST(TraceIoU, FindsTheOffsetAndDoesNotRescale) {
    // A 10 x 6 block of ink with its lower left pixel at (4, 3), y up.
    auto picture = Blank(20, 12);
    FillRect(*picture, 4, 12 - 3 - 6, 14, 12 - 3);
    auto block = [](double x0, double y0, double x1, double y1, double units) {
        Outline o(1);
        auto at = [&](double x, double y) { return OutlinePoint{int16_t(x * units), int16_t(y * units)}; };
        o.appendMove(at(x0, y0));
        o.appendLine(at(x1, y0));
        o.appendLine(at(x1, y1));
        o.appendLine(at(x0, y1));
        o.appendLine(at(x0, y0));
        return o;
    };
    trace_iou::Score exact = trace_iou::BestOffsetIoU(block(4, 3, 14, 9, 4), *picture, 4, 0);
    EXPECT_DOUBLE_EQ(exact.iou, 1.0);
    EXPECT_EQ(exact.dx, 0);
    EXPECT_EQ(exact.dy, 0);
    // A quarter pixel off each way is found again.
    trace_iou::Score moved = trace_iou::BestOffsetIoU(block(4.25, 2.75, 14.25, 8.75, 4), *picture, 4, 0);
    EXPECT_DOUBLE_EQ(moved.iou, 1.0);
    EXPECT_EQ(moved.dx, -1);
    EXPECT_EQ(moved.dy, 1);
    // A block one pixel too wide and too high counts against the tracing.
    trace_iou::Score thick = trace_iou::BestOffsetIoU(block(3.5, 2.5, 14.5, 9.5, 4), *picture, 4, 0);
    EXPECT_NEAR(thick.iou, 60.0 / 77.0, 1e-9);
}

TEST(TraceFidelity, SignatureSetKeepsItsMeasuredFidelity) {
    for (const signature_set::Picture& pic : signature_set::All()) {
        auto pin = Figures().find(pic.name);
        ASSERT_NE(pin, Figures().end()) << "no figures for " << pic.name;
        Result classic = Measure(*pic.bitmap, false);
        Result faithful = Measure(*pic.bitmap, true);
        ExpectPinned(pic.name, classic, pin->second.classic, "classic");
        ExpectPinned(pic.name, faithful, pin->second.faithful, "faithful");
        EXPECT_GT(faithful.iou, classic.iou) << pic.name;
        EXPECT_GE(faithful.iou, pin->second.potrace.iou) << pic.name;
        EXPECT_LE(faithful.segments, pin->second.potrace.segments) << pic.name;
    }
}

// Vertices on the ink's edge keep a stroke's width: a bar three pixels high comes out
// three pixels high, not two (through the centres of its outer pixels).
TEST(TraceFidelity, FaithfulTracingKeepsAStrokesWidth) {
    auto picture = Blank(60, 20);
    FillRect(*picture, 5, 8, 55, 11);
    TraceParams p;
    p.image = picture.get();
    FaithfulTracing(p, picture->width, picture->height);
    ASSERT_EQ(trace(&p), 0);
    ASSERT_EQ(p.outputScale, 4.0f);
    int yMin = 1 << 30, yMax = -(1 << 30), xMin = 1 << 30, xMax = -(1 << 30);
    for (const RasterPolygon& poly : FlattenOutline(*p.result))
        for (auto [x, y] : poly) {
            yMin = std::min(yMin, int(std::lround(y)));
            yMax = std::max(yMax, int(std::lround(y)));
            xMin = std::min(xMin, int(std::lround(x)));
            xMax = std::max(xMax, int(std::lround(x)));
        }
    EXPECT_EQ(yMax - yMin, 3 * 4);
    EXPECT_EQ(xMax - xMin, 50 * 4);
    trace_test::ExpectClosedContours(*p.result);
}

TEST(TraceFidelity, FaithfulScaleKeepsCoordinatesInRange) {
    TraceParams p;
    FaithfulTracing(p, 600, 200);
    EXPECT_EQ(p.outputScale, 4.0f);
    EXPECT_TRUE(p.edgePlacement);
    FaithfulTracing(p, 3000, 1000);
    EXPECT_EQ(p.outputScale, 2.0f);
    FaithfulTracing(p, 1000, 6000);
    EXPECT_EQ(p.outputScale, 1.0f);
}
