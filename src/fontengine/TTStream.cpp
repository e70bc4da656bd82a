#include "TTStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool WriteAll(int fd, const uint8_t* p, size_t n, uint64_t pos) {
    while (n > 0) {
        ssize_t done = ::pwrite(fd, p, n, off_t(pos));
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (done == 0) return false;
        p += done;
        n -= size_t(done);
        pos += uint64_t(done);
    }
    return true;
}
}  // namespace

TTFileStream::TTFileStream(int fd, size_t bufferSize) : m_fd(fd), m_buf(std::max<size_t>(bufferSize, 64)) {
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0) m_nFileSize = uint64_t(st.st_size);
}

TTFileStream::~TTFileStream() { flush(); }

uint64_t TTFileStream::size() const { return std::max(m_nFileSize, m_nBufPos + m_nBufLen); }

bool TTFileStream::flush() {
    if (!m_bDirty) return m_bGood;
    if (!WriteAll(m_fd, m_buf.data(), m_nBufLen, m_nBufPos)) m_bGood = false;
    m_nFileSize = std::max(m_nFileSize, m_nBufPos + m_nBufLen);
    m_bDirty = false;
    return m_bGood;
}

bool TTFileStream::loadWindow(uint64_t pos) {
    if (!flush()) return false;
    m_nBufPos = pos;
    m_nBufLen = 0;
    for (;;) {
        ssize_t got = ::pread(m_fd, m_buf.data(), m_buf.size(), off_t(pos));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        m_nBufLen = size_t(got);
        return got > 0;
    }
}

bool TTFileStream::read(void* dest, size_t n) {
    auto* out = static_cast<uint8_t*>(dest);
    while (n > 0) {
        if (m_nPos < m_nBufPos || m_nPos >= m_nBufPos + m_nBufLen) {
            // A large request past the window goes straight to the handle.
            if (n >= m_buf.size() && flush()) {
                ssize_t got = ::pread(m_fd, out, n, off_t(m_nPos));
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) return false;
                m_nPos += uint64_t(got);
                out += got;
                n -= size_t(got);
                continue;
            }
            if (!loadWindow(m_nPos)) return false;
        }
        size_t at = size_t(m_nPos - m_nBufPos);
        size_t take = std::min(n, m_nBufLen - at);
        std::memcpy(out, m_buf.data() + at, take);
        out += take;
        n -= take;
        m_nPos += take;
    }
    return true;
}

bool TTFileStream::write(const void* src, size_t n) {
    auto* in = static_cast<const uint8_t*>(src);
    while (n > 0) {
        // The window can take bytes at any position from its start up to its end.
        bool inside = m_nPos >= m_nBufPos && m_nPos <= m_nBufPos + m_nBufLen &&
                      m_nPos < m_nBufPos + m_buf.size();
        if (!inside) {
            if (!flush()) return false;
            m_nBufPos = m_nPos;
            m_nBufLen = 0;
        }
        size_t at = size_t(m_nPos - m_nBufPos);
        size_t take = std::min(n, m_buf.size() - at);
        std::memcpy(m_buf.data() + at, in, take);
        m_nBufLen = std::max(m_nBufLen, at + take);
        m_bDirty = true;
        in += take;
        n -= take;
        m_nPos += take;
    }
    return m_bGood;
}

bool TTFileStream::seek(uint64_t pos) {
    m_nPos = pos;
    return true;
}

bool TTMemoryStream::read(void* dest, size_t n) {
    if (m_nPos > m_data.size() || n > m_data.size() - m_nPos) return false;
    if (n) std::memcpy(dest, m_data.data() + m_nPos, n);
    m_nPos += n;
    return true;
}

bool TTMemoryStream::write(const void* src, size_t n) {
    if (m_nPos + n > m_data.size()) m_data.resize(size_t(m_nPos + n));
    if (n) std::memcpy(m_data.data() + m_nPos, src, n);
    m_nPos += n;
    return true;
}

bool TTMemoryStream::seek(uint64_t pos) {
    m_nPos = pos;
    return true;
}
