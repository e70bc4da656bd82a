#include "OutlineSvg.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "BufferedFile.h"

namespace {

struct Marker {
    OutlinePoint p;
    bool control;
};

void Append(std::string& s, const char* command, OutlinePoint p) {
    char buf[48];
    // y is negated: SVG counts y downwards.
    std::snprintf(buf, sizeof buf, "%s%d %d", command, int(p.x), -int(p.y));
    s += buf;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string OutlineToSvg(const Outline& outline, const OutlineSvgOptions& options) {
    const int masters = outline.masters();
    const int master = options.master >= 0 && options.master < masters ? options.master : 0;
    std::string path;
    std::vector<Marker> markers;
    int xMin = INT_MAX, yMin = INT_MAX, xMax = INT_MIN, yMax = INT_MIN;
    bool open = false;
    std::vector<OutlinePoint> offCurve;  // pending quadratic off-curve points
    OutlinePoint start{};

    auto include = [&](OutlinePoint p, bool control) {
        xMin = std::min(xMin, int(p.x));
        xMax = std::max(xMax, int(p.x));
        yMin = std::min(yMin, int(p.y));
        yMax = std::max(yMax, int(p.y));
        markers.push_back({p, control});
    };
    // Ends a run of off-curve points at the on-curve point end.
    auto flushOffCurve = [&](OutlinePoint end) {
        for (size_t i = 0; i < offCurve.size(); ++i) {
            OutlinePoint c = offCurve[i];
            Append(path, " Q", c);
            if (i + 1 < offCurve.size()) {
                // Two off-curve points in a row imply the on-curve point between them;
                // halves are kept exact by writing them with one decimal.
                int sx = c.x + offCurve[i + 1].x, sy = c.y + offCurve[i + 1].y;
                char buf[64];
                std::snprintf(buf, sizeof buf, " %g %g", sx / 2.0, -sy / 2.0);
                path += buf;
            } else {
                Append(path, " ", end);
            }
        }
        offCurve.clear();
    };
    auto close = [&] {
        if (!open) return;
        if (!offCurve.empty()) flushOffCurve(start);
        path += " Z";
        open = false;
    };
    auto ensureOpen = [&](OutlinePoint p) {
        if (open) return;
        Append(path, path.empty() ? "M" : " M", p);
        start = p;
        open = true;
    };

    for (OutlineNodeRef node = outline.firstNode(); node; node = outline.nextNode(node)) {
        auto pt = [&](int k) { return node.point(k, masters, master); };
        switch (node.kind()) {
            case kNodeMove:
                close();
                ensureOpen(pt(0));
                include(pt(0), false);
                break;
            case kNodeCubic:
                ensureOpen(pt(0));
                flushOffCurve(pt(1));
                Append(path, " C", pt(1));
                Append(path, " ", pt(2));
                Append(path, " ", pt(0));
                include(pt(1), true);
                include(pt(2), true);
                include(pt(0), false);
                break;
            case kNodeQuadOff:
                ensureOpen(pt(0));
                offCurve.push_back(pt(0));
                include(pt(0), true);
                break;
            default:
                if (node.pointCount() == 0) break;
                ensureOpen(pt(node.pointCount() - 1));
                if (offCurve.empty())
                    Append(path, " L", pt(node.pointCount() - 1));
                else
                    flushOffCurve(pt(node.pointCount() - 1));  // the quadratic ends here
                include(pt(node.pointCount() - 1), false);
                break;
        }
    }
    close();
    if (xMin > xMax) xMin = yMin = xMax = yMax = 0;

    const int m = options.margin > 0 ? options.margin : 0;
    char head[256];
    std::snprintf(head, sizeof head,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%d %d %d %d\" "
                  "width=\"%d\" height=\"%d\">\n",
                  xMin - m, -yMax - m, xMax - xMin + 2 * m, yMax - yMin + 2 * m,
                  xMax - xMin + 2 * m, yMax - yMin + 2 * m);
    std::string svg = head;
    svg += "<path fill=\"" + Escape(options.fill) + "\" fill-rule=\"nonzero\" d=\"" + path + "\"/>\n";
    if (options.showPoints) {
        for (const Marker& mk : markers) {
            char buf[160];
            std::snprintf(buf, sizeof buf,
                          mk.control ? "<circle cx=\"%d\" cy=\"%d\" r=\"0.6\" fill=\"none\" "
                                       "stroke=\"blue\" stroke-width=\"0.2\"/>\n"
                                     : "<circle cx=\"%d\" cy=\"%d\" r=\"0.5\" fill=\"red\"/>\n",
                          int(mk.p.x), -int(mk.p.y));
            svg += buf;
        }
    }
    svg += "</svg>\n";
    return svg;
}

bool SaveOutlineSvg(const Outline& outline, const std::string& path,
                    const OutlineSvgOptions& options) {
    std::string svg = OutlineToSvg(outline, options);
    BufferedFile file;
    if (!file.open(path, BufferedFile::Mode::Write)) return false;
    bool ok = file.write(svg.data(), svg.size());
    return file.close() && ok;
}
