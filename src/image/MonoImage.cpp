#include "MonoImage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "BitTables.h"
#include "Error.h"

namespace {

uint8_t Combine(uint32_t op, uint8_t d, uint8_t s) {
    switch (op) {
        case kBlitCopy: return s;
        case kBlitAnd: return uint8_t(d & s);
        case kBlitOr: return uint8_t(d | s);
        default: return uint8_t(d ^ s);  // kBlitXor
    }
}

bool IsKnownOp(uint32_t op) {
    return op == kBlitCopy || op == kBlitAnd || op == kBlitOr || op == kBlitXor;
}

// Eight source bits starting at bit position p of a row of n bytes; bits outside the row
// read as 0 (callers mask them away).
inline uint8_t Fetch8(const uint8_t* row, int64_t n, int64_t p) {
    int64_t q = p >> 3;
    int r = int(p & 7);
    uint8_t hi = (q >= 0 && q < n) ? row[q] : 0;
    if (r == 0) return hi;
    uint8_t lo = (q + 1 >= 0 && q + 1 < n) ? row[q + 1] : 0;
    return uint8_t(((hi << 8) | lo) >> (8 - r));
}

// Combines w bits of srow starting at bit sx into drow starting at bit dx.
void BlitRow(uint8_t* drow, int32_t dx, const uint8_t* srow, int32_t sstride, int32_t sx,
             int32_t w, uint32_t op) {
    int32_t first = dx >> 3, last = (dx + w - 1) >> 3;
    uint8_t firstMask = uint8_t(0xFF >> (dx & 7));
    uint8_t lastMask = uint8_t(0xFF << (7 - ((dx + w - 1) & 7)));
    int64_t shift = int64_t(sx) - dx;  // source bit = dest bit + shift

    auto edge = [&](int32_t i, uint8_t mask) {
        uint8_t s = Fetch8(srow, sstride, int64_t(i) * 8 + shift);
        uint8_t d = drow[i];
        drow[i] = uint8_t((d & ~mask) | (Combine(op, d, s) & mask));
    };
    if (first == last) {
        edge(first, uint8_t(firstMask & lastMask));
        return;
    }
    edge(first, firstMask);
    // Middle bytes lie wholly inside the block, so their source bytes are in the row.
    int32_t r = int32_t(shift & 7);
    const uint8_t* s = srow + ((int64_t(first + 1) * 8 + shift) >> 3);
    uint8_t* d = drow + first + 1;
    int32_t count = last - first - 1;
    // One loop per operator, so that none decides the operator byte by byte.
    auto run = [&](auto combine) {
        if (r == 0) {
            for (int32_t i = 0; i < count; ++i) d[i] = combine(d[i], s[i]);
        } else {
            for (int32_t i = 0; i < count; ++i) d[i] = combine(d[i], uint8_t(((s[i] << 8) | s[i + 1]) >> (8 - r)));
        }
    };
    if (r == 0 && op == kBlitCopy) {
        std::memcpy(d, s, size_t(count));
    } else if (op == kBlitCopy) {
        run([](uint8_t, uint8_t v) { return v; });
    } else if (op == kBlitAnd) {
        run([](uint8_t a, uint8_t v) { return uint8_t(a & v); });
    } else if (op == kBlitOr) {
        run([](uint8_t a, uint8_t v) { return uint8_t(a | v); });
    } else {
        run([](uint8_t a, uint8_t v) { return uint8_t(a ^ v); });
    }
    edge(last, lastMask);
}

// Mirrors the first width pixels of src into dest (which must not overlap src).
void MirrorRow(const uint8_t* src, uint8_t* dest, int32_t width) {
    const auto& rev = Bits().reversed;
    int32_t n = (width + 7) / 8;
    for (int32_t j = 0; j < n; ++j) dest[j] = rev[src[n - 1 - j]];
    int s = width % 8;
    if (s != 0) {
        for (int32_t j = 0; j < n; ++j) {
            uint8_t next = j + 1 < n ? dest[j + 1] : 0;
            dest[j] = uint8_t((dest[j] << (8 - s)) | (next >> s));
        }
    }
}

template <typename T>
std::vector<T> AllocateOrRaise(size_t n, T value) {
    try {
        return std::vector<T>(n, value);
    } catch (const std::bad_alloc&) {
        RaiseError(ErrorCode::kNoMemory);
    }
}

// Transposes an 8 x 8 bit block: in[r] is row r, most significant bit the left column;
// out[c] is column c in the same orientation.
inline void Transpose8(const uint8_t in[8], uint8_t out[8]) {
    uint64_t x = 0;
    for (int i = 0; i < 8; ++i) x = (x << 8) | in[i];
    uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    x = x ^ t ^ (t << 28);
    for (int i = 7; i >= 0; --i) {
        out[i] = uint8_t(x);
        x >>= 8;
    }
}

// Noise-filter decision for a pixel value and its 8-neighbour code, indexed
// pixel << 8 | code.
struct EnhanceTable {
    bool mark[512];
};

constexpr EnhanceTable MakeEnhanceTable() {
    EnhanceTable t{};
    for (int code = 0; code < 256; ++code) {
        // Ink pixel: a spur or lone pixel goes unless that would part two diagonal inks.
        bool inkMark = ((code & 0xF8) == 0xF8 && (code & 0x07) != 0x02) ||
                       ((code & 0x1F) == 0x1F && (code & 0xE0) != 0x40) ||
                       ((code & 0xD6) == 0xD6 && (code & 0x29) != 0x08) ||
                       ((code & 0x6B) == 0x6B && (code & 0x94) != 0x10);
        int paper = 0;
        for (int b = 0; b < 8; ++b) paper += (code >> b) & 1;
        t.mark[code] = inkMark;
        t.mark[256 | code] = paper < 4;  // paper pixel among five or more ink neighbours
    }
    return t;
}
constexpr EnhanceTable kEnhance = MakeEnhanceTable();

// Copies row y into buf[1..n] with paper beyond the width and on both sides, or fills
// buf with paper for a row outside the image.
void LoadNormalizedRow(const MonoBitmap& img, int32_t y, std::vector<uint8_t>& buf) {
    int32_t n = (img.width + 7) / 8;
    if (y < 0 || y >= img.height) {
        std::fill(buf.begin(), buf.end(), uint8_t(0xFF));
        return;
    }
    buf[0] = 0xFF;
    std::memcpy(buf.data() + 1, img.Row(y), size_t(n));
    if (img.width % 8) buf[size_t(n)] |= uint8_t(0xFF >> (img.width % 8));
    buf[size_t(n) + 1] = 0xFF;
}

// Ten pixels around byte b of a normalized row: bit 9 is the pixel left of the byte,
// bit 0 the pixel right of it.
inline uint32_t Window(const uint8_t* buf, int32_t b) {
    return (uint32_t(buf[b] & 1) << 9) | (uint32_t(buf[b + 1]) << 1) | (buf[b + 2] >> 7);
}

}  // namespace

