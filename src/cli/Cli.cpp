#include "Cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "CliOptions.h"
#include "CliTexts.h"
#include "SaneScanner.h"
#include "TiffWriter.h"
#include "Error.h"
#include "FontCatalog.h"
#include "FontFiles.h"
#include "FontInstall.h"
#include "FontSummary.h"
#include "OutlineSvg.h"
#include "PhotoReaders.h"
#include "PenmarkDocument.h"
#include "ProgressBar.h"
#include "StringIds.h"
#include "Strings.h"
#include "SvgReader.h"
#include "TextConvert.h"

namespace {

void Say(FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stream);
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

// Messages of the document go to the error stream.
class StreamMessages : public IMessageSink {
public:
    explicit StreamMessages(FILE* err) : m_err(err) {}
    int Show(const std::string& text, uint32_t) override {
        Say(m_err, text);
        return 1;
    }

private:
    FILE* m_err;
};

bool IsOutlineFile(const std::string& path) {
    auto dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == "eps" || ext == "ai";
}

// One page from a scanner, with the bar; false after saying why.
bool ScanPage(const std::string& device, int dpi, ProgressBar& bar, std::unique_ptr<MonoImage>& image, FILE* err) {
    SaneSession sane;
    SaneScanRequest request{device, dpi, bar.Function()};
    std::string detail;
    int code = sane.Scan(request, image, &detail);
    bar.Finish();
    switch (code) {
        case SaneError::kOk: return true;
        case SaneError::kNoDevice: Say(err, GetString(kCliNoScanner)); break;
        case SaneError::kOpenFailed: Say(err, FormatString(kCliScannerOpen, device.c_str(), detail.c_str())); break;
        case SaneError::kFormat: Say(err, GetString(kCliScanFormat)); break;
        case SaneError::kNoMemory: Say(err, GetString(StringId::kNoMemory)); break;
        default: Say(err, FormatString(kCliScanFailed, detail.c_str())); break;
    }
    return false;
}

// A headless session: the document with the services a terminal can offer.
struct Session {
    explicit Session(FILE* err) : messages(err), bar(err), m_err(err) {
        RegisterSvgFormat(registry);
        doc.SetImageRegistry(&registry);
        doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, &messages, bar.Function()});
    }

    // The text for a failed trace.
    void ReportTraceError(int code) {
        bar.Finish();
        int id = TraceErrorStringId(code);
        Say(m_err, GetString(id ? id : StringId::kEmptyRegion));
    }

    // Loads a picture (traced over all its ink, or over select) or an EPS/AI drawing
    // into the traced outline, as the wizard's pages do.
    bool LoadAndTrace(const std::string& input, const std::string& edits,
                      const std::optional<PixelRect>& select);
    // Scans a page (the first device, or the named one) into the document's picture, then
    // traces as for a picture file.
    bool ScanAndTrace(const std::string& device, const std::string& edits, const std::optional<PixelRect>& select);
    // The picture in the document: corrections, selection, ink, trace.
    bool TracePicture(const std::string& edits, const std::optional<PixelRect>& select);

    ImageFormatRegistry registry;
    CPenmarkDocument doc;
    StreamMessages messages;
    ProgressBar bar;
    FILE* m_err;
};

void ApplyEdit(MonoImage& image, char edit) {
    switch (edit) {
        case 'e': image.Enhance(); break;
        case 'h': image.Flip(1); break;
        case 'v': image.Flip(2); break;
        case 'c': image.Rotate(0); break;
        case 'a': image.Rotate(2); break;
        case 'i': image.Invert(); break;
        default: break;
    }
}

bool Session::LoadAndTrace(const std::string& input, const std::string& edits,
                           const std::optional<PixelRect>& select) {
    if (IsOutlineFile(input)) {
        if (!doc.FileExists(input)) {
            Say(m_err, GetString(StringId::kFileNotFound));
            return false;
        }
        if (!doc.LoadOutlineFile(input)) {
            Say(m_err, GetString(StringId::kInvalidData));
            return false;
        }
        return true;
    }
    bool loaded = doc.LoadImageFile(input);
    bar.Finish();
    if (!loaded) return false;  // the readers said why
    return TracePicture(edits, select);
}

bool Session::ScanAndTrace(const std::string& device, const std::string& edits,
                           const std::optional<PixelRect>& select) {
    std::unique_ptr<MonoImage> image;
    if (!ScanPage(device, 300, bar, image, m_err)) return false;
    doc.SetImage(image.release());
    return TracePicture(edits, select);
}

