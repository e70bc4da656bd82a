// A 1-bit-per-pixel picture.
//
// Layout, binding for every producer and consumer: row 0 is the top row; each row is
// `stride` bytes, padded to whole 16-bit words; pixel x of a row is in byte x / 8 under
// mask 0x80 >> (x % 8). Bit 0 is ink (black), bit 1 is paper (white). Padding bits carry
// no meaning: no operation depends on them and whole-byte operations may change them.
#pragma once

#include <cstdint>

class MonoBitmap {
public:
    MonoBitmap() = default;
    MonoBitmap(const MonoBitmap&) = delete;
    MonoBitmap& operator=(const MonoBitmap&) = delete;
    // Moving hands the buffer over, as MoveTo does.
    MonoBitmap(MonoBitmap&& other) noexcept;
    MonoBitmap& operator=(MonoBitmap&& other) noexcept;
    virtual ~MonoBitmap();

    // Forgets the buffer without releasing it.
    virtual void Reset();
    // Releases an owned buffer, then Reset.
    virtual void Free();
    // Sets the dimensions and derives stride and size; allocates nothing. Negative
    // dimensions count as 0.
    virtual void SetSize(int32_t w, int32_t h);
    // Adopts a caller-owned buffer of the layout above (not released by this object).
    virtual void Attach(int32_t w, int32_t h, uint8_t* buffer);
    // Allocates an owned buffer with undefined contents. Raises 2005 (CodeError) when the
    // memory cannot be had or the size does not fit; the bitmap is then empty.
    virtual void Create(int32_t w, int32_t h);
    // dest becomes an owned copy of this bitmap.
    virtual void CopyTo(MonoBitmap& dest) const;
    // dest takes over this bitmap's buffer; this bitmap becomes empty.
    virtual void MoveTo(MonoBitmap& dest);
    // 0 (ink) or 1 (paper); outside the bitmap reads as paper.
    virtual int GetPixel(int32_t x, int32_t y) const;
    // value != 0 sets paper, 0 sets ink; outside coordinates are ignored.
    virtual void SetPixel(int32_t x, int32_t y, int value);

    // Every byte to 0xFF (value != 0) or 0x00.
    void Fill(int value);
    // Swaps ink and paper (padding bits too).
    void Invert();

    bool IsEmpty() const { return bits == nullptr; }
    uint8_t* Row(int32_t y) { return bits + int64_t(y) * stride; }
    const uint8_t* Row(int32_t y) const { return bits + int64_t(y) * stride; }

    // Bytes per row for a width: whole 16-bit words.
    static int32_t StrideFor(int32_t w) { return int32_t((int64_t(w) + 15) / 16 * 2); }

    bool owns = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t size = 0;
    uint8_t* bits = nullptr;
};
