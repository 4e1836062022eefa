// The command-line runner, callable in-process for tests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zamiro {

// Runs zamiro-run with the given arguments; returns the exit status.
int RunCli(const std::vector<std::string>& args, FILE* in, FILE* out, FILE* err);

}  // namespace zamiro
