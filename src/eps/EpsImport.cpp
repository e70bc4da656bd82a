#include "EpsImport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

#include "BufferedFile.h"
#include "PrepareOutline.h"
#include "Error.h"
#include "PsTokenReader.h"

// ---------------------------------------------------------------------------------------
// Operand stack

bool PsOperandStack::ToTenths(double v, int16_t& out) {
    // This file is compiled without floating-point contraction: a fused multiply-subtract
    // would round halves such as 0.05 the other way.
    const double t = std::ceil(v * 10.0 - 0.5);
    if (!(t >= -32768.0 && t <= 32767.0)) return false;  // also refuses NaN
    out = int16_t(t);
    return true;
}

bool PsOperandStack::Push(double v) {
    if (m_nCount == kCapacity) return false;
    int16_t tenths = 0;
    m_inRange[m_nCount] = ToTenths(v, tenths);
    m_values[m_nCount++] = tenths;
    return true;
}

void PsOperandStack::Drop(int n) { m_nCount -= std::clamp(n, 0, m_nCount); }

// ---------------------------------------------------------------------------------------
// The import

namespace {

class EpsImporter {
public:
    explicit EpsImporter(PsTokenReader& reader) : m_reader(reader) {}

    // The outline of the file; raises a code when there is none.
    std::unique_ptr<Outline> Run() {
        if (!m_reader.SeekText("%!PS")) Fail();
        if (m_reader.NextToken(m_token, sizeof m_token) != kPsComment ||
            std::strncmp(m_token, "!PS-Adobe-", 10) != 0)
            Fail();
        if (!m_reader.SkipToComment("%EndProlog")) Fail();

        m_outline = std::make_unique<Outline>(1);
        ReadBody();
        // A drawing without a path has nothing to place.
        if (m_outline->nodeCount() == 0) RaiseError(EpsError::kInvalidData);
        m_outline->trim(true);
        m_outline->clearError();  // a failed shrink leaves the nodes as they were
        // A drawing wider or taller than the 16-bit range could not be moved to the
        // origin without its points wrapping around.
        if (!OutlineFitsAtOrigin(*m_outline)) RaiseError(EpsError::kInvalidData);
        return std::move(m_outline);
    }

private:
    [[noreturn]] void Fail() {
        RaiseError(m_reader.ReadFailed() ? EpsError::kReadError : EpsError::kInvalidData);
    }

    void ReadBody() {
        for (;;) {
            const int type = m_reader.NextToken(m_token, sizeof m_token);
            switch (type) {
                case kPsEnd:
                    // The end of the input, or a lone "-" or "." that reads as it, ends the
                    // drawing; a read error would silently cut it short.
                    if (m_reader.ReadFailed()) Fail();
                    return;
                case kPsInteger:
                case kPsReal:
                    m_stack.Push(m_reader.RealValue());  // a full stack drops the number
                    break;
                case kPsComment:
                    if (std::strcmp(m_token, "%BeginSetup") == 0) {
                        if (!m_reader.SkipToComment("%EndSetup")) Fail();
                    } else if (std::strcmp(m_token, "%Trailer") == 0) {
                        return;
                    }
                    break;
                case kPsOther:
                case kPsLiteral:
                    if (m_token[0] != '\0' && m_token[1] == '\0' && !m_reader.IsContinuation())
                        Operator(m_token[0]);
                    else
                        m_stack.Clear();
                    break;
                default:
                    break;  // strings, hex strings and brackets
            }
        }
    }

    // Point k of the operands of an operator taking n values: k = 0 is the first pair.
    OutlinePoint Operand(int n, int k) const {
        return OutlinePoint{m_stack.Peek(n - 1 - 2 * k), m_stack.Peek(n - 2 - 2 * k)};
    }

