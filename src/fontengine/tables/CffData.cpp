#include "CffData.h"

#include <array>
#include <cstdlib>
#include <unordered_map>

namespace Cff {

namespace {

size_t ReadOffset(const uint8_t* p, int offSize) {
    size_t v = 0;
    for (int i = 0; i < offSize; ++i) v = (v << 8) | p[i];
    return v;
}

void PutOffset(std::vector<uint8_t>& out, size_t v, int offSize) {
    for (int i = offSize - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

// A real operand: nibbles of digits, point, exponent and sign, ended by 0xF.
bool ReadReal(const uint8_t*& p, const uint8_t* end, double& value) {
    static const char* const kNibbles[] = {"0", "1", "2", "3", "4", "5", "6", "7",
                                           "8", "9", ".", "E", "E-", "",  "-", ""};
    std::string text;
    while (p < end) {
        uint8_t b = *p++;
        for (int nibble : {b >> 4, b & 15}) {
            if (nibble == 15) {
                value = std::strtod(text.c_str(), nullptr);
                return true;
            }
            if (nibble == 13 || text.size() > 64) return false;
            text += kNibbles[nibble];
        }
    }
    return false;
}

}  // namespace

bool Index::read(const uint8_t* data, size_t size, size_t offset) {
    m_starts.clear();
    m_offset = m_end = offset;
    if (offset > size || size - offset < 2) return false;
    const size_t count = size_t(data[offset]) << 8 | data[offset + 1];
    m_base = data + offset + 2;
    m_end = offset + 2;
    if (count == 0) return true;
    if (size - m_end < 1) return false;
    const int offSize = data[m_end];
    if (offSize < 1 || offSize > 4) return false;
    const size_t table = m_end + 1;
    if ((size - table) / size_t(offSize) < count + 1) return false;
    const size_t dataStart = table + (count + 1) * size_t(offSize) - 1;  // offsets count from 1
    m_base = data + dataStart;
    m_starts.resize(count + 1);
    for (size_t i = 0; i <= count; ++i) {
        size_t v = ReadOffset(data + table + i * size_t(offSize), offSize);
        if (v < 1 || (i > 0 && v < m_starts[i - 1]) || v > size - dataStart) {
            m_starts.clear();
            return false;
        }
        m_starts[i] = v;
    }
    if (m_starts[0] != 1) {
        m_starts.clear();
        return false;
    }
    m_end = dataStart + m_starts[count];
    return true;
}

void WriteIndex(std::vector<uint8_t>& out, const std::vector<std::string_view>& items) {
    out.push_back(uint8_t(items.size() >> 8));
    out.push_back(uint8_t(items.size()));
    if (items.empty()) return;
    size_t total = 1;
    for (auto item : items) total += item.size();
    int offSize = total <= 0xFF ? 1 : total <= 0xFFFF ? 2 : total <= 0xFFFFFF ? 3 : 4;
    out.push_back(uint8_t(offSize));
    size_t at = 1;
    PutOffset(out, at, offSize);
    for (auto item : items) PutOffset(out, at += item.size(), offSize);
    for (auto item : items) out.insert(out.end(), item.begin(), item.end());
}

bool Dict::read(const uint8_t* data, size_t size) {
    m_entries.clear();
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    DictEntry entry;
    while (p < end) {
        const uint8_t* start = p;
        uint8_t b0 = *p++;
        if (b0 <= 21) {
            int op = b0;
            if (b0 == 12) {
                if (p >= end) return false;
                op = 1200 + *p++;
            }
            entry.op = op;
            m_entries.push_back(std::move(entry));
            entry = DictEntry{};
            continue;
        }
        double value = 0;
        if (b0 >= 32 && b0 <= 246) {
            value = int(b0) - 139;
        } else if (b0 >= 247 && b0 <= 254) {
            if (p >= end) return false;
            int w = (int(b0) - (b0 <= 250 ? 247 : 251)) * 256 + *p++ + 108;
            value = b0 <= 250 ? w : -w;
        } else if (b0 == 28) {
            if (end - p < 2) return false;
            value = int16_t(uint16_t(p[0] << 8 | p[1]));
            p += 2;
        } else if (b0 == 29) {
            if (end - p < 4) return false;
            value = int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
            p += 4;
        } else if (b0 == 30) {
            if (!ReadReal(p, end, value)) return false;
        } else {
            return false;  // reserved bytes
        }
        // A DICT has at most 48 operands to an operator.
        if (entry.operands.size() >= 48) return false;
        entry.operands.push_back(value);
        entry.raw.insert(entry.raw.end(), start, p);
    }
    return entry.operands.empty();  // operands after the last operator are malformed
}

const DictEntry* Dict::find(int op) const {
    for (const auto& e : m_entries)
        if (e.op == op) return &e;
    return nullptr;
}

double Dict::number(int op, size_t k, double fallback) const {
    const DictEntry* e = find(op);
    return e && k < e->operands.size() ? e->operands[k] : fallback;
}

void Dict::setIntegers(int op, std::initializer_list<int32_t> values) {
    DictEntry* target = nullptr;
    for (auto& e : m_entries)
        if (e.op == op) target = &e;
    if (!target) {
        m_entries.push_back(DictEntry{op, {}, {}});
        target = &m_entries.back();
    }
    target->operands.clear();
    target->raw.clear();
    for (int32_t v : values) {
        target->operands.push_back(v);
        uint32_t u = uint32_t(v);
        target->raw.insert(target->raw.end(), {29, uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)});
    }
}

void Dict::remove(int op) {
    std::erase_if(m_entries, [op](const DictEntry& e) { return e.op == op; });
}

void Dict::write(std::vector<uint8_t>& out) const {
    for (const auto& e : m_entries) {
        out.insert(out.end(), e.raw.begin(), e.raw.end());
        if (e.op >= 1200) {
            out.push_back(12);
            out.push_back(uint8_t(e.op - 1200));
        } else {
            out.push_back(uint8_t(e.op));
        }
    }
}

namespace {
const std::array<const char*, kStandardStringCount>& StandardStrings() {
    static const std::array<const char*, kStandardStringCount> strings = {
#include "CffStandardStrings.inc"
    };
    return strings;
}
}  // namespace

std::string_view StandardString(int sid) {
    return sid >= 0 && sid < kStandardStringCount ? StandardStrings()[size_t(sid)] : std::string_view();
}

int StandardStringId(std::string_view name) {
    static const std::unordered_map<std::string_view, int> ids = [] {
        std::unordered_map<std::string_view, int> m;
        for (int i = 0; i < kStandardStringCount; ++i) m.emplace(StandardStrings()[size_t(i)], i);
        return m;
    }();
    auto it = ids.find(name);
    return it == ids.end() ? -1 : it->second;
}

}  // namespace Cff
