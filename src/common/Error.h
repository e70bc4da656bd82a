// Integer error codes and the exception that carries one.
//
// Readers, the tracer and the EPS import raise a code internally and return it from
// their entry operation; codes become messages only in the user interface.
#pragma once

#include <exception>

namespace ErrorCode {
constexpr int kOk = 0;
constexpr int kInvalidData = 1024;   // damaged or unreadable content
constexpr int kIoError = 2000;       // any other operating-system error
constexpr int kFileNotFound = 2001;
constexpr int kPathNotFound = 2002;
constexpr int kTooManyFiles = 2003;
constexpr int kAccessDenied = 2004;
constexpr int kNoMemory = 2005;
constexpr int kReadError = 2006;     // the file ended early or could not be read
constexpr int kSeekError = 2008;
constexpr int kCancelled = 3000;
constexpr int kTracerRange = 5000;
}  // namespace ErrorCode

// The one exception type of the core: it carries nothing but the code.
class CodeError : public std::exception {
public:
    explicit CodeError(int code) noexcept : m_nCode(code) {}
    int code() const noexcept { return m_nCode; }
    const char* what() const noexcept override;

private:
    int m_nCode;
};

// Raises code as a CodeError.
[[noreturn]] void RaiseError(int code);
