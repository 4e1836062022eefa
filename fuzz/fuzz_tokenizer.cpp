// The reader and the tokenizer on arbitrary bytes.
#include "fuzz/headless_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zamiro;
  WithInterpreter(SplitLines(data, size), [](InterpreterContext& c) {
    StartInterpreter(c);
    for (;;) {
      if (c.tok.tokKind == tkEol) ReadChar(c);
      NextToken(c);
    }
  });
  return 0;
}