int MonoImage::GetPixel(int32_t x, int32_t y) const {
    return MonoBitmap::GetPixel(x - x0, y - y0);
}

void MonoImage::SetPixel(int32_t x, int32_t y, int value) {
    MonoBitmap::SetPixel(x - x0, y - y0, value);
}

void MonoImage::Blit(MonoBitmap* dest, int32_t dx, int32_t dy, int32_t w, int32_t h,
                     const MonoBitmap* src, int32_t sx, int32_t sy, uint32_t op) {
    if (!dest || !src || !dest->bits || !src->bits || !IsKnownOp(op)) return;
    // Clip in 64-bit so that extreme arguments cannot overflow.
    int64_t DX = dx, DY = dy, W = w, H = h, SX = sx, SY = sy;
    if (SX < 0) { W += SX; DX -= SX; SX = 0; }
    if (SY < 0) { H += SY; DY -= SY; SY = 0; }
    if (DX < 0) { SX -= DX; W += DX; DX = 0; }
    if (DY < 0) { SY -= DY; H += DY; DY = 0; }
    W = std::min({W, int64_t(src->width) - SX, int64_t(dest->width) - DX});
    H = std::min({H, int64_t(src->height) - SY, int64_t(dest->height) - DY});
    if (W <= 0 || H <= 0) return;

    // Overlapping source and destination: work from a copy of the source.
    MonoBitmap copy;
    if (src->bits == dest->bits) {
        src->CopyTo(copy);
        src = &copy;
    }

    if (DX == 0 && DY == 0 && SX == 0 && SY == 0 && W == src->width && W == dest->width &&
        H == src->height && H == dest->height && src->stride == dest->stride) {
        // The block is both whole images: one pass over the buffer.
        size_t n = size_t(dest->size);
        if (op == kBlitCopy) {
            std::memcpy(dest->bits, src->bits, n);
        } else {
            for (size_t i = 0; i < n; ++i) dest->bits[i] = Combine(op, dest->bits[i], src->bits[i]);
        }
        return;
    }
    for (int64_t row = 0; row < H; ++row) {
        BlitRow(dest->Row(int32_t(DY + row)), int32_t(DX), src->Row(int32_t(SY + row)),
                src->stride, int32_t(SX), int32_t(W), op);
    }
}

