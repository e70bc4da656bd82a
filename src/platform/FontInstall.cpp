#include "FontInstall.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FontCatalog.h"
#include "FontFiles.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Creates path for writing; fails when it exists.
int CreateNew(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); }

bool MakeFolders(const std::string& dir) {
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at < dir.size() && dir[at] != '/') continue;
        std::string part = dir.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// A name in the font folder for a link to target: its own name, or with a number.
std::string LinkNameFor(const std::string& fontsDir, const std::string& target, bool& exists) {
    std::string base = BaseName(target);
    size_t dot = base.rfind('.');
    std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : base.substr(dot);
    std::string candidate = fontsDir + base;
    for (int n = 1; Exists(candidate); ++n) {
        if (SameFile(candidate, target)) {
            exists = true;
            return candidate;
        }
        candidate = fontsDir + stem + "-" + std::to_string(n) + ext;
    }
    exists = false;
    return candidate;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

}  // namespace

std::string MakeUniqueFontFileName(const std::string& dir, const std::string& name, const std::string& ext) {
    auto free = [&](const std::string& n) { return !Exists(dir + n + ext) && !Exists(dir + n + ".FOT"); };
    if (free(name)) return name;
    std::string base = name.substr(0, 8) + "________";
    for (unsigned n = 0;; ++n) {
        std::string digits = std::to_string(n);
        if (digits.size() >= 8) return {};
        std::string candidate = base.substr(0, 8 - digits.size()) + digits;
        if (free(candidate)) return candidate;
    }
}

bool CopyFontFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    size_t slash = to.rfind('/');
    if (slash != std::string::npos) MakeFolders(to.substr(0, slash));
    int out = CreateNew(to);
    if (out < 0) {
        ::close(in);
        return false;
    }
    std::vector<uint8_t> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out, buffer.data(), size_t(n))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0) ok = false;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

bool CreateScalableFontResource(const std::string& path, const std::string& ttfName) {
    // A small 16-bit executable: the DOS header, a segmented header, a resource table with
    // one font-resource entry, and the file name as that resource, in 16-byte units.
    constexpr size_t kNe = 0x40, kResTable = 0x40, kData = 0xA0;
    const size_t nameBytes = ttfName.size() + 1;
    const size_t units = (nameBytes + 15) / 16;
    if (units > 0xFFFF) return false;
    std::vector<uint8_t> b(kData + units * 16, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put16(b, 0x18, 0x40);
    Put16(b, 0x3C, uint32_t(kNe));
    b[kNe] = 'N';
    b[kNe + 1] = 'E';
    Put16(b, kNe + 0x24, uint32_t(kResTable));
    Put16(b, kNe + 0x26, uint32_t(kResTable + 2 + 8 + 12 + 8));  // resident names follow
    b[kNe + 0x36] = 2;
    size_t at = kNe + kResTable;
    Put16(b, at, 4);               // offsets and lengths in 16-byte units
    Put16(b, at + 2, 0x80CC);      // the font-resource type
    Put16(b, at + 4, 1);
    Put16(b, at + 10, uint32_t(kData / 16));
    Put16(b, at + 12, uint32_t(units));
    Put16(b, at + 14, 0x0C50);     // moveable, shared, preloaded
    Put16(b, at + 16, 0x8001);
    std::memcpy(&b[kData], ttfName.c_str(), ttfName.size());
    int fd = CreateNew(path);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, b.data(), b.size());
    if (::close(fd) != 0) ok = false;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

bool IsFontNameInstalled(FontCatalog& fonts, const std::string& name) { return fonts.HasFaceNamed(name); }

bool RegisterFontFile(FontCatalog& fonts, const std::string&, const std::string& file) {
    std::string path = AbsolutePath(MakeFontPath(file));
    std::string fontsDir = GetFontsDirectory();
    if (!MakeFolders(fontsDir.substr(0, fontsDir.size() - 1))) return false;
    std::string registered = path;
    bool made = false;
    if (path.rfind(fontsDir, 0) != 0) {
        // A file kept elsewhere is known through a link in the font folder.
        bool exists = false;
        registered = LinkNameFor(fontsDir, path, exists);
        if (!exists) {
            if (::symlink(path.c_str(), registered.c_str()) != 0) return false;
            made = true;
        }
    }
    fonts.RescanFolderOf(registered);
    if (fonts.HasFile(registered) || fonts.HasFile(path)) return true;
    if (made) {
        ::unlink(registered.c_str());
        fonts.RescanFolderOf(registered);
    }
    return false;
}

bool InstallFontFile(FontCatalog& fonts, const std::string& newName, const std::string& file) {
    std::string path = MakeFontPath(file);
    // A font resource file stands for the TrueType file it names.
    std::string target = ReadFotTarget(path);
    std::string font = target.empty() ? path : MakeFontPath(target);
    if (!FontCatalog::FileHoldsFont(font)) return false;
    return RegisterFontFile(fonts, newName, target.empty() ? file : target);
}
