// CCITT Group 3 one-dimensional (modified Huffman) decoding with 13-bit lookup tables,
// one per colour, built once from the run-length code lists. The tables serve the
// two-dimensional decoder's horizontal mode as well.
#include <cstring>

#include "Error.h"
#include "ImageErrors.h"
#include "RunCodeTables.h"
#include "TiffDecoders.h"

namespace {

struct RunCode {
    const char* bits;
    uint16_t run;
};

// Terminating codes, run lengths 0 to 63.
const char* const kWhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100",
};

const char* const kBlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",
    "0011",         "0010",         "00011",        "000101",       "000100",
    "0000100",      "0000101",      "0000111",      "00000100",     "00000111",
    "000011000",    "0000010111",   "0000011000",   "0000001000",   "00001100111",
    "00001101000",  "00001101100",  "00000110111",  "00000101000",  "00000010111",
    "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010",
    "000011010011", "000011010100", "000011010101", "000011010110", "000011010111",
    "000001101100", "000001101101", "000011011010", "000011011011", "000001010100",
    "000001010101", "000001010110", "000001010111", "000001100100", "000001100101",
    "000001010010", "000001010011", "000000100100", "000000110111", "000000111000",
    "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111",
};

// Make-up codes, run lengths 64 to 1728 in steps of 64.
const char* const kWhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011",
};

const char* const kBlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101",
};

// Extended make-up codes shared by both colours, run lengths 1792 to 2560.
const RunCode kExtendedMakeUp[13] = {
    {"00000001000", 1792},  {"00000001100", 1856},  {"00000001101", 1920},
    {"000000010010", 1984}, {"000000010011", 2048}, {"000000010100", 2112},
    {"000000010101", 2176}, {"000000010110", 2240}, {"000000010111", 2304},
    {"000000011100", 2368}, {"000000011101", 2432}, {"000000011110", 2496},
    {"000000011111", 2560},
};

constexpr int kEolZeros = 11;  // an end-of-line code is 11 zeros and a one

using namespace RunCodes;

void Add(Entry* table, const char* bits, uint16_t run, Kind kind) {
    unsigned length = unsigned(std::strlen(bits));
    unsigned code = 0;
    for (unsigned i = 0; i < length; ++i) code = code * 2 + unsigned(bits[i] - '0');
    unsigned first = code << (kPeekBits - length);
    unsigned count = 1u << (kPeekBits - length);
    for (unsigned i = 0; i < count; ++i) table[first + i] = Entry{run, uint8_t(length), kind};
}

}  // namespace

const RunCodes::Tables& RunCodes::GetTables() {
    static const Tables* tables = [] {
        auto* t = new Tables;
        for (int c = 0; c < 2; ++c) {
            Entry* table = t->colour[c];
            // Eight leading zeros start no code but an end of line (with fill).
            for (unsigned i = 0; i < (1u << (kPeekBits - 8)); ++i) table[i].kind = kZeros;
            const char* const* terminating = c == 0 ? kWhiteTerminating : kBlackTerminating;
            const char* const* makeUp = c == 0 ? kWhiteMakeUp : kBlackMakeUp;
            for (int run = 0; run < 64; ++run) Add(table, terminating[run], uint16_t(run), kTerminating);
            for (int i = 0; i < 27; ++i) Add(table, makeUp[i], uint16_t(64 * (i + 1)), kMakeUp);
            for (const RunCode& e : kExtendedMakeUp) Add(table, e.bits, e.run, kMakeUp);
        }
        return t;
    }();
    return *tables;
}

namespace {

// Reads bits most significant first from a byte buffer.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t n) : m_data(data), m_bits(uint64_t(n) * 8) {}
    uint64_t Left() const { return m_bits - m_pos; }
    unsigned Peek13() const {
        size_t byte = size_t(m_pos >> 3);
        size_t bytes = size_t(m_bits >> 3);
        uint32_t window = 0;
        for (size_t i = 0; i < 3; ++i)
            window = (window << 8) | (byte + i < bytes ? m_data[byte + i] : 0u);
        return (window >> (11 - (m_pos & 7))) & 0x1FFF;
    }
    bool Bit() const { return (m_data[m_pos >> 3] >> (7 - (m_pos & 7))) & 1; }
    void Skip(uint64_t n) { m_pos += n; }
    void AlignToByte() { m_pos = std::min(m_bits, (m_pos + 7) & ~uint64_t(7)); }

private:
    const uint8_t* m_data;
    uint64_t m_bits;
    uint64_t m_pos = 0;
};

// Sets pixels [from, to) of row to paper (1 bits); the row is clear (ink) beforehand.
void FillPaper(uint8_t* row, uint64_t from, uint64_t to) {
    if (from >= to) return;
    uint64_t firstByte = from / 8, lastByte = (to - 1) / 8;
    uint8_t head = uint8_t(0xFF >> (from % 8));
    uint8_t tail = uint8_t(0xFF << (7 - (to - 1) % 8));
    if (firstByte == lastByte) {
        row[firstByte] |= uint8_t(head & tail);
        return;
    }
    row[firstByte] |= head;
    std::memset(row + firstByte + 1, 0xFF, size_t(lastByte - firstByte - 1));
    row[lastByte] |= tail;
}

}  // namespace

void DecodeModifiedHuffman(const uint8_t* data, size_t n, uint64_t rowWidth, BlockStore& store) {
    const Tables& tables = RunCodes::GetTables();
    BitReader in(data, n);
    std::vector<uint8_t> row(store.StoredRowBytes());
    const uint64_t storedWidth = store.StoredWidth();

    while (!store.Complete()) {
        in.AlignToByte();
        if (in.Left() == 0) return;
        std::fill(row.begin(), row.end(), 0);
        uint64_t x = 0;
        uint64_t pending = 0;  // make-up length waiting for its terminating code
        int colour = 0;
        for (;;) {
            if (in.Left() == 0) return;  // the data ends inside the row
            const Entry& e = tables.colour[colour][in.Peek13()];
            if (e.kind == kZeros) {
                // An end-of-line code, possibly after fill zeros; anything else is invalid.
                uint64_t zeros = 0;
                while (in.Left() > 0 && !in.Bit()) {
                    in.Skip(1);
                    ++zeros;
                }
                if (zeros < kEolZeros) RaiseError(ImageError::kInvalidData);
                if (in.Left() == 0) return;  // trailing fill
                in.Skip(1);
                pending = 0;
                continue;
            }
            if (e.kind == kInvalid || e.length > in.Left()) RaiseError(ImageError::kInvalidData);
            in.Skip(e.length);
            pending += e.run;
            if (pending > rowWidth - x) RaiseError(ImageError::kInvalidData);
            if (e.kind == kMakeUp) continue;
            uint64_t end = x + pending;
            if (colour == 0) FillPaper(row.data(), std::min(x, storedWidth), std::min(end, storedWidth));
            x = end;
            pending = 0;
            colour ^= 1;
            if (x == rowWidth) break;
        }
        store.PutRow(row.data());
    }
}