std::unique_ptr<MonoImage> MonoImage::Crop(const PixelRect& rect) const {
    if (!bits || rect.IsEmpty()) return nullptr;
    auto result = std::make_unique<MonoImage>();
    result->Create(rect.Width(), rect.Height());
    result->Fill(1);  // anything outside this image reads as paper
    Blit(result.get(), 0, 0, rect.Width(), rect.Height(), this, rect.left, rect.top, kBlitCopy);
    return result;
}

int32_t MonoImage::FindNextPixel(int32_t x1, int32_t y, int32_t x2, int value) const {
    if (!bits || y < 0 || y >= height) return -1;
    int32_t lo = std::max(x1, 0), hi = std::min(x2, width - 1);
    if (lo > hi) return -1;
    const uint8_t* row = Row(y);
    const uint8_t flip = value ? 0x00 : 0xFF;  // wanted pixels become set bits
    const auto& firstSet = Bits().firstSet;
    int32_t b = lo >> 3, last = hi >> 3;
    uint8_t v = uint8_t((row[b] ^ flip) & (0xFF >> (lo & 7)));
    for (;;) {
        if (b == last) v = uint8_t(v & (0xFF << (7 - (hi & 7))));
        if (v) return b * 8 + firstSet[v];
        if (++b > last) return -1;
        v = uint8_t(row[b] ^ flip);
    }
}

int32_t MonoImage::FindPrevPixel(int32_t x1, int32_t y, int32_t x2, int value) const {
    if (!bits || y < 0 || y >= height) return -1;
    int32_t hi = std::min(x1, width - 1), lo = std::max(x2, 0);
    if (lo > hi) return -1;
    const uint8_t* row = Row(y);
    const uint8_t flip = value ? 0x00 : 0xFF;
    const auto& lastSet = Bits().lastSet;
    int32_t b = hi >> 3, first = lo >> 3;
    uint8_t v = uint8_t((row[b] ^ flip) & (0xFF << (7 - (hi & 7))));
    for (;;) {
        if (b == first) v = uint8_t(v & (0xFF >> (lo & 7)));
        if (v) return b * 8 + lastSet[v];
        if (--b < first) return -1;
        v = uint8_t(row[b] ^ flip);
    }
}

void MonoImage::FindInkBounds(PixelRect& out, const PixelRect* within, int value) const {
    PixelRect r{0, 0, width, height};
    if (within) {
        r.left = std::clamp(within->left, 0, width);
        r.right = std::clamp(within->right, 0, width);
        r.top = std::clamp(within->top, 0, height);
        r.bottom = std::clamp(within->bottom, 0, height);
    }
    if (!bits || r.IsEmpty()) {
        out = PixelRect{};
        return;
    }
    MonoImage scratch;
    scratch.Create(r.Width(), 1);
    scratch.Fill(value ? 0 : 1);

    out = PixelRect{r.right, r.bottom, r.left, r.top};
    for (int32_t y = r.top; y < r.bottom; ++y) {
        if (FindNextPixel(r.left, y, r.right - 1, value) >= 0) {
            out.top = std::min(out.top, y);
            out.bottom = std::max(out.bottom, y);
        }
    }
    if (out.top > out.bottom) {
        out = PixelRect{};
        return;
    }
    // Fold every row with ink onto the scratch row: AND keeps each column's ink (0),
    // OR each column's paper (1) when searching for paper.
    uint32_t fold = value ? kBlitOr : kBlitAnd;
    for (int32_t y = out.top; y <= out.bottom; ++y)
        Blit(&scratch, 0, 0, r.Width(), 1, this, r.left, y, fold);
    out.left = r.left + scratch.FindNextPixel(0, 0, scratch.width - 1, value);
    out.right = r.left + scratch.FindPrevPixel(scratch.width - 1, 0, 0, value) + 1;
    out.bottom += 1;
}

void MonoImage::Flip(int mode) {
    mode &= 3;
    if (width == 1) mode &= ~1;
    if (height == 1) mode &= ~2;
    if (mode == 0 || !bits) return;

    auto scratch = AllocateOrRaise<uint8_t>(size_t(stride), 0);
    auto scratch2 = AllocateOrRaise<uint8_t>(size_t(stride), 0);
    if (mode == 1) {
        for (int32_t y = 0; y < height; ++y) {
            std::memcpy(scratch.data(), Row(y), size_t(stride));
            MirrorRow(scratch.data(), Row(y), width);
        }
    } else if (mode == 2) {
        for (int32_t i = 0; i < height / 2; ++i) {
            uint8_t* a = Row(i);
            uint8_t* b = Row(height - 1 - i);
            std::memcpy(scratch.data(), a, size_t(stride));
            std::memcpy(a, b, size_t(stride));
            std::memcpy(b, scratch.data(), size_t(stride));
        }
    } else {
        for (int32_t i = 0; i < height / 2; ++i) {
            uint8_t* a = Row(i);
            uint8_t* b = Row(height - 1 - i);
            MirrorRow(b, scratch.data(), width);
            MirrorRow(a, scratch2.data(), width);
            std::memcpy(a, scratch.data(), size_t(stride));
            std::memcpy(b, scratch2.data(), size_t(stride));
        }
        if (height % 2) {
            uint8_t* m = Row(height / 2);
            std::memcpy(scratch.data(), m, size_t(stride));
            MirrorRow(scratch.data(), m, width);
        }
    }
}

