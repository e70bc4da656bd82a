// Windows ANSI code pages: which one a language uses, its charset number, and
// conversions between its bytes and Unicode (through iconv).
#pragma once

#include <optional>
#include <string>
#include <string_view>

constexpr int kDefaultCodePage = 1252;

// The ANSI code page of a language given as an ISO 639 code (two letters, or three in
// either the bibliographic or the terminology form: "de", "ger", "deu"); country is an
// ISO 3166 code and only tells traditional from simplified Chinese. 1252 when unknown.
int AnsiCodePageForLanguage(std::string_view language, std::string_view country = {});
// The same, but none for a language outside the table (which the above takes as 1252).
std::optional<int> FindAnsiCodePage(std::string_view language, std::string_view country = {});

// The Windows charset number of an ANSI code page (0 ANSI, 204 Cyrillic, ...); 1
// (DEFAULT_CHARSET) for a code page outside the table.
int CharsetForCodePage(int codePage);

// One code page's conversions. Opened once and kept, since legends and character maps
// convert many single characters.
class CodePageCodec {
public:
    explicit CodePageCodec(int codePage);
    ~CodePageCodec();
    CodePageCodec(const CodePageCodec&) = delete;
    CodePageCodec& operator=(const CodePageCodec&) = delete;

    int CodePage() const { return m_nCodePage; }
    // False when iconv does not know the code page; every conversion then fails.
    bool Ok() const;

    // The bytes of text in this code page; none when a character has no encoding.
    std::optional<std::string> Encode(std::u32string_view text);
    // The characters of these bytes; none when they are not valid in this code page.
    std::optional<std::u32string> Decode(std::string_view bytes);

private:
    int m_nCodePage;
    void* m_toBytes;
    void* m_fromBytes;
};

// UTF-8 of a string of code points (for texts shown by the interface and for tests).
std::string Utf32ToUtf8(std::u32string_view text);
// Code points of UTF-8 text; malformed bytes become U+FFFD.
std::u32string Utf8ToUtf32(std::string_view text);