    void Operator(char op) {
        uint16_t type;
        int n;
        switch (op) {
            case 'm': type = kNodeMove; n = 2; break;
            case 'L': type = kNodeLine; n = 2; break;
            case 'l': type = kNodeLine | kNodeSmoothFlag; n = 2; break;
            case 'C': case 'V': case 'Y': type = kNodeCubic; n = op == 'C' ? 6 : 4; break;
            case 'c': case 'v': case 'y':
                type = kNodeCubic | kNodeSmoothFlag;
                n = op == 'c' ? 6 : 4;
                break;
            default:
                // Painting, colour, clipping and state operators end the path's operands.
                m_stack.Clear();
                return;
        }
        if (m_stack.Count() < n) Fail();
        // A number past the 16-bit range would wrap into a wrong coordinate.
        for (int k = 0; k < n; ++k)
            if (!m_stack.InRange(k)) RaiseError(EpsError::kInvalidData);

        OutlinePoint pts[3];
        switch (op) {
            case 'm': case 'L': case 'l':
                pts[0] = Operand(2, 0);
                break;
            case 'C': case 'c':  // x1 y1 x2 y2 x3 y3
                pts[0] = Operand(6, 2);
                pts[1] = Operand(6, 0);
                pts[2] = Operand(6, 1);
                break;
            case 'V': case 'v':  // x2 y2 x3 y3: the first control is the current point
                pts[0] = Operand(4, 1);
                pts[1] = m_current;
                pts[2] = Operand(4, 0);
                break;
            default:  // 'Y', 'y': x1 y1 x3 y3: the second control is the end point
                pts[0] = Operand(4, 1);
                pts[1] = Operand(4, 0);
                pts[2] = pts[0];
                break;
        }
        m_stack.Drop(n);
        // The outline grows by a small fixed step; doubling ahead of it keeps a large
        // drawing from reallocating its whole buffer every few nodes.
        const size_t bytes = Outline::NodeBytes(type, 1);
        if (m_outline->usedBytes() + bytes > m_outline->capacity() &&
            !m_outline->reserve(std::max<size_t>(m_outline->capacity(), 4096)))
            RaiseError(EpsError::kNoMemory);
        if (!m_outline->appendNode(type, pts)) RaiseError(EpsError::kNoMemory);
        m_current = pts[0];  // the end point of the segment, controls never
    }

    PsTokenReader& m_reader;
    PsOperandStack m_stack;
    std::unique_ptr<Outline> m_outline;
    OutlinePoint m_current;
    char m_token[PsTokenReader::kTokenBufferSize];
};

std::unique_ptr<Outline> Import(PsTokenReader& reader, int* pError) {
    int code = EpsError::kOk;
    std::unique_ptr<Outline> result;
    try {
        EpsImporter importer(reader);
        result = importer.Run();
    } catch (const CodeError& e) {
        code = e.code();
    } catch (const std::bad_alloc&) {
        code = EpsError::kNoMemory;
    }
    if (pError) *pError = code;
    return result;
}

int OpenErrorCode(int err) {
    switch (err) {
        case ENOENT: return EpsError::kFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG: return EpsError::kPathNotFound;
        case EMFILE:
        case ENFILE: return EpsError::kTooManyFiles;
        case EACCES:
        case EPERM: return EpsError::kAccessDenied;
        case ENOMEM: return EpsError::kNoMemory;
        default: return EpsError::kOtherIo;
    }
}

}  // namespace

std::unique_ptr<Outline> ReadEpsOutline(const std::string& path, int* pError) {
    BufferedFile file;
    errno = 0;
    if (!file.open(path, BufferedFile::Mode::Read)) {
        if (pError) *pError = OpenErrorCode(errno);
        return nullptr;
    }
    try {
        PsTokenReader reader(file);
        return Import(reader, pError);
    } catch (const std::bad_alloc&) {
        if (pError) *pError = EpsError::kNoMemory;
        return nullptr;
    }
}

std::unique_ptr<Outline> ReadEpsOutlineFromMemory(const uint8_t* data, size_t size, int* pError) {
    PsTokenReader reader(data, size);
    return Import(reader, pError);
}
