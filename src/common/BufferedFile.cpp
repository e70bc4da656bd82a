#include "BufferedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kBufferSize = 64 * 1024;

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t done = ::write(fd, p, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += done;
        n -= size_t(done);
    }
    return true;
}
}  // namespace

BufferedFile::~BufferedFile() { close(); }

bool BufferedFile::open(const std::string& path, Mode mode) {
    close();
    int flags = mode == Mode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    m_fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (m_fd < 0) return false;
    m_mode = mode;
    // Not zeroed: a small file touches only the pages it fills.
    m_buf = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
    m_bufSize = kBufferSize;
    m_bufPos = 0;
    m_bufLen = 0;
    m_cursor = 0;
    m_fileSize = 0;
    if (mode == Mode::Read) {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        m_fileSize = uint64_t(st.st_size);
    }
    return true;
}

bool BufferedFile::close() {
    if (m_fd < 0) return true;
    bool ok = flush();
    if (::close(m_fd) != 0) ok = false;
    m_fd = -1;
    m_buf.reset();
    m_bufSize = 0;
    return ok;
}

bool BufferedFile::fill() {
    m_bufPos += m_bufLen;
    m_bufLen = 0;
    m_cursor = 0;
    for (;;) {
        ssize_t got = ::pread(m_fd, m_buf.get(), m_bufSize, off_t(m_bufPos));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        m_bufLen = size_t(got);
        return got > 0;
    }
}

long BufferedFile::readSome(void* dest, size_t n) {
    if (m_fd < 0 || m_mode != Mode::Read) return -1;
    auto* out = static_cast<uint8_t*>(dest);
    size_t total = 0;
    while (total < n) {
        if (m_cursor >= m_bufLen) {
            // Large requests bypass the buffer once it is drained.
            if (n - total >= m_bufSize) {
                uint64_t pos = m_bufPos + m_bufLen;
                ssize_t got = ::pread(m_fd, out + total, n - total, off_t(pos));
                if (got < 0) {
                    if (errno == EINTR) continue;
                    return -1;
                }
                if (got == 0) break;
                total += size_t(got);
                m_bufPos = pos + uint64_t(got);
                m_bufLen = 0;
                m_cursor = 0;
                continue;
            }
            if (!fill()) break;
        }
        size_t take = std::min(n - total, m_bufLen - m_cursor);
        std::memcpy(out + total, m_buf.get() + m_cursor, take);
        m_cursor += take;
        total += take;
    }
    return long(total);
}

bool BufferedFile::read(void* dest, size_t n) {
    long got = readSome(dest, n);
    return got >= 0 && size_t(got) == n;
}

bool BufferedFile::readU8(uint8_t& v) {
    if (m_cursor < m_bufLen) {
        v = m_buf[m_cursor++];
        return true;
    }
    return read(&v, 1);
}

bool BufferedFile::readBE16(uint16_t& v) {
    uint8_t b[2];
    if (!read(b, 2)) return false;
    v = uint16_t((b[0] << 8) | b[1]);
    return true;
}

bool BufferedFile::readBE32(uint32_t& v) {
    uint8_t b[4];
    if (!read(b, 4)) return false;
    v = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    return true;
}

bool BufferedFile::write(const void* src, size_t n) {
    if (m_fd < 0 || m_mode != Mode::Write) return false;
    auto* in = static_cast<const uint8_t*>(src);
    if (m_bufLen + n > m_bufSize) {
        if (!flush()) return false;
        if (n >= m_bufSize) {
            if (!WriteAll(m_fd, in, n)) return false;
            m_bufPos += n;
            m_fileSize = std::max(m_fileSize, m_bufPos);
            return true;
        }
    }
    std::memcpy(m_buf.get() + m_bufLen, in, n);
    m_bufLen += n;
    return true;
}

bool BufferedFile::writeBE16(uint16_t v) {
    uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
    return write(b, 2);
}

bool BufferedFile::writeBE32(uint32_t v) {
    uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    return write(b, 4);
}

bool BufferedFile::flush() {
    if (m_fd < 0 || m_mode != Mode::Write || m_bufLen == 0) return true;
    bool ok = WriteAll(m_fd, m_buf.get(), m_bufLen);
    m_bufPos += m_bufLen;
    m_fileSize = std::max(m_fileSize, m_bufPos);
    m_bufLen = 0;
    return ok;
}

bool BufferedFile::seek(uint64_t pos) {
    if (m_fd < 0) return false;
    if (m_mode == Mode::Read) {
        if (pos >= m_bufPos && pos <= m_bufPos + m_bufLen) {
            m_cursor = size_t(pos - m_bufPos);
            return true;
        }
        m_bufPos = pos;
        m_bufLen = 0;
        m_cursor = 0;
        return true;
    }
    if (!flush()) return false;
    if (::lseek(m_fd, off_t(pos), SEEK_SET) < 0) return false;
    m_bufPos = pos;
    return true;
}

uint64_t BufferedFile::tell() const {
    return m_mode == Mode::Read ? m_bufPos + m_cursor : m_bufPos + m_bufLen;
}

uint64_t BufferedFile::size() const {
    return m_mode == Mode::Read ? m_fileSize : std::max(m_fileSize, m_bufPos + m_bufLen);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    BufferedFile f;
    if (!f.open(path, BufferedFile::Mode::Read)) return false;
    out.resize(size_t(f.size()));
    return out.empty() || f.read(out.data(), out.size());
}
