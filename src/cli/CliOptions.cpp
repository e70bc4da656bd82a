#include "CliOptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "CliTexts.h"
#include "Strings.h"
#include "SvgReader.h"

namespace {

ParseError Error(int id, const std::string& a = {}, const std::string& b = {}) {
    return ParseError{FormatString(id, a.c_str(), b.c_str())};
}

// Decodes one UTF-8 sequence that must fill the whole text.
std::optional<uint32_t> SingleUtf8(const std::string& s) {
    if (s.empty()) return std::nullopt;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = byte(0);
    size_t n;
    uint32_t cp;
    if (c < 0x80) { n = 1; cp = c; }
    else if ((c >> 5) == 6) { n = 2; cp = c & 0x1F; }
    else if ((c >> 4) == 14) { n = 3; cp = c & 0x0F; }
    else if ((c >> 3) == 30) { n = 4; cp = c & 0x07; }
    else return std::nullopt;
    if (s.size() != n) return std::nullopt;
    for (size_t i = 1; i < n; ++i) {
        if ((byte(i) >> 6) != 2) return std::nullopt;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;  // overlong, surrogate
    return cp;
}

}  // namespace

std::optional<int32_t> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return int32_t(v);
}

std::optional<uint16_t> ParseCharacter(const std::string& text) {
    uint32_t cp;
    if (text.size() > 2 && (text[0] == 'U' || text[0] == 'u') && text[1] == '+') {
        std::string hex = text.substr(2);
        if (hex.empty() || hex.size() > 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        cp = uint32_t(std::strtoul(hex.c_str(), nullptr, 16));
    } else {
        auto one = SingleUtf8(text);
        if (!one) return std::nullopt;
        cp = *one;
    }
    // 0xFFFF means "no character"; surrogates and codes above the BMP cannot be stored.
    if (cp >= 0xFFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    return uint16_t(cp);
}

std::optional<PixelRect> ParseSelection(const std::string& text) {
    int32_t v[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos)) return std::nullopt;
        auto n = ParseInteger(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!n) return std::nullopt;
        v[i] = *n;
        start = comma + 1;
    }
    if (v[0] < 0 || v[1] < 0 || v[2] <= 0 || v[3] <= 0) return std::nullopt;
    if (int64_t(v[0]) + v[2] > INT32_MAX || int64_t(v[1]) + v[3] > INT32_MAX) return std::nullopt;
    return PixelRect{v[0], v[1], v[0] + v[2], v[1] + v[3]};
}

std::optional<int32_t> ParseSvgSize(const std::string& text) {
    auto size = ParseInteger(text);
    if (!size || *size < kMinSvgSize || *size > kMaxSvgSize) return std::nullopt;
    return size;
}

std::optional<ThresholdChoice> ParseThreshold(const std::string& text) {
    if (text == "auto") return ThresholdChoice{ThresholdMode::Auto, 128};
    if (text == "global") return ThresholdChoice{ThresholdMode::Global, 128};
    if (text == "local") return ThresholdChoice{ThresholdMode::Local, 128};
    auto level = ParseInteger(text);
    if (!level || *level < 0 || *level > 255) return std::nullopt;
    return ThresholdChoice{ThresholdMode::Fixed, *level};
}

