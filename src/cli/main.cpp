// penmark: without arguments the wizard, with a command the command-line front end.
// The wizard is a program of its own beside this one (penmark-wizard), so that the
// headless commands never load the GUI libraries.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Cli.h"
#include "CliTexts.h"
#include "StringIds.h"
#include "Strings.h"

namespace {

// The folder of this executable, with its final slash.
std::string OwnFolder(const char* argv0) {
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, size_t(n)) : std::string(argv0);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Replaces this process with the wizard; returns only when that failed.
int StartWizard(char** argv) {
    const std::string wizard = OwnFolder(argv[0]) + "penmark-wizard";
    ::execv(wizard.c_str(), argv);
    const int err = errno;
    std::fprintf(stderr, "%s\n", FormatString(kCliNoWizard, (wizard + ": " + std::strerror(err)).c_str()).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return StartWizard(argv);
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", GetString(StringId::kCaption), PENMARK_VERSION);
        return 0;
    }
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
