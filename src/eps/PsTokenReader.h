// A PostScript tokenizer over a file or a memory block.
//
// It does not interpret PostScript: it cuts the byte stream into tokens and says what
// kind each one is, which is all the Illustrator import needs. Every byte sequence is a
// valid input; damaged data ends in the end-of-input token, never in a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class BufferedFile;

// Token types, as returned by NextToken.
enum PsTokenType : int {
    kPsOther = 0x000,       // an executable name or operator
    kPsLiteral = 0x001,     // /name, delivered without the slash
    kPsString = 0x002,      // (string), delivered without the outer parentheses
    kPsComment = 0x004,     // % comment, delivered after the first '%'
    kPsArrayOpen = 0x008,   // [
    kPsArrayClose = 0x010,  // ] or >
    kPsProcOpen = 0x020,    // {
    kPsProcClose = 0x040,   // }
    kPsInteger = 0x080,     // 123, -7, 8#17
    kPsReal = 0x100,        // 1.5, -.2, 3e-2
    kPsEnd = 0x200,         // end of input, a read error or an unreadable number
    kPsHexString = 0x400,   // <hex digits>
};

class PsTokenReader {
public:
    // Reads from an open file; the file must outlive the reader.
    explicit PsTokenReader(BufferedFile& file);
    // Reads from memory; the block must outlive the reader.
    PsTokenReader(const uint8_t* data, size_t size);

    PsTokenReader(const PsTokenReader&) = delete;
    PsTokenReader& operator=(const PsTokenReader&) = delete;

    // Reads the next token into buffer (always NUL-terminated, at most size - 1 bytes
    // of text) and returns its type. A name or string that does not fit is cut; its
    // remainder comes back as the next token, flagged as a continuation.
    int NextToken(char* buffer, size_t size);

    // Positions the input at the first byte of the next occurrence of text, searching
    // from the current position; false (input at its end) when there is none.
    bool SeekText(const char* text);

    // Reads tokens until a comment token equal to text (true) or the end (false).
    bool SkipToComment(const char* text);

    // Value of the last number token: as an integer (saturated to the long range, a
    // real truncated towards zero) and as a double.
    long IntValue() const { return m_nValue; }
    double RealValue() const { return m_dValue; }

    // Whether the last token is the remainder of a name or string cut at the buffer size.
    bool IsContinuation() const { return m_bContinuation; }
    // Why the input ended: a token that looked like a number but was none (a lone "-"
    // or "."), or a read error of the file. Both false at a clean end of input.
    bool EndedOnBadNumber() const { return m_bBadNumber; }
    bool ReadFailed() const { return m_bReadFailed; }

    static constexpr size_t kTokenBufferSize = 512;

private:
    enum class Pending { None, Name, Literal, String };

    int Get();
    void Unget() { --m_nPos; }
    bool Refill();
    uint64_t Tell() const { return m_nWinStart + m_nPos; }
    void Seek(uint64_t pos);

    int ReadComment(char* buf, size_t cap);
    int ReadString(char* buf, size_t cap);
    int ReadHexString(char* buf, size_t cap);
    size_t ReadName(char* buf, size_t cap, size_t len);
    int Classify(const char* text, size_t len);

    // Input window: a slice of the memory block, or of the file through m_buffer.
    BufferedFile* m_pFile = nullptr;
    const uint8_t* m_pData = nullptr;
    size_t m_nDataSize = 0;
    std::vector<uint8_t> m_buffer;
    const uint8_t* m_pWin = nullptr;
    size_t m_nWinLen = 0;
    size_t m_nPos = 0;
    uint64_t m_nWinStart = 0;
    bool m_bAtEnd = false;

    // State of a token cut at the buffer size.
    Pending m_pending = Pending::None;
    int m_nStringDepth = 0;
    bool m_bEscapePending = false;

    long m_nValue = 0;
    double m_dValue = 0;
    bool m_bContinuation = false;
    bool m_bBadNumber = false;
    bool m_bReadFailed = false;
};
