#include "SymbolFont.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <string>

#include "AnsiGlyphNames.h"
#include "CFFTABLE.h"
#include "CffConversion.h"
#include "GlyphNames.h"
#include "TTError.h"
#include "TTF.h"
#include "TrueTypeConversion.h"
#include "cmapTABLE.h"
#include "glyfTABLE.h"
#include "hdmxTABLE.h"
#include "headTABLE.h"
#include "nameTABLE.h"
#include "vmtxTABLE.h"

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

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside target, created exclusively; it takes the permissions of the file it
// will replace, or the usual ones (0666 less the umask) when there is none. The file is
// removed again unless it is kept.
class TempFile {
public:
    explicit TempFile(const std::string& target) : m_dir(FolderOf(target)) {
        auto seed = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[64];
            std::snprintf(name, sizeof name, "/.penmark-%d-%llx.tmp", int(::getpid()),
                          static_cast<unsigned long long>(seed + uint64_t(attempt) * 7919));
            std::string candidate = m_dir + name;
            int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                m_path = candidate;
                m_fd = fd;
                break;
            }
            if (errno != EEXIST) break;
        }
        if (m_fd < 0) {
            m_error = errno ? errno : EEXIST;
            return;
        }
        struct stat replaced {};
        if (::stat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
            ::fchmod(m_fd, replaced.st_mode & 0777);
    }
    ~TempFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_path.empty() && !m_kept) ::unlink(m_path.c_str());
    }
    int fd() const { return m_fd; }
    int error() const { return m_error; }
    // Puts the file on disk, moves it to target and puts the folder's new entry on disk
    // too, so that a power cut leaves either the old file or the whole new one. An errno
    // value on failure.
    int commit(const std::string& target) {
        if (::fsync(m_fd) != 0) return errno;
        if (::close(m_fd) != 0) {
            m_fd = -1;
            return errno;
        }
        m_fd = -1;
        if (::rename(m_path.c_str(), target.c_str()) != 0) return errno;
        m_kept = true;
        Fd dir(::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        // The file is in place; a folder that cannot be flushed (some network file
        // systems refuse) does not make the build fail.
        if (dir.get() >= 0) ::fsync(dir.get());
        return 0;
    }

private:
    std::string m_dir;
    std::string m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_kept = false;
};

// The symbol as a glyph of a TrueType-outline font; the glyph or an error code.
int TrueTypeGlyph(const GlyphOutline& glyph, int unitsPerEm, const char* name, std::unique_ptr<TTGLYPH>& out) {
    TrueTypeConversion converted = convertToTrueType(glyph, unitsPerEm);
    if (converted.overflow) return SymbolFontError::kTooLarge;
    if (converted.tooComplex) return SymbolFontError::kTooComplex;
    converted.glyph->m_name.index = 65535;
    converted.glyph->m_name.text = name;
    out = std::move(converted.glyph);
    return 0;
}

// The symbol as a charstring of the font's CFF table and the glyph list's entry for it:
// metrics, name and the box the charstring draws.
int CffGlyph(const GlyphOutline& glyph, int unitsPerEm, const char* name, CFFTABLE& cff,
             std::unique_ptr<TTGLYPH>& out) {
    CffConversion converted = convertToCff(glyph, unitsPerEm);
    if (converted.overflow) return SymbolFontError::kTooLarge;
    const CFFTABLE::Widths widths = cff.widths();
    std::vector<uint8_t> charstring =
        Cff::EncodeCharstring(converted.contours, converted.advanceWidth, widths.defaultWidth, widths.nominalWidth);
    Cff::Bounds bounds;
    if (!Cff::RunCharstring(charstring.data(), charstring.size(), {}, bounds)) return TTError::kInvalid;
    auto entry = std::make_unique<TTGLYPH>();
    entry->reset();
    entry->m_nKind = bounds.empty ? TTGLYPH::Empty : TTGLYPH::Simple;
    if (!bounds.empty) {
        entry->xMin = int16_t(std::floor(bounds.xMin));
        entry->yMin = int16_t(std::floor(bounds.yMin));
        entry->xMax = int16_t(std::ceil(bounds.xMax));
        entry->yMax = int16_t(std::ceil(bounds.yMax));
    }
    entry->m_bResident = false;  // the outline lives in the charstring
    entry->m_nAdvanceWidth = converted.advanceWidth;
    entry->m_nAdvanceHeight = converted.advanceHeight;
    entry->m_nLeftSideBearing = entry->xMin;
    entry->m_name = GlyphNames::own(cff.addGlyph(std::move(charstring), name));
    out = std::move(entry);
    return 0;
}

