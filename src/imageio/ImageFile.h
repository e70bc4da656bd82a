// Read access to a picture file for the readers: every failure raises its code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "BufferedFile.h"

class ImageFile {
public:
    // Opens path for reading; answers 0 or the code of the failure (nothing raised).
    int Open(const std::string& path);
    void Close() { m_file.close(); }

    uint64_t Size() const { return m_file.size(); }
    uint64_t Tell() const { return m_file.tell(); }
    // Raises 2008 when the position cannot be reached.
    void Seek(uint64_t pos);
    // Reads exactly n bytes; raises 2006 on a short read.
    void Read(void* dest, size_t n);
    // Reads up to n bytes and returns the count (0 at the end); raises 2006 on an error.
    size_t ReadSome(void* dest, size_t n);
    // Raises 2006 unless n bytes from pos lie inside the file: checked before a buffer
    // sized by a count from the file is allocated.
    void RequireInside(uint64_t pos, uint64_t n) const;

private:
    BufferedFile m_file;
};
