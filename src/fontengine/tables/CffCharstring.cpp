#include "CffCharstring.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Cff {

void Bounds::add(double x, double y) {
    if (empty) {
        xMin = xMax = x;
        yMin = yMax = y;
        empty = false;
        return;
    }
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
}

namespace {

constexpr size_t kMaxStack = 96;  // twice the format's limit: some fonts go beyond it
constexpr int kMaxCallDepth = 10;
constexpr size_t kTransientSize = 32;

int SubrBias(size_t count) { return count < 1240 ? 107 : count < 33900 ? 1131 : 32768; }

// Extrema of one coordinate of the cubic p0..p3 inside (0, 1).
void CubicExtrema(double p0, double p1, double p2, double p3, double out[2], int& n) {
    n = 0;
    // The derivative, divided by 3: a t^2 + b t + c.
    double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), c = p1 - p0;
    auto at = [&](double t) {
        double u = 1 - t;
        return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
    };
    auto take = [&](double t) {
        if (t > 0 && t < 1) out[n++] = at(t);
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) take(-c / b);
        return;
    }
    double d = b * b - 4 * a * c;
    if (d < 0) return;
    double r = std::sqrt(d);
    take((-b + r) / (2 * a));
    take((-b - r) / (2 * a));
}

class Machine {
public:
    Machine(const Subroutines& subrs, Bounds& bounds, AccentedForm* accented)
        : m_subrs(subrs), m_bounds(bounds), m_accented(accented) {}

    bool run(const uint8_t* p, size_t size) { return execute(p, p + size, 0) && m_ended; }

private:
    bool push(double v) {
        if (m_n >= kMaxStack) return false;
        m_stack[m_n++] = v;
        return true;
    }
    // The first stack-clearing operator may carry the advance before its operands.
    void takeWidth(bool odd) {
        if (!m_widthSeen && odd && m_n > 0) m_base = 1;
        m_widthSeen = true;
    }
    double arg(size_t i) const { return m_stack[m_base + i]; }
    size_t args() const { return m_n - m_base; }
    void clear() {
        m_n = 0;
        m_base = 0;
    }

    void moveTo(double dx, double dy) {
        m_x += dx;
        m_y += dy;
        m_open = true;
        m_moved = false;
    }
    // The contour's start point counts once something is drawn from it.
    void startDrawing() {
        if (!m_moved) m_bounds.add(m_x, m_y);
        m_moved = true;
    }
    void lineTo(double dx, double dy) {
        startDrawing();
        m_x += dx;
        m_y += dy;
        m_bounds.add(m_x, m_y);
    }
    void curveTo(double dx1, double dy1, double dx2, double dy2, double dx3, double dy3) {
        startDrawing();
        double x0 = m_x, y0 = m_y;
        double x1 = x0 + dx1, y1 = y0 + dy1, x2 = x1 + dx2, y2 = y1 + dy2;
        m_x = x2 + dx3;
        m_y = y2 + dy3;
        m_bounds.add(m_x, m_y);
        // Each extremum is paired with the end point's other coordinate, already inside.
        double ex[2], ey[2];
        int nx, ny;
        CubicExtrema(x0, x1, x2, m_x, ex, nx);
        CubicExtrema(y0, y1, y2, m_y, ey, ny);
        for (int i = 0; i < nx; ++i) m_bounds.add(ex[i], m_y);
        for (int i = 0; i < ny; ++i) m_bounds.add(m_x, ey[i]);
    }

    bool stems() {
        takeWidth(args() % 2 == 1);
        m_stems += args() / 2;
        clear();
        return true;
    }

    bool operate(int op, const uint8_t*& p, const uint8_t* end, int depth);
    bool operateEscaped(int op);
    bool arithmetic(int op);
    bool execute(const uint8_t* p, const uint8_t* end, int depth);

    const Subroutines& m_subrs;
    Bounds& m_bounds;
    AccentedForm* m_accented;
    std::array<double, kMaxStack> m_stack{};
    std::array<double, kTransientSize> m_transient{};
    size_t m_n = 0;
    size_t m_base = 0;
    size_t m_stems = 0;
    double m_x = 0, m_y = 0;
    bool m_widthSeen = false;
    bool m_open = false;
    bool m_moved = false;
    bool m_ended = false;
};

