// penmark: the command-line front end.
#include <cstdio>
#include <cstring>

#include "Strings.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", GetString(61288), PENMARK_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: penmark --version\n");
    return argc > 1 ? 2 : 0;
}
