// A file opened through a low-level POSIX handle with a user-space buffer in front of
// it, so that reading or writing one field is a memory copy, not a system call.
//
// One object reads or writes, never both at once. Positions are absolute byte offsets.
// All operations report failure by return value; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BufferedFile {
public:
    enum class Mode { Read, Write };

    BufferedFile() = default;
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // Opens path for reading, or creates/truncates it for writing (mode 0644).
    bool open(const std::string& path, Mode mode);
    // Flushes pending output and closes; false when the flush or close failed.
    bool close();
    bool isOpen() const { return m_fd >= 0; }

    // Reads exactly n bytes; false (and nothing guaranteed in dest) at end of file or error.
    bool read(void* dest, size_t n);
    // Reads up to n bytes; returns the count read (0 at end of file), -1 on error.
    long readSome(void* dest, size_t n);
    bool readU8(uint8_t& v);
    bool readBE16(uint16_t& v);
    bool readBE32(uint32_t& v);

    bool write(const void* src, size_t n);
    bool writeU8(uint8_t v) { return write(&v, 1); }
    bool writeBE16(uint16_t v);
    bool writeBE32(uint32_t v);

    // Moves to an absolute position; in read mode a seek inside the buffer costs nothing.
    bool seek(uint64_t pos);
    uint64_t tell() const;
    // Size of the file in bytes (read mode: as opened; write mode: including pending output).
    uint64_t size() const;
    bool flush();

private:
    bool fill();

    int m_fd = -1;
    Mode m_mode = Mode::Read;
    std::unique_ptr<uint8_t[]> m_buf;
    size_t m_bufSize = 0;
    uint64_t m_bufPos = 0;  // file offset of m_buf[0]
    size_t m_bufLen = 0;    // valid bytes in m_buf (read) or pending bytes (write)
    size_t m_cursor = 0;    // next byte within m_buf (read mode)
    uint64_t m_fileSize = 0;
};

// Reads a whole file into memory; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);