bool Machine::execute(const uint8_t* p, const uint8_t* end, int depth) {
    while (p < end && !m_ended) {
        uint8_t b0 = *p++;
        if (b0 >= 32) {
            double v;
            if (b0 <= 246) {
                v = int(b0) - 139;
            } else if (b0 <= 254) {
                if (p >= end) return false;
                int w = (int(b0) - (b0 <= 250 ? 247 : 251)) * 256 + *p++ + 108;
                v = b0 <= 250 ? w : -w;
            } else {
                if (end - p < 4) return false;
                int32_t fixed = int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
                p += 4;
                v = fixed / 65536.0;
            }
            if (!push(v)) return false;
        } else if (b0 == 28) {
            if (end - p < 2) return false;
            if (!push(int16_t(uint16_t(p[0] << 8 | p[1])))) return false;
            p += 2;
        } else if (b0 == 11) {  // return
            return depth > 0;
        } else if (!operate(b0, p, end, depth)) {
            return false;
        }
    }
    return m_ended || depth > 0;
}

bool Machine::operate(int op, const uint8_t*& p, const uint8_t* end, int depth) {
    switch (op) {
        case 1: case 3: case 18: case 23:  // hstem, vstem, hstemhm, vstemhm
            return stems();
        case 19: case 20: {  // hintmask, cntrmask: operands before are vertical stems
            stems();
            size_t bytes = (m_stems + 7) / 8;
            if (size_t(end - p) < bytes) return false;
            p += bytes;
            return true;
        }
        case 21:  // rmoveto
            takeWidth(args() > 2);
            if (args() < 2) return false;
            moveTo(arg(0), arg(1));
            clear();
            return true;
        case 22: case 4:  // hmoveto, vmoveto
            takeWidth(args() > 1);
            if (args() < 1) return false;
            op == 22 ? moveTo(arg(0), 0) : moveTo(0, arg(0));
            clear();
            return true;
        case 5:  // rlineto
            if (args() < 2) return false;
            for (size_t i = 0; i + 1 < args(); i += 2) lineTo(arg(i), arg(i + 1));
            clear();
            return true;
        case 6: case 7: {  // hlineto, vlineto: alternating
            if (args() < 1) return false;
            bool horizontal = op == 6;
            for (size_t i = 0; i < args(); ++i, horizontal = !horizontal)
                horizontal ? lineTo(arg(i), 0) : lineTo(0, arg(i));
            clear();
            return true;
        }
        case 8: case 24: {  // rrcurveto, rcurveline
            size_t n = args();
            size_t curves = op == 8 ? n / 6 : (n - 2) / 6;
            if (n < (op == 8 ? 6u : 8u)) return false;
            size_t i = 0;
            for (size_t c = 0; c < curves; ++c, i += 6)
                curveTo(arg(i), arg(i + 1), arg(i + 2), arg(i + 3), arg(i + 4), arg(i + 5));
            if (op == 24) lineTo(arg(i), arg(i + 1));
            clear();
            return true;
        }
        case 25: {  // rlinecurve
            size_t n = args();
            if (n < 8) return false;
            size_t i = 0;
            for (; i + 6 < n; i += 2) lineTo(arg(i), arg(i + 1));
            curveTo(arg(i), arg(i + 1), arg(i + 2), arg(i + 3), arg(i + 4), arg(i + 5));
            clear();
            return true;
        }
        case 26: case 27: {  // vvcurveto, hhcurveto
            size_t n = args(), i = 0;
            if (n < 4) return false;
            double first = 0;
            if (n % 4 == 1) first = arg(i++);
            for (bool start = true; i + 3 < n; i += 4, start = false) {
                double d = start ? first : 0;
                if (op == 26) curveTo(d, arg(i), arg(i + 1), arg(i + 2), 0, arg(i + 3));
                else curveTo(arg(i), d, arg(i + 1), arg(i + 2), arg(i + 3), 0);
            }
            clear();
            return true;
        }
        case 30: case 31: {  // vhcurveto, hvcurveto: alternating start directions
            size_t n = args(), i = 0;
            if (n < 4) return false;
            bool horizontal = op == 31;
            for (; i + 3 < n; i += 4, horizontal = !horizontal) {
                double last = (n - i == 5) ? arg(i + 4) : 0;
                if (horizontal) curveTo(arg(i), 0, arg(i + 1), arg(i + 2), last, arg(i + 3));
                else curveTo(0, arg(i), arg(i + 1), arg(i + 2), arg(i + 3), last);
            }
            clear();
            return true;
        }
        case 10: case 29: {  // callsubr, callgsubr
            const Index* subrs = op == 10 ? m_subrs.local : m_subrs.global;
            if (!subrs || args() < 1 || depth >= kMaxCallDepth) return false;
            double number = m_stack[--m_n] + SubrBias(subrs->count());
            if (m_n < m_base) m_base = m_n;
            if (!(number >= 0) || number >= double(subrs->count())) return false;
            size_t k = size_t(number);
            return execute(subrs->item(k), subrs->item(k) + subrs->itemSize(k), depth + 1);
        }
        case 14: {  // endchar
            takeWidth(args() == 1 || args() == 5);
            if (args() >= 4 && m_accented) {
                m_accented->used = true;
                m_accented->adx = arg(0);
                m_accented->ady = arg(1);
                m_accented->base = int(arg(2));
                m_accented->accent = int(arg(3));
            }
            m_ended = true;
            clear();
            return true;
        }
        case 12: {
            if (p >= end) return false;
            return operateEscaped(*p++);
        }
        default:
            return false;
    }
}

