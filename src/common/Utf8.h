// Decoding the program's UTF-8 texts (typed suffixes, command-line arguments) into code
// points and UTF-16, for the parts that store text in another form (the font's names).
#pragma once

#include <string>
#include <string_view>

// The code points of text; each byte that does not begin a well-formed sequence (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a value past U+10FFFF)
// becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

// UTF-16 of a code point appended to out: a surrogate pair beyond the BMP.
void AppendUtf16(std::u16string& out, char32_t c);

// UTF-16 of text, by DecodeUtf8's rule.
std::u16string Utf8ToUtf16(std::string_view text);
