// A host without a window for the fuzz targets: output and messages are dropped, the editor
// answers with its initial text, sleeping takes no time.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "interp/context.h"
#include "interp/toplevel.h"
#include "platform/host.h"
#include "turtle/picture.h"

namespace zamiro {

class HeadlessHost : public Host {
 public:
  void AppendOutputLine(const std::string&) override {}
  void ShowMessage(const std::string&, const std::string&) override {}
  EditResult EditProcedure(const EditRequest& request) override {
    EditResult r;
    r.accepted = !request.retry;
    r.lines = request.lines;
    return r;
  }
  void Sleep(int64_t) override {}
};

// Splits fuzz input into lines at LF.
inline std::vector<std::string> SplitLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      lines.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(static_cast<char>(data[i]));
    }
  }
  lines.push_back(cur);
  return lines;
}

// Runs `body` on an interpreter whose input is `lines`; the run ends when they are used up.
template <typename Body>
void WithInterpreter(const std::vector<std::string>& lines, Body body) {
  InputQueue queue;
  HeadlessHost host;
  InterpreterContext c(host, queue);
  size_t next = 0;
  queue.SetSupplier([&](std::string& line) {
    if (next >= lines.size()) return false;
    line = lines[next++];
    return true;
  });
  // A small picture, as the window gives one, so that every drawing reaches the canvas.
  FormResize(c, 61, 41, 59, 39);
  FormShow(c, 59, 39);
  try {
    body(c);
  } catch (const ShutdownRequested&) {
  }
}

}  // namespace zamiro
