#include "SymbolFont.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "AnsiGlyphNames.h"
#include "TTF.h"
#include "TrueTypeConversion.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"
#include "hdmxTABLE.h"
#include "headTABLE.h"
#include "nameTABLE.h"

namespace {

// An open file descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int close() {
        int rc = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

// A new file beside path, created exclusively with the usual permissions; the file is
// removed again unless it is kept.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        std::string dir = ".";
        size_t slash = target.rfind('/');
        if (slash != std::string::npos) dir = slash == 0 ? "/" : target.substr(0, slash);
        auto seed = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[64];
            std::snprintf(name, sizeof name, "/.penmark-%d-%llx.tmp", int(::getpid()),
                          static_cast<unsigned long long>(seed + uint64_t(attempt) * 7919));
            std::string candidate = dir + name;
            int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                m_path = candidate;
                m_fd = fd;
                return;
            }
            if (errno != EEXIST) break;
        }
        m_error = errno ? errno : EEXIST;
    }
    ~TempFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_path.empty() && !m_kept) ::unlink(m_path.c_str());
    }
    int fd() const { return m_fd; }
    int error() const { return m_error; }
    // Closes the file and moves it to target; an errno value on failure.
    int commit(const std::string& target) {
        // No fsync: replacing a file by rename is what file systems order safely, and a
        // forced flush would cost more than the whole build.
        if (::close(m_fd) != 0) {
            m_fd = -1;
            return errno;
        }
        m_fd = -1;
        if (::rename(m_path.c_str(), target.c_str()) != 0) return errno;
        m_kept = true;
        return 0;
    }

private:
    std::string m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_kept = false;
};

int SetRange(const ProgressFn& progress) {
    int32_t range[2] = {0, 100};
    return ReportProgress(progress, ProgressCode::kRange, reinterpret_cast<intptr_t>(range));
}

}  // namespace

int buildSymbolFont(const char* input, const char* output, const char* suffix, uint16_t code,
                    const GlyphOutline* glyph, const ProgressFn& progress) {
    using namespace SymbolFontError;
    if (!input || !*input || !output || !*output || !glyph) return kMissingArgument;

    Fd in(::open(input, O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return errno;
    TempFile out{std::string(output)};
    if (out.fd() < 0) return out.error();

    if (progress) SetRange(progress);
    TTFileStream inStream(in.get());
    TTFileStream outStream(out.fd());
    TTF font;
    int error = font.readFrom(&inStream);
    if (ReportProgress(progress, ProgressCode::kPosition, 50) != 0) return kCancelled;
    if (error != 0) return error;

    uint32_t index = font.glyphCount();
    if (index >= 0xFFFF) return kFontFull;
    auto* cmap = font.get<cmapTABLE>(TTIndex::cmap);
    if (!cmap || !cmap->mapCodeToGlyph(code, uint16_t(index))) return kNoCharacterMap;

    headTABLE* head = font.head();
    int unitsPerEm = head ? head->unitsPerEm : 0;
    if (unitsPerEm < 16 || unitsPerEm > 16384) return kBadEm;
    TrueTypeConversion converted = convertToTrueType(*glyph, unitsPerEm);
    if (converted.overflow) return kTooLarge;
    if (converted.tooComplex) return kTooComplex;
    const char* name = AnsiGlyphName(code);
    converted.glyph->m_name.index = 65535;
    converted.glyph->m_name.text = name ? name : "Penmark";
    TTGLYPH* added = font.glyf()->addGlyph(std::move(converted.glyph));
    if (!added) return font.glyf()->error() ? font.glyf()->error() : 3;
    font.setState(TTSource::Calculated);
    if (auto* hdmx = font.get<hdmxTABLE>(TTIndex::hdmx)) hdmx->addGlyph(added);

    if (suffix && *suffix) {
        if (auto* names = font.get<nameTABLE>(TTIndex::name)) names->applySuffix(suffix);
    }
    error = font.writeTo(&outStream);
    if (error == 0 && !outStream.flush()) error = 8;
    if (error != 0) return error;
    ReportProgress(progress, ProgressCode::kPosition, 100);
    int moved = out.commit(output);
    in.close();
    return moved;
}
