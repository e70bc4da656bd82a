#include "FontFiles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BufferedFile.h"
#include "ByteOrder.h"
#include "Error.h"

std::string GetFontsDirectory() {
    std::string dir;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') {
        dir = data;
    } else {
        const char* home = std::getenv("HOME");
        dir = std::string(home ? home : "") + "/.local/share";
    }
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + "fonts/";
}

std::string MakeFontPath(const std::string& file) {
    if (file.empty()) return {};
    if (file.find('/') != std::string::npos) return file;
    return GetFontsDirectory() + file;
}

namespace {

// Bounds-checked reads over the file's bytes; a read past the end is a read error and
// a position past the end a seek error, as for a file.
class ByteSource {
public:
    ByteSource(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}
    void seek(uint64_t pos) {
        if (pos > m_size) RaiseError(ErrorCode::kSeekError);
        m_pos = size_t(pos);
    }
    const unsigned char* take(size_t n) {
        if (n > m_size - m_pos) RaiseError(ErrorCode::kReadError);
        const unsigned char* p = m_data + m_pos;
        m_pos += n;
        return p;
    }
    uint16_t u16() { return ReadLE16(take(2)); }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

constexpr uint16_t kFontResourceType = 0x80CC;
constexpr size_t kMaxNameBytes = 4096;  // a file name, not a payload

std::string FotTarget(ByteSource& in) {
    const unsigned char* mz = in.take(64);
    if (ReadLE16(mz) != 0x5A4D || ReadLE16(mz + 0x18) < 0x40) RaiseError(FotError::kNotExecutable);
    uint32_t ne = ReadLE32(mz + 0x3C);
    in.seek(ne);
    const unsigned char* hdr = in.take(64);
    if (ReadLE16(hdr) != 0x454E || hdr[0x36] != 2) RaiseError(FotError::kNotExecutable);
    uint16_t resTable = ReadLE16(hdr + 0x24);
    if (resTable == ReadLE16(hdr + 0x26)) RaiseError(FotError::kNoFontResource);

    in.seek(uint64_t(ne) + resTable);
    uint16_t shift = in.u16();
    if (shift > 16) RaiseError(FotError::kNoFontResource);
    for (;;) {
        const unsigned char* type = in.take(8);
        uint16_t id = ReadLE16(type), count = ReadLE16(type + 2);
        if (id == 0) break;
        if (id != kFontResourceType) {
            in.take(size_t(count) * 12);
            continue;
        }
        if (count != 1) RaiseError(FotError::kNoFontResource);
        const unsigned char* rec = in.take(12);
        uint64_t offset = uint64_t(ReadLE16(rec)) << shift;
        uint64_t length = uint64_t(ReadLE16(rec + 2)) << shift;
        in.seek(offset);
        size_t n = size_t(std::min<uint64_t>(length, kMaxNameBytes));
        const unsigned char* name = in.take(n);
        size_t len = strnlen(reinterpret_cast<const char*>(name), n);
        return std::string(reinterpret_cast<const char*>(name), len);
    }
    RaiseError(FotError::kNoFontResource);
}

}  // namespace

std::string ReadFotTargetFromBytes(const unsigned char* data, size_t size) {
    try {
        ByteSource in(data, size);
        return FotTarget(in);
    } catch (const CodeError&) {
        return {};
    }
}

std::string ReadFotTarget(const std::string& path) {
    std::vector<uint8_t> bytes;
    // A font resource file is a few kilobytes; anything huge is not one.
    BufferedFile f;
    if (!f.open(path, BufferedFile::Mode::Read) || f.size() > (1u << 20)) return {};
    bytes.resize(size_t(f.size()));
    if (!bytes.empty() && !f.read(bytes.data(), bytes.size())) return {};
    return ReadFotTargetFromBytes(bytes.data(), bytes.size());
}
