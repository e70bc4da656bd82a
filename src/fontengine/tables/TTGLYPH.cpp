#include "TTGLYPH.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "SlabPool.h"
#include "TTBytes.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

namespace {
// A flattened composite may not grow beyond this many points.
constexpr size_t kMaxFlattenedPoints = 65535;

bool FitsByte(int v, bool isSigned) { return isSigned ? (v >= -128 && v <= 127) : (v >= 0 && v <= 255); }

// Never destroyed: glyphs held by static objects may outlive any exit-time destructor.
SlabPool& GlyphPool() {
    static SlabPool* pool = new SlabPool(sizeof(TTGLYPH));
    return *pool;
}

}  // namespace

void* TTGLYPH::operator new(size_t size) {
    return size == sizeof(TTGLYPH) ? GlyphPool().allocate() : ::operator new(size);
}

void TTGLYPH::operator delete(void* object, size_t size) {
    if (size == sizeof(TTGLYPH))
        GlyphPool().deallocate(object);
    else
        ::operator delete(object);
}

TTGLYPH::TTGLYPH(TTObject* owner) : TTStreamed(owner) {}

TTGLYPH::TTGLYPH(uint8_t kind, int16_t xMin_, int16_t yMin_, int16_t xMax_, int16_t yMax_) : TTStreamed(nullptr) {
    reset();
    m_nKind = kind;
    xMin = xMin_;
    yMin = yMin_;
    xMax = xMax_;
    yMax = yMax_;
    m_nAdvanceWidth = uint16_t(xMax - xMin);
    m_nAdvanceHeight = uint16_t(yMax - yMin);
}

void TTGLYPH::assign(const TTObject& other) {
    TTStreamed::assign(other);
    const auto* g = dynamic_cast<const TTGLYPH*>(&other);
    if (!g || g == this) return;
    m_nIndex = g->m_nIndex;
    m_nKind = g->m_nKind;
    m_nOffset = g->m_nOffset;
    m_nLength = g->m_nLength;
    m_bLoaded = g->m_bLoaded;
    m_bResident = g->m_bResident;
    numberOfContours = g->numberOfContours;
    xMin = g->xMin;
    yMin = g->yMin;
    xMax = g->xMax;
    yMax = g->yMax;
    m_endPoints = g->m_endPoints;
    m_points = g->m_points;
    m_instructions = g->m_instructions;
    m_components = g->m_components;
    m_nAdvanceWidth = g->m_nAdvanceWidth;
    m_nLeftSideBearing = g->m_nLeftSideBearing;
    m_nAdvanceHeight = g->m_nAdvanceHeight;
    m_nTopSideBearing = g->m_nTopSideBearing;
    m_nYPels = g->m_nYPels;
    m_nUnitsPerEm = g->m_nUnitsPerEm;
    m_name = g->m_name;
    m_nPointCount = g->m_nPointCount;
    m_nInstructionLength = g->m_nInstructionLength;
    m_bCounted = g->m_bCounted;
}

glyfTABLE* TTGLYPH::table() const { return dynamic_cast<glyfTABLE*>(owner()); }

void TTGLYPH::reset() {
    TTStreamed::reset();
    m_nKind = Empty;
    m_nOffset = m_nLength = 0;
    m_bLoaded = true;
    m_bResident = true;
    numberOfContours = 0;
    xMin = yMin = xMax = yMax = 0;
    m_endPoints.clear();
    m_points.clear();
    m_instructions.clear();
    m_components.clear();
    m_nAdvanceWidth = 0;
    m_nLeftSideBearing = 0;
    m_nAdvanceHeight = 0;
    m_nTopSideBearing = 0;
    m_nYPels = 1;
    m_nUnitsPerEm = 2048;
    m_name = GlyphName{};
    m_nPointCount = 0;
    m_nInstructionLength = 0;
    m_bCounted = true;
}