bool Session::TracePicture(const std::string& edits, const std::optional<PixelRect>& select) {
    try {
        for (char e : edits) ApplyEdit(*doc.m_pImage, e);
    } catch (const CodeError& e) {
        ReportTraceError(e.code());
        return false;
    }
    if (select) {
        doc.m_rcSelection = *select;
    } else {
        doc.SelectInkIfEmpty();
    }
    doc.ComputeInkRect();
    if (doc.m_rcInk.IsEmpty()) {
        Say(m_err, GetString(StringId::kEmptyRegion));
        return false;
    }
    if (!doc.TraceSelection()) {
        ReportTraceError(doc.LastLoadError());
        return false;
    }
    bar.Finish();
    return true;
}

int Trace(const std::vector<std::string>& args, FILE* err) {
    TraceOptions options;
    if (auto e = ParseTraceOptions(args, options)) {
        Say(err, e->message);
        return 2;
    }
    SetPhotoThreshold(options.threshold);
    SetGreyTiffBmp(options.thresholdGiven);
    SetSvgSize(options.svgSize);
    Session session(err);
    if (!session.LoadAndTrace(options.input, {}, std::nullopt)) return 1;
    if (!SaveOutlineSvg(*session.doc.m_pTracedOutline, options.output)) {
        Say(err, FormatString(kCliCannotWrite, options.output.c_str()));
        return 1;
    }
    return 0;
}

// The full and family names a font file gives itself (Windows records); false when it
// cannot be read.
bool ReadFontNames(const std::string& path, uint32_t face, std::string& full, std::string& family) {
    FontSummary summary;
    if (ReadFontSummary(path, summary, face) != 0) return false;
    full = Utf16ToUtf8(summary.fullName);
    family = Utf16ToUtf8(summary.familyName);
    return !full.empty();
}

// A face of a collection file as FILE#N: the file and the face number; false when font
// is not of that form or the file does not exist.
bool SplitFaceNumber(const std::string& font, std::string& path, uint32_t& face) {
    size_t hash = font.rfind('#');
    if (hash == std::string::npos || hash + 1 == font.size() || font.size() - hash > 6) return false;
    unsigned long number = 0;
    for (size_t i = hash + 1; i < font.size(); ++i) {
        if (font[i] < '0' || font[i] > '9') return false;
        number = number * 10 + unsigned(font[i] - '0');
    }
    if (number > 0xFFFF || !::FileExists(font.substr(0, hash))) return false;
    path = font.substr(0, hash);
    face = uint32_t(number);
    return true;
}

// The font to build from: a file (FILE#N for a face of a collection), named from its own
// name table without asking fontconfig (whose start-up grows with the installed fonts),
// or an installed face by its full name, found by one query.
bool ResolveFont(const std::string& font, FontInfo& info, FILE* err) {
    std::string path = font;
    uint32_t faceNumber = 0;
    if (::FileExists(font) || SplitFaceNumber(font, path, faceNumber)) {
        info.szPath = path;
        info.nFaceIndex = faceNumber;
        info.szRegFile = std::filesystem::path(path).filename().string();
        if (!ReadFontNames(path, faceNumber, info.szFullName, info.szFaceName))
            info.szFullName = info.szFaceName = std::filesystem::path(path).stem().string();
        return true;
    }
    std::optional<InstalledFace> face = SystemFontCatalog().FindFace(font);
    if (!face) {
        Say(err, FormatString(kCliNoSuchFont, font.c_str()));
        return false;
    }
    info.szPath = face->path;
    info.nFaceIndex = uint32_t(face->faceIndex);
    info.szRegFile = std::filesystem::path(face->path).filename().string();
    info.szFullName = face->fullName;
    info.szFaceName = face->family;
    info.charsets = face->charsets;
    return true;
}

// Copies file into the user's font folder without replacing anything there; false
// after saying why.
bool InstallFont(const std::string& file, const std::string& newName, FILE* out, FILE* err) {
    if (SystemFontCatalog().FindFace(newName)) {
        Say(err, FormatString(StringId::kFontNameInstalled, newName.c_str()));
        return false;
    }
    std::string name = std::filesystem::path(file).filename().string();
    std::string target = GetFontsDirectory() + name;
    if (::FileExists(target)) {
        Say(err, FormatString(StringId::kFontFileInFolder, name.c_str()));
        return false;
    }
    if (!CopyFontFile(file, target)) {
        Say(err, GetString(StringId::kCannotCopyFont));
        return false;
    }
    // Registered as the wizard does: fontconfig sees it at once, for every program.
    if (!InstallFontFile(SystemFontCatalog(), newName, name)) {
        ::unlink(target.c_str());
        Say(err, GetString(StringId::kCannotInstallFont));
        return false;
    }
    Say(out, FormatString(kCliInstalled, target.c_str()));
    return true;
}

