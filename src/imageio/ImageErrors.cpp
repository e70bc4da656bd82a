#include "ImageErrors.h"

#include <cerrno>
#include <sys/stat.h>

#include "Strings.h"

int ImageErrorStringId(int code) {
    using namespace ImageError;
    switch (code) {
    case kOk:
    case kCancelled: return 0;
    case kInvalidData: return ImageText::kInvalidData;
    case kBadVersion: return ImageText::kBadVersion;
    case kUnknownFormat: return ImageText::kUnknownFormat;
    case kNotBlackWhite: return ImageText::kNotBlackWhite;
    case kBadCompression: return ImageText::kBadCompression;
    case kTooLarge: return ImageText::kTooLarge;
    case kNotSvg: return ImageText::kNotSvg;
    case kDrawingDamaged: return ImageText::kDrawingDamaged;
    case kDrawingTooLarge: return ImageText::kDrawingTooLarge;
    case kNoSvgRenderer: return ImageText::kNoSvgRenderer;
    case kExternalEntity: return ImageText::kExternalEntity;
    case kFileNotFound: return ImageText::kFileNotFound;
    case kPathNotFound: return ImageText::kPathNotFound;
    case kTooManyFiles: return ImageText::kTooManyFiles;
    case kAccessDenied: return ImageText::kAccessDenied;
    case kNoMemory: return ImageText::kNoMemory;
    case kReadError: return ImageText::kReadError;
    default: return ImageText::kInternalError;
    }
}

std::string ImageErrorMessage(int code) {
    int id = ImageErrorStringId(code);
    if (id == 0) return {};
    if (id == ImageText::kInternalError) return FormatString(id, unsigned(code));
    return GetString(id);
}

namespace {
// True when the folder that should hold path exists.
bool ParentExists(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;  // the current folder
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st {};
    return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

int ImageErrorFromErrno(int err, const std::string& path) {
    using namespace ImageError;
    switch (err) {
    case ENOENT: return ParentExists(path) ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyFiles;
    case EACCES:
    case EPERM: return kAccessDenied;
    case ENOMEM: return kNoMemory;
    default: return kIoError;
    }
}