int TTGLYPH::decode(const uint8_t* data, size_t size, bool headerOnly) {
    ByteCursor c(data, size);
    numberOfContours = c.s16();
    xMin = c.s16();
    yMin = c.s16();
    xMax = c.s16();
    yMax = c.s16();
    if (!c.ok()) return TTError::kRead;
    // A glyph without contours but with a header is a simple glyph with no points.
    m_nKind = numberOfContours >= 0 ? Simple : Composite;
    if (headerOnly) return TTError::kOk;
    if (xMin > xMax || yMin > yMax) return TTError::kInvalid;

    m_endPoints.clear();
    m_points.clear();
    m_instructions.clear();
    m_components.clear();
    m_nPointCount = 0;
    m_nInstructionLength = 0;

    if (m_nKind == Simple) {
        if (numberOfContours > kMaxContours) return TTError::kInvalid;
        m_endPoints.resize(size_t(numberOfContours));
        for (auto& e : m_endPoints) e = c.u16();
        for (size_t i = 1; i < m_endPoints.size(); ++i)
            if (m_endPoints[i] < m_endPoints[i - 1]) return TTError::kInvalid;
        int32_t count = m_endPoints.empty() ? 0 : int32_t(m_endPoints.back()) + 1;
        if (count > 32767) return TTError::kInvalid;
        m_nInstructionLength = c.u16();
        m_instructions.resize(m_nInstructionLength);
        c.bytes(m_instructions.data(), m_instructions.size());
        if (!c.ok()) return TTError::kRead;
        m_points.resize(size_t(count));
        // This runs for every point of the font, so the bytes are read through a raw
        // cursor with one bounds check per flag and one per coordinate array.
        const uint8_t* q = c.here();
        const uint8_t* const stop = data + size;
        // Flags: inside a run of repeated flags every point but the last has Repeat set.
        unsigned pending = 0;
        for (int32_t i = 0; i < count; ++i) {
            uint16_t flags;
            if (pending) {
                flags = m_points[size_t(i) - 1].flags;
                if (--pending == 0) flags &= uint16_t(~PointFlag::Repeat);
            } else {
                if (q >= stop) return TTError::kRead;
                flags = *q++;
                if (flags & PointFlag::Repeat) {
                    if (q >= stop) return TTError::kRead;
                    pending = *q++;
                    if (pending == 0) flags &= uint16_t(~PointFlag::Repeat);
                }
            }
            m_points[size_t(i)].flags = flags;
        }
        if (pending && count) m_points.back().flags &= uint16_t(~PointFlag::Repeat);
        auto coordinates = [&](int16_t GlyphPoint::*coord, uint16_t shortBit, uint16_t sameBit) {
            size_t need = 0;
            for (const auto& p : m_points)
                need += (p.flags & shortBit) ? 1 : (p.flags & sameBit) ? 0 : 2;
            if (need > size_t(stop - q)) return false;
            int v = 0;
            for (auto& p : m_points) {
                if (p.flags & shortBit) {
                    v += (p.flags & sameBit) ? int(*q) : -int(*q);
                    ++q;
                } else if (!(p.flags & sameBit)) {
                    v += int16_t(uint16_t(q[0] << 8 | q[1]));
                    q += 2;
                }
                p.*coord = int16_t(v);
            }
            return true;
        };
        if (!coordinates(&GlyphPoint::x, PointFlag::xShort, PointFlag::xSame) ||
            !coordinates(&GlyphPoint::y, PointFlag::yShort, PointFlag::ySame))
            return TTError::kRead;
        m_nPointCount = count;
    } else {
        uint16_t flags;
        do {
            GlyphComponent comp;
            comp.flags = flags = c.u16();
            comp.glyphIndex = c.u16();
            if (flags & ComponentFlag::ARG_1_AND_2_ARE_WORDS) {
                comp.arg1 = c.s16();
                comp.arg2 = c.s16();
            } else {
                uint16_t w = c.u16();
                if (flags & ComponentFlag::ARGS_ARE_XY_VALUES) {
                    comp.arg1 = int8_t(w >> 8);
                    comp.arg2 = int8_t(w & 0xFF);
                } else {
                    comp.arg1 = int16_t(w >> 8);
                    comp.arg2 = int16_t(w & 0xFF);
                }
            }
            if (flags & ComponentFlag::WE_HAVE_A_SCALE) {
                comp.scale = c.s16();
            } else if (flags & ComponentFlag::WE_HAVE_AN_X_AND_Y_SCALE) {
                comp.xx = c.s16();
                comp.yy = c.s16();
            } else if (flags & ComponentFlag::WE_HAVE_A_TWO_BY_TWO) {
                comp.xx = c.s16();
                comp.xy = c.s16();
                comp.yx = c.s16();
                comp.yy = c.s16();
            }
            if (!c.ok()) return TTError::kRead;
            m_components.push_back(comp);
        } while (flags & ComponentFlag::MORE_COMPONENTS);
        if (flags & ComponentFlag::WE_HAVE_INSTRUCTIONS) {
            m_nInstructionLength = c.u16();
            m_instructions.resize(m_nInstructionLength);
            c.bytes(m_instructions.data(), m_instructions.size());
            if (!c.ok()) return TTError::kRead;
        }
    }
    m_bCounted = true;
    m_bLoaded = true;
    return TTError::kOk;
}

