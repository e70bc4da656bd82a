#include "TrueTypeConversion.h"

#include <vector>

#include "QuadraticGlyph.h"

TrueTypeConversion convertToTrueType(const GlyphOutline& source, int unitsPerEm) {
    QuadraticGlyph quad = ConvertToQuadratic(source, unitsPerEm);
    TrueTypeConversion out;
    out.overflow = quad.overflow;
    auto glyph = std::make_unique<TTGLYPH>();
    glyph->reset();
    glyph->m_nKind = TTGLYPH::Simple;
    glyph->m_bLoaded = true;
    glyph->m_bResident = true;
    glyph->setState(TTSource::Calculated);
    std::vector<GlyphPoint> points;
    for (const auto& contour : quad.contours) {
        points.clear();
        for (const QuadPoint& p : contour)
            points.push_back(GlyphPoint{uint16_t(p.flags & kQuadOnCurve ? PointFlag::OnCurve : 0), p.x, p.y});
        if (glyph->appendContour(points.data(), points.size()) != 0) {
            out.tooComplex = true;
            break;
        }
    }
    glyph->m_nAdvanceWidth = quad.advanceWidth;
    glyph->m_nAdvanceHeight = quad.advanceHeight;
    glyph->xMin = quad.xMin;
    glyph->yMin = quad.yMin;
    glyph->xMax = quad.xMax;
    glyph->yMax = quad.yMax;
    glyph->m_nLeftSideBearing = quad.leftSideBearing;
    glyph->m_nTopSideBearing = quad.topSideBearing;
    out.glyph = std::move(glyph);
    return out;
}
