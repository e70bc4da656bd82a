#include "PsTokenReader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "BufferedFile.h"

namespace {

constexpr size_t kWindowSize = 64 * 1024;

// Character classes of the tokenizer, one table lookup per byte.
enum : uint8_t { kSpace = 1, kDelimiter = 2 };

struct CharTable {
    uint8_t cls[256] = {};
    constexpr CharTable() {
        for (int c = 0; c < 0x21; ++c) cls[c] = kSpace;
        for (char d : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) cls[uint8_t(d)] = kDelimiter;
    }
};
constexpr CharTable kChars;

bool IsNameChar(int c) { return kChars.cls[uint8_t(c)] == 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

long SaturateToLong(double v) {
    constexpr double kMax = double(std::numeric_limits<long>::max());
    if (std::isnan(v)) return 0;
    if (v >= kMax) return std::numeric_limits<long>::max();
    if (v <= -kMax) return std::numeric_limits<long>::min();
    return long(v);  // truncates towards zero
}

// Optional '-' and decimal digits (none at all passes too: a lone "-" is a failed number).
bool LooksInteger(const char* s, size_t n) {
    size_t i = (n > 0 && s[0] == '-') ? 1 : 0;
    for (; i < n; ++i)
        if (!IsDigit(s[i])) return false;
    return true;
}

// base#digits with a decimal base from 2 to 26 and digits 0 to 9. Returns the base or 0.
int RadixBase(const char* s, size_t n) {
    const void* hash = std::memchr(s, '#', n);
    if (!hash) return 0;
    size_t h = size_t(static_cast<const char*>(hash) - s);
    if (h == 0 || h > 2 || h + 1 >= n) return 0;
    int base = 0;
    for (size_t i = 0; i < h; ++i) {
        if (!IsDigit(s[i])) return 0;
        base = base * 10 + (s[i] - '0');
    }
    if (base < 2 || base > 26) return 0;
    for (size_t i = h + 1; i < n; ++i)
        if (!IsDigit(s[i])) return 0;
    return base;
}

// Digits with at most one '.', an optional leading '-', and at most one exponent mark
// after at least one digit, optionally followed by '-' and digits.
bool LooksReal(const char* s, size_t n) {
    size_t i = (n > 0 && s[0] == '-') ? 1 : 0;
    bool dot = false, digit = false, exponent = false;
    for (; i < n; ++i) {
        char c = s[i];
        if (IsDigit(c)) {
            digit = true;
        } else if (c == '.' && !dot && !exponent) {
            dot = true;
        } else if ((c == 'e' || c == 'E') && digit && !exponent) {
            exponent = true;
            if (i + 1 < n && s[i + 1] == '-') ++i;
        } else {
            return false;
        }
    }
    return dot || exponent;
}

}  // namespace

PsTokenReader::PsTokenReader(BufferedFile& file) : m_pFile(&file), m_buffer(kWindowSize) {
    m_nWinStart = file.tell();
}

PsTokenReader::PsTokenReader(const uint8_t* data, size_t size) : m_pData(data), m_nDataSize(size) {
    m_pWin = data;
    m_nWinLen = data ? size : 0;
}

bool PsTokenReader::Refill() {
    if (m_bAtEnd) return false;
    if (!m_pFile) {
        m_bAtEnd = true;  // a memory block is one window
        return false;
    }
    m_nWinStart += m_nWinLen;
    m_nPos = 0;
    m_nWinLen = 0;
    long got = -1;
    if (m_pFile->seek(m_nWinStart)) got = m_pFile->readSome(m_buffer.data(), m_buffer.size());
    if (got <= 0) {
        if (got < 0) m_bReadFailed = true;
        m_bAtEnd = true;
        return false;
    }
    m_pWin = m_buffer.data();
    m_nWinLen = size_t(got);
    return true;
}

int PsTokenReader::Get() {
    if (m_nPos >= m_nWinLen && !Refill()) {
        // Keep Unget() after the end harmless: the position stays one past the end.
        m_nPos = m_nWinLen + 1;
        return -1;
    }
    return m_pWin[m_nPos++];
}

void PsTokenReader::Seek(uint64_t pos) {
    if (pos >= m_nWinStart && pos <= m_nWinStart + m_nWinLen) {
        m_nPos = size_t(pos - m_nWinStart);
        return;
    }
    if (!m_pFile) return;  // a memory block is one window; nothing lies outside it
    m_nWinStart = pos;
    m_nWinLen = 0;
    m_nPos = 0;
    m_bAtEnd = false;
}

bool PsTokenReader::SeekText(const char* text) {
    const size_t n = std::strlen(text);
    if (n == 0) return true;
    // Knuth-Morris-Pratt: one pass, no re-reading, and a mismatch never skips a
    // possible start (in "%%!PS" the match begins at the second '%').
    std::vector<size_t> fail(n, 0);
    for (size_t i = 1, k = 0; i < n; ++i) {
        while (k > 0 && text[i] != text[k]) k = fail[k - 1];
        if (text[i] == text[k]) ++k;
        fail[i] = k;
    }
    size_t matched = 0;
    for (;;) {
        int c = Get();
        if (c < 0) {
            Unget();
            return false;
        }
        while (matched > 0 && char(c) != text[matched]) matched = fail[matched - 1];
        if (char(c) == text[matched]) ++matched;
        if (matched == n) {
            Seek(Tell() - n);
            return true;
        }
    }
}

bool PsTokenReader::SkipToComment(const char* text) {
    char token[kTokenBufferSize];
    for (;;) {
        int type = NextToken(token, sizeof token);
        if (type == kPsEnd) return false;
        if (type == kPsComment && !m_bContinuation && std::strcmp(token, text) == 0) return true;
    }
}

int PsTokenReader::NextToken(char* buffer, size_t size) {
    m_bContinuation = false;
    // Room for at least one byte of text, so that every call makes progress.
    if (!buffer || size < 2) return kPsEnd;
    buffer[0] = '\0';
    const size_t cap = size - 1;

    if (m_pending != Pending::None) {
        const Pending p = m_pending;
        m_pending = Pending::None;
        m_bContinuation = true;
        if (p == Pending::String) return ReadString(buffer, cap);
        buffer[ReadName(buffer, cap, 0)] = '\0';
        if (p == Pending::Literal && m_pending == Pending::Name) m_pending = Pending::Literal;
        return p == Pending::Literal ? kPsLiteral : kPsOther;
    }

    int c;
    do {
        c = Get();
        if (c < 0) return kPsEnd;
    } while (kChars.cls[c] == kSpace);

    switch (c) {
        case '%': return ReadComment(buffer, cap);
        case '(':
            m_nStringDepth = 1;
            m_bEscapePending = false;
            return ReadString(buffer, cap);
        case '<': return ReadHexString(buffer, cap);
        case '[': return kPsArrayOpen;
        case ']':
        case '>': return kPsArrayClose;
        case '{': return kPsProcOpen;
        case '}': return kPsProcClose;
        case ')':
            // A stray closing parenthesis: an operator nobody knows.
            buffer[0] = ')';
            buffer[1] = '\0';
            return kPsOther;
        case '/': {
            size_t len = ReadName(buffer, cap, 0);
            buffer[len] = '\0';
            if (m_pending == Pending::Name) m_pending = Pending::Literal;
            return kPsLiteral;
        }
        default: break;
    }

    size_t len = 0;
    buffer[len++] = char(c);
    len = ReadName(buffer, cap, len);
    buffer[len] = '\0';
    if (m_pending != Pending::None) return kPsOther;  // a cut name is never a number
    return Classify(buffer, len);
}

size_t PsTokenReader::ReadName(char* buf, size_t cap, size_t len) {
    for (;;) {
        int c = Get();
        if (c < 0 || !IsNameChar(c)) {
            Unget();
            return len;
        }
        if (len >= cap) {
            Unget();
            m_pending = Pending::Name;
            return len;
        }
        buf[len++] = char(c);
    }
}

int PsTokenReader::ReadComment(char* buf, size_t cap) {
    // Leading blanks and control characters are skipped, but never the line end: an
    // empty comment must not swallow the next line.
    int c;
    do {
        c = Get();
    } while (c >= 0 && c < 0x21 && c != '\n' && c != '\r');
    size_t len = 0;
    // The whole line is consumed; text beyond the buffer is dropped, since what follows
    // a '%' on its line is never PostScript code.
    while (c >= 0 && c != '\n' && c != '\r') {
        if (len < cap) buf[len++] = char(c);
        c = Get();
    }
    buf[len] = '\0';
    return kPsComment;
}

int PsTokenReader::ReadString(char* buf, size_t cap) {
    size_t len = 0;
    for (;;) {
        int c = Get();
        if (c < 0) break;  // unterminated: what was read is the string
        const bool escaped = m_bEscapePending;
        if (!escaped && c == ')' && --m_nStringDepth == 0) break;
        const bool lineEnd = c == '\n' || c == '\r';
        const size_t need = lineEnd ? 2 : 1;
        if (len + need > cap) {
            if (!escaped && c == ')') ++m_nStringDepth;
            Unget();
            m_pending = Pending::String;
            break;
        }
        m_bEscapePending = false;
        if (lineEnd) {
            buf[len++] = '\\';
            buf[len++] = c == '\n' ? 'n' : 'r';
            continue;
        }
        buf[len++] = char(c);
        if (escaped) continue;
        if (c == '\\') {
            m_bEscapePending = true;  // the next byte never opens or closes a nesting level
        } else if (c == '(') {
            ++m_nStringDepth;
        }
    }
    buf[len] = '\0';
    return kPsString;
}

int PsTokenReader::ReadHexString(char* buf, size_t cap) {
    // Consumed up to its '>' whatever its length, so that hex data never turns into code.
    size_t len = 0;
    for (;;) {
        int c = Get();
        if (c < 0 || c == '>') break;
        if (IsHexDigit(c) && len < cap) buf[len++] = char(c);
    }
    buf[len] = '\0';
    return kPsHexString;
}

int PsTokenReader::Classify(const char* text, size_t len) {
    if (LooksInteger(text, len)) {
        const bool negative = text[0] == '-';
        const size_t first = negative ? 1 : 0;
        if (first == len) {
            m_bBadNumber = true;
            return kPsEnd;
        }
        double v = 0;
        for (size_t i = first; i < len; ++i) v = v * 10 + (text[i] - '0');
        m_dValue = negative ? -v : v;
        m_nValue = SaturateToLong(m_dValue);
        return kPsInteger;
    }
    if (int base = RadixBase(text, len)) {
        // Each digit counts digit x base^place; a digit above the base is taken as it is.
        const char* digits = static_cast<const char*>(std::memchr(text, '#', len)) + 1;
        double v = 0;
        for (const char* p = digits; p < text + len; ++p) v = v * base + (*p - '0');
        m_dValue = v;
        m_nValue = SaturateToLong(v);
        return kPsInteger;
    }
    if (LooksReal(text, len)) {
        double v = 0;
        auto [end, ec] = std::from_chars(text, text + len, v, std::chars_format::general);
        if (ec == std::errc::result_out_of_range) {
            // Too large or too small for a double: infinity or zero with its sign.
            const char* mark = text;
            while (mark < text + len && *mark != 'e' && *mark != 'E') ++mark;
            const bool tiny = mark + 1 < text + len && mark[1] == '-';
            v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
            if (text[0] == '-') v = -v;
        } else if (ec != std::errc() || end == text) {
            m_bBadNumber = true;
            return kPsEnd;
        }
        m_dValue = v;
        m_nValue = SaturateToLong(v);
        return kPsReal;
    }
    return kPsOther;
}