int TTGLYPH::readBody() {
    if (!beginReadStream()) return error();
    if (m_nLength == 0) {
        m_nKind = Empty;
        m_bLoaded = true;
        m_bCounted = true;
        return error();
    }
    glyfTABLE* g = table();
    std::vector<uint8_t> local;
    std::vector<uint8_t>& bytes = g ? g->m_scratch : local;
    try {
        bytes.resize(m_nLength);
        if (readUnits(bytes.data(), 1, m_nLength) != m_nLength) return error();
        setError(decode(bytes.data(), m_nLength));
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
    }
    return error();
}

int TTGLYPH::ensureLoaded() {
    if (m_bLoaded || m_nKind == Empty) return error();
    glyfTABLE* g = table();
    TTStream* in = input();
    if (!g || !in) {
        setError(TTError::kNoHandle);
        return error();
    }
    if (!in->seek(uint64_t(g->m_nOffset) + m_nOffset)) {
        setError(TTError::kRead);
        return error();
    }
    readFrom(in);
    setInput(nullptr);  // keep taking the font's stream
    m_nUnitsPerEm = g->m_nUnitsPerEm;
    return error();
}

int TTGLYPH::readCounts() {
    glyfTABLE* g = table();
    TTStream* in = input();
    if (!g || !in) {
        setError(TTError::kNoHandle);
        return error();
    }
    std::vector<uint8_t>& bytes = g->m_scratch;
    try {
        bytes.resize(m_nLength);
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
        return error();
    }
    if (!in->seek(uint64_t(g->m_nOffset) + m_nOffset) || !in->read(bytes.data(), m_nLength)) {
        setError(TTError::kRead);
        return error();
    }
    ByteCursor c(bytes.data(), bytes.size());
    int16_t contours = c.s16();
    c.skip(8);
    if (!c.ok() || contours < 0 || contours > kMaxContours) {
        setError(contours < 0 ? TTError::kInvalid : TTError::kRead);
        return error();
    }
    uint16_t last = 0, previous = 0;
    for (int16_t i = 0; i < contours; ++i) {
        last = c.u16();
        if (i > 0 && last < previous) {
            setError(TTError::kInvalid);
            return error();
        }
        previous = last;
    }
    uint16_t instructions = c.u16();
    if (!c.ok() || size_t(instructions) > c.remaining()) {
        setError(TTError::kRead);
        return error();
    }
    m_nPointCount = contours == 0 ? 0 : int32_t(last) + 1;
    m_nInstructionLength = instructions;
    m_bCounted = true;
    return error();
}

void TTGLYPH::releaseOutline() {
    if (m_bResident) return;
    std::vector<GlyphPoint>().swap(m_points);
    std::vector<uint16_t>().swap(m_endPoints);
    std::vector<uint8_t>().swap(m_instructions);
    m_bLoaded = false;
}

void TTGLYPH::computeFlags() {
    int px = 0, py = 0;
    for (auto& p : m_points) {
        uint16_t f = p.flags & (PointFlag::OnCurve | PointFlag::Overlap);
        int dx = p.x - px, dy = p.y - py;
        if (dx == 0) f |= PointFlag::xSame;
        else if (dx > -256 && dx < 256) f |= PointFlag::xShort | (dx > 0 ? PointFlag::xSame : 0);
        if (dy == 0) f |= PointFlag::ySame;
        else if (dy > -256 && dy < 256) f |= PointFlag::yShort | (dy > 0 ? PointFlag::ySame : 0);
        p.flags = f;
        px = p.x;
        py = p.y;
    }
    constexpr uint16_t kCompared = 0x77;  // everything written but Repeat
    for (size_t i = 0; i + 1 < m_points.size(); ++i)
        if ((m_points[i].flags & kCompared) == (m_points[i + 1].flags & kCompared)) m_points[i].flags |= PointFlag::Repeat;
}

