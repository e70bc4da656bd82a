#include "CmapCodes.h"

#include <iconv.h>

#include <array>
#include <mutex>

const uint16_t MacRomanToUnicode[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

namespace {

std::optional<uint32_t> MacRomanCode(uint32_t unicode) {
    if (unicode < 0x80) return unicode;
    for (uint32_t b = 0; b < 128; ++b)
        if (MacRomanToUnicode[b] == unicode) return 0x80 + b;
    return std::nullopt;
}

// The multi-byte encodings, by the name iconv knows them under.
enum class Multibyte { ShiftJis, Big5, Gbk, Wansung, Johab, MacJapanese, MacTradChinese, MacKorean, MacSimpChinese, Count };

const char* IconvName(Multibyte m) {
    switch (m) {
    case Multibyte::ShiftJis: return "CP932";
    case Multibyte::Big5: return "CP950";
    case Multibyte::Gbk: return "GBK";
    case Multibyte::Wansung: return "CP949";
    case Multibyte::Johab: return "JOHAB";
    case Multibyte::MacJapanese: return "SHIFT_JIS";
    case Multibyte::MacTradChinese: return "BIG5";
    case Multibyte::MacKorean: return "EUC-KR";
    case Multibyte::MacSimpChinese: return "EUC-CN";
    case Multibyte::Count: break;
    }
    return nullptr;
}

// One conversion from UTF-32 per encoding, opened on first use and kept: a build asks
// for one character, the tests for many.
std::optional<uint32_t> MultibyteCode(Multibyte m, uint32_t unicode) {
    static std::mutex lock;
    static std::array<iconv_t, size_t(Multibyte::Count)> open = [] {
        std::array<iconv_t, size_t(Multibyte::Count)> a;
        a.fill(iconv_t(nullptr));
        return a;
    }();
    std::lock_guard<std::mutex> guard(lock);
    iconv_t& cd = open[size_t(m)];
    if (cd == iconv_t(nullptr)) cd = iconv_open(IconvName(m), "UTF-32BE");
    if (cd == iconv_t(-1)) return std::nullopt;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[4] = {char(unicode >> 24), char(unicode >> 16), char(unicode >> 8), char(unicode)};
    char out[8];
    char* src = in;
    char* dst = out;
    size_t inLeft = sizeof in, outLeft = sizeof out;
    if (iconv(cd, &src, &inLeft, &dst, &outLeft) == size_t(-1)) return std::nullopt;
    if (iconv(cd, nullptr, nullptr, &dst, &outLeft) == size_t(-1)) return std::nullopt;
    size_t n = size_t(dst - out);
    // Character maps of these encodings hold one- and two-byte codes only.
    if (n == 1) return uint8_t(out[0]);
    if (n == 2) return uint32_t(uint8_t(out[0])) << 8 | uint8_t(out[1]);
    return std::nullopt;
}

}  // namespace

std::optional<uint32_t> CodeInEncoding(uint16_t platformID, uint16_t encodingID, uint32_t unicode) {
    switch (platformID) {
    case 0:  // Unicode
        return unicode;
    case 1:  // Macintosh scripts
        switch (encodingID) {
        case 0: return MacRomanCode(unicode);
        case 1: return MultibyteCode(Multibyte::MacJapanese, unicode);
        case 2: return MultibyteCode(Multibyte::MacTradChinese, unicode);
        case 3: return MultibyteCode(Multibyte::MacKorean, unicode);
        case 25: return MultibyteCode(Multibyte::MacSimpChinese, unicode);
        default:
            // The other script encodings share ASCII; above it each has its own letters.
            if (unicode < 0x80) return unicode;
            return std::nullopt;
        }
    case 2:  // ISO
        if (encodingID == 0) return unicode < 0x80 ? std::optional<uint32_t>(unicode) : std::nullopt;
        if (encodingID == 1) return unicode;
        if (encodingID == 2) return unicode < 0x100 ? std::optional<uint32_t>(unicode) : std::nullopt;
        return std::nullopt;
    case 3:  // Microsoft
        switch (encodingID) {
        case 1: case 10: return unicode;
        case 2: return MultibyteCode(Multibyte::ShiftJis, unicode);
        case 3: return MultibyteCode(Multibyte::Big5, unicode);
        case 4: return MultibyteCode(Multibyte::Gbk, unicode);
        case 5: return MultibyteCode(Multibyte::Wansung, unicode);
        case 6: return MultibyteCode(Multibyte::Johab, unicode);
        default: return std::nullopt;
        }
    default:
        return std::nullopt;
    }
}
