#include "TiffDecoders.h"

#include <algorithm>
#include <cstring>

#include "Error.h"
#include "ImageErrors.h"

void DecodeUncompressed(const uint8_t* data, size_t n, BlockStore& store) {
    store.Put(data, n);
}

void DecodePackBits(const uint8_t* data, size_t n, BlockStore& store) {
    // Output goes through a buffer so that the store sees few large pieces. Runs are
    // written as whole 128-byte blocks (a constant size the compiler turns into a few
    // vector stores); the buffer's slack takes what lies beyond a run.
    constexpr size_t kChunk = 32768, kRun = 128;
    uint8_t out[kChunk + kRun];
    size_t used = 0;
    size_t i = 0;
    while (i < n && !store.Complete()) {
        if (used > kChunk - kRun) {
            store.Put(out, used);
            used = 0;
        }
        int header = int8_t(data[i++]);
        if (header >= 0) {
            size_t count = size_t(header) + 1;
            if (count <= n - i && n - i >= kRun) {
                std::memcpy(out + used, data + i, kRun);
            } else {
                count = std::min(count, n - i);
                std::memcpy(out + used, data + i, count);
            }
            used += count;
            i += count;
        } else if (header != -128) {
            if (i >= n) break;
            std::memset(out + used, data[i++], kRun);
            used += size_t(1 - header);
        }
    }
    store.Put(out, used);
}

namespace {
constexpr unsigned kLzwClear = 256, kLzwEnd = 257, kLzwFirstFree = 258;

uint64_t ReadBE64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

// Copies a string of output to the end of the output in 16-byte pieces; the source
// ends at or before the destination and the buffer has slack for the overshoot.
inline void CopyString(uint8_t* dst, const uint8_t* src, size_t length) {
    for (size_t i = 0; i < length; i += 16) std::memmove(dst + i, src + i, 16);
}

// Reads LZW codes most significant bit first.
class CodeReader {
public:
    CodeReader(const uint8_t* data, size_t n) : m_data(data), m_n(n) {}
    // False when the data ends before a whole code.
    bool Next(unsigned width, unsigned& code) {
        if (m_held < width) {
            if (m_n - m_pos >= 8) {
                // Whole bytes that fit below the held bits, in one load.
                unsigned take = (64 - m_held) / 8;
                uint64_t v = ReadBE64(m_data + m_pos) & (~uint64_t(0) << (64 - 8 * take));
                m_bits |= v >> m_held;
                m_pos += take;
                m_held += 8 * take;
            } else {
                while (m_held < width) {
                    if (m_pos >= m_n) return false;
                    m_bits |= uint64_t(m_data[m_pos++]) << (56 - m_held);
                    m_held += 8;
                }
            }
        }
        code = unsigned(m_bits >> (64 - width));
        m_bits <<= width;
        m_held -= width;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_n;
    size_t m_pos = 0;
    uint64_t m_bits = 0;  // the next code in its top bits
    unsigned m_held = 0;
};
}  // namespace

LzwDecoder::LzwDecoder(uint64_t directLimit) : m_directLimit(directLimit) {
    for (int c = 0; c < 256; ++c) {
        m_prefix[c] = 0;
        m_length[c] = 1;
        m_suffix[c] = uint8_t(c);
        m_first[c] = uint8_t(c);
    }
}

void LzwDecoder::Decode(const uint8_t* data, size_t n, BlockStore& store) {
    if (store.Remaining() <= m_directLimit)
        DecodeDirect(data, n, store);
    else
        DecodeChained(data, n, store);
}

namespace {

// The code stream of LZW, shared by both ways of keeping the strings: clear codes, the
// end code, and code widths that grow with the table. For each string code,
// emit(code, next, previous) writes its string and, when previous >= 0, makes table
// entry next of the previous string and this one's first byte. Runs while more().
template <class More, class Emit>
void WalkLzwCodes(const uint8_t* data, size_t n, unsigned tableSize, More more, Emit emit) {
    CodeReader codes(data, n);
    unsigned width = 9, next = kLzwFirstFree, code;
    int previous = -1;
    while (more() && codes.Next(width, code)) {
        if (code == kLzwClear) {
            width = 9;
            next = kLzwFirstFree;
            previous = -1;
            continue;
        }
        if (code == kLzwEnd) break;
        if (code > next || (code == next && previous < 0)) RaiseError(ImageError::kInvalidData);
        if (previous >= 0 && next >= tableSize) RaiseError(ImageError::kInvalidData);
        emit(code, next, previous);
        if (previous >= 0) ++next;
        previous = int(code);
        if (next == (1u << width) - 1 && width < 12) ++width;
    }
}

}  // namespace

void LzwDecoder::DecodeDirect(const uint8_t* data, size_t n, BlockStore& store) {
    const size_t wanted = size_t(store.Remaining());
    // Room for one more string than the block needs: decoding stops once it is full.
    m_out.resize(wanted + kTableSize + 32);
    uint8_t* out = m_out.data();
    size_t pos = 0;
    size_t previousStart = 0, previousLength = 0;
    WalkLzwCodes(data, n, kTableSize, [&] { return pos < wanted; },
                 [&](unsigned code, unsigned next, int previous) {
        size_t start = pos, length;
        if (code < 256) {
            out[pos] = uint8_t(code);
            length = 1;
        } else if (code < next) {
            length = m_length[code];
            CopyString(out + pos, out + m_start[code], length);
        } else {
            // Not yet in the table: the previous string followed by its own first byte.
            length = previousLength + 1;
            CopyString(out + pos, out + previousStart, previousLength);
            out[pos + previousLength] = out[previousStart];
        }
        pos += length;
        if (previous >= 0) {
            // The previous string and the first byte of this one lie side by side.
            m_start[next] = uint32_t(previousStart);
            m_length[next] = uint16_t(previousLength + 1);
        }
        previousStart = start;
        previousLength = length;
    });
    store.Put(out, std::min(pos, wanted));
}

void LzwDecoder::DecodeChained(const uint8_t* data, size_t n, BlockStore& store) {
    constexpr size_t kFlushAt = 65536;
    m_out.resize(kFlushAt + kTableSize);
    uint8_t* out = m_out.data();
    size_t used = 0;
    const uint64_t wanted = store.Remaining();
    uint64_t produced = 0;
    WalkLzwCodes(data, n, kTableSize, [&] { return produced < wanted; },
                 [&](unsigned code, unsigned next, int previous) {
        unsigned entry = code == next ? unsigned(previous) : code;
        size_t length = m_length[entry];
        uint8_t* p = out + used + length;
        for (unsigned e = entry;; e = m_prefix[e]) {
            *--p = m_suffix[e];
            if (e < 256) break;
        }
        if (code == next) out[used + length++] = m_first[entry];
        uint8_t firstByte = out[used];
        used += length;
        produced += length;
        if (previous >= 0) {
            m_prefix[next] = uint16_t(previous);
            m_suffix[next] = firstByte;
            m_first[next] = m_first[previous];
            m_length[next] = uint16_t(m_length[previous] + 1);
        }
        if (used >= kFlushAt) {
            store.Put(out, used);
            used = 0;
        }
    });
    store.Put(out, used);
}