int TTGLYPH::encode(std::vector<uint8_t>& out) {
    ByteWriter w(out);
    if (m_nKind == Empty) return TTError::kOk;
    // The largest possible encoding, so that appending never reallocates.
    out.reserve(out.size() + 16 + 2 * m_endPoints.size() + m_instructions.size() + 5 * m_points.size() +
                18 * m_components.size());
    if (m_nKind == Simple) {
        if (m_endPoints.size() > size_t(kMaxContours)) return TTError::kInvalid;
        int32_t count = m_endPoints.empty() ? 0 : int32_t(m_endPoints.back()) + 1;
        if (size_t(count) != m_points.size()) return TTError::kInvalid;
        numberOfContours = int16_t(m_endPoints.size());
        m_nPointCount = count;
        m_nInstructionLength = uint16_t(m_instructions.size());
        w.s16(numberOfContours);
        w.s16(xMin);
        w.s16(yMin);
        w.s16(xMax);
        w.s16(yMax);
        for (uint16_t e : m_endPoints) w.u16(e);
        w.u16(m_nInstructionLength);
        w.bytes(m_instructions.data(), m_instructions.size());
        // The short/same bits always follow the coordinates, so no edit can corrupt them.
        computeFlags();
        // Written through a raw cursor into room for the largest encoding (5 bytes a
        // point): this loop runs for every point of the font.
        size_t base = out.size();
        out.resize(base + 5 * m_points.size());
        uint8_t* q = out.data() + base;
        // One flag byte per run of equal flags; a run holds at most 256 points.
        for (size_t i = 0; i < m_points.size();) {
            uint8_t f = uint8_t(m_points[i].flags & 0x77);
            size_t run = 1;
            while (i + run < m_points.size() && run < 256 && uint8_t(m_points[i + run].flags & 0x77) == f) ++run;
            if (run > 1) {
                *q++ = f | PointFlag::Repeat;
                *q++ = uint8_t(run - 1);
            } else {
                *q++ = f;
            }
            i += run;
        }
        auto deltas = [&q, this](auto coord, uint16_t shortBit, uint16_t sameBit) {
            int prev = 0;
            for (const auto& p : m_points) {
                int v = coord(p), d = v - prev;
                prev = v;
                if (p.flags & shortBit) {
                    *q++ = uint8_t(d < 0 ? -d : d);
                } else if (!(p.flags & sameBit)) {
                    *q++ = uint8_t(uint16_t(d) >> 8);
                    *q++ = uint8_t(d);
                }
            }
        };
        deltas([](const GlyphPoint& p) { return int(p.x); }, PointFlag::xShort, PointFlag::xSame);
        deltas([](const GlyphPoint& p) { return int(p.y); }, PointFlag::yShort, PointFlag::ySame);
        out.resize(size_t(q - out.data()));
        return TTError::kOk;
    }
    if (m_components.empty()) return TTError::kInvalid;
    numberOfContours = -1;
    w.s16(-1);
    w.s16(xMin);
    w.s16(yMin);
    w.s16(xMax);
    w.s16(yMax);
    m_nInstructionLength = uint16_t(m_instructions.size());
    for (size_t i = 0; i < m_components.size(); ++i) {
        GlyphComponent& c = m_components[i];
        bool last = i + 1 == m_components.size();
        uint16_t f = c.flags & uint16_t(0x03FF | ComponentFlag::kKeptHighFlags);
        f &= uint16_t(~(ComponentFlag::MORE_COMPONENTS | ComponentFlag::WE_HAVE_INSTRUCTIONS));
        if (!last) f |= ComponentFlag::MORE_COMPONENTS;
        else if (m_nInstructionLength) f |= ComponentFlag::WE_HAVE_INSTRUCTIONS;
        bool isSigned = f & ComponentFlag::ARGS_ARE_XY_VALUES;
        if (!FitsByte(c.arg1, isSigned) || !FitsByte(c.arg2, isSigned)) f |= ComponentFlag::ARG_1_AND_2_ARE_WORDS;
        c.flags = f;
        w.u16(f);
        w.u16(c.glyphIndex);
        if (f & ComponentFlag::ARG_1_AND_2_ARE_WORDS) {
            w.s16(c.arg1);
            w.s16(c.arg2);
        } else {
            w.u16(uint16_t((uint16_t(c.arg1) << 8) | (uint16_t(c.arg2) & 0xFF)));
        }
        if (f & ComponentFlag::WE_HAVE_A_SCALE) {
            w.s16(c.scale);
        } else if (f & ComponentFlag::WE_HAVE_AN_X_AND_Y_SCALE) {
            w.s16(c.xx);
            w.s16(c.yy);
        } else if (f & ComponentFlag::WE_HAVE_A_TWO_BY_TWO) {
            w.s16(c.xx);
            w.s16(c.xy);
            w.s16(c.yx);
            w.s16(c.yy);
        }
    }
    if (m_nInstructionLength) {
        w.u16(m_nInstructionLength);
        w.bytes(m_instructions.data(), m_instructions.size());
    }
    return TTError::kOk;
}

