#include "ImageFile.h"

#include <cerrno>

#include "Error.h"
#include "ImageErrors.h"

int ImageFile::Open(const std::string& path) {
    errno = 0;
    if (m_file.open(path, BufferedFile::Mode::Read)) return ImageError::kOk;
    // A path that opens but is no regular file (a folder, a device) leaves errno at 0.
    int err = errno;
    if (err == 0) return ImageError::kAccessDenied;
    return ImageErrorFromErrno(err, path);
}

void ImageFile::Seek(uint64_t pos) {
    if (!m_file.seek(pos)) RaiseError(ImageError::kSeekError);
}

void ImageFile::Read(void* dest, size_t n) {
    if (n == 0) return;
    if (!m_file.read(dest, n)) RaiseError(ImageError::kReadError);
}

size_t ImageFile::ReadSome(void* dest, size_t n) {
    long got = m_file.readSome(dest, n);
    if (got < 0) RaiseError(ImageError::kReadError);
    return size_t(got);
}

void ImageFile::RequireInside(uint64_t pos, uint64_t n) const {
    uint64_t size = m_file.size();
    if (pos > size || n > size - pos) RaiseError(ImageError::kReadError);
}
