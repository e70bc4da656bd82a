// Import of Illustrator EPS/AI drawings as outlines.
//
// The body of the file (after the prolog, without the setup section) is read as a token
// stream; the path operators m, l, L, c, C, v, V, y and Y become outline nodes in tenths
// of a PostScript point, y up. Everything else (painting, colour, text) is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Outline.h"

namespace EpsError {
constexpr int kOk = 0;
constexpr int kInvalidData = 1024;    // not an Illustrator EPS file, or a damaged one
constexpr int kOtherIo = 2000;
constexpr int kFileNotFound = 2001;
constexpr int kPathNotFound = 2002;
constexpr int kTooManyFiles = 2003;
constexpr int kAccessDenied = 2004;
constexpr int kNoMemory = 2005;
constexpr int kReadError = 2006;
}  // namespace EpsError

// The operand stack of the import: up to 100 numbers, each held in tenths of a point.
class PsOperandStack {
public:
    static constexpr int kCapacity = 100;

    // Converts v to tenths (nearest tenth, a half rounding down) and pushes it. A number
    // outside the 16-bit range is kept, marked, so that only an operator that would make
    // it a coordinate fails. When the stack is full the number is dropped (false).
    bool Push(double v);
    // The entry k places below the top (0 = top); the caller checks Count().
    int16_t Peek(int k) const { return m_values[m_nCount - 1 - k]; }
    // Whether the entry k places below the top fits in 16 bits.
    bool InRange(int k) const { return m_inRange[m_nCount - 1 - k]; }
    void Drop(int n);
    void Clear() { m_nCount = 0; }
    int Count() const { return m_nCount; }

    // ceil(v * 10 - 0.5) into out; false when it is outside the 16-bit range.
    static bool ToTenths(double v, int16_t& out);

private:
    int16_t m_values[kCapacity] = {};
    bool m_inRange[kCapacity] = {};
    int m_nCount = 0;
};

// Reads an Illustrator EPS/AI file. Returns the outline, or null with the reason in
// *pError (when given): 1024 for a file that is not such a drawing or is damaged, the
// file codes 2000 to 2006 when it cannot be opened or read.
std::unique_ptr<Outline> ReadEpsOutline(const std::string& path, int* pError = nullptr);
// The same for a file already in memory.
std::unique_ptr<Outline> ReadEpsOutlineFromMemory(const uint8_t* data, size_t size,
                                                  int* pError = nullptr);

