// Tracing speed and compactness on signature-like pictures of three sizes.
//
//   bench_tracer                      Google Benchmark runs (time, nodes, segments)
//   bench_tracer --compare DIR [N]    writes DIR/signature_WxH.pbm and prints, per size,
//                                     the best of N timed traces and the segment count
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "MonoImage.h"
#include "SignatureSet.h"
#include "TestPictures.h"
#include "TraceFixtures.h"
#include "TraceIoU.h"
#include "Tracer.h"

namespace {

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{600, 200}, {3000, 1000}, {6000, 2000}};

struct Counts {
    int nodes = 0;
    int segments = 0;  // lines and curves: every node but moves and off-curve points
    int contours = 0;
};

Counts CountNodes(const Outline& o) {
    Counts c;
    c.nodes = o.nodeCount();
    for (OutlineNodeRef n = o.firstNode(); n; n = o.nextNode(n)) {
        int kind = n.kind();
        c.contours += kind == kNodeMove;
        c.segments += kind == kNodeLine || kind == kNodeCubic;
    }
    return c;
}

// The classic settings, or the faithful ones the document traces with.
std::unique_ptr<Outline> TraceOnce(const MonoBitmap& bmp, bool faithful = false) {
    TraceParams p;
    p.image = &bmp;
    if (faithful) FaithfulTracing(p, bmp.width, bmp.height);
    if (trace(&p) != 0) return nullptr;
    return std::move(p.result);
}

