// Runs the command-line front end in-process and collects what it printed.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Cli.h"

struct CliRun {
    int code;
    std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    CliRun r{RunCli(args, out, err), {}, {}};
    for (auto [f, s] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::rewind(f);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s->append(buf, n);
        std::fclose(f);
    }
    return r;
}
