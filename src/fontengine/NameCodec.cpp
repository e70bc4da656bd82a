#include "NameCodec.h"

#include <iconv.h>

#include <cstdint>

namespace {
const NameCodec* g_codec = nullptr;

// UTF-16 of one byte of charset; the byte itself when the code page leaves it undefined.
char16_t ConvertByte(iconv_t cd, uint8_t byte) {
    char in[1] = {char(byte)};
    unsigned char out[4] = {};
    char* pin = in;
    char* pout = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == size_t(-1) || sizeof out - outLeft != 2) return char16_t(byte);
    return char16_t(out[0] << 8 | out[1]);
}
}  // namespace

const NameCodec& NameCodec::Current() {
    static const IconvNameCodec fallback;
    return g_codec ? *g_codec : fallback;
}

void NameCodec::Install(const NameCodec* codec) { g_codec = codec; }

IconvNameCodec::Table IconvNameCodec::Load(const char* charset) {
    Table t{};
    iconv_t cd = iconv_open("UTF-16BE", charset);
    for (int b = 0; b < 256; ++b) t.toWide[b] = cd == iconv_t(-1) ? char16_t(b) : ConvertByte(cd, uint8_t(b));
    if (cd != iconv_t(-1)) iconv_close(cd);
    return t;
}

IconvNameCodec::IconvNameCodec(const char* ansiCharset, const char* macCharset)
    : m_ansi(Load(ansiCharset)), m_mac(Load(macCharset)) {}

std::u16string IconvNameCodec::toWide(const std::string& bytes, CodePage page) const {
    const Table& t = page == CodePage::Ansi ? m_ansi : m_mac;
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(t.toWide[uint8_t(c)]);
    return out;
}

std::string IconvNameCodec::toBytes(const std::u16string& text, CodePage page) const {
    const Table& t = page == CodePage::Ansi ? m_ansi : m_mac;
    std::string out;
    out.reserve(text.size());
    for (char16_t ch : text) {
        char byte = '?';
        if (ch < 0x80 && t.toWide[ch] == ch) {
            out.push_back(char(ch));
            continue;
        }
        for (int b = 0; b < 256; ++b)
            if (t.toWide[b] == ch) {
                byte = char(b);
                break;
            }
        out.push_back(byte);
    }
    return out;
}
