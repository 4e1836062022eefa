// The whole interpreter on arbitrary command lines; the fuzz build bounds the statements run.
#include "fuzz/headless_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zamiro;
  WithInterpreter(SplitLines(data, size), [](InterpreterContext& c) {
    StartInterpreter(c);
    TopLevelLoop(c);
  });
  return 0;
}