// range(0): the size; range(1): 1 for the faithful settings. Time per pixel stays flat
// from the smallest size to the largest when tracing is linear in the picture.
void BM_TraceSignature(benchmark::State& state) {
    const Size size = kSizes[state.range(0)];
    auto bmp = trace_fixtures::Signature(size.w, size.h);
    Counts counts;
    for (auto _ : state) {
        auto outline = TraceOnce(*bmp, state.range(1) != 0);
        if (!outline) {
            state.SkipWithError("trace failed");
            return;
        }
        counts = CountNodes(*outline);
        benchmark::DoNotOptimize(outline);
    }
    state.SetLabel(std::to_string(size.w) + "x" + std::to_string(size.h));
    state.counters["nodes"] = counts.nodes;
    state.counters["segments"] = counts.segments;
    state.counters["contours"] = counts.contours;
    state.counters["Mpixel/s"] = benchmark::Counter(double(size.w) * size.h * 1e-6 * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TraceSignature)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

// PBM (P4): 1 = black, rows padded to whole bytes.
bool WritePbm(const MonoBitmap& bmp, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P4\n%d %d\n", bmp.width, bmp.height);
    const int bytes = (bmp.width + 7) / 8;
    std::string row(size_t(bytes), '\0');
    for (int y = 0; y < bmp.height; ++y) {
        for (int i = 0; i < bytes; ++i) row[size_t(i)] = char(~bmp.Row(y)[i]);
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

int Compare(const std::string& dir, int runs) {
    for (const Size& size : kSizes) {
        auto bmp = trace_fixtures::Signature(size.w, size.h);
        const std::string path =
            dir + "/signature_" + std::to_string(size.w) + "x" + std::to_string(size.h) + ".pbm";
        if (!WritePbm(*bmp, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        double best = 1e30;
        Counts counts;
        for (int i = 0; i < runs; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            auto outline = TraceOnce(*bmp);
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            if (!outline) return 1;
            best = std::min(best, ms);
            counts = CountNodes(*outline);
        }
        std::printf("%s %.3f %d %d\n", path.c_str(), best, counts.segments, counts.nodes);
    }
    return 0;
}


// Reads the path data of a potrace SVG (absolute and relative moves, lines and cubic
// curves, in potrace's units of a tenth of a pixel, y up) into an outline, and counts
// its segments. False when the file cannot be read or a point leaves the 16-bit range.
bool ReadPotraceSvg(const std::string& path, Outline& outline, int& segments) {
    std::ifstream in(path);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    const std::string svg = text.str();
    segments = 0;
    bool inRange = true;
    auto point = [&](double x, double y) {
        inRange = inRange && std::fabs(x) < 32000 && std::fabs(y) < 32000;
        return OutlinePoint{int16_t(std::lround(x)), int16_t(std::lround(y))};
    };
    for (size_t at = svg.find(" d=\""); at != std::string::npos; at = svg.find(" d=\"", at)) {
        at += 4;
        const size_t end = svg.find('"', at);
        const std::string d = svg.substr(at, end - at);
        at = end;
        double cx = 0, cy = 0, sx = 0, sy = 0;
        char command = 0;
        std::vector<double> args;
        size_t i = 0;
        auto flush = [&] {
            const bool rel = std::islower(static_cast<unsigned char>(command));
            const char c = char(std::tolower(static_cast<unsigned char>(command)));
            const size_t group = c == 'c' ? 6 : 2;
            for (size_t k = 0; c != 'z' && k + group <= args.size(); k += group) {
                double bx = rel ? cx : 0, by = rel ? cy : 0;
                if (c == 'c') {
                    OutlinePoint c1 = point(bx + args[k], by + args[k + 1]);
                    OutlinePoint c2 = point(bx + args[k + 2], by + args[k + 3]);
                    cx = bx + args[k + 4];
                    cy = by + args[k + 5];
                    outline.appendCubic(point(cx, cy), c1, c2);
                    ++segments;
                } else {
                    cx = bx + args[k];
                    cy = by + args[k + 1];
                    if (c == 'm' && k == 0) {
                        sx = cx;
                        sy = cy;
                        outline.appendMove(point(cx, cy));
                    } else {
                        outline.appendLine(point(cx, cy));
                        ++segments;
                    }
                }
            }
            if (c == 'z') {
                cx = sx;
                cy = sy;
            }
            args.clear();
        };
        while (i < d.size()) {
            char ch = d[i];
            if (std::isalpha(static_cast<unsigned char>(ch))) {
                if (command) flush();
                command = ch;
                ++i;
            } else if (ch == '-' || ch == '.' || std::isdigit(static_cast<unsigned char>(ch))) {
                char* stop = nullptr;
                args.push_back(std::strtod(d.c_str() + i, &stop));
                i = size_t(stop - d.c_str());
            } else {
                ++i;
            }
        }
        if (command) flush();
    }
    return inRange && outline.error() == Outline::kOk;
}

std::unique_ptr<MonoBitmap> ReadPbm(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    int w = 0, h = 0;
    if (std::fscanf(f, "P4 %d %d", &w, &h) != 2 || w <= 0 || h <= 0 || w > 100000 || h > 100000 ||
        std::fgetc(f) == EOF) {
        std::fclose(f);
        return nullptr;
    }
    auto bmp = std::make_unique<MonoBitmap>();
    bmp->Create(w, h);
    std::string row(size_t((w + 7) / 8), '\0');
    for (int y = 0; y < h; ++y) {
        if (std::fread(row.data(), 1, row.size(), f) != row.size()) {
            std::fclose(f);
            return nullptr;
        }
        for (size_t i = 0; i < row.size(); ++i) bmp->Row(y)[i] = uint8_t(~uint8_t(row[i]));
    }
    std::fclose(f);
    return bmp;
}

// potrace's tracing of pbm, scored the same way as ours: "IoU segments".
int ScorePotrace(const std::string& pbm, const std::string& svg) {
    auto picture = ReadPbm(pbm);
    Outline outline(1);
    int segments = 0;
    if (!picture || !ReadPotraceSvg(svg, outline, segments)) {
        std::fprintf(stderr, "cannot read %s or %s\n", pbm.c_str(), svg.c_str());
        return 1;
    }
    trace_iou::Score s = trace_iou::BestOffsetIoU(outline, *picture, 10.0, 0.0);
    std::printf("%.4f %d\n", s.iou, segments);
    return 0;
}

std::string FileName(const std::string& name) {
    std::string f;
    for (char c : name) f += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return f;
}

// Median time of `runs` traces of bmp with the settings `configure` makes; the last
// tracing and its counts are kept. Negative when a trace fails.
double MedianMs(const MonoBitmap& bmp, int runs, const std::function<void(TraceParams&)>& configure,
                Counts& counts, std::unique_ptr<Outline>& kept, float& unitsPerPixel) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        TraceParams p;
        p.image = &bmp;
        configure(p);
        auto t0 = std::chrono::steady_clock::now();
        if (trace(&p) != 0) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        counts = CountNodes(*p.result);
        kept = std::move(p.result);
        unitsPerPixel = p.outputScale;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Per picture of the signature set: writes DIR/NAME.pbm and prints, tab-separated,
// "path name" and then "ms segments IoU" for the default tracing and for the faithful
// one (median of `runs` in-process traces each).
int Fidelity(const std::string& dir, int runs) {
    const std::function<void(TraceParams&)> settings[] = {
        [](TraceParams&) {},
        [](TraceParams& p) { FaithfulTracing(p, p.image->width, p.image->height); },
    };
    for (const signature_set::Picture& pic : signature_set::All()) {
        const std::string path = dir + "/" + FileName(pic.name) + ".pbm";
        if (!WritePbm(*pic.bitmap, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        // The same picture as TIFF, for the command line's whole-process run.
        MonoImage tiff;
        tiff.Create(pic.bitmap->width, pic.bitmap->height);
        std::copy(pic.bitmap->bits, pic.bitmap->bits + pic.bitmap->size, tiff.bits);
        if (!WriteTestTiff(path.substr(0, path.size() - 4) + ".tif", tiff)) {
            std::fprintf(stderr, "cannot write the TIFF beside %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\t%s", path.c_str(), pic.name.c_str());
        for (const auto& configure : settings) {
            Counts counts;
            std::unique_ptr<Outline> outline;
            float units = 1;
            double ms = MedianMs(*pic.bitmap, runs, configure, counts, outline, units);
            if (ms < 0) return 1;
            trace_iou::Score s = trace_iou::BestOffsetIoU(*outline, *pic.bitmap, units, 0.5);
            std::printf("\t%.3f\t%d\t%.4f", ms, counts.segments, s.iou);
        }
        std::printf("\n");
    }
    return 0;
}

// One step at a time, for finding what costs fidelity:
// "--variant SCALE TOLERANCE ANGLE FLAGS [MERGE [MEAN [MERGEMEAN]]]" traces the
// signature set with that output scale, fit tolerance, straightening angle, merge
// tolerance, mean fit tolerance and mean merge tolerance; FLAGS adds 1 for the bounded drift, 2 for edge placement, 4 for no extreme
// points, 8 for straight lines only, 16 for joining diagonal ink, 32 for refitting to
// the ink's edge. Prints "name segments IoU contours lines". With PM_DUMP set to a
// folder, each picture (PBM) and its outline's nodes (text: kind and points, after a
// line "scale S") are written there, for looking at.
int Variant(int argc, char** argv) {
    const int flags = std::atoi(argv[3]);
    const float merge = argc > 4 ? float(std::atof(argv[4])) : 0.0f;
    const float mean = argc > 5 ? float(std::atof(argv[5])) : 0.0f;
    const float mergeMean = argc > 6 ? float(std::atof(argv[6])) : 0.0f;
    for (const signature_set::Picture& pic : signature_set::All()) {
        TraceParams p;
        p.image = pic.bitmap.get();
        p.outputScale = float(std::atof(argv[0]));
        p.fitTolerance = float(std::atof(argv[1]));
        p.straightenAngle = std::atoi(argv[2]);
        p.boundedDrift = (flags & 1) != 0;
        p.edgePlacement = (flags & 2) != 0;
        p.extremePoints = (flags & 4) ? 0 : 1;
        if (flags & 8) p.curveMode = kTraceLines;
        p.joinDiagonals = (flags & 16) != 0;
        p.mergeTolerance = merge;
        p.fitMeanTolerance = mean;
        p.mergeMeanTolerance = mergeMean;
        p.refitToEdges = (flags & 32) != 0;
        if (int code = trace(&p)) {
            std::fprintf(stderr, "%s: trace failed with %d\n", pic.name.c_str(), code);
            return 1;
        }
        Counts counts = CountNodes(*p.result);
        int lines = 0;
        for (OutlineNodeRef n = p.result->firstNode(); n; n = p.result->nextNode(n)) lines += n.kind() == kNodeLine;
        trace_iou::Score s = trace_iou::BestOffsetIoU(*p.result, *pic.bitmap, p.outputScale, 0.5);
        std::printf("%-22s %5d %.4f %d %d\n", pic.name.c_str(), counts.segments, s.iou, counts.contours, lines);
        if (const char* dir = std::getenv("PM_DUMP")) {
            std::string base = std::string(dir) + "/" + FileName(pic.name);
            WritePbm(*pic.bitmap, base + ".pbm");
            FILE* f = std::fopen((base + ".txt").c_str(), "w");
            if (!f) return 1;
            std::fprintf(f, "scale %g\n", p.outputScale);
            for (OutlineNodeRef n = p.result->firstNode(); n; n = p.result->nextNode(n)) {
                std::fprintf(f, "%d", n.kind());
                for (int k = 0; k < n.pointCount(); ++k) std::fprintf(f, " %d %d", n.point(k).x, n.point(k).y);
                std::fprintf(f, "\n");
            }
            std::fclose(f);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--fidelity") == 0)
        return Fidelity(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 10);
    if (argc >= 6 && argc <= 9 && std::strcmp(argv[1], "--variant") == 0) return Variant(argc - 2, argv + 2);
    if (argc == 4 && std::strcmp(argv[1], "--score-potrace") == 0) return ScorePotrace(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "--compare") == 0)
        return Compare(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 10);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
