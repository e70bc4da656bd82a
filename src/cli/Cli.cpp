#include "Cli.h"

#include <cstring>

#include "CliOptions.h"
#include "CliTexts.h"
#include "FontCatalog.h"
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
    if (command == "fonts") {
        if (WantsHelp(rest)) return Say(out, GetString(kCliUsageFonts)), 0;
        return Fonts(rest, out, err);
    }
    Say(err, FormatString(kCliUnknownCommand, command.c_str()));
    Say(err, GetString(kCliUsage));
    return 2;
}