int TTGLYPH::writeBody() {
    TTStream* out = output();
    if (!out) {
        setError(TTError::kNoHandle);
        return error();
    }
    setError(TTError::kOk);
    if (!m_bResident && !m_bWriteRead && ensureLoaded() != TTError::kOk) return error();
    glyfTABLE* g = table();
    std::vector<uint8_t> local;
    std::vector<uint8_t>& bytes = g ? g->m_scratch : local;
    bool asRead = m_bWriteRead && g && bytes.size() == m_nLength;
    m_bWriteRead = false;
    if (!asRead) bytes.clear();
    try {
        int code = asRead ? TTError::kOk : encode(bytes);
        if (code != TTError::kOk) {
            setError(code);
            return error();
        }
        if ((out->tell() + bytes.size()) & 1) bytes.push_back(0);
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
        return error();
    }
    if (!bytes.empty()) writeUnits(bytes.data(), 1, bytes.size());
    return error();
}

int TTGLYPH::appendContour(const GlyphPoint* points, size_t count) {
    if (!points || count == 0) {
        setError(TTError::kInvalid);
        return error();
    }
    if (m_points.size() + count > 32767 || m_endPoints.size() >= size_t(kMaxContours)) {
        setError(TTError::kInvalid);
        return error();
    }
    try {
        m_points.insert(m_points.end(), points, points + count);
        m_endPoints.push_back(uint16_t(m_points.size() - 1));
    } catch (const std::bad_alloc&) {
        setError(TTError::kNoMemory);
        return error();
    }
    ++numberOfContours;
    m_nPointCount = int32_t(m_points.size());
    return error();
}

void TTGLYPH::updateBoundingBox() {
    std::vector<GlyphPoint> flat;
    std::vector<uint16_t> ends;
    const std::vector<GlyphPoint>* pts = &m_points;
    if (m_nKind == Composite) {
        if (flatten(flat, ends) != TTError::kOk) return;
        pts = &flat;
    }
    if (m_nKind == Empty || pts->empty()) {
        xMin = yMin = xMax = yMax = 0;
        return;
    }
    int x0 = 32767, y0 = 32767, x1 = -32767, y1 = -32767;
    for (const auto& p : *pts) {
        x0 = std::min<int>(x0, p.x);
        y0 = std::min<int>(y0, p.y);
        x1 = std::max<int>(x1, p.x);
        y1 = std::max<int>(y1, p.y);
    }
    xMin = int16_t(x0);
    yMin = int16_t(y0);
    xMax = int16_t(x1);
    yMax = int16_t(y1);
}

int TTGLYPH::flatten(std::vector<GlyphPoint>& points, std::vector<uint16_t>& endPoints) {
    points.clear();
    endPoints.clear();
    int code = flattenInto(points, endPoints, 0);
    if (code != TTError::kOk) setError(code);
    return code;
}