std::optional<ParseError> ParseBuildOptions(const std::vector<std::string>& args, BuildOptions& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        auto percent = [&](std::optional<int32_t>& field) -> std::optional<ParseError> {
            const std::string* v = value();
            if (!v) return Error(kCliMissingValue, a);
            field = ParseInteger(*v);
            if (!field) return Error(kCliBadValue, a, *v);
            return std::nullopt;
        };
        auto text = [&](std::string& field) -> std::optional<ParseError> {
            const std::string* v = value();
            if (!v) return Error(kCliMissingValue, a);
            field = *v;
            return std::nullopt;
        };
        std::optional<ParseError> err;
        if (a == "--font") err = text(out.font);
        else if (a == "--image") err = text(out.image);
        else if (a == "--eps") err = text(out.eps);
        else if (a == "--suffix") err = text(out.suffix);
        else if (a == "-o" || a == "--output") err = text(out.output);
        else if (a == "--size") err = percent(out.size);
        else if (a == "--vpos") err = percent(out.vpos);
        else if (a == "--left") err = percent(out.left);
        else if (a == "--right") err = percent(out.right);
        else if (a == "--enhance") out.edits += 'e';
        else if (a == "--invert") out.edits += 'i';
        else if (a == "--install") out.install = true;
        else if (a == "--threshold") {
            const std::string* v = value();
            if (!v) return Error(kCliMissingValue, a);
            auto t = ParseThreshold(*v);
            if (!t) return Error(kCliBadValue, a, *v);
            out.threshold = *t;
            out.thresholdGiven = true;
        }
        else if (a == "--svg-size") {
            const std::string* v = value();
            if (!v) return Error(kCliMissingValue, a);
            auto size = ParseSvgSize(*v);
            if (!size) return Error(kCliBadValue, a, *v);
            out.svgSize = *size;
        }
        else if (a == "--scan") {
            out.scan = true;
            // The device name is optional: the next word, unless it is an option.
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') out.scanDevice = args[++i];
        }
        else if (a == "--char" || a == "--select" || a == "--flip" || a == "--rotate") {
            const std::string* v = value();
            if (!v) return Error(kCliMissingValue, a);
            if (a == "--char") {
                auto c = ParseCharacter(*v);
                if (!c) return Error(kCliBadValue, a, *v);
                out.charCode = *c;
            } else if (a == "--select") {
                out.select = ParseSelection(*v);
                if (!out.select) return Error(kCliBadValue, a, *v);
            } else if (a == "--flip") {
                if (*v != "h" && *v != "v") return Error(kCliBadValue, a, *v);
                out.edits += (*v)[0];
            } else {
                if (*v != "cw" && *v != "ccw") return Error(kCliBadValue, a, *v);
                out.edits += *v == "cw" ? 'c' : 'a';
            }
        } else {
            return Error(kCliUnknownOption, a);
        }
        if (err) return err;
    }
    if (out.font.empty()) return Error(kCliMissingOption, "--font");
    if (int(!out.image.empty()) + int(!out.eps.empty()) + int(out.scan) != 1)
        return Error(kCliMissingOption, "--image | --eps | --scan");
    if (out.charCode == 0xFFFF) return Error(kCliMissingOption, "--char");
    if (!out.eps.empty() && (!out.edits.empty() || out.select)) return Error(kCliEpsNoEdits);
    return std::nullopt;
}

std::optional<ParseError> ParseScanOptions(const std::vector<std::string>& args, ScanOptions& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--list") {
            out.list = true;
            continue;
        }
        if (a != "--device" && a != "--resolution" && a != "-o" && a != "--output") return Error(kCliUnknownOption, a);
        if (i + 1 >= args.size()) return Error(kCliMissingValue, a);
        const std::string& v = args[++i];
        if (a == "--device") {
            out.device = v;
        } else if (a == "--resolution") {
            auto dpi = ParseInteger(v);
            if (!dpi || *dpi < 1 || *dpi > 19200) return Error(kCliBadValue, a, v);
            out.dpi = *dpi;
        } else {
            out.output = v;
        }
    }
    if (!out.list && out.output.empty()) return Error(kCliMissingOption, "--output");
    return std::nullopt;
}

std::optional<ParseError> ParseTraceOptions(const std::vector<std::string>& args, TraceOptions& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return Error(kCliMissingValue, a);
            out.output = args[++i];
        } else if (a == "--threshold") {
            if (i + 1 >= args.size()) return Error(kCliMissingValue, a);
            auto t = ParseThreshold(args[++i]);
            if (!t) return Error(kCliBadValue, a, args[i]);
            out.threshold = *t;
            out.thresholdGiven = true;
        } else if (a == "--svg-size") {
            if (i + 1 >= args.size()) return Error(kCliMissingValue, a);
            auto size = ParseSvgSize(args[++i]);
            if (!size) return Error(kCliBadValue, a, args[i]);
            out.svgSize = *size;
        } else if (!a.empty() && a[0] == '-') {
            return Error(kCliUnknownOption, a);
        } else if (out.input.empty()) {
            out.input = a;
        } else {
            return Error(kCliUnknownOption, a);
        }
    }
    if (out.input.empty()) return Error(kCliMissingOption, "PICTURE | EPS");
    if (out.output.empty()) return Error(kCliMissingOption, "--output");
    return std::nullopt;
}

std::optional<ParseError> ParseThresholdOptions(const std::vector<std::string>& args, ThresholdOptions& out) {
    TraceOptions trace;
    if (auto e = ParseTraceOptions(args, trace)) return e;
    out.input = trace.input;
    out.output = trace.output;
    out.threshold = trace.threshold;
    out.thresholdGiven = trace.thresholdGiven;
    out.svgSize = trace.svgSize;
    return std::nullopt;
}
