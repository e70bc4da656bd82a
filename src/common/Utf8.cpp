#include "Utf8.h"

#include <cstdint>

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = uint8_t(text[i]);
        size_t extra = b < 0x80 ? 0 : b >= 0xC2 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xF0 && b < 0xF5 ? 3 : 4;
        if (extra == 0) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        size_t k = 1;
        bool ok = extra < 4;
        for (; ok && k <= extra; ++k) {
            if (i + k >= text.size() || (uint8_t(text[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = c << 6 | (uint8_t(text[i + k]) & 0x3F);
        }
        // Overlong three- and four-byte forms, surrogates and values past U+10FFFF.
        if (ok && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) ||
                   (extra == 3 && (c < 0x10000 || c > 0x10FFFF))))
            ok = false;
        if (ok) {
            out.push_back(c);
            i += extra + 1;
        } else {
            out.push_back(U'\uFFFD');
            ++i;
        }
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(char16_t(c));
    } else {
        c -= 0x10000;
        out.push_back(char16_t(0xD800 + (c >> 10)));
        out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    }
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    for (char32_t c : DecodeUtf8(text)) AppendUtf16(out, c);
    return out;
}
