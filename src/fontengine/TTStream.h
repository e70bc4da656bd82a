// The byte streams the font engine reads from and writes to.
//
// The engine never opens or closes files: the caller hands it streams and closes them
// afterwards. A file stream wraps a low-level POSIX handle with a user-space buffer, so
// that transferring one field costs a memory copy, and it can read back what it has
// written (the writer computes checksums from its own output). A memory stream serves
// tests and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TTStream {
public:
    virtual ~TTStream() = default;
    // Reads exactly n bytes at the current position; false when fewer are there.
    virtual bool read(void* dest, size_t n) = 0;
    virtual bool write(const void* src, size_t n) = 0;
    virtual bool seek(uint64_t pos) = 0;
    virtual uint64_t tell() const = 0;
    virtual uint64_t size() const = 0;
    virtual bool flush() { return true; }
};

// Buffered access to an open file handle (read-only, or read/write). The handle stays
// the caller's; pending output is flushed by flush() and by the destructor.
class TTFileStream : public TTStream {
public:
    explicit TTFileStream(int fd, size_t bufferSize = 64 * 1024);
    ~TTFileStream() override;
    TTFileStream(const TTFileStream&) = delete;
    TTFileStream& operator=(const TTFileStream&) = delete;

    bool read(void* dest, size_t n) override;
    bool write(const void* src, size_t n) override;
    bool seek(uint64_t pos) override;
    uint64_t tell() const override { return m_nPos; }
    uint64_t size() const override;
    bool flush() override;
    // False once any write or flush to the handle has failed.
    bool good() const { return m_bGood; }

private:
    bool loadWindow(uint64_t pos);

    int m_fd;
    std::vector<uint8_t> m_buf;
    uint64_t m_nBufPos = 0;  // file offset of m_buf[0]
    size_t m_nBufLen = 0;    // valid bytes in the window
    bool m_bDirty = false;   // the window holds bytes not yet written to the handle
    uint64_t m_nPos = 0;
    uint64_t m_nFileSize = 0;
    bool m_bGood = true;
};

// A stream over bytes in memory; writing past the end grows it.
class TTMemoryStream : public TTStream {
public:
    TTMemoryStream() = default;
    explicit TTMemoryStream(std::vector<uint8_t> data) : m_data(std::move(data)) {}
    TTMemoryStream(const uint8_t* data, size_t size) : m_data(data, data + size) {}

    bool read(void* dest, size_t n) override;
    bool write(const void* src, size_t n) override;
    bool seek(uint64_t pos) override;
    uint64_t tell() const override { return m_nPos; }
    uint64_t size() const override { return m_data.size(); }

    const std::vector<uint8_t>& data() const { return m_data; }

private:
    std::vector<uint8_t> m_data;
    uint64_t m_nPos = 0;
};
