// The building blocks of a Compact Font Format table: INDEX structures (counted lists
// of byte strings), DICTs (operand and operator lists), and their encodings.
//
// Every offset and count is checked against the table's bytes when read, so a damaged
// table is refused instead of read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Cff {

// An INDEX read from a table: its items as ranges of the table's bytes.
class Index {
public:
    // Reads the INDEX at offset of data; false when it does not fit.
    bool read(const uint8_t* data, size_t size, size_t offset);

    size_t count() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }
    // Item i's bytes; i < count().
    const uint8_t* item(size_t i) const { return m_base + m_starts[i]; }
    size_t itemSize(size_t i) const { return m_starts[i + 1] - m_starts[i]; }
    std::string_view text(size_t i) const { return {reinterpret_cast<const char*>(item(i)), itemSize(i)}; }
    // Where the INDEX begins and ends in the table.
    size_t offset() const { return m_offset; }
    size_t end() const { return m_end; }

private:
    const uint8_t* m_base = nullptr;  // the byte before the first item's data
    std::vector<size_t> m_starts;     // count + 1 offsets, relative to m_base
    size_t m_offset = 0;
    size_t m_end = 0;
};

// Appends an INDEX of items to out, with the smallest offset size that holds them.
void WriteIndex(std::vector<uint8_t>& out, const std::vector<std::string_view>& items);

// DICT operators: one byte, or 12 and a second byte (stored as 1200 + that byte).
namespace Op {
constexpr int kCharset = 15;
constexpr int kEncoding = 16;
constexpr int kCharStrings = 17;
constexpr int kPrivate = 18;
constexpr int kSubrs = 19;
constexpr int kDefaultWidthX = 20;
constexpr int kNominalWidthX = 21;
constexpr int kCharstringType = 1206;
constexpr int kROS = 1230;
constexpr int kCIDCount = 1234;
constexpr int kFDArray = 1236;
constexpr int kFDSelect = 1237;
}  // namespace Op

struct DictEntry {
    int op = 0;
    std::vector<double> operands;
    std::vector<uint8_t> raw;  // the operands' own bytes, for writing them back unchanged
};

// A DICT as its entries in order.
class Dict {
public:
    // Parses size bytes; false on a malformed DICT.
    bool read(const uint8_t* data, size_t size);

    const DictEntry* find(int op) const;
    // The operand k of op, or fallback when op is absent or has fewer operands.
    double number(int op, size_t k = 0, double fallback = 0) const;
    bool has(int op) const { return find(op) != nullptr; }

    // Sets op to integer operands written at full width (5 bytes each), so that the
    // DICT's size does not depend on their values; the entry is added when missing.
    void setIntegers(int op, std::initializer_list<int32_t> values);
    void remove(int op);
    // Appends the encoded DICT.
    void write(std::vector<uint8_t>& out) const;

    std::vector<DictEntry>& entries() { return m_entries; }

private:
    std::vector<DictEntry> m_entries;
};

// The 391 predefined strings; string ids from 391 on are the String INDEX's.
constexpr int kStandardStringCount = 391;
std::string_view StandardString(int sid);
// The id of a predefined string, -1 when the name is not one.
int StandardStringId(std::string_view name);

}  // namespace Cff
