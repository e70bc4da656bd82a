#include "MoCatalog.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr size_t kMaxFile = 64u << 20;

struct Reader {
    const uint8_t* data;
    size_t size;
    bool bigEndian;

    bool U32(size_t offset, uint32_t& value) const {
        if (offset > size || size - offset < 4) return false;
        const uint8_t* p = data + offset;
        value = bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                          : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        return true;
    }
    // The string of a table entry: its length and offset, both bounded by the file.
    bool String(uint32_t table, uint32_t index, std::string& out) const {
        uint32_t length, offset;
        size_t entry = size_t(table) + size_t(index) * 8;
        if (!U32(entry, length) || !U32(entry + 4, offset)) return false;
        if (offset > size || size - offset < length) return false;
        out.assign(reinterpret_cast<const char*>(data + offset), length);
        return true;
    }
};

}  // namespace

bool MoCatalog::Load(const std::string& path) {
    m_messages.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kMaxFile) return false;
    }
    return Parse(bytes.data(), bytes.size());
}

bool MoCatalog::Parse(const uint8_t* data, size_t size) {
    m_messages.clear();
    if (!data || size < 20) return false;
    Reader r{data, size, false};
    uint32_t magic;
    r.U32(0, magic);
    if (magic != kMagic) {
        r.bigEndian = true;
        r.U32(0, magic);
        if (magic != kMagic) return false;
    }
    uint32_t count, originals, translations;
    if (!r.U32(8, count) || !r.U32(12, originals) || !r.U32(16, translations)) return false;
    // Each entry takes 8 bytes in both tables: a count the file cannot hold is malformed.
    if (count > size / 16) return false;
    m_messages.reserve(count);
    std::string msgid, msgstr;
    for (uint32_t i = 0; i < count; ++i) {
        if (!r.String(originals, i, msgid) || !r.String(translations, i, msgstr)) {
            m_messages.clear();
            return false;
        }
        // Plural forms keep their first text; the header (empty msgid) is not a message.
        if (msgid.empty()) continue;
        msgid = msgid.substr(0, msgid.find('\0'));
        msgstr = msgstr.substr(0, msgstr.find('\0'));
        if (!msgstr.empty()) m_messages.emplace(msgid, msgstr);
    }
    return true;
}

const std::string& MoCatalog::Translate(const std::string& msgid) const {
    auto it = m_messages.find(msgid);
    return it == m_messages.end() ? msgid : it->second;
}
