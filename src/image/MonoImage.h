// The picture the document owns, with the whole-image operations of the edit page.
#pragma once

#include <cstdint>
#include <memory>

#include "MonoBitmap.h"

// Left and top inclusive, right and bottom exclusive; y grows downwards.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// Raster operations of Blit, by their classic codes.
enum BlitOp : uint32_t {
    kBlitCopy = 0x00CC0020,  // dest = src
    kBlitAnd = 0x008800C6,   // dest = dest AND src
    kBlitOr = 0x00EE0086,    // dest = dest OR src
    kBlitXor = 0x00660046,   // dest = dest XOR src
};

class MonoImage : public MonoBitmap {
public:
    MonoImage() = default;

    int GetPixel(int32_t x, int32_t y) const override;
    void SetPixel(int32_t x, int32_t y, int value) override;

    // Combines the w x h block of src at (sx, sy) into dest at (dx, dy), clipped to both.
    // Unknown ops, null bitmaps and bitmaps without buffers change nothing.
    static void Blit(MonoBitmap* dest, int32_t dx, int32_t dy, int32_t w, int32_t h,
                     const MonoBitmap* src, int32_t sx, int32_t sy, uint32_t op);

    // A new image holding a copy of rect; null without a buffer or for an empty rect.
    std::unique_ptr<MonoImage> Crop(const PixelRect& rect) const;

    // Smallest x in [x1, x2] with pixel == value on row y, or -1.
    int32_t FindNextPixel(int32_t x1, int32_t y, int32_t x2, int value) const;
    // Largest x in [x2, x1] with pixel == value on row y, or -1.
    int32_t FindPrevPixel(int32_t x1, int32_t y, int32_t x2, int value) const;

    // Tight box around the pixels equal to value inside within (null: whole image);
    // all zero when there are none.
    void FindInkBounds(PixelRect& out, const PixelRect* within, int value) const;

    // Bit 0 mirrors left-right, bit 1 top-bottom; both make a half turn.
    void Flip(int mode);
    // 0 quarter turn clockwise, 1 half turn, 2 quarter turn counterclockwise.
    void Rotate(int direction);
    // One simultaneous pass of the noise filter: spurs and lone pixels go, pinholes fill.
    void Enhance();

    int32_t x0 = 0;
    int32_t y0 = 0;
};

// Edit-page commands and the operations they call.
enum ImageCommand {
    ID_IMAGE_ENHANCE = 32773,
    ID_IMAGE_FLIP_VERTICAL = 32774,
    ID_IMAGE_FLIP_HORIZONTAL = 32775,
    ID_IMAGE_ROTATE_CW = 32776,
    ID_IMAGE_ROTATE_CCW = 32777,
    ID_IMAGE_INVERT = 32779,
};

// Runs one of the edit-page commands above on image; false for any other id.
bool ApplyImageCommand(MonoImage& image, int command);
