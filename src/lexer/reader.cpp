// The character reader: hands out the bytes of the current line one at a time, then 13.
#include <string>
#include <string_view>

#include "interp/context.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "interp/toplevel.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"

namespace zamiro {
namespace {

// The line after the last line of a procedure body or definition: a body always ends at
// "end", so one that runs out of lines ends as if it had read one.
constexpr std::string_view kVirtualEnd = "END";

void FetchFromQueue(InterpreterContext& c, std::string* line) {
  for (;;) {
    auto r = c.inputQueue.WaitForLine(c.lex.lineNo, line);
    if (r == InputQueue::WaitResult::kLine) return;
    if (r == InputQueue::WaitResult::kTerminated) throw ShutdownRequested{};
    RunPendingTasks(c);
  }
}

// Line `lineNo` (0-based) of the current list.
std::string_view FetchFromList(InterpreterContext& c) {
  LexState& s = c.lex;
  const std::vector<std::string>& lines = *c.curSource;
  auto index = static_cast<size_t>(s.lineNo);
  if (index < lines.size()) return lines[index];
  if (index == lines.size()) return kVirtualEnd;
  s.column = s.lineLen;
  ReportErrorAndAbort(c, T().msgPastEnd, T().capError);
}

void FetchLine(InterpreterContext& c) {
  LexState& s = c.lex;
  std::string queued;
  std::string_view text;
  if (c.curSource == nullptr) {
    FetchFromQueue(c, &queued);
    text = queued;
  } else {
    text = FetchFromList(c);
  }
  s.lineLoaded = true;
  s.lineNo += 1;
  s.column = 0;
  s.tokenHint = 0;
  auto len = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
  if (len > kMaxLineLen) {
    // Refused whole: a line cut short could do something the user never wrote.
    text = {};
    ShowReport(c, Format(T().msgLineTooLong.c_str(), c.sourceName, s.lineNo, len, kMaxLineLen),
               T().capIgnore);
  }
  s.line = c.lineStore.Intern(c.curSource, s.lineNo - 1, text);
  s.lineLen = static_cast<int32_t>(text.size());
}

}  // namespace

void ReadChar(InterpreterContext& c) {
  LexState& s = c.lex;
  for (;;) {
    if (s.lineLoaded) {
      if (s.column < s.lineLen) {
        s.curChar = static_cast<unsigned char>(s.line->text[static_cast<size_t>(s.column)]);
        s.column += 1;
        return;
      }
      if (s.column == s.lineLen) {
        s.column += 1;
        s.curChar = 13;
        return;
      }
      s.lineLoaded = false;
    }
    FetchLine(c);
  }
}

}  // namespace zamiro
