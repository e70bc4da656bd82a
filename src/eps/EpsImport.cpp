#include "EpsImport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

#include "BufferedFile.h"
#include "GlyphOutline.h"
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
    int16_t tenths;
    if (!ToTenths(v, tenths)) return false;
    m_values[m_nTop] = tenths;
    m_nTop = (m_nTop + 1) % kCapacity;
    if (m_nCount < kCapacity) ++m_nCount;
    return true;
}

void PsOperandStack::Drop(int n) {
    n = std::clamp(n, 0, m_nCount);
    m_nCount -= n;
    m_nTop = (m_nTop - n + kCapacity) % kCapacity;
}

// ---------------------------------------------------------------------------------------
// Extent of an outline

namespace {

// Lowest value of one axis of a cubic arc.
double CubicAxisMin(double p0, double p1, double p2, double p3) {
    double lo = std::min(p0, p3), hi = std::max(p0, p3);
    ExtendByCubicAxis(p0, p1, p2, p3, lo, hi);
    return lo;
}

struct OutlineScan {
    int minX = 32767, minY = 32767;  // lowest on-curve and arc extent, master 0
    int lowX = 32767, lowY = 32767;  // lowest and highest stored values, all masters
    int highX = -32768, highY = -32768;
};

// One linear pass over the node buffer.
OutlineScan ScanOutline(const Outline& outline) {
    OutlineScan s;
    const uint8_t* buf = outline.buffer();
    const size_t used = outline.usedBytes();
    const int nm = outline.masters();
    size_t off = 0;
    bool havePrev = false;
    OutlinePoint prev;
    for (int i = 0; i < outline.nodeCount() && buf; ++i) {
        uint16_t type;
        std::memcpy(&type, buf + off, 2);
        const size_t bytes = Outline::NodeBytes(type, nm);
        if (off + bytes > used) break;
        OutlineNodeRef nd(const_cast<uint8_t*>(buf + off));
        off += bytes;
        const int n = nd.pointCount();
        for (int k = 0; k < n; ++k) {
            for (int m = 0; m < nm; ++m) {
                OutlinePoint p = nd.point(k, nm, m);
                s.lowX = std::min<int>(s.lowX, p.x);
                s.lowY = std::min<int>(s.lowY, p.y);
                s.highX = std::max<int>(s.highX, p.x);
                s.highY = std::max<int>(s.highY, p.y);
            }
        }
        if (n == 0) continue;
        const OutlinePoint end = nd.point(0, nm, 0);
        if (nd.kind() == kNodeCubic && havePrev) {
            const OutlinePoint c1 = nd.point(1, nm, 0), c2 = nd.point(2, nm, 0);
            s.minX = std::min(s.minX, int(std::floor(CubicAxisMin(prev.x, c1.x, c2.x, end.x))));
            s.minY = std::min(s.minY, int(std::floor(CubicAxisMin(prev.y, c1.y, c2.y, end.y))));
        }
        s.minX = std::min<int>(s.minX, end.x);
        s.minY = std::min<int>(s.minY, end.y);
        prev = end;
        havePrev = true;
    }
    return s;
}

bool ShiftFits(const OutlineScan& s) {
    if (s.lowX > s.highX) return true;  // no points: nothing moves
    auto fits = [](int v) { return v >= -32768 && v <= 32767; };
    return fits(s.lowX - s.minX) && fits(s.highX - s.minX) && fits(s.lowY - s.minY) &&
           fits(s.highY - s.minY);
}

}  // namespace

bool PrepareOutline(Outline& outline) {
    if (outline.nodeCount() == 0) return true;
    const OutlineScan s = ScanOutline(outline);
    if (!ShiftFits(s)) return false;
    const int dx = -s.minX, dy = -s.minY;
    if (s.lowX > s.highX || (dx == 0 && dy == 0)) return true;
    // The index makes the offset pass linear in the node count.
    const bool hadIndex = outline.indexEnabled();
    if (!hadIndex) outline.enableIndex(true);
    const int last = outline.nodeCount() - 1;
    if (dx >= -32768 && dx <= 32767 && dy >= -32768 && dy <= 32767) {
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx), int16_t(dy)});
    } else {
        // A shift of 32768 does not fit one step; both halves keep every point in range
        // because each point only moves towards its final place.
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx / 2), int16_t(dy / 2)});
        outline.offsetPoints(-1, 0, last, OutlinePoint{int16_t(dx - dx / 2), int16_t(dy - dy / 2)});
    }
    if (!hadIndex) outline.enableIndex(false);
    return true;
}

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
        m_outline->trim(true);
        m_outline->clearError();  // a failed shrink leaves the nodes as they were
        // A drawing wider or taller than the 16-bit range could not be moved to the
        // origin without its points wrapping around.
        if (!ShiftFits(ScanOutline(*m_outline))) RaiseError(EpsError::kInvalidData);
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
                    // The end of the input ends the drawing; a read error or a number that
                    // is none would silently cut it short.
                    if (m_reader.ReadFailed() || m_reader.EndedOnBadNumber()) Fail();
                    return;
                case kPsInteger:
                case kPsReal:
                    if (!m_stack.Push(m_reader.RealValue())) Fail();
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
