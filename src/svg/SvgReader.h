// SVG and SVGZ drawings as pictures: rendered with librsvg so that the drawing's ink is
// about 2000 pixels on its longer side, onto white, and cut at half coverage into a
// 1-bit picture. Nothing outside the file is ever loaded: the drawing is read from
// memory with no base location, so librsvg resolves no href, file or network address
// (only data: URLs inside the file); an external image is left out of the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "ImageFormatRegistry.h"
#include "MonoBitmap.h"

// The default length of the drawing's longer side, in pixels.
constexpr int kDefaultSvgSize = 2000;
// The range the command line's --svg-size takes.
constexpr int kMinSvgSize = 16;
constexpr int kMaxSvgSize = 30'000;  // with its margin, within what cairo can draw on
// The largest picture rendered; more is refused before anything is allocated.
constexpr uint64_t kMaxSvgPixels = 100'000'000;
// The largest drawing read, packed or unpacked: far beyond any signature.
constexpr uint64_t kMaxSvgBytes = uint64_t(64) << 20;

// The length of the longer side drawings are rendered at (kDefaultSvgSize unless set).
void SetSvgSize(int pixels);
int SvgSize();

// How a drawing is rendered: the scale and the picture it gives.
struct SvgLayout {
    double scale = 1;              // pixels per unit of the nominal viewport
    double offsetX = 0, offsetY = 0;  // where the nominal viewport's origin lands, in pixels
    double viewportWidth = 0, viewportHeight = 0;  // the nominal viewport, in its own units
    int32_t width = 0, height = 0;  // the picture
};

// The bytes of a drawing as text: unpacked when they are gzip data (SVGZ), within
// kMaxSvgBytes. Raises 1034 (damaged) for broken gzip data, 1032 beyond the bound.
std::vector<uint8_t> UnpackSvg(const std::vector<uint8_t>& bytes);

// Renders SVG or SVGZ bytes with the longer side of their ink at longerSide pixels (plus
// a small margin) into out, 0 = ink wherever the drawing over white is darker than
// middle grey. Raises 1029 for bytes that are no XML at all, 1033 for XML that is not
// SVG, 1034 for a damaged drawing, 1035 for one that would exceed kMaxSvgPixels, 1037
// for one that cannot be read without an entity from another file, 2005 when memory
// runs out.
void DecodeSvg(const std::vector<uint8_t>& bytes, int longerSide, MonoBitmap& out);

// How DecodeSvg would lay out the drawing (for tests and previews); raises as it does.
SvgLayout LayoutSvg(const std::vector<uint8_t>& bytes, int longerSide);

// Adds the SVG reader (.svg, .svgz) to a registry.
void RegisterSvgFormat(ImageFormatRegistry& registry);
