#include "BlockStore.h"

#include <algorithm>
#include <cstring>

#include "Error.h"

namespace {
// Writes nbits bits of src (most significant bit first, complemented by xorMask) into
// dst starting at bit `shift` (0..7) of dst[0], leaving every other bit of dst alone.
void MergeBits(uint8_t* dst, unsigned shift, const uint8_t* src, uint64_t nbits, uint8_t xorMask) {
    for (uint64_t i = 0; i * 8 < nbits; ++i) {
        unsigned valid = unsigned(std::min<uint64_t>(8, nbits - i * 8));
        uint8_t mask = uint8_t(0xFF << (8 - valid));
        uint8_t value = uint8_t((src[i] ^ xorMask) & mask);
        uint8_t hiMask = uint8_t(mask >> shift);
        dst[i] = uint8_t((dst[i] & ~hiMask) | (value >> shift));
        uint8_t loMask = uint8_t(unsigned(mask) << (8 - shift));
        if (shift != 0 && loMask != 0)
            dst[i + 1] = uint8_t((dst[i + 1] & ~loMask) | uint8_t(unsigned(value) << (8 - shift)));
    }
}

void CopyComplemented(uint8_t* dst, const uint8_t* src, size_t n, uint8_t xorMask) {
    if (xorMask == 0) {
        std::memcpy(dst, src, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) dst[i] = uint8_t(src[i] ^ xorMask);
}
}  // namespace

BlockStore::BlockStore(MonoBitmap& bitmap, bool complement, const ProgressFn& progress)
    : m_bitmap(bitmap), m_xor(complement ? 0xFF : 0x00), m_progress(progress) {
    m_step = std::max<uint64_t>(1, uint64_t(std::max(bitmap.size, 0)) / 50);
    m_nextReport = m_step;
}

void BlockStore::BeginBlock(uint32_t x, uint32_t y, uint64_t blockWidth, uint64_t blockRows) {
    m_x = x;
    m_y = y;
    m_blockRowBytes = (blockWidth + 7) / 8;
    m_blockRows = blockRows;
    m_storedWidth = std::min<uint64_t>(blockWidth, uint64_t(m_bitmap.width) - x);
    m_storedRowBytes = size_t((m_storedWidth + 7) / 8);
    m_storedRows = std::min<uint64_t>(blockRows, uint64_t(m_bitmap.height) - y);
    m_row = 0;
    m_offset = 0;
    if (x % 8 != 0) m_staging.assign(m_storedRowBytes, 0);
}

uint64_t BlockStore::Remaining() const {
    if (Complete()) return 0;
    return (m_blockRows - m_row) * m_blockRowBytes - m_offset;
}

uint8_t* BlockStore::Target() const {
    return m_bitmap.Row(int32_t(m_y + m_row)) + m_x / 8;
}

void BlockStore::Put(const uint8_t* data, size_t n) {
    while (n > 0 && !Complete()) {
        // Pieces end at row ends and at progress marks.
        uint64_t take = std::min<uint64_t>(n, m_blockRowBytes - m_offset);
        take = std::min<uint64_t>(take, m_nextReport - m_received);
        if (m_row < m_storedRows && m_offset < m_storedRowBytes)
            StoreBytes(data, size_t(std::min<uint64_t>(take, m_storedRowBytes - m_offset)));
        m_offset += take;
        data += take;
        n -= size_t(take);
        if (m_offset == m_blockRowBytes) EndRow();
        Count(take);
    }
}

void BlockStore::PutRow(const uint8_t* stored) {
    if (Complete()) return;
    if (m_row < m_storedRows) {
        m_offset = 0;
        StoreBytes(stored, m_storedRowBytes);
    }
    m_offset = m_blockRowBytes;
    EndRow();
    Count(m_blockRowBytes);
}

void BlockStore::StoreBytes(const uint8_t* data, size_t n) {
    if (m_x % 8 != 0) {
        std::memcpy(m_staging.data() + m_offset, data, n);
        return;
    }
    uint8_t* dst = Target() + m_offset;
    bool holdsLastByte = m_offset + n == m_storedRowBytes && m_storedWidth % 8 != 0;
    if (!holdsLastByte) {
        CopyComplemented(dst, data, n, m_xor);
        return;
    }
    // The last byte of a row that ends inside a byte keeps the bits of its neighbour.
    CopyComplemented(dst, data, n - 1, m_xor);
    MergeBits(dst + n - 1, 0, data + n - 1, m_storedWidth % 8, m_xor);
}

void BlockStore::EndRow() {
    if (m_x % 8 != 0 && m_row < m_storedRows)
        MergeBits(Target(), m_x % 8, m_staging.data(), m_storedWidth, m_xor);
    ++m_row;
    m_offset = 0;
}

void BlockStore::Count(uint64_t n) {
    m_received += n;
    if (m_received < m_nextReport) return;
    uint64_t size = uint64_t(std::max(m_bitmap.size, 1));
    uint64_t percent = std::min<uint64_t>(100, m_received * 100 / size);
    m_nextReport = (m_received / m_step + 1) * m_step;
    int32_t answer = ReportProgress(m_progress, ProgressCode::kPosition, intptr_t(percent));
    if (answer != 0) RaiseError(answer);
}

void BlockStore::Finish() {
    int32_t answer = ReportProgress(m_progress, ProgressCode::kPosition, 100);
    if (answer != 0) RaiseError(answer);
}
