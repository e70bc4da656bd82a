#include "CcittDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Error.h"
#include "ImageErrors.h"
#include "RunCodeTables.h"

namespace {

// Reads bits most significant first through a 64-bit window. Past the end of the data
// the window fills with zeros, which start no code; Ended() tells that it happened.
class FaxBits {
public:
    FaxBits(const uint8_t* data, size_t n) : m_p(data), m_end(data + n), m_left(int64_t(n) * 8) { Fill(); }

    // Afterwards at least 57 bits are in the window.
    void Fill() {
        if (m_count > 56) return;
        if (m_end - m_p >= 8) {
            uint64_t word;
            std::memcpy(&word, m_p, 8);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
            // Bits beyond the whole bytes taken are the stream's own: taking their byte
            // again later ORs in the same bits.
            m_window |= word >> m_count;
            int bytes = (63 - m_count) >> 3;
            m_p += bytes;
            m_count += bytes * 8;
            return;
        }
        while (m_count <= 56) {
            uint64_t byte = m_p < m_end ? *m_p++ : 0;
            m_window |= byte << (56 - m_count);
            m_count += 8;
        }
    }
    uint32_t Peek(int n) const { return uint32_t(m_window >> (64 - n)); }
    void Skip(int n) {
        m_window <<= n;
        m_count -= n;
        m_left -= n;
    }
    bool Ended() const { return m_left < 0; }
    bool Exhausted() const { return m_left <= 0; }

