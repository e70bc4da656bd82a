// The two readable forms of an engine object: the plain listing, written with stdio to
// a FILE stream, and the structured name = value dump, written through TTDumpSink,
// which indents it by brace depth.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Text sink of the structured dump. Outside quotes "{" raises and "}" lowers the depth;
// the first character printed on a line is preceded by two blanks per level (one level
// less when it is "}"); "{" is followed by a blank; a tab becomes a blank and is
// dropped at the start of a line; a blank or tab at column 72 or beyond breaks the
// line; empty lines are dropped; text between double or single quotes passes
// unchanged; "*" leaves the rest of its line unindented. A quote left open at the end
// of a line is closed there, so one stray quote cannot swallow the rest of the dump.
class TTDumpSink {
public:
    static constexpr int kWrapColumn = 72;

    // Into a string (tests) or a FILE stream, buffered.
    explicit TTDumpSink(std::string* text) : m_pText(text) {}
    explicit TTDumpSink(FILE* file) : m_pFile(file) {}
    ~TTDumpSink() { flush(); }
    TTDumpSink(const TTDumpSink&) = delete;
    TTDumpSink& operator=(const TTDumpSink&) = delete;

    void put(std::string_view text);
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void flush();
    int depth() const { return m_nDepth; }

    // Helpers for the dumpFields of every class.
    void field(const char* name, long value) { print("%s = %ld\n", name, value); }
    void fieldHex(const char* name, unsigned long value) { print("%s = 0x%lx\n", name, value); }
    void fieldText(const char* name, std::string_view value);
    void begin(const char* name) { print("%s = {\n", name); }
    void end() { put("}\n"); }
    // name[count] = { values in hexadecimal, 3 wide, tab-separated, 10 a line }.
    template <class T>
    void array(const char* name, const T* values, size_t count) {
        print("%s[%zu] = {\n", name, count);
        for (size_t i = 0; i < count; ++i) {
            if (i) put(i % 10 == 0 ? "\n" : "\t");
            print("%3lx", static_cast<unsigned long>(values[i]) & mask<T>());
        }
        put(count ? "\n}\n" : "}\n");
    }

private:
    template <class T>
    static unsigned long mask() {
        return sizeof(T) >= sizeof(unsigned long) ? ~0UL : (1UL << (8 * sizeof(T))) - 1;
    }
    void emit(char c);
    void lineBreak();

    std::string* m_pText = nullptr;
    FILE* m_pFile = nullptr;
    std::string m_buffer;
    int m_nDepth = 0;
    int m_nColumn = 0;        // characters printed on the current line
    char m_cQuote = 0;        // the open quote character, 0 outside quotes
    bool m_bUnindented = false;  // a "*" was met on this line
};

// Helpers of the plain listing.
namespace TTText {
// "\n<name>[count] = {\n", then the values with format (a trailing separator) and
// lastOfLine after every perLine-th value, then "}\n".
template <class T, class F>
void Array(FILE* out, const char* header, size_t count, size_t perLine, F&& value, const char* format,
           const char* lastOfLine) {
    std::fprintf(out, header, int(count));
    for (size_t i = 0; i < count; ++i)
        std::fprintf(out, (i + 1) % perLine == 0 ? lastOfLine : format, T(value(i)));
    std::fputs("}\n", out);
}
// The date text of a count of seconds since 1904-01-01 00:00, as the C library's
// asctime gives it ("Thu Jan  1 00:00:00 1970\n"); "?\n" when it cannot be shown.
std::string DateText(int64_t seconds1904);
// Per-glyph metric arrays of hmtx and vmtx: caption, then ten values a line with the
// index of the next one at the start of each line.
template <class F>
void MetricLines(FILE* out, const char* caption, size_t count, F&& value) {
    std::fputs(caption, out);
    for (size_t i = 0; i < count; ++i) {
        if ((i + 1) % 10 == 0 && i + 1 < count) std::fprintf(out, "%6d \n  %3li:", int(value(i)), long(i + 1));
        else std::fprintf(out, "%6d ", int(value(i)));
    }
}
// The names of the OS/2 classifications; "" outside the lists.
const char* WeightClassName(uint16_t weightClass);
const char* WidthClassName(uint16_t widthClass);
const char* FamilyClassName(int16_t familyClass);
const char* PanoseDigitName(int digit);  // the name of digit 0..9
const char* PanoseValueName(int digit, uint8_t value);
const char* UnicodeRangeName(int bit);  // bits 0..70
const char* CodePageName(int bit);      // bits 0..63
}  // namespace TTText
