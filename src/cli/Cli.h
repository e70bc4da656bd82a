// The headless front end: penmark build | trace | fonts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Runs one command with its arguments (without the program name); returns the exit
// code: 0 success, 1 the work failed, 2 the command line was wrong.
int RunCli(const std::vector<std::string>& args, FILE* out, FILE* err);