void MonoImage::Rotate(int direction) {
    if (direction == 1) {
        Flip(3);
        return;
    }
    if ((direction != 0 && direction != 2) || !bits) return;
    const int32_t oldW = width, oldH = height;
    MonoBitmap rotated;
    rotated.Create(oldH, oldW);
    std::memset(rotated.bits, 0, size_t(rotated.size));

    const bool clockwise = direction == 0;
    const int32_t srcBytes = (oldW + 7) / 8;
    const int32_t destBytes = (oldH + 7) / 8;
    uint8_t in[8], out[8];
    for (int32_t k = 0; k < destBytes; ++k) {
        // The eight source rows whose pixels form byte k of every destination row:
        // clockwise reads the source from the bottom up, counterclockwise top down.
        const uint8_t* rows[8];
        for (int t = 0; t < 8; ++t) {
            int32_t y = clockwise ? oldH - 1 - (8 * k + t) : 8 * k + t;
            rows[t] = (y >= 0 && y < oldH) ? Row(y) : nullptr;
        }
        for (int32_t bx = 0; bx < srcBytes; ++bx) {
            for (int t = 0; t < 8; ++t) in[t] = rows[t] ? rows[t][bx] : 0;
            Transpose8(in, out);
            for (int c = 0; c < 8; ++c) {
                int32_t x = 8 * bx + c;
                if (x >= oldW) break;
                int32_t destRow = clockwise ? x : oldW - 1 - x;
                rotated.Row(destRow)[k] = out[c];
            }
        }
    }
    rotated.MoveTo(*this);
}

void MonoImage::Enhance() {
    if (!bits) return;
    const int32_t n = (width + 7) / 8;
    // Three normalized rows (above, this, below), all taken before this row changes.
    auto above = AllocateOrRaise<uint8_t>(size_t(n) + 2, 0xFF);
    auto here = AllocateOrRaise<uint8_t>(size_t(n) + 2, 0xFF);
    auto below = AllocateOrRaise<uint8_t>(size_t(n) + 2, 0xFF);
    LoadNormalizedRow(*this, 0, here);
    const uint8_t lastByteMask = width % 8 ? uint8_t(0xFF << (8 - width % 8)) : 0xFF;

    for (int32_t y = 0; y < height; ++y) {
        LoadNormalizedRow(*this, y + 1, below);
        uint8_t* row = Row(y);
        for (int32_t b = 0; b < n; ++b) {
            uint32_t wa = Window(above.data(), b);
            uint32_t wc = Window(here.data(), b);
            uint32_t wd = Window(below.data(), b);
            // All paper or all ink around the byte: no pixel of it changes.
            if ((wa & wc & wd) == 0x3FF || (wa | wc | wd) == 0) continue;
            uint8_t toggle = 0;
            for (int i = 0; i < 8; ++i) {
                uint32_t a3 = (wa >> (7 - i)) & 7, c3 = (wc >> (7 - i)) & 7,
                         d3 = (wd >> (7 - i)) & 7;
                uint32_t code = (a3 << 5) | ((c3 >> 2) << 4) | ((c3 & 1) << 3) | d3;
                uint32_t pixel = (c3 >> 1) & 1;
                if (kEnhance.mark[(pixel << 8) | code]) toggle = uint8_t(toggle | (0x80 >> i));
            }
            if (b == n - 1) toggle &= lastByteMask;
            row[b] ^= toggle;
        }
        std::swap(above, here);
        std::swap(here, below);
    }
}

bool ApplyImageCommand(MonoImage& image, int command) {
    switch (command) {
        case ID_IMAGE_ENHANCE: image.Enhance(); return true;
        case ID_IMAGE_INVERT: image.Invert(); return true;
        case ID_IMAGE_FLIP_HORIZONTAL: image.Flip(1); return true;
        case ID_IMAGE_FLIP_VERTICAL: image.Flip(2); return true;
        case ID_IMAGE_ROTATE_CW: image.Rotate(0); return true;
        case ID_IMAGE_ROTATE_CCW: image.Rotate(2); return true;
        default: return false;
    }
}
