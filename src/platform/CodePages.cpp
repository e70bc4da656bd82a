#include "CodePages.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace {

struct LanguageCodePage {
    const char* language;
    int codePage;
};

// Two-letter codes and both three-letter forms of each language.
const LanguageCodePage kLanguages[] = {
    // Central European
    {"pl", 1250}, {"pol", 1250}, {"cs", 1250}, {"cze", 1250}, {"ces", 1250},
    {"sk", 1250}, {"slo", 1250}, {"slk", 1250}, {"hu", 1250}, {"hun", 1250},
    {"sl", 1250}, {"slv", 1250}, {"hr", 1250}, {"hrv", 1250}, {"bs", 1250},
    {"bos", 1250}, {"ro", 1250}, {"rum", 1250}, {"ron", 1250}, {"sq", 1250},
    {"alb", 1250}, {"sqi", 1250},
    // Cyrillic
    {"ru", 1251}, {"rus", 1251}, {"uk", 1251}, {"ukr", 1251}, {"be", 1251},
    {"bel", 1251}, {"bg", 1251}, {"bul", 1251}, {"mk", 1251}, {"mac", 1251},
    {"mkd", 1251}, {"sr", 1251}, {"srp", 1251}, {"kk", 1251}, {"kaz", 1251},
    {"ky", 1251}, {"kir", 1251}, {"tt", 1251}, {"tat", 1251}, {"ba", 1251},
    {"bak", 1251}, {"mn", 1251}, {"mon", 1251}, {"tg", 1251}, {"tgk", 1251},
    // Greek, Turkish, Hebrew, Arabic, Baltic, Vietnamese, Thai
    {"el", 1253}, {"gre", 1253}, {"ell", 1253},
    {"tr", 1254}, {"tur", 1254}, {"az", 1254}, {"aze", 1254}, {"uz", 1254}, {"uzb", 1254},
    {"he", 1255}, {"heb", 1255}, {"yi", 1255}, {"yid", 1255},
    {"ar", 1256}, {"ara", 1256}, {"fa", 1256}, {"per", 1256}, {"fas", 1256},
    {"ur", 1256}, {"urd", 1256}, {"ps", 1256}, {"pus", 1256}, {"prs", 1256},
    {"lt", 1257}, {"lit", 1257}, {"lv", 1257}, {"lav", 1257}, {"et", 1257}, {"est", 1257},
    {"vi", 1258}, {"vie", 1258},
    {"th", 874}, {"tha", 874},
    // East Asian
    {"ja", 932}, {"jpn", 932}, {"zh", 936}, {"chi", 936}, {"zho", 936},
    {"ko", 949}, {"kor", 949},
};

struct CodePageCharset {
    int codePage;
    int charset;
};
const CodePageCharset kCharsets[] = {
    {1250, 238}, {1251, 204}, {1252, 0},   {1253, 161}, {1254, 162},
    {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}, {874, 222},
    {932, 128},  {936, 134},  {949, 129},  {950, 136},
};

bool IsChinese(std::string_view language) {
    return language == "zh" || language == "chi" || language == "zho";
}

// Runs one iconv conversion of the whole input; false on any unconvertible byte.
bool Convert(iconv_t cd, const char* in, size_t inSize, std::string& out) {
    if (cd == iconv_t(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    char buffer[256];
    char* src = const_cast<char*>(in);
    while (true) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        size_t done = inSize > 0 ? iconv(cd, &src, &inSize, &dst, &room)
                                 : iconv(cd, nullptr, nullptr, &dst, &room);
        int error = errno;
        out.append(buffer, size_t(dst - buffer));
        if (done != size_t(-1)) {
            if (inSize == 0) {
                // Flush any shift state, then stop.
                dst = buffer;
                room = sizeof buffer;
                if (iconv(cd, nullptr, nullptr, &dst, &room) == size_t(-1)) return false;
                out.append(buffer, size_t(dst - buffer));
                return true;
            }
            continue;
        }
        if (error != E2BIG) return false;
    }
}

}  // namespace

std::optional<int> FindAnsiCodePage(std::string_view language, std::string_view country) {
    if (IsChinese(language) && (country == "TW" || country == "HK" || country == "MO")) return 950;
    for (const auto& entry : kLanguages)
        if (language == entry.language) return entry.codePage;
    return std::nullopt;
}

int AnsiCodePageForLanguage(std::string_view language, std::string_view country) {
    return FindAnsiCodePage(language, country).value_or(kDefaultCodePage);
}

int CharsetForCodePage(int codePage) {
    for (const auto& entry : kCharsets)
        if (entry.codePage == codePage) return entry.charset;
    return 1;
}

CodePageCodec::CodePageCodec(int codePage) : m_nCodePage(codePage) {
    std::string name = "CP" + std::to_string(codePage);
    m_toBytes = iconv_open(name.c_str(), "UTF-32BE");
    m_fromBytes = iconv_open("UTF-32BE", name.c_str());
}

CodePageCodec::~CodePageCodec() {
    if (iconv_t(m_toBytes) != iconv_t(-1)) iconv_close(iconv_t(m_toBytes));
    if (iconv_t(m_fromBytes) != iconv_t(-1)) iconv_close(iconv_t(m_fromBytes));
}

bool CodePageCodec::Ok() const {
    return iconv_t(m_toBytes) != iconv_t(-1) && iconv_t(m_fromBytes) != iconv_t(-1);
}

std::optional<std::string> CodePageCodec::Encode(std::u32string_view text) {
    std::string in;
    in.reserve(text.size() * 4);
    for (char32_t c : text)
        for (int shift = 24; shift >= 0; shift -= 8) in.push_back(char((c >> shift) & 0xFF));
    std::string out;
    if (!Convert(iconv_t(m_toBytes), in.data(), in.size(), out)) return std::nullopt;
    return out;
}

std::optional<std::u32string> CodePageCodec::Decode(std::string_view bytes) {
    std::string out;
    if (!Convert(iconv_t(m_fromBytes), bytes.data(), bytes.size(), out) || out.size() % 4 != 0)
        return std::nullopt;
    std::u32string text;
    for (size_t i = 0; i < out.size(); i += 4)
        text.push_back(char32_t(uint8_t(out[i])) << 24 | char32_t(uint8_t(out[i + 1])) << 16 |
                       char32_t(uint8_t(out[i + 2])) << 8 | char32_t(uint8_t(out[i + 3])));
    return text;
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        uint8_t lead = uint8_t(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= text.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        bool good = true;
        for (int k = 1; k <= extra; ++k) {
            uint8_t next = uint8_t(text[i + size_t(k)]);
            if ((next & 0xC0) != 0x80) {
                good = false;
                break;
            }
            c = c << 6 | (next & 0x3F);
        }
        if (!good) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(c);
        i += size_t(extra) + 1;
    }
    return out;
}
