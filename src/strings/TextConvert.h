// Conversions between the program's UTF-8 texts and the UTF-16 of font names.
#pragma once

#include <string>

// UTF-16 to UTF-8; a lone surrogate is written as the code unit it is.
std::string Utf16ToUtf8(const std::u16string& text);