bool Machine::operateEscaped(int op) {
    auto need = [&](size_t n) { return args() >= n; };
    switch (op) {
        case 35:  // flex: two curves and a depth
            if (!need(13)) return false;
            curveTo(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5));
            curveTo(arg(6), arg(7), arg(8), arg(9), arg(10), arg(11));
            break;
        case 34:  // hflex
            if (!need(7)) return false;
            curveTo(arg(0), 0, arg(1), arg(2), arg(3), 0);
            curveTo(arg(4), 0, arg(5), -arg(2), arg(6), 0);
            break;
        case 36:  // hflex1: back to the starting height
            if (!need(9)) return false;
            curveTo(arg(0), arg(1), arg(2), arg(3), arg(4), 0);
            curveTo(arg(5), 0, arg(6), arg(7), arg(8), -(arg(1) + arg(3) + arg(7)));
            break;
        case 37: {  // flex1: the last point's free axis is the larger extent
            if (!need(11)) return false;
            double dx = 0, dy = 0;
            for (size_t i = 0; i < 10; i += 2) {
                dx += arg(i);
                dy += arg(i + 1);
            }
            curveTo(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5));
            if (std::fabs(dx) > std::fabs(dy)) curveTo(arg(6), arg(7), arg(8), arg(9), arg(10), -dy);
            else curveTo(arg(6), arg(7), arg(8), arg(9), -dx, arg(10));
            break;
        }
        default: return arithmetic(op);
    }
    clear();
    return true;
}

