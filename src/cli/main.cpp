// zamiro-run: runs Logo command lines without a window.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/runner.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return zamiro::RunCli(args, stdin, stdout, stderr);
}