int SetRange(const ProgressFn& progress) {
    int32_t range[2] = {0, 100};
    return ReportProgress(progress, ProgressCode::kRange, reinterpret_cast<intptr_t>(range));
}

}  // namespace

int buildSymbolFont(const char* input, const char* output, const char* suffix, uint16_t code,
                    const GlyphOutline* glyph, const ProgressFn& progress, uint32_t face,
                    SymbolFontNotes* notes) {
    using namespace SymbolFontError;
    if (!input || !*input || !output || !*output || !glyph) return kMissingArgument;

    // Failures of the output are told apart from the font's own: an errno value can
    // share its number with one of the engine's codes.
    auto outputFailed = [notes](int error) {
        if (notes) notes->outputError = error;
        return error;
    };
    Fd in(::open(input, O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return errno;
    TempFile out{std::string(output)};
    if (out.fd() < 0) return outputFailed(out.error());

    if (progress) SetRange(progress);
    TTFileStream inStream(in.get());
    TTFileStream outStream(out.fd());
    TTF font;
    font.setFaceIndex(face);
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
    const char* name = AnsiGlyphName(code);
    if (!name) name = "Penmark";
    std::unique_ptr<TTGLYPH> symbol;
    auto* cff = dynamic_cast<CFFTABLE*>(font.findTable(MakeTag("CFF ")));
    error = font.hasListOnlyGlyphs() && cff ? CffGlyph(*glyph, unitsPerEm, name, *cff, symbol)
                                            : TrueTypeGlyph(*glyph, unitsPerEm, name, symbol);
    if (error != 0) return error;
    // In vertical text the symbol advances as the font's other glyphs do.
    if (auto* vmtx = font.get<vmtxTABLE>(TTIndex::vmtx)) symbol->m_nAdvanceHeight = vmtx->usualAdvanceHeight();
    TTGLYPH* added = font.glyf()->addGlyph(std::move(symbol));
    if (!added) return font.glyf()->error() ? font.glyf()->error() : TTError::kInvalid;
    font.setState(TTSource::Calculated);
    if (auto* hdmx = font.get<hdmxTABLE>(TTIndex::hdmx)) hdmx->addGlyph(added);

    int graphite = 0;
    for (uint32_t tag : {MakeTag("Silf"), MakeTag("Glat"), MakeTag("Gloc"), MakeTag("Feat"), MakeTag("Sill")})
        graphite += font.removeOtherTables(tag);
    if (notes) notes->droppedGraphite = graphite > 0;

    if (suffix && *suffix) {
        if (auto* names = font.get<nameTABLE>(TTIndex::name)) {
            names->applySuffix(suffix);
            // PostScript outlines carry the font's PostScript name too; both must agree.
            std::string postScriptName = names->text(-1, 6, 3);
            if (postScriptName.empty()) postScriptName = names->text(-1, 6, 1);
            if (cff && !postScriptName.empty()) cff->setFontName(postScriptName);
        }
    }
    errno = 0;
    error = font.writeTo(&outStream);
    if (error == TTError::kOk && !outStream.flush()) error = TTError::kWrite;
    if (error == TTError::kWrite) {
        // Without errno the file passed the 4 GiB a font file can address.
        if (notes) notes->outputError = errno ? errno : EFBIG;
        return error;
    }
    if (error != 0) return error;
    ReportProgress(progress, ProgressCode::kPosition, 100);
    int moved = out.commit(output);
    in.close();
    return moved != 0 ? outputFailed(moved) : 0;
}