// The operators that compute on the stack; they leave it in place.
bool Machine::arithmetic(int op) {
    auto need = [&](size_t n) { return m_n >= m_base + n; };
    auto top = [&](size_t k) -> double& { return m_stack[m_n - 1 - k]; };
    switch (op) {
        case 3: case 4: case 10: case 11: case 12: case 15: case 24: {  // two operands, one result
            if (!need(2)) return false;
            double b = top(0), a = top(1), r = 0;
            switch (op) {
                case 3: r = (a != 0 && b != 0); break;
                case 4: r = (a != 0 || b != 0); break;
                case 10: r = a + b; break;
                case 11: r = a - b; break;
                case 12: r = b != 0 ? a / b : 0; break;
                case 15: r = a == b; break;
                default: r = a * b; break;
            }
            --m_n;
            top(0) = r;
            return true;
        }
        case 5: case 9: case 14: case 26:  // not, abs, neg, sqrt
            if (!need(1)) return false;
            top(0) = op == 5 ? double(top(0) == 0) : op == 9 ? std::fabs(top(0)) : op == 14 ? -top(0)
                                                                                     : std::sqrt(std::fabs(top(0)));
            return true;
        case 18:  // drop
            if (!need(1)) return false;
            --m_n;
            return true;
        case 27:  // dup
            return need(1) && push(top(0));
        case 28:  // exch
            if (!need(2)) return false;
            std::swap(top(0), top(1));
            return true;
        case 20: {  // put
            if (!need(2)) return false;
            double i = top(0);
            if (!(i >= 0 && i < double(kTransientSize))) return false;
            m_transient[size_t(i)] = top(1);
            m_n -= 2;
            return true;
        }
        case 21: {  // get
            if (!need(1)) return false;
            double i = top(0);
            if (!(i >= 0 && i < double(kTransientSize))) return false;
            top(0) = m_transient[size_t(i)];
            return true;
        }
        case 22: {  // ifelse
            if (!need(4)) return false;
            double v2 = top(0), v1 = top(1), s2 = top(2), s1 = top(3);
            m_n -= 3;
            top(0) = v1 <= v2 ? s1 : s2;
            return true;
        }
        case 29: {  // index
            if (!need(1)) return false;
            double i = top(0);
            size_t avail = m_n - 1 - m_base;
            size_t k = i < 0 ? 0 : size_t(std::min<double>(i, double(kMaxStack)));
            if (k >= avail) return false;
            top(0) = top(k + 1);
            return true;
        }
        case 30: {  // roll: n elements j positions
            if (!need(2)) return false;
            double jd = top(0), nd = top(1);
            m_n -= 2;
            if (!(nd >= 0) || nd > double(m_n - m_base) || !std::isfinite(jd)) return false;
            size_t n = size_t(nd);
            if (n == 0) return true;
            long j = long(std::fmod(jd, double(n)));
            if (j < 0) j += long(n);
            std::rotate(m_stack.begin() + long(m_n - n), m_stack.begin() + long(m_n - size_t(j)),
                        m_stack.begin() + long(m_n));
            return true;
        }
        default:
            return false;  // random, and operators the format does not define
    }
}

}  // namespace

bool RunCharstring(const uint8_t* data, size_t size, const Subroutines& subrs, Bounds& bounds,
                   AccentedForm* accented) {
    Machine machine(subrs, bounds, accented);
    return machine.run(data, size);
}

namespace {

void PutNumber(std::vector<uint8_t>& out, int32_t v) {
    if (v >= -107 && v <= 107) {
        out.push_back(uint8_t(v + 139));
    } else if (v >= 108 && v <= 1131) {
        v -= 108;
        out.push_back(uint8_t(247 + (v >> 8)));
        out.push_back(uint8_t(v));
    } else if (v <= -108 && v >= -1131) {
        v = -v - 108;
        out.push_back(uint8_t(251 + (v >> 8)));
        out.push_back(uint8_t(v));
    } else if (v >= -32768 && v <= 32767) {
        out.push_back(28);
        out.push_back(uint8_t(uint16_t(v) >> 8));
        out.push_back(uint8_t(v));
    } else {  // beyond 16 bits: a 16.16 fixed number
        uint32_t fixed = uint32_t(v) << 16;
        out.insert(out.end(), {255, uint8_t(fixed >> 24), uint8_t(fixed >> 16), uint8_t(fixed >> 8), uint8_t(fixed)});
    }
}

}  // namespace

std::vector<uint8_t> EncodeCharstring(const std::vector<PathContour>& contours, int width, int defaultWidth,
                                      int nominalWidth) {
    std::vector<uint8_t> out;
    bool widthPending = width != defaultWidth;
    PathPoint at;
    auto delta = [&](PathPoint p) {
        PutNumber(out, p.x - at.x);
        PutNumber(out, p.y - at.y);
        at = p;
    };
    for (const PathContour& contour : contours) {
        if (contour.segments.empty()) continue;
        if (widthPending) PutNumber(out, width - nominalWidth);
        widthPending = false;
        delta(contour.start);
        out.push_back(21);  // rmoveto
        size_t count = contour.segments.size();
        // The contour closes itself: a last line back to the start is left out.
        const PathSegment& last = contour.segments.back();
        if (!last.curve && last.to.x == contour.start.x && last.to.y == contour.start.y) --count;
        for (size_t i = 0; i < count; ++i) {
            const PathSegment& s = contour.segments[i];
            if (s.curve) {
                delta(s.c1);
                delta(s.c2);
                delta(s.to);
                out.push_back(8);  // rrcurveto
            } else {
                delta(s.to);
                out.push_back(5);  // rlineto
            }
        }
    }
    if (widthPending) PutNumber(out, width - nominalWidth);
    out.push_back(14);  // endchar
    return out;
}

}  // namespace Cff
