#include "TTDump.h"

#include <cstdarg>
#include <ctime>

void TTDumpSink::lineBreak() {
    // A line with nothing printed on it is not written at all.
    if (m_nColumn > 0) m_buffer += '\n';
    m_nColumn = 0;
    m_cQuote = 0;
    m_bUnindented = false;
}

void TTDumpSink::emit(char c) {
    if (c == '\n') {
        lineBreak();
        return;
    }
    if (m_cQuote) {
        if (c == m_cQuote) m_cQuote = 0;
    } else {
        if (c == '\t') {
            if (m_nColumn == 0) return;
            c = ' ';
        }
        if (c == ' ' && m_nColumn >= kWrapColumn) {
            lineBreak();
            return;
        }
        if (c == '"' || c == '\'') m_cQuote = c;
        else if (c == '*') m_bUnindented = true;
        else if (c == '}' && m_nDepth > 0) --m_nDepth;
    }
    if (m_nColumn == 0 && !m_bUnindented) {
        m_buffer.append(size_t(2 * m_nDepth), ' ');
        m_nColumn = 2 * m_nDepth;
    }
    m_buffer += c;
    ++m_nColumn;
    if (c == '{' && !m_cQuote) {
        ++m_nDepth;
        m_buffer += ' ';
        ++m_nColumn;
    }
}

void TTDumpSink::put(std::string_view text) {
    for (char c : text) emit(c);
    if (m_pFile && m_buffer.size() >= 64 * 1024) flush();
}

void TTDumpSink::print(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (size_t(n) < sizeof small) {
        va_end(again);
        put(std::string_view(small, size_t(n)));
        return;
    }
    std::string big(size_t(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    big.resize(size_t(n));
    put(big);
}

void TTDumpSink::fieldText(const char* name, std::string_view value) {
    print("%s = \"", name);
    // The text is quoted; a double quote inside it would end the quote early.
    for (char c : value) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || u < 0x20) print("\\x%02x", u);
        else put(std::string_view(&c, 1));
    }
    put("\"\n");
}

void TTDumpSink::flush() {
    if (m_pText) *m_pText += m_buffer;
    else if (m_pFile && !m_buffer.empty()) std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_pFile);
    m_buffer.clear();
}

namespace TTText {

std::string DateText(int64_t seconds1904) {
    constexpr int64_t kEpochDelta = 2082844800;  // 1904-01-01 to 1970-01-01
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    time_t t = time_t(seconds1904 - kEpochDelta);
    struct tm tm;
    if (!gmtime_r(&t, &tm) || tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 || tm.tm_mon > 11)
        return "?\n";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday], kMonths[tm.tm_mon],
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
    return buf;
}

namespace {
template <size_t N>
const char* Pick(const char* const (&list)[N], long i) {
    return i >= 0 && size_t(i) < N ? list[i] : "";
}
}  // namespace

const char* WeightClassName(uint16_t weightClass) {
    static const char* const kNames[] = {"Thin", "Extra-light (Ultra-light)", "Light", "Normal (Regular)",
                                         "Medium", "Semi-bold (Demi-bold)", "Bold", "Extra-bold (Ultra-bold)",
                                         "Black (Heavy)"};
    if (weightClass % 100 != 0) return "";
    return Pick(kNames, long(weightClass / 100) - 1);
}

const char* WidthClassName(uint16_t widthClass) {
    static const char* const kNames[] = {"Ultra-condensed", "Extra-condensed", "Condensed",
                                         "Semi-condensed",  "Medium (normal)", "Semi-expanded",
                                         "Expanded",        "Extra-expanded",  "Ultra-expanded"};
    return Pick(kNames, long(widthClass) - 1);
}

const char* FamilyClassName(int16_t familyClass) {
    static const char* const kNames[] = {"No Classification", "Oldstyle Serifs", "Transitional Serifs",
                                         "Modern Serifs",     "Clarendon Serifs", "Slab Serifs",
                                         "Reserved",          "Freeform Serifs",  "Sans Serif",
                                         "Ornamentals",       "Scripts",          "Reserved",
                                         "Symbolic",          "Reserved",         "Reserved"};
    return Pick(kNames, (uint16_t(familyClass) >> 8) & 0xFF);
}

