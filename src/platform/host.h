// The world as the interpreter sees it. The core reaches the output memo, message boxes, the
// definition editor, the beep and the clock only through this interface; the desktop program
// and the command-line runner each provide one. All text is code page 932 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zamiro {

// What the definition editor is asked to show, and what it answers.
struct EditRequest {
  std::vector<std::string> lines;  // the text to show first
  std::string statementRest;       // the `to` line from its keyword to its end
  bool retry = false;              // shown again after a block without END
};

struct EditResult {
  bool accepted = false;           // closed with OK
  std::vector<std::string> lines;  // the text left in the editor
  bool dropRestOfLine = false;     // the rest of the `to` line was part of the text
};

class Host {
 public:
  virtual ~Host() = default;
  // Adds one line at the end of the output memo.
  virtual void AppendOutputLine(const std::string& text) = 0;
  // Shows a message box with an OK button only and returns when it is closed.
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
  // Runs the definition editor modally.
  virtual EditResult EditProcedure(const EditRequest& request) = 0;
  virtual void Beep() {}
  // Pauses for `ms` milliseconds; returns early when the interpreter is being shut down.
  virtual void Sleep(int64_t ms) = 0;
};

}  // namespace zamiro