int TTGLYPH::flattenInto(std::vector<GlyphPoint>& points, std::vector<uint16_t>& endPoints, int depth) {
    if (depth > kMaxComponentDepth) return TTError::kInvalid;
    if (m_nKind == Empty) return TTError::kOk;
    bool wasLoaded = m_bLoaded;
    if (ensureLoaded() != TTError::kOk) return error();
    if (m_nKind == Simple) {
        size_t base = points.size();
        if (base + m_points.size() > kMaxFlattenedPoints) return TTError::kInvalid;
        points.insert(points.end(), m_points.begin(), m_points.end());
        for (uint16_t e : m_endPoints) endPoints.push_back(uint16_t(base + e));
        if (!wasLoaded) releaseOutline();
        return TTError::kOk;
    }
    glyfTABLE* g = table();
    for (const GlyphComponent& c : m_components) {
        TTGLYPH* ref = g ? g->glyph(c.glyphIndex) : nullptr;
        if (!ref) continue;  // a component outside the font draws nothing
        std::vector<GlyphPoint> cp;
        std::vector<uint16_t> ce;
        int code = ref->flattenInto(cp, ce, depth + 1);
        if (code != TTError::kOk) return code;
        using namespace ComponentFlag;
        if (c.flags & WE_HAVE_A_SCALE) {
            for (auto& p : cp) {
                p.x = int16_t((p.x * c.scale) >> 14);
                p.y = int16_t((p.y * c.scale) >> 14);
            }
        } else if (c.flags & (WE_HAVE_AN_X_AND_Y_SCALE | WE_HAVE_A_TWO_BY_TWO)) {
            for (auto& p : cp) {
                int x = p.x, y = p.y;
                p.x = int16_t(((c.xx * x) >> 14) + ((c.xy * y) >> 14));
                p.y = int16_t(((c.yx * x) >> 14) + ((c.yy * y) >> 14));
            }
        }
        int dx = 0, dy = 0;
        if (c.flags & ARGS_ARE_XY_VALUES) {
            dx = c.arg1;
            dy = c.arg2;
        } else if ((c.arg1 || c.arg2) && size_t(uint16_t(c.arg1)) < points.size() && size_t(uint16_t(c.arg2)) < cp.size()) {
            dx = points[size_t(uint16_t(c.arg1))].x - cp[size_t(uint16_t(c.arg2))].x;
            dy = points[size_t(uint16_t(c.arg1))].y - cp[size_t(uint16_t(c.arg2))].y;
        }
        for (auto& p : cp) {
            p.x = int16_t(p.x + dx);
            p.y = int16_t(p.y + dy);
        }
        if (c.flags & kAnyScale) {
            int xx = c.flags & WE_HAVE_A_SCALE ? c.scale : c.xx;
            int yy = c.flags & WE_HAVE_A_SCALE ? c.scale : c.yy;
            int xy = c.flags & WE_HAVE_A_TWO_BY_TWO ? c.xy : 0;
            int yx = c.flags & WE_HAVE_A_TWO_BY_TWO ? c.yx : 0;
            if (((xx * yy) >> 14) - ((xy * yx) >> 14) < 0) {
                size_t start = 0;
                for (uint16_t e : ce) {
                    if (e >= cp.size() || e < start) break;
                    std::reverse(cp.begin() + long(start), cp.begin() + long(e) + 1);
                    start = size_t(e) + 1;
                }
            }
        }
        size_t base = points.size();
        if (base + cp.size() > kMaxFlattenedPoints) return TTError::kInvalid;
        points.insert(points.end(), cp.begin(), cp.end());
        for (uint16_t e : ce) endPoints.push_back(uint16_t(base + e));
    }
    if (!wasLoaded) releaseOutline();
    return TTError::kOk;
}