const char* PanoseDigitName(int digit) {
    static const char* const kNames[] = {"Family Kind", "Serif Style",      "Weight",    "Proportion", "Contrast",
                                         "Stroke Variation", "Arm Style", "Letterform", "Midline",    "X-height"};
    return Pick(kNames, digit);
}

const char* PanoseValueName(int digit, uint8_t value) {
    static const char* const kFamily[] = {"Any", "No Fit", "Latin Text", "Latin Hand Written", "Latin Decorative",
                                          "Latin Symbol"};
    static const char* const kSerif[] = {"Any",    "No Fit",      "Cove",        "Obtuse Cove",
                                         "Square Cove", "Obtuse Square Cove", "Square", "Thin",
                                         "Oval",   "Exaggerated", "Triangle",    "Normal Sans",
                                         "Obtuse Sans", "Perpendicular Sans", "Flared", "Rounded"};
    static const char* const kWeight[] = {"Any",  "No Fit", "Very Light", "Light", "Thin",  "Book",
                                          "Medium", "Demi", "Bold",       "Heavy", "Black", "Extra Black"};
    static const char* const kProportion[] = {"Any",      "No Fit",    "Old Style",     "Modern",
                                              "Even Width", "Extended", "Condensed",    "Very Extended",
                                              "Very Condensed", "Monospaced"};
    static const char* const kContrast[] = {"Any",        "No Fit", "None",        "Very Low", "Low",
                                            "Medium Low", "Medium", "Medium High", "High",     "Very High"};
    static const char* const kStroke[] = {"Any",
                                          "No Fit",
                                          "No Variation",
                                          "Gradual/Diagonal",
                                          "Gradual/Transitional",
                                          "Gradual/Vertical",
                                          "Gradual/Horizontal",
                                          "Rapid/Vertical",
                                          "Rapid/Horizontal",
                                          "Instant/Vertical",
                                          "Instant/Horizontal"};
    static const char* const kArm[] = {"Any",
                                       "No Fit",
                                       "Straight Arms/Horizontal",
                                       "Straight Arms/Wedge",
                                       "Straight Arms/Vertical",
                                       "Straight Arms/Single Serif",
                                       "Straight Arms/Double Serif",
                                       "Non-Straight/Horizontal",
                                       "Non-Straight/Wedge",
                                       "Non-Straight/Vertical",
                                       "Non-Straight/Single Serif",
                                       "Non-Straight/Double Serif"};
    static const char* const kLetter[] = {"Any",
                                          "No Fit",
                                          "Normal/Contact",
                                          "Normal/Weighted",
                                          "Normal/Boxed",
                                          "Normal/Flattened",
                                          "Normal/Rounded",
                                          "Normal/Off Center",
                                          "Normal/Square",
                                          "Oblique/Contact",
                                          "Oblique/Weighted",
                                          "Oblique/Boxed",
                                          "Oblique/Flattened",
                                          "Oblique/Rounded",
                                          "Oblique/Off Center",
                                          "Oblique/Square"};
    static const char* const kMidline[] = {"Any",           "No Fit",          "Standard/Trimmed",
                                           "Standard/Pointed", "Standard/Serifed", "High/Trimmed",
                                           "High/Pointed",  "High/Serifed",    "Constant/Trimmed",
                                           "Constant/Pointed", "Constant/Serifed", "Low/Trimmed",
                                           "Low/Pointed",   "Low/Serifed"};
    static const char* const kXHeight[] = {"Any",           "No Fit",          "Constant/Small",
                                           "Constant/Standard", "Constant/Large", "Ducking/Small",
                                           "Ducking/Standard", "Ducking/Large"};
    switch (digit) {
    case 0: return Pick(kFamily, value);
    case 1: return Pick(kSerif, value);
    case 2: return Pick(kWeight, value);
    case 3: return Pick(kProportion, value);
    case 4: return Pick(kContrast, value);
    case 5: return Pick(kStroke, value);
    case 6: return Pick(kArm, value);
    case 7: return Pick(kLetter, value);
    case 8: return Pick(kMidline, value);
    case 9: return Pick(kXHeight, value);
    default: return "";
    }
}

