// Feeds arbitrary small pictures and settings (the classic ones and the faithful ones)
// to trace: it must not crash or hang, must succeed, and every contour it returns must
// be closed on its start point.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "MonoBitmap.h"
#include "Tracer.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

void CheckClosed(const Outline& o) {
    Require(o.error() == 0);
    int first = -1;
    OutlinePoint start{};
    for (int i = 0; i <= o.nodeCount(); ++i) {
        bool end = i == o.nodeCount() || o.node(i).kind() == kNodeMove;
        if (end && first >= 0) {
            Require(i - 1 > first);  // at least one edge
            Require(o.node(i - 1).kind() != kNodeQuadOff);
            Require(o.node(i - 1).point(0) == start);
        }
        if (i == o.nodeCount()) break;
        Require(i > 0 || end);  // the outline starts with a move
        if (end) {
            first = i;
            start = o.node(i).point(0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const int w = 1 + data[0] % 64;
    const int h = 1 + data[1] % 64;
    const uint8_t mode = data[2];
    const uint8_t flags = data[3];
    data += 4;
    size -= 4;

    MonoBitmap bmp;
    bmp.Create(w, h);
    bmp.Fill(1);
    // The rest of the input is the pixel buffer, repeated when short.
    if (size > 0)
        for (int32_t i = 0; i < bmp.size; ++i) bmp.bits[i] = data[size_t(i) % size];

    TraceParams p;
    p.image = &bmp;
    p.curveMode = (mode & 3) == 1 ? 0 : (mode & 3);
    p.extremePoints = flags & 1;
    p.step = 1 + ((flags >> 1) & 1) * ((flags >> 2) & 3);
    p.straightenAngle = (flags >> 4) * 2;
    p.fitTolerance = (mode >> 2) & 1 ? 0.5f : 1.0f;
    // The document's settings: edge points, merging against them and the refit.
    if ((mode >> 3) & 1) FaithfulTracing(p, w, h);
    Require(trace(&p) == 0);
    Require(p.result != nullptr);
    CheckClosed(*p.result);
    return 0;
}