int Build(const std::vector<std::string>& args, FILE* out, FILE* err) {
    BuildOptions options;
    if (auto e = ParseBuildOptions(args, options)) {
        Say(err, e->message);
        return 2;
    }
    SetPhotoThreshold(options.threshold);
    SetGreyTiffBmp(options.thresholdGiven);
    SetSvgSize(options.svgSize);
    Session session(err);
    CPenmarkDocument& doc = session.doc;
    FontInfo info;
    if (!ResolveFont(options.font, info, err)) return 1;
    doc.SetFontInfo(info);
    // Refused as the save page refuses it, before the picture is traced.
    if (!doc.IsSuffixAcceptable(options.suffix)) {
        Say(err, FormatString(StringId::kSuffixTooLong, int(kMaxNewNameLength)));
        return 2;
    }
    const std::string& input = options.eps.empty() ? options.image : options.eps;
    if (options.scan ? !session.ScanAndTrace(options.scanDevice, options.edits, options.select)
                     : !session.LoadAndTrace(input, options.edits, options.select))
        return 1;

    // The placement, as the glyph page would set it.
    if (options.size) doc.SetSize(*options.size);
    if (options.left || options.right)
        doc.SetSpacing(options.left.value_or(doc.m_nLeftSpace), options.right.value_or(doc.m_nRightSpace), true);
    if (options.vpos) doc.SetVerticalPosition(*options.vpos);
    doc.RebuildGlyph();
    if (doc.GlyphUnplaceable()) {
        Say(err, GetString(kCliUnplaceable));
        return 1;
    }
    doc.m_wCharCode = options.charCode;

    // The engine answers an errno value for a file it cannot create, which could pass for
    // one of its own codes: check the destination folder first.
    std::filesystem::path outDir = std::filesystem::path(options.output).parent_path();
    if (::access(outDir.empty() ? "." : outDir.c_str(), W_OK) != 0) {
        Say(err, FormatString(kCliCannotWrite, options.output.c_str()));
        return 1;
    }
    bool saved = doc.SaveFont(options.output, options.suffix);
    session.bar.Finish();
    if (!saved) {
        std::string reason = SaveFontErrorText(doc.LastLoadError(), doc.SaveNotes(), options.output);
        if (!reason.empty()) Say(err, reason);
        return 1;
    }
    std::string newName = ComposeNewName(info.szFullName, info.szFaceName, options.suffix);
    Say(out, FormatString(kCliWrote, newName.c_str(), options.output.c_str()));
    if (doc.SaveNotes().droppedGraphite) Say(out, GetString(StringId::kGraphiteDropped));
    if (options.install && !InstallFont(options.output, newName, out, err)) return 1;
    return 0;
}

int Fonts(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty()) {
        Say(err, FormatString(kCliUnknownOption, args[0].c_str()));
        return 2;
    }
    std::vector<InstalledFace> faces = ListInstalledFonts();
    if (faces.empty()) {
        Say(err, GetString(kCliNoFonts));
        return 1;
    }
    // A face of a collection as FILE#N, the way --font takes it.
    for (const InstalledFace& f : faces) {
        const bool collection = f.faceIndex != 0 || std::filesystem::path(f.path).extension() == ".ttc";
        std::string file = collection ? f.path + '#' + std::to_string(f.faceIndex) : f.path;
        std::fprintf(out, "%s\t%s\n", f.fullName.c_str(), file.c_str());
    }
    return 0;
}

