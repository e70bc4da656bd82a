// An outline with what a glyph needs besides its contours: bounding box and metrics.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "MonoImage.h"
#include "Outline.h"

struct GlyphBox {
    int16_t xMin = 32767;
    int16_t yMin = 32767;
    int16_t xMax = -32767;
    int16_t yMax = -32767;

    bool IsEmpty() const { return xMax < xMin || yMax < yMin; }
    bool operator==(const GlyphBox&) const = default;
};

struct GlyphMetrics {
    uint16_t advanceWidth = 0;
    uint16_t second = 0;  // 0 for traced glyphs
};

// Widens [lo, hi] to the extent on one axis of the cubic arc from p0 to p3 with
// controls p1 and p2: the extrema are solved only when a control leaves the end points'
// range. The end points themselves are the caller's to include.
void ExtendByCubicAxis(double p0, double p1, double p2, double p3, double& lo, double& hi);

class GlyphOutline : public Outline {
public:
    explicit GlyphOutline(int masters = 1);
    GlyphOutline(const GlyphOutline& other);
    GlyphOutline& operator=(const GlyphOutline& other);
    ~GlyphOutline() override;

    // Replaces the nodes with other's; box, metrics and the rest are kept.
    void assignOutline(const Outline& other);

    // Recomputes and stores the box of one master: points of move, line and off-curve
    // nodes, the exact extent of cubic arcs (not their control points), then the
    // components' boxes. An outline without points keeps the empty box.
    const GlyphBox& boundingBox(int master = 0);
    const GlyphBox& box() const { return m_box; }

    // Applies rule to every point of every master.
    void transform(const std::function<OutlinePoint(OutlinePoint)>& rule);
    // Scales every point about origin by f: v -> o + ceil((v - o) * f - 0.5).
    void scale(double f, OutlinePoint origin = {});
    void translate(int dx, int dy);
    // Shifts the stored box (not the points); an empty box stays empty.
    void shiftBox(int16_t dx, int16_t dy);

    uint16_t advanceWidth(int master = 0) const;
    void setAdvanceWidth(uint16_t width, int master = 0);
    GlyphMetrics metrics(int master = 0) const;

    // The scaling-with-rounding rule on one coordinate.
    static int ScaleCoordinate(int v, int origin, double f);

    // Components' boxes; the tracing road leaves this empty.
    std::vector<GlyphBox> m_components;
    // Hint sets: kept for the format, never filled by the tracing road.
    std::vector<std::vector<int16_t>> m_hints;
    MonoImage m_bitmap;
    int m_nGlyphIndex = -1;
    int m_nFlags = 0;

private:
    GlyphBox m_box;
    std::vector<GlyphMetrics> m_metrics;  // one entry per master
};
