// Metric records shared by the embedded bitmap tables.
#pragma once

#include <cstdint>

#include "TTBytes.h"
#include "TTDump.h"

// Line metrics of one bitmap size, horizontal or vertical (12 bytes).
struct SbitLineMetrics {
    int8_t ascender = 0;
    int8_t descender = 0;
    uint8_t widthMax = 0;
    int8_t caretSlopeNumerator = 0;
    uint8_t caretSlopeDenominator = 0;
    int8_t caretOffset = 0;
    int8_t minOriginSB = 0;
    int8_t minAdvanceSB = 0;
    int8_t maxBeforeBL = 0;
    int8_t minAfterBL = 0;
    int8_t pad1 = 0;
    int8_t pad2 = 0;
    bool operator==(const SbitLineMetrics&) const = default;

    void read(ByteCursor& c) {
        ascender = c.s8();
        descender = c.s8();
        widthMax = c.u8();
        caretSlopeNumerator = c.s8();
        caretSlopeDenominator = c.u8();
        caretOffset = c.s8();
        minOriginSB = c.s8();
        minAdvanceSB = c.s8();
        maxBeforeBL = c.s8();
        minAfterBL = c.s8();
        pad1 = c.s8();
        pad2 = c.s8();
    }
    void write(ByteWriter& w) const {
        for (int v : {int(ascender), int(descender), int(widthMax), int(caretSlopeNumerator),
                      int(caretSlopeDenominator), int(caretOffset), int(minOriginSB), int(minAdvanceSB),
                      int(maxBeforeBL), int(minAfterBL), int(pad1), int(pad2)})
            w.u8(uint8_t(v));
    }
};

// The metrics of one glyph bitmap with both layouts (8 bytes).
struct BigGlyphMetrics {
    uint8_t height = 0;
    uint8_t width = 0;
    int8_t horiBearingX = 0;
    int8_t horiBearingY = 0;
    uint8_t horiAdvance = 0;
    int8_t vertBearingX = 0;
    int8_t vertBearingY = 0;
    uint8_t vertAdvance = 0;
    bool operator==(const BigGlyphMetrics&) const = default;

    void read(ByteCursor& c) {
        height = c.u8();
        width = c.u8();
        horiBearingX = c.s8();
        horiBearingY = c.s8();
        horiAdvance = c.u8();
        vertBearingX = c.s8();
        vertBearingY = c.s8();
        vertAdvance = c.u8();
    }
    void write(ByteWriter& w) const {
        w.u8(height).u8(width).u8(uint8_t(horiBearingX)).u8(uint8_t(horiBearingY)).u8(horiAdvance);
        w.u8(uint8_t(vertBearingX)).u8(uint8_t(vertBearingY)).u8(vertAdvance);
    }
};

// The structured dump of the metric records.
inline void DumpLineMetrics(TTDumpSink& sink, const char* name, const SbitLineMetrics& m) {
    sink.begin(name);
    sink.field("ascender", m.ascender);
    sink.field("descender", m.descender);
    sink.field("widthMax", m.widthMax);
    sink.field("caretSlopeNumerator", m.caretSlopeNumerator);
    sink.field("caretSlopeDenominator", m.caretSlopeDenominator);
    sink.field("caretOffset", m.caretOffset);
    sink.field("minOriginSB", m.minOriginSB);
    sink.field("minAdvanceSB", m.minAdvanceSB);
    sink.field("maxBeforeBL", m.maxBeforeBL);
    sink.field("minAfterBL", m.minAfterBL);
    sink.field("pad1", m.pad1);
    sink.field("pad2", m.pad2);
    sink.end();
}

inline void DumpBigMetrics(TTDumpSink& sink, const BigGlyphMetrics& m) {
    sink.begin("bigMetrics");
    sink.field("height", m.height);
    sink.field("width", m.width);
    sink.field("horiBearingX", m.horiBearingX);
    sink.field("horiBearingY", m.horiBearingY);
    sink.field("horiAdvance", m.horiAdvance);
    sink.field("vertBearingX", m.vertBearingX);
    sink.field("vertBearingY", m.vertBearingY);
    sink.field("vertAdvance", m.vertAdvance);
    sink.end();
}
