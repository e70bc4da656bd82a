// Rows of a 1-bit picture at a zoom, still 1 bit per pixel (MSB first, 0 ink, 1 paper),
// ready to be shown as a monochrome image. Zoom k >= 1 repeats each pixel k times; k <= -2
// takes every |k|-th pixel.
#pragma once

#include <cstdint>

namespace zoomed_rows {

constexpr int kMaxZoom = 16;

// The 8 bits of value, each repeated k times, MSB first: k bytes. 2 <= k <= 16.
const uint8_t* ExpandedByte(uint8_t value, int k);

// Scratch bytes ZoomRow needs for count output pixels at zoom k.
int32_t ScratchBytes(int32_t count, int k);

// Output pixels viewX .. viewX + count - 1 of one zoomed row of the source row src (width
// pixels), into out ((count + 7) / 8 bytes; the bits after count are undefined). scratch
// holds ScratchBytes(count, k) bytes. Pixels beyond the source read as paper. Zooms
// outside -16 .. 16, 0 and -1 leave out unchanged.
void ZoomRow(const uint8_t* src, int32_t width, int k, int32_t viewX, int32_t count,
             uint8_t* out, uint8_t* scratch);

// Copies count bits starting at bit offset bitOffset of src into out, MSB first.
void CopyBits(const uint8_t* src, int64_t bitOffset, int32_t count, uint8_t* out);

}  // namespace zoomed_rows
