#include "Cli.h"

#include <cctype>
#include <cstring>

#include "CliOptions.h"
#include "CliTexts.h"
#include "Error.h"
#include "FontCatalog.h"
#include "OutlineSvg.h"
#include "PenmarkDocument.h"
#include "ProgressBar.h"
#include "Strings.h"

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

constexpr int kStrEmptyRegion = 61309;
constexpr int kStrNoMemory = 61281;
constexpr int kStrTooLarge = 62230;
constexpr int kStrInvalidData = 61272;

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

// A headless session: the document with the services a terminal can offer.
struct Session {
    explicit Session(FILE* err) : messages(err), bar(err), m_err(err) {
        doc.SetImageRegistry(&registry);
        doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, &messages, bar.Function()});
    }

    // The text for a failed trace.
    void ReportTraceError(int code) {
        bar.Finish();
        int id = code == ErrorCode::kNoMemory      ? kStrNoMemory
                 : code == ErrorCode::kTracerRange ? kStrTooLarge
                                                   : kStrEmptyRegion;
        Say(m_err, GetString(id));
    }

    // Loads a picture (traced over all its ink, or over select) or an EPS/AI drawing
    // into the traced outline, as the wizard's pages do.
    bool LoadAndTrace(const std::string& input, const std::string& edits,
                      const std::optional<PixelRect>& select);

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
            Say(m_err, GetString(61277));
            return false;
        }
        if (!doc.LoadOutlineFile(input)) {
            Say(m_err, GetString(kStrInvalidData));
            return false;
        }
        return true;
    }
    bool loaded = doc.LoadImageFile(input);
    bar.Finish();
    if (!loaded) return false;  // the readers said why
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
        Say(m_err, GetString(kStrEmptyRegion));
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
    Session session(err);
    if (!session.LoadAndTrace(options.input, {}, std::nullopt)) return 1;
    if (!SaveOutlineSvg(*session.doc.m_pTracedOutline, options.output)) {
        Say(err, FormatString(kCliCannotWrite, options.output.c_str()));
        return 1;
    }
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
    for (const InstalledFace& f : faces) std::fprintf(out, "%s\t%s\n", f.fullName.c_str(), f.path.c_str());
    return 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        Say(args.empty() ? err : out, GetString(kCliUsage));
        return args.empty() ? 2 : 0;
    }
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "trace") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageTrace)), 0;
        return Trace(rest, err);
    }
    if (command == "fonts") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageFonts)), 0;
        return Fonts(rest, out, err);
    }
    Say(err, FormatString(kCliUnknownCommand, command.c_str()));
    Say(err, GetString(kCliUsage));
    return 2;
}
