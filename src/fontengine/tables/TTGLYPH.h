// One glyph of the glyf table: its outline (simple or composite), its metrics and its
// PostScript name.
//
// A glyph read from a file first holds only its header (contour count and box); the
// outline is decoded from the still-open input when needed and released after the glyph
// was written. Glyphs built in memory are resident and keep their outline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TTObject.h"

class glyfTABLE;

namespace PointFlag {
constexpr uint16_t OnCurve = 0x01;
constexpr uint16_t xShort = 0x02;
constexpr uint16_t yShort = 0x04;
constexpr uint16_t Repeat = 0x08;
constexpr uint16_t xSame = 0x10;
constexpr uint16_t ySame = 0x20;
constexpr uint16_t Overlap = 0x40;  // kept as read; tells renderers that contours overlap
}  // namespace PointFlag

namespace ComponentFlag {
constexpr uint16_t ARG_1_AND_2_ARE_WORDS = 0x0001;
constexpr uint16_t ARGS_ARE_XY_VALUES = 0x0002;
constexpr uint16_t ROUND_XY_TO_GRID = 0x0004;
constexpr uint16_t WE_HAVE_A_SCALE = 0x0008;
constexpr uint16_t MORE_COMPONENTS = 0x0020;
constexpr uint16_t WE_HAVE_AN_X_AND_Y_SCALE = 0x0040;
constexpr uint16_t WE_HAVE_A_TWO_BY_TWO = 0x0080;
constexpr uint16_t WE_HAVE_INSTRUCTIONS = 0x0100;
constexpr uint16_t USE_MY_METRICS = 0x0200;
// Defined flags that change how the glyph renders; carried through unchanged.
constexpr uint16_t kKeptHighFlags = 0x1C00;  // overlap, scaled and unscaled offsets
constexpr uint16_t kAnyScale = WE_HAVE_A_SCALE | WE_HAVE_AN_X_AND_Y_SCALE | WE_HAVE_A_TWO_BY_TWO;
}  // namespace ComponentFlag

struct GlyphPoint {
    uint16_t flags = 0;  // the low 8 bits are the point flags
    int16_t x = 0;       // absolute font units
    int16_t y = 0;
    bool operator==(const GlyphPoint&) const = default;
};

struct GlyphComponent {
    uint16_t flags = 0;
    uint16_t glyphIndex = 0;
    int16_t arg1 = 0;  // widened from bytes when stored as bytes
    int16_t arg2 = 0;
    int16_t scale = 0x4000;  // 2.14 fixed point
    int16_t xx = 0x4000;
    int16_t xy = 0;
    int16_t yx = 0;
    int16_t yy = 0x4000;
};

// A PostScript glyph name: an index into the standard Macintosh list of 258 names, or a
// text of its own (index 65535).
struct GlyphName {
    uint16_t index = 65535;
    std::string text = ".null";
};

// Totals over a glyph and, for a composite, every glyph it uses.
struct GlyphStatistics {
    int depth = 0;          // composite nesting: 0 for a simple glyph
    uint32_t points = 0;
    uint32_t contours = 0;
    uint16_t instructions = 0;  // the largest instruction length in the tree
};

class TTGLYPH : public TTStreamed {
public:
    enum Kind : uint8_t { Empty = 0, Simple = 1, Composite = 2 };
    static constexpr int kMaxContours = 512;
    // Composite nesting deeper than this is taken as a cycle; real fonts use a few levels.
    static constexpr int kMaxComponentDepth = 32;

    explicit TTGLYPH(TTObject* owner = nullptr);
    // Glyph objects come from a pool of their own: a large font holds tens of thousands.
    static void* operator new(size_t size);
    static void operator delete(void* object, size_t size);

    // A glyph of kind with a box; its advances are the box's width and height.
    TTGLYPH(uint8_t kind, int16_t xMin, int16_t yMin, int16_t xMax, int16_t yMax);

    const char* typeName() const override { return "type_TTGLYPH"; }
    int dumpText(FILE* out) override;
    void dumpFields(TTDumpSink& sink) override;
    std::unique_ptr<TTObject> clone() const override { return CloneAs(*this); }
    void assign(const TTObject& other) override;

    // Decodes the glyph's m_nLength bytes at the current input position.
    int readBody() override;
    // Encodes the glyph at the current output position; its data ends on an even length.
    int writeBody() override;
    // An empty, loaded, resident glyph.
    void reset() override;

    // Decodes the outline from the input when it is not in memory.
    int ensureLoaded();
    // Reads a simple glyph's bytes from the input into the table's scratch buffer and
    // takes its counts (contours, points, instructions) without decoding the points: for
    // a glyph that is written out unchanged.
    int readCounts();
    // Frees the outline of a glyph read from a file; counts and components stay.
    void releaseOutline();
    // The box of the points (of the flattened points for a composite).
    void updateBoundingBox();
    // The points and contour end points a composite draws, components resolved.
    int flatten(std::vector<GlyphPoint>& points, std::vector<uint16_t>& endPoints);
    // Appends one closed contour.
    int appendContour(const GlyphPoint* points, size_t count);
    // Recomputes the short/same/repeat flag bits from the coordinates.
    void computeFlags();

    // Decodes a glyph from its bytes; the header only when headerOnly.
    int decode(const uint8_t* data, size_t size, bool headerOnly = false);
    // Appends the encoded glyph (unpadded).
    int encode(std::vector<uint8_t>& out);

    glyfTABLE* table() const;
    int pointCount() const { return m_nPointCount; }
    uint16_t instructionLength() const { return m_nInstructionLength; }
    // Point, contour and instruction counts are known (the glyph was decoded once).
    bool countsKnown() const { return m_bCounted; }

    uint16_t m_nIndex = 0;
    uint8_t m_nKind = Empty;
    uint32_t m_nOffset = 0;  // relative to the start of glyf
    uint32_t m_nLength = 0;
    bool m_bLoaded = false;
    bool m_bResident = false;
    // Set by the glyf table for one write: the outline was decoded only for this write,
    // so the bytes just read (the table's scratch buffer) are written unchanged.
    bool m_bWriteRead = false;

    int16_t numberOfContours = 0;
    int16_t xMin = 0;
    int16_t yMin = 0;
    int16_t xMax = 0;
    int16_t yMax = 0;
    std::vector<uint16_t> m_endPoints;
    std::vector<GlyphPoint> m_points;
    std::vector<uint8_t> m_instructions;
    std::vector<GlyphComponent> m_components;

    uint16_t m_nAdvanceWidth = 0;
    int16_t m_nLeftSideBearing = 0;
    uint16_t m_nAdvanceHeight = 0;
    int16_t m_nTopSideBearing = 0;
    uint8_t m_nYPels = 1;
    uint16_t m_nUnitsPerEm = 2048;
    GlyphName m_name;

private:
    int flattenInto(std::vector<GlyphPoint>& points, std::vector<uint16_t>& endPoints, int depth);

    int32_t m_nPointCount = 0;
    uint16_t m_nInstructionLength = 0;
    bool m_bCounted = false;
};