    // At an end-of-line code (eleven zeros and a one), after any number of fill zeros:
    // consumes it and answers true. Otherwise consumes nothing.
    bool SkipEol() {
        Fill();
        if (Peek(11) != 0 || Exhausted()) return false;
        for (;;) {
            Fill();
            uint64_t valid = m_count == 64 ? m_window : m_window & ~(~uint64_t(0) >> m_count);
            if (valid == 0) {
                Skip(m_count - 1);
                if (Ended()) return false;
                continue;
            }
            int zerosAndOne = std::countl_zero(valid) + 1;
            if (zerosAndOne == 64) {  // a shift takes at most 63 bits
                Skip(32);
                zerosAndOne -= 32;
            }
            Skip(zerosAndOne);
            return !Ended();
        }
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
    uint64_t m_window = 0;
    int m_count = 0;  // bits of the window that have been loaded
    int64_t m_left;   // bits of the data not yet consumed; negative past the end
};

[[noreturn]] void Invalid() { RaiseError(ImageError::kInvalidData); }

// The two-dimensional modes, looked up by the next seven bits.
enum Mode : uint8_t { kPass, kHorizontal, kVertical, kExtension, kEndOfLine };

struct ModeEntry {
    Mode mode = kEndOfLine;
    int8_t delta = 0;  // vertical modes: a1 - b1
    uint8_t length = 0;
};

struct ModeTable {
    ModeEntry entries[128];
    ModeTable() {
        auto add = [&](unsigned code, unsigned length, Mode mode, int delta) {
            unsigned first = code << (7 - length);
            for (unsigned i = 0; i < (1u << (7 - length)); ++i)
                entries[first + i] = ModeEntry{mode, int8_t(delta), uint8_t(length)};
        };
        add(0b1, 1, kVertical, 0);
        add(0b011, 3, kVertical, 1);
        add(0b000011, 6, kVertical, 2);
        add(0b0000011, 7, kVertical, 3);
        add(0b010, 3, kVertical, -1);
        add(0b000010, 6, kVertical, -2);
        add(0b0000010, 7, kVertical, -3);
        add(0b001, 3, kHorizontal, 0);
        add(0b0001, 4, kPass, 0);
        add(0b0000001, 7, kExtension, 0);
    }
};

const ModeTable& Modes() {
    static const ModeTable table;
    return table;
}

// One row's changing positions, with room for three closing copies of the row width
// that stand in for changes beyond the row's end.
class Changes {
public:
    void Reset(std::vector<uint32_t>& storage) {
        m_pos = storage.data();
        m_capacity = storage.size() - 3;
        m_count = 0;
    }
    // A change at pos; a second change at the same position undoes the first (a run of
    // length zero). Positions at the row's end are not changes.
    void Add(uint64_t pos, uint64_t width) {
        if (pos >= width) return;
        if (m_count > 0 && m_pos[m_count - 1] == pos) {
            --m_count;
            return;
        }
        if (m_count == m_capacity) Invalid();
        m_pos[m_count++] = uint32_t(pos);
    }
    // A change right of every change so far.
    void AddRightOfLast(uint64_t pos, uint64_t width) {
        if (pos >= width) return;
        if (m_count == m_capacity) Invalid();
        m_pos[m_count++] = uint32_t(pos);
    }
    void Close(uint64_t width) {
        for (int i = 0; i < 3; ++i) m_pos[m_count + size_t(i)] = uint32_t(width);
    }
    const uint32_t* Data() const { return m_pos; }
    size_t Count() const { return m_count; }

private:
    uint32_t* m_pos = nullptr;
    size_t m_capacity = 0;
    size_t m_count = 0;
};

// One run of the given colour (make-up codes and a terminating code), at most limit.
uint64_t ReadRun(FaxBits& in, const RunCodes::Entry* table, uint64_t limit) {
    uint64_t run = 0;
    for (;;) {
        in.Fill();
        const RunCodes::Entry& e = table[in.Peek(RunCodes::kPeekBits)];
        if (e.kind == RunCodes::kZeros) {
            // Eight zeros and a one open an extension: uncompressed mode.
            if (in.Peek(9) == 1) RaiseError(ImageError::kBadCompression);
            Invalid();
        }
        if (e.kind == RunCodes::kInvalid) Invalid();
        in.Skip(e.length);
        run += e.run;
        if (run > limit) Invalid();
        if (e.kind == RunCodes::kTerminating) return run;
    }
}

void DecodeOneDimensional(FaxBits& in, const RunCodes::Tables& runs, uint64_t width, Changes& row) {
    uint64_t x = 0;
    int colour = 0;
    while (x < width) {
        x += ReadRun(in, runs.colour[colour], width - x);
        row.Add(x, width);
        colour ^= 1;
    }
}

// Decodes a row against the reference row's changes (closed by copies of the width).
void DecodeTwoDimensional(FaxBits& stream, const ModeTable& modes, const RunCodes::Tables& runs, uint64_t width,
                          const uint32_t* reference, Changes& row) {
    FaxBits in = stream;  // a local copy the compiler can keep in registers
    int64_t a0 = -1;      // before the row's first pixel
    int colour = 0;
    size_t next = 0;  // the first reference change right of a0
    const int64_t w = int64_t(width);
    while (a0 < w) {
        while (int64_t(reference[next]) <= a0) ++next;
        // b1: the first change right of a0 to the colour opposite a0's. Changes at even
        // indices turn white to black.
        size_t b1 = next + ((next & 1) != size_t(colour));
        in.Fill();
        const ModeEntry& m = modes.entries[in.Peek(7)];
        if (m.mode == kVertical) {  // by far the most frequent mode: tested first
            in.Skip(m.length);
            int64_t a1 = int64_t(reference[b1]) + m.delta;
            if (a1 <= a0 || a1 > w) Invalid();
            row.AddRightOfLast(uint64_t(a1), width);
            a0 = a1;
            colour ^= 1;
        } else if (m.mode == kHorizontal) {
            in.Skip(m.length);
            uint64_t start = uint64_t(std::max<int64_t>(a0, 0));
            uint64_t a1 = start + ReadRun(in, runs.colour[colour], width - start);
            uint64_t a2 = a1 + ReadRun(in, runs.colour[colour ^ 1], width - a1);
            row.Add(a1, width);
            row.Add(a2, width);
            a0 = int64_t(a2);
        } else if (m.mode == kPass) {
            in.Skip(m.length);
            a0 = reference[b1 + 1];
        } else if (m.mode == kExtension) {
            RaiseError(ImageError::kBadCompression);
        } else {
            Invalid();  // an end of line (or zeros) inside a row
        }
        if (in.Ended()) Invalid();
    }
    stream = in;
}

// Sets pixels [from, to) of row to 0 (black); the rest of the row is left alone.
void FillInk(uint8_t* row, uint64_t from, uint64_t to) {
    if (from >= to) return;
    uint64_t firstByte = from / 8, lastByte = (to - 1) / 8;
    uint8_t head = uint8_t(0xFF >> (from % 8));
    uint8_t tail = uint8_t(0xFF << (7 - (to - 1) % 8));
    if (firstByte == lastByte) {
        row[firstByte] &= uint8_t(~(head & tail));
        return;
    }
    row[firstByte] &= uint8_t(~head);
    std::memset(row + firstByte + 1, 0, size_t(lastByte - firstByte - 1));
    row[lastByte] &= uint8_t(~tail);
}

// Writes a row from its changes: white as 1 bits, cut to the stored width.
void Render(const Changes& changes, uint64_t storedWidth, std::vector<uint8_t>& row) {
    std::fill(row.begin(), row.end(), 0xFF);
    const uint32_t* pos = changes.Data();
    const size_t n = changes.Count();
    for (size_t i = 0; i < n; i += 2) {
        uint64_t from = pos[i];
        if (from >= storedWidth) break;
        uint64_t to = i + 1 < n ? pos[i + 1] : storedWidth;  // the row ends black
        FillInk(row.data(), from, std::min(to, storedWidth));
    }
}

}  // namespace

void CcittDecoder::Decode(const uint8_t* data, size_t n, uint64_t rowWidth, FaxCoding coding,
                          BlockStore& store) {
    if (rowWidth > 0xFFFFFFFFu) Invalid();
    // A row has fewer changes than pixels, and every change costs at least a bit of code.
    const size_t capacity = size_t(std::min<uint64_t>(rowWidth, uint64_t(n) * 8)) + 3;
    m_reference.assign(capacity, 0);
    m_current.assign(capacity, 0);
    m_row.assign(store.StoredRowBytes(), 0);
    const uint64_t storedWidth = store.StoredWidth();
    const RunCodes::Tables& runs = RunCodes::GetTables();
    const ModeTable& modes = Modes();

    Changes reference, current;
    reference.Reset(m_reference);
    reference.Close(rowWidth);  // the row above the first is white
    FaxBits in(data, n);
    while (!store.Complete()) {
        bool twoDimensional = coding == FaxCoding::kGroup4;
        if (coding != FaxCoding::kGroup4) {
            bool eol = false;
            while (in.SkipEol()) {
                eol = true;
                if (coding == FaxCoding::kGroup3TwoD) {
                    in.Fill();
                    twoDimensional = in.Peek(1) == 0;  // the bit after the end of line
                    in.Skip(1);
                }
            }
            if (in.Exhausted()) return;
            // Two-dimensional rows say in their end-of-line code how they are coded.
            if (coding == FaxCoding::kGroup3TwoD && !eol) Invalid();
        } else if (in.Exhausted()) {
            return;
        }
        current.Reset(m_current);
        if (twoDimensional)
            DecodeTwoDimensional(in, modes, runs, rowWidth, reference.Data(), current);
        else
            DecodeOneDimensional(in, runs, rowWidth, current);
        if (in.Ended()) Invalid();
        current.Close(rowWidth);
        Render(current, storedWidth, m_row);
        store.PutRow(m_row.data());
        std::swap(m_reference, m_current);
        std::swap(reference, current);
    }
}
