// Bounded big-endian access to a table's bytes in memory. Tables read their bytes in
// one transfer and parse them here, so no field is ever read outside the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Reads fields in order; any read past the end yields 0 and clears ok().
class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : m_p(data), m_nSize(size) {}
    explicit ByteCursor(const std::vector<uint8_t>& bytes) : ByteCursor(bytes.data(), bytes.size()) {}

    bool ok() const { return m_bOk; }
    size_t pos() const { return m_nPos; }
    size_t size() const { return m_nSize; }
    size_t remaining() const { return m_nSize - m_nPos; }
    bool seek(size_t pos) {
        if (pos > m_nSize) return m_bOk = false;
        m_nPos = pos;
        return true;
    }
    bool skip(size_t n) { return need(n) ? (m_nPos += n, true) : false; }

    uint8_t u8() { return need(1) ? m_p[m_nPos++] : 0; }
    int8_t s8() { return int8_t(u8()); }
    uint16_t u16() {
        if (!need(2)) return 0;
        uint16_t v = uint16_t((m_p[m_nPos] << 8) | m_p[m_nPos + 1]);
        m_nPos += 2;
        return v;
    }
    int16_t s16() { return int16_t(u16()); }
    uint32_t u32() {
        if (!need(4)) return 0;
        const uint8_t* p = m_p + m_nPos;
        m_nPos += 4;
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    bool bytes(void* dest, size_t n) {
        if (!need(n)) return false;
        if (n) std::memcpy(dest, m_p + m_nPos, n);
        m_nPos += n;
        return true;
    }
    const uint8_t* here() const { return m_p + m_nPos; }

private:
    bool need(size_t n) {
        if (m_bOk && n <= m_nSize - m_nPos) return true;
        return m_bOk = false;
    }

    const uint8_t* m_p;
    size_t m_nSize;
    size_t m_nPos = 0;
    bool m_bOk = true;
};

// Appends big-endian fields to a byte vector.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : m_out(out) {}
    ByteWriter& u8(uint8_t v) {
        m_out.push_back(v);
        return *this;
    }
    ByteWriter& u16(uint16_t v) {
        m_out.push_back(uint8_t(v >> 8));
        m_out.push_back(uint8_t(v));
        return *this;
    }
    ByteWriter& s16(int16_t v) { return u16(uint16_t(v)); }
    ByteWriter& u32(uint32_t v) {
        u16(uint16_t(v >> 16));
        return u16(uint16_t(v));
    }
    ByteWriter& bytes(const void* src, size_t n) {
        const auto* p = static_cast<const uint8_t*>(src);
        m_out.insert(m_out.end(), p, p + n);
        return *this;
    }
    size_t size() const { return m_out.size(); }

private:
    std::vector<uint8_t>& m_out;
};
