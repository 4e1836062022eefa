// An interpreter in the test's own thread: a host that records what the program shows, input
// lines fed on demand, and helpers to read tokens and evaluate expressions.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "interp/context.h"
#include "interp/program_files.h"
#include "interp/toplevel.h"
#include "platform/cp932.h"
#include "platform/host.h"
#include "values/values.h"

namespace zamiro::testing {

// Records output lines and message boxes, converted to UTF-8 for readable assertions.
class RecordingHost : public Host {
 public:
  std::vector<std::string> output;
  std::vector<std::string> messages;                   // "[CAPTION] TEXT"
  std::deque<std::vector<std::string>> editorAnswers;  // texts left in the editor, UTF-8

  void AppendOutputLine(const std::string& text) override { output.push_back(Cp932ToUtf8(text)); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    messages.push_back("[" + Cp932ToUtf8(caption) + "] " + Cp932ToUtf8(text));
  }
  // Answers with the next prepared text; Cancel when none is left.
  EditResult EditProcedure(const EditRequest& request) override {
    editorRequests.push_back(request);
    EditResult r;
    if (editorAnswers.empty()) return r;
    r.accepted = true;
    for (const std::string& line : editorAnswers.front()) r.lines.push_back(Sjis(line));
    editorAnswers.pop_front();
    return r;
  }
  void Sleep(int64_t) override {}

  std::vector<EditRequest> editorRequests;
};

// One interpreter whose input queue is fed from `lines` as the reader asks for them; the run
// ends when they are used up.
class Session {
 public:
  Session() {
    queue.SetSupplier([this](std::string& line) {
      if (next_ >= pending_.size()) return false;
      if (onSupply) onSupply(next_);
      line = pending_[next_++];
      return true;
    });
    c.turtle.centreX = c.turtle.turtleX = 233;
    c.turtle.centreY = c.turtle.turtleY = 137;
  }

  // Procedures defined as by a program file (UTF-8 lines), before the next Run.
  void Define(const std::vector<std::string>& utf8Lines) {
    std::vector<std::string> lines;
    for (const std::string& line : utf8Lines) lines.push_back(Sjis(line));
    PostLoad(queue, std::move(lines));
  }

  // Runs UTF-8 command lines through the top-level loop until the input is used up.
  void Run(const std::vector<std::string>& utf8Lines) {
    for (const std::string& line : utf8Lines) pending_.push_back(Sjis(line));
    try {
      StartInterpreter(c);
      TopLevelLoop(c);
    } catch (const ShutdownRequested&) {
    }
  }

  // Points the reader at a list of code page 932 lines, as a procedure call does.
  void ReadFrom(std::vector<std::string> sjisLines) {
    source_ = std::move(sjisLines);
    c.curSource = &source_;
    c.lex = LexState{};
  }

  // Evaluates one UTF-8 expression read from a list source.
  Complex Eval(const std::string& utf8) {
    ReadFrom({Sjis(utf8)});
    ReadChar(c);
    NextToken(c);
    return EvalExpression(c);
  }

  InputQueue queue;
  RecordingHost host;
  InterpreterContext c{host, queue};
  // Called with a line's 0-based index just before the reader receives it.
  std::function<void(size_t)> onSupply;

 private:
  std::vector<std::string> pending_;
  size_t next_ = 0;
  std::vector<std::string> source_;
};

}  // namespace zamiro::testing