// Lists a font file's tables: the plain listing, or the structured dump. The listing of
// a font that reads with an error shows what was read, then the error is reported.
int Dump(const std::vector<std::string>& args, FILE* out, FILE* err) {
    bool structured = false;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--structured") {
            structured = true;
        } else if (!a.empty() && a[0] == '-') {
            Say(err, FormatString(kCliUnknownOption, a.c_str()));
            return 2;
        } else if (path.empty()) {
            path = a;
        } else {
            Say(err, FormatString(kCliUnknownOption, a.c_str()));
            return 2;
        }
    }
    if (path.empty()) {
        Say(err, GetString(kCliUsageDump));
        return 2;
    }
    uint32_t face = 0;
    if (!::FileExists(path)) SplitFaceNumber(path, path, face);  // FILE.ttc#N: one face
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        Say(err, FormatString(kCliCannotOpen, path.c_str()));
        return 1;
    }
    int code = DumpFont(fd, out, structured, face);
    ::close(fd);
    std::fflush(out);
    if (code != 0) {
        Say(err, FormatString(kCliUnreadableFont, path.c_str(), code));
        return 1;
    }
    return 0;
}

}  // namespace

// The black-and-white picture that would be traced, as a plain PBM (P1): one character
// per pixel, lines of at most 70, each row written at once from a byte-to-text table.
bool WritePbm(const std::string& path, const MonoImage& image) {
    static const auto kText = [] {
        std::array<std::array<char, 8>, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i) t[size_t(b)][size_t(i)] = (b & (0x80 >> i)) ? '0' : '1';  // in PBM 1 is black
        return t;
    }();
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "P1\n%d %d\n", image.width, image.height);
    const size_t width = size_t(std::max(image.width, 0));
    std::string pixels(width + 8, '\0'), line;
    line.reserve(width + width / 70 + 2);
    for (int32_t y = 0; y < image.height && image.bits; ++y) {
        const uint8_t* row = image.Row(y);
        for (size_t x = 0; x < width; x += 8) std::memcpy(&pixels[x], kText[row[x / 8]].data(), 8);
        line.clear();
        for (size_t x = 0; x < width; x += 70) {
            line.append(pixels, x, std::min<size_t>(70, width - x));
            line.push_back('\n');
        }
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0;
}

int Threshold(const std::vector<std::string>& args, FILE* err) {
    ThresholdOptions options;
    if (auto e = ParseThresholdOptions(args, options)) {
        Say(err, e->message);
        return 2;
    }
    SetPhotoThreshold(options.threshold);
    SetGreyTiffBmp(options.thresholdGiven);
    SetSvgSize(options.svgSize);
    Session session(err);
    bool loaded = session.doc.LoadImageFile(options.input);
    session.bar.Finish();
    if (!loaded) return 1;  // the readers said why
    if (!WritePbm(options.output, *session.doc.m_pImage)) {
        Say(err, FormatString(kCliCannotWrite, options.output.c_str()));
        return 1;
    }
    return 0;
}

int Scan(const std::vector<std::string>& args, FILE* out, FILE* err) {
    ScanOptions options;
    if (auto e = ParseScanOptions(args, options)) {
        Say(err, e->message);
        return 2;
    }
    if (options.list) {
        SaneSession sane;
        std::vector<SaneDevice> devices = sane.Devices();
        if (devices.empty()) {
            Say(err, GetString(kCliNoScanner));
            return 1;
        }
        for (const SaneDevice& d : devices)
            std::fprintf(out, "%s\t%s %s (%s)\n", d.name.c_str(), d.vendor.c_str(), d.model.c_str(), d.type.c_str());
        return 0;
    }
    ProgressBar bar(err);
    std::unique_ptr<MonoImage> image;
    if (!ScanPage(options.device, options.dpi, bar, image, err)) return 1;
    if (!WriteTiffFile(options.output, *image)) {
        Say(err, FormatString(kCliCannotWrite, options.output.c_str()));
        return 1;
    }
    Say(out, FormatString(kCliScanned, image->width, image->height, options.output.c_str()));
    return 0;
}

int RunCli(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        Say(args.empty() ? err : out, GetString(kCliUsage));
        return args.empty() ? 2 : 0;
    }
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "build") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageBuild)), 0;
        return Build(rest, out, err);
    }
    if (command == "trace") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageTrace)), 0;
        return Trace(rest, err);
    }
    if (command == "threshold") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageThreshold)), 0;
        return Threshold(rest, err);
    }
    if (command == "scan") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageScan)), 0;
        return Scan(rest, out, err);
    }
    if (command == "fonts") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageFonts)), 0;
        return Fonts(rest, out, err);
    }
    if (command == "dump") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageDump)), 0;
        return Dump(rest, out, err);
    }
    Say(err, FormatString(kCliUnknownCommand, command.c_str()));
    Say(err, GetString(kCliUsage));
    return 2;
}