const char* UnicodeRangeName(int bit) {
    static const char* const kNames[] = {
        "Basic Latin", "Latin-1 Supplement", "Latin Extended-A", "Latin Extended-B", "IPA Extensions",
        "Spacing Modifier Letters", "Combining Diacritical Marks", "Basic Greek", "Greek Symbols and Coptic",
        "Cyrillic", "Armenian", "Basic Hebrew", "Hebrew Extended", "Basic Arabic", "Arabic Extended",
        "Devanagari", "Bengali", "Gurmukhi", "Gujarati", "Oriya", "Tamil", "Telugu", "Kannada", "Malayalam",
        "Thai", "Lao", "Basic Georgian", "Georgian Extended", "Hangul Jamo", "Latin Extended Additional",
        "Greek Extended", "General Punctuation", "Superscripts and Subscripts", "Currency Symbols",
        "Combining Diacritical Marks for Symbols", "Letterlike Symbols", "Number Forms", "Arrows",
        "Mathematical Operators", "Miscellaneous Technical", "Control Pictures",
        "Optical Character Recognition", "Enclosed Alphanumerics", "Box Drawing", "Block Elements",
        "Geometric Shapes", "Miscellaneous Symbols", "Dingbats", "CJK Symbols and Punctuation", "Hiragana",
        "Katakana", "Bopomofo", "Hangul Compatibility Jamo", "CJK Miscellaneous",
        "Enclosed CJK Letters and Months", "CJK Compatibility", "Hangul", "Surrogates", "Reserved",
        "CJK Unified Ideographs", "Private Use Area", "CJK Compatibility Ideographs",
        "Alphabetic Presentation Forms", "Arabic Presentation Forms-A", "Combining Half Marks",
        "CJK Compatibility Forms", "Small Form Variants", "Arabic Presentation Forms-B",
        "Halfwidth and Fullwidth Forms", "Specials", "Tibetan"};
    static_assert(sizeof kNames / sizeof kNames[0] == 71);
    return Pick(kNames, bit);
}

const char* CodePageName(int bit) {
    static const char* const kNames[64] = {
        "1252 Latin 1", "1250 Latin 2: Eastern Europe", "1251 Cyrillic", "1253 Greek", "1254 Turkish",
        "1255 Hebrew", "1256 Arabic", "1257 Windows Baltic", "1258 Vietnamese",
        "Reserved for Alternate ANSI", "Reserved for Alternate ANSI", "Reserved for Alternate ANSI",
        "Reserved for Alternate ANSI", "Reserved for Alternate ANSI", "Reserved for Alternate ANSI",
        "Reserved for Alternate ANSI", "874 Thai", "932 JIS/Japan", "936 Chinese: Simplified chars--PRC and Singapore",
        "949 Korean Wansung", "950 Chinese: Traditional chars--Taiwan and Hong Kong", "1361 Korean Johab",
        "Reserved for Alternate ANSI & OEM", "Reserved for Alternate ANSI & OEM",
        "Reserved for Alternate ANSI & OEM", "Reserved for Alternate ANSI & OEM",
        "Reserved for Alternate ANSI & OEM", "Reserved for Alternate ANSI & OEM",
        "Reserved for Alternate ANSI & OEM", "Macintosh Character Set (US Roman)", "OEM Character Set",
        "Symbol Character Set", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM",
        "Reserved for OEM", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM",
        "Reserved for OEM", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM", "Reserved for OEM",
        "Reserved for OEM", "Reserved for OEM", "869 IBM Greek", "866 MS-DOS Russian", "865 MS-DOS Nordic",
        "864 Arabic", "863 MS-DOS Canadian French", "862 Hebrew", "861 MS-DOS Icelandic",
        "860 MS-DOS Portuguese", "857 IBM Turkish", "855 IBM Cyrillic; primarily Russian", "852 Latin 2",
        "775 MS-DOS Baltic", "737 Greek; former 437 G", "708 Arabic; ASMO 708", "850 WE/Latin 1", "437 US"};
    return Pick(kNames, bit);
}

}  // namespace TTText
