// Receives the decoded rows of one strip or tile and places the part that lies inside
// the picture into the bitmap; reports progress as the bytes arrive.
//
// A decoder's output is a stream of rows of (block width + 7) / 8 bytes. Of each row the
// first (stored width + 7) / 8 bytes land at the block's position; the rest of the row
// and rows below the picture are dropped. Stored bytes are complemented on request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MonoBitmap.h"
#include "Progress.h"

class BlockStore {
public:
    BlockStore(MonoBitmap& bitmap, bool complement, const ProgressFn& progress);

    // Starts a block of blockWidth x blockRows pixels whose top-left pixel is (x, y);
    // x and y lie inside the bitmap.
    void BeginBlock(uint32_t x, uint32_t y, uint64_t blockWidth, uint64_t blockRows);

    // Appends decoded bytes; bytes after the end of the block are ignored.
    void Put(const uint8_t* data, size_t n);
    // Appends one whole row of which only the stored part is given (StoredRowBytes()
    // bytes); the caller is at a row boundary.
    void PutRow(const uint8_t* stored);

    bool Complete() const { return m_row >= m_blockRows; }
    // Bytes still needed to complete the block.
    uint64_t Remaining() const;
    uint64_t BlockRowBytes() const { return m_blockRowBytes; }
    size_t StoredRowBytes() const { return m_storedRowBytes; }
    uint64_t StoredWidth() const { return m_storedWidth; }

    // The closing progress report (100 %).
    void Finish();

private:
    void StoreBytes(const uint8_t* data, size_t n);
    void StoreRowTail(const uint8_t* data, size_t n);
    void EndRow();
    void Count(uint64_t n);
    uint8_t* Target() const;

    MonoBitmap& m_bitmap;
    uint8_t m_xor;
    ProgressFn m_progress;

    uint32_t m_x = 0;
    uint32_t m_y = 0;
    uint64_t m_blockRowBytes = 0;
    uint64_t m_blockRows = 0;
    uint64_t m_storedWidth = 0;
    size_t m_storedRowBytes = 0;
    uint64_t m_storedRows = 0;
    uint64_t m_row = 0;      // row within the block
    uint64_t m_offset = 0;   // byte within the row
    std::vector<uint8_t> m_staging;  // one row, for blocks that start inside a byte

    uint64_t m_received = 0;
    uint64_t m_nextReport = 0;
    uint64_t m_step = 1;
};
