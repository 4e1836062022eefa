// The program-file loader on arbitrary files, then a save of what it defined.
#include <string>

#include "fuzz/headless_host.h"
#include "interp/calls.h"
#include "interp/program_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zamiro;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  WithInterpreter({}, [&](InterpreterContext& c) {
    LoadDefinitions(c, ProgramFileLines(bytes));
    ProgramLines(c);
  });
  return 0;
}
