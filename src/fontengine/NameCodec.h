// Conversion between the 8-bit names of a font and UTF-16, by code page. The engine
// asks for two code pages: the system ANSI one and Macintosh Roman. The default codec
// reads both through iconv (code page 1252 as the ANSI one); the platform layer may
// install another, e.g. with the user's ANSI code page.
#pragma once

#include <string>

class NameCodec {
public:
    enum class CodePage { Ansi, Macintosh };

    virtual ~NameCodec() = default;
    virtual std::u16string toWide(const std::string& bytes, CodePage page) const = 0;
    // Characters the code page lacks become '?'.
    virtual std::string toBytes(const std::u16string& text, CodePage page) const = 0;

    // The codec in use; never null.
    static const NameCodec& Current();
    // Installs codec (kept by the caller); nullptr restores the default.
    static void Install(const NameCodec* codec);
};

// A single-byte code page read once through iconv into a table.
class IconvNameCodec : public NameCodec {
public:
    IconvNameCodec(const char* ansiCharset = "CP1252", const char* macCharset = "MACINTOSH");
    std::u16string toWide(const std::string& bytes, CodePage page) const override;
    std::string toBytes(const std::u16string& text, CodePage page) const override;

private:
    struct Table {
        char16_t toWide[256];
    };
    static Table Load(const char* charset);
    Table m_ansi;
    Table m_mac;
};