namespace {
constexpr int kPictureColumns = 25;
constexpr int kPictureRows = 15;

// The 25 x 15 character picture of a simple glyph: points as "x" (on the curve) and
// "o" (off it), each contour's consecutive points joined by a line of dots.
void DrawPicture(FILE* out, const TTGLYPH& g, const std::vector<GlyphPoint>& points) {
    int64_t x0 = std::min<int64_t>(g.xMin, 0), y0 = std::min<int64_t>(g.yMin, 0);
    int64_t s = std::max((g.xMax - x0) * 6 / 5 + 2, (g.yMax - y0) * 6 / 5 + 2);
    if (s <= 0) s = 1;
    auto column = [&](const GlyphPoint& p) { return int(std::clamp<int64_t>((p.x - x0) * 24 / s, 0, 24)); };
    auto row = [&](const GlyphPoint& p) { return int(std::clamp<int64_t>((y0 - p.y) * 14 / s + 14, 0, 14)); };
    char grid[kPictureRows][kPictureColumns];
    std::memset(grid, ' ', sizeof grid);
    auto line = [&](int c0, int r0, int c1, int r1) {
        int dc = std::abs(c1 - c0), dr = -std::abs(r1 - r0);
        int sc = c0 < c1 ? 1 : -1, sr = r0 < r1 ? 1 : -1, err = dc + dr;
        for (;;) {
            grid[r0][c0] = '.';
            if (c0 == c1 && r0 == r1) break;
            int e2 = 2 * err;
            if (e2 >= dr) err += dr, c0 += sc;
            if (e2 <= dc) err += dc, r0 += sr;
        }
    };
    size_t start = 0;
    for (uint16_t end : g.m_endPoints) {
        if (end < start || end >= points.size()) break;
        for (size_t i = start; i <= end; ++i) {
            const GlyphPoint& a = points[i];
            const GlyphPoint& b = points[i == end ? start : i + 1];
            line(column(a), row(a), column(b), row(b));
        }
        start = size_t(end) + 1;
    }
    for (const GlyphPoint& p : points) grid[row(p)][column(p)] = (p.flags & PointFlag::OnCurve) ? 'x' : 'o';
    std::fputs("\n|-------------------------", out);
    for (auto& r : grid) {
        std::fputs("|\n|", out);
        std::fwrite(r, 1, kPictureColumns, out);
    }
    std::fputs("|\n|-------------------------|\n", out);
}

// False when a contour is broken, which ends the glyph's listing.
bool ListSimple(FILE* out, TTGLYPH& g) {
    if (g.m_endPoints.empty()) {
        std::fputs("\nendpoint missing (?!)\n", out);
        return true;
    }
    TTText::Array<unsigned>(out, "\nglyph.endpoint[%d] = {\n", g.m_endPoints.size(), 10,
                            [&](size_t i) { return g.m_endPoints[i]; }, "%4d, ", "%4d\n");
    for (uint16_t end : g.m_endPoints)
        if (end >= g.m_points.size()) {
            std::fputs("\nThe contour is incorrect.\n", out);
            return false;
        }
    // The flags as writing computes them.
    std::vector<GlyphPoint> saved = g.m_points;
    g.computeFlags();
    std::vector<GlyphPoint> points;
    points.swap(g.m_points);
    g.m_points = std::move(saved);
    DrawPicture(out, g, points);
    static const struct { uint16_t bit; const char* name; } kFlags[] = {
        {PointFlag::xShort, "xSh "}, {PointFlag::yShort, "ySh "}, {PointFlag::Repeat, "Rep "},
        {PointFlag::xSame, "xSm "},  {PointFlag::ySame, "ySm "}};
    for (size_t i = 0; i < points.size(); ++i) {
        const GlyphPoint& p = points[i];
        std::fprintf(out, "%3d:(%d,%d)\t%s", int(i), p.x, p.y, (p.flags & PointFlag::OnCurve) ? "ON  " : "OFF ");
        for (const auto& f : kFlags)
            if (p.flags & f.bit) std::fputs(f.name, out);
        std::fputs("\n", out);
    }
    return true;
}

const struct {
    uint16_t bit;
    const char* shortName;
    const char* fullName;
} kComponentFlags[] = {{ComponentFlag::ARG_1_AND_2_ARE_WORDS, "1_2_WORDS", "ARG_1_AND_2_ARE_WORDS"},
                       {ComponentFlag::ARGS_ARE_XY_VALUES, "XY_VALUES", "ARGS_ARE_XY_VALUES"},
                       {ComponentFlag::ROUND_XY_TO_GRID, "XY_TO_GRID", "ROUND_XY_TO_GRID"},
                       {ComponentFlag::WE_HAVE_A_SCALE, "SCALE", "WE_HAVE_A_SCALE"},
                       {ComponentFlag::MORE_COMPONENTS, "MORE", "MORE_COMPONENTS"},
                       {ComponentFlag::WE_HAVE_AN_X_AND_Y_SCALE, "XY_SCALE", "WE_HAVE_AN_X_AND_Y_SCALE"},
                       {ComponentFlag::WE_HAVE_A_TWO_BY_TWO, "TWO_BY_TWO", "WE_HAVE_A_TWO_BY_TWO"},
                       {ComponentFlag::WE_HAVE_INSTRUCTIONS, "INSTRUCTIONS", "WE_HAVE_INSTRUCTIONS"},
                       {ComponentFlag::USE_MY_METRICS, "MY_METRICS", "USE_MY_METRICS"}};

void ListComposite(FILE* out, const TTGLYPH& g) {
    std::fprintf(out, "composite, %d components.", int(g.m_components.size()));
    for (size_t i = 0; i < g.m_components.size(); ++i) {
        const GlyphComponent& c = g.m_components[i];
        std::fprintf(out, "\n\tcomp#%d [%4d] ", int(i), c.glyphIndex);
        if (c.flags & ComponentFlag::ARGS_ARE_XY_VALUES) std::fprintf(out, "offset = (%d, %d)", c.arg1, c.arg2);
        else std::fprintf(out, "to match: %d, matched: %d", c.arg1, c.arg2);
        std::fprintf(out, "\tflags = %04x (", c.flags);
        for (const auto& f : kComponentFlags)
            if (c.flags & f.bit) std::fprintf(out, " %s", f.shortName);
        std::fputs(" )\n", out);
        if (c.flags & ComponentFlag::WE_HAVE_A_SCALE) std::fprintf(out, "scale = %d\n", c.scale);
        else if (c.flags & ComponentFlag::WE_HAVE_AN_X_AND_Y_SCALE) std::fprintf(out, "xyscale = (%d, %d)\n", c.xx, c.yy);
        else if (c.flags & ComponentFlag::WE_HAVE_A_TWO_BY_TWO)
            std::fprintf(out, "matrix = (%d, %d, %d, %d)\n", c.xx, c.xy, c.yx, c.yy);
    }
}
}  // namespace

