// The character reader: hands out the bytes of the current line one at a time, then 13.
#include <cstring>

#include "interp/context.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "interp/toplevel.h"
#include "lexer/lexer.h"

namespace zamiro {
namespace {

// The line after the last line of a procedure body or definition: a body always ends at
// "end", so one that runs out of lines ends as if it had read one.
constexpr char kVirtualEnd[] = "END";

void FetchFromQueue(InterpreterContext& c, int32_t* len) {
  LexState& s = c.lex;
  for (;;) {
    auto r = c.inputQueue.WaitForLine(s.lineNo, s.lineBuf, kLineBufSize, len);
    if (r == InputQueue::WaitResult::kLine) return;
    if (r == InputQueue::WaitResult::kTerminated) throw ShutdownRequested{};
    RunPendingTasks(c);
  }
}

void FetchFromList(InterpreterContext& c, int32_t* len) {
  LexState& s = c.lex;
  const std::vector<std::string>& lines = *c.curSource;
  auto index = static_cast<size_t>(s.lineNo);
  if (index < lines.size()) {
    const std::string& line = lines[index];
    *len = static_cast<int32_t>(line.size());
    size_t n = std::min(line.size(), static_cast<size_t>(kMaxLineLen));
    std::memcpy(s.lineBuf, line.data(), n);
    s.lineBuf[n] = '\0';
  } else if (index == lines.size()) {
    *len = sizeof kVirtualEnd - 1;
    std::memcpy(s.lineBuf, kVirtualEnd, sizeof kVirtualEnd);
  } else {
    s.column = s.lineLen;
    ReportErrorAndAbort(c, T().msgPastEnd, T().capError);
  }
}

void FetchLine(InterpreterContext& c) {
  LexState& s = c.lex;
  int32_t len = 0;
  if (c.curSource == nullptr) {
    FetchFromQueue(c, &len);
  } else {
    FetchFromList(c, &len);
  }
  s.lineLoaded = true;
  s.lineNo += 1;
  s.column = 0;
  if (len > kMaxLineLen) {
    // Refused whole: a line cut short could do something the user never wrote.
    s.lineLen = 0;
    s.lineBuf[0] = '\0';
    ShowReport(c, Format(T().msgLineTooLong.c_str(), c.sourceName, s.lineNo, len, kMaxLineLen),
               T().capIgnore);
  } else {
    s.lineLen = len;
  }
}

}  // namespace

void ReadChar(InterpreterContext& c) {
  LexState& s = c.lex;
  for (;;) {
    if (s.lineLoaded) {
      if (s.column < s.lineLen) {
        s.curChar = static_cast<unsigned char>(s.lineBuf[s.column]);
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
