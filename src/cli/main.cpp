// penmark: without arguments the wizard, with a command the command-line front end.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Cli.h"
#include "StringIds.h"
#include "Strings.h"
#include "WizardPages.h"

int main(int argc, char** argv) {
    if (argc == 1) return RunWizard(argc, argv);
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", GetString(StringId::kCaption), PENMARK_VERSION);
        return 0;
    }
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