int TTGLYPH::dumpText(FILE* out) {
    bool wasLoaded = m_bLoaded;
    if (!m_bResident && m_nKind != Empty && ensureLoaded() != TTError::kOk) return error();
    std::fprintf(out, "\nGlyph # %4i: %8lx", int(m_nIndex), (unsigned long)m_nOffset);
    std::fprintf(out, "(%d,%d)..(%d,%d): ", xMin, yMin, xMax, yMax);
    bool whole = true;
    if (m_nKind == Empty) std::fputs("empty.", out);
    else if (m_nKind == Composite) ListComposite(out, *this);
    else whole = ListSimple(out, *this);
    if (whole)
        TTText::Array<unsigned>(out, "\nglyph.instr[%d] = {\n", m_instructions.size(), 20,
                            [&](size_t i) { return m_instructions[i]; }, "%02x, ", "%02x\n");
    if (!wasLoaded) releaseOutline();
    return std::ferror(out) ? TTError::kWrite : TTError::kOk;
}

void TTGLYPH::dumpFields(TTDumpSink& sink) {
    bool wasLoaded = m_bLoaded;
    if (!m_bResident && m_nKind != Empty && ensureLoaded() != TTError::kOk) {
        sink.field("index", m_nIndex);
        sink.field("error", error());
        return;
    }
    sink.field("index", m_nIndex);
    sink.field("kind", m_nKind);
    sink.field("offset", long(m_nOffset));
    sink.field("length", long(m_nLength));
    sink.field("numberOfContours", numberOfContours);
    sink.field("xMin", xMin);
    sink.field("yMin", yMin);
    sink.field("xMax", xMax);
    sink.field("yMax", yMax);
    sink.field("advanceWidth", m_nAdvanceWidth);
    sink.field("leftSideBearing", m_nLeftSideBearing);
    sink.field("advanceHeight", m_nAdvanceHeight);
    sink.field("topSideBearing", m_nTopSideBearing);
    sink.field("yPels", m_nYPels);
    sink.fieldText("glyphName", GlyphNames::text(m_name));
    if (m_nKind == Simple) {
        sink.array("endPtsOfContours", m_endPoints.data(), m_endPoints.size());
        std::vector<GlyphPoint> saved = m_points;
        computeFlags();
        std::vector<GlyphPoint> points;
        points.swap(m_points);
        m_points = std::move(saved);
        static const struct { uint16_t bit; const char* name; } kFlags[] = {
            {PointFlag::OnCurve, " OnCurve"}, {PointFlag::xShort, " xShort"}, {PointFlag::yShort, " yShort"},
            {PointFlag::Repeat, " Repeat"},   {PointFlag::xSame, " xSame"},   {PointFlag::ySame, " ySame"}};
        sink.print("points[%zu] = {\n", points.size());
        for (const GlyphPoint& p : points) {
            sink.print("x = %d\ty = %d\tflags =", p.x, p.y);
            for (const auto& f : kFlags)
                if (p.flags & f.bit) sink.put(f.name);
            sink.put("\n");
        }
        sink.put("}\n");
    } else if (m_nKind == Composite) {
        for (const GlyphComponent& c : m_components) {
            sink.begin("component");
            sink.put("flags =");
            for (const auto& f : kComponentFlags)
                if (c.flags & f.bit) sink.print(" %s", f.fullName);
            sink.put("\n");
            sink.field("glyphIndex", c.glyphIndex);
            if (c.flags & ComponentFlag::ARGS_ARE_XY_VALUES) {
                sink.field("xoffset", c.arg1);
                sink.field("yoffset", c.arg2);
            } else {
                sink.field("tomatch", c.arg1);
                sink.field("matched", c.arg2);
            }
            if (c.flags & ComponentFlag::WE_HAVE_A_SCALE) {
                sink.field("scale", c.scale);
            } else if (c.flags & ComponentFlag::WE_HAVE_AN_X_AND_Y_SCALE) {
                sink.field("xscale", c.xx);
                sink.field("yscale", c.yy);
            } else if (c.flags & ComponentFlag::WE_HAVE_A_TWO_BY_TWO) {
                sink.field("xscale", c.xx);
                sink.field("scale01", c.xy);
                sink.field("scale10", c.yx);
                sink.field("yscale", c.yy);
            }
            sink.end();
        }
    }
    sink.array("instructions", m_instructions.data(), m_instructions.size());
    if (!wasLoaded) releaseOutline();
}
