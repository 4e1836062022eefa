// The statement executor: dispatches on the current token and runs the general statements.
#include "interp/executor.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_map>

#include "interp/calls.h"
#include "interp/commands.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "platform/cp932.h"
#include "values/values.h"

namespace zamiro {
namespace {

// Keyword lookup: English spellings folded to upper case, Japanese spellings exact.
class KeywordTable {
 public:
  KeywordTable() {
    for (const KeywordRow& row : kKeywordRows) {
      std::string en(row.english);
      for (char& ch : en) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      english_.emplace(en, row.command);
      if (row.japanese != nullptr) japanese_.emplace(Sjis(row.japanese), row.command);
    }
  }
  int Find(const char* text) const {
    size_t n = std::strlen(text);
    if (n == 0 || n > kMaxKey) return cmdNone;
    char upper[kMaxKey + 1];
    UpperCopy(text, upper);
    auto e = english_.find(std::string(upper, n));
    if (e != english_.end()) return e->second;
    auto j = japanese_.find(std::string(text, n));
    return j != japanese_.end() ? j->second : cmdNone;
  }

 private:
  static constexpr size_t kMaxKey = 15;  // longer tokens are no keyword; short strings need no heap
  std::unordered_map<std::string, int> english_;
  std::unordered_map<std::string, int> japanese_;
};

const KeywordTable& Keywords() {
  static const KeywordTable table;
  return table;
}

[[gnu::noinline]] void MakeStatement(InterpreterContext& c) {
  NextToken(c);
  if (c.tok.tokKind != tkDoubleQuote) return;
  NextToken(c);
  CheckTokenVarName(c, kVarNameSize - 1);
  char copy[kTokTextSize];
  const char* name = KeepTokenText(c.tok, copy);
  TVarList* v = FindTokenVariable(c);
  NextToken(c);
  bool indexed = false;
  int32_t index = 0;
  if (c.tok.tokKind == tkLBrace) {
    NextToken(c);
    index = CheckedStoreIndex(c, EvalExpression(c), name);
    NextToken(c);  // the closing brace, unchecked
    indexed = true;
  }
  Complex value = EvalExpression(c);
  if (v == nullptr) {
    CreateGlobal(c, name, value, index);
  } else if (indexed) {
    StoreElement(c, *v, index, value);
  } else {
    v->values[0] = value;
  }
}

[[gnu::noinline]] void PrintStatement(InterpreterContext& c) {
  NextToken(c);
  c.printValue = EvalExpression(c);
  c.host.AppendOutputLine(FormatPrintValue(c.printValue));
}

[[gnu::noinline]] void SleepStatement(InterpreterContext& c) {
  NextToken(c);
  double ms = std::trunc(EvalExpression(c).re);
  // Negative and undefined waits are none; a longer one than an unsigned 32-bit count of
  // milliseconds (49.7 days) waits that long. Any wait ends on shutdown.
  constexpr double kMaxSleepMs = 4294967295.0;
  if (!(ms > 0)) ms = 0;
  if (ms > kMaxSleepMs) ms = kMaxSleepMs;
  c.host.Sleep(static_cast<int64_t>(ms));
  if (c.inputQueue.Terminated()) throw ShutdownRequested{};
}

}  // namespace

void StopStatement(InterpreterContext&) {
  throw AbortStatement{};
}

int LookupCommand(const char* text) {
  return Keywords().Find(text);
}

int ExecuteStatement(InterpreterContext& c) {
  if (c.tok.tokKind == tkEol) {
    ReadChar(c);
    NextToken(c);
    return srNormal;
  }
  CheckStop(c);
  CheckNesting(c);
  int command = c.tok.keyword != kNotLookedUp ? c.tok.keyword : LookupCommand(c.tok.tokText);
  switch (command) {
    case cmdNone:
      break;
    case cmdMake:
      MakeStatement(c);
      return srNormal;
    case cmdRepeat:
      NextToken(c);
      RepeatStatement(c);
      return srNormal;
    case cmdWhile:
      NextToken(c);
      WhileStatement(c);
      return srNormal;
    case cmdDo:
      NextToken(c);
      DoUntilStatement(c);
      return srNormal;
    case cmdFor:
      NextToken(c);
      ForStatement(c);
      return srNormal;
    case cmdIf:
      NextToken(c);
      return IfStatement(c);
    case cmdBreak:
      NextToken(c);
      return srBreak;
    case cmdContinue:
      NextToken(c);
      return srContinue;
    case cmdRandomize:
      NextToken(c);
      SeedRandom(c, static_cast<uint64_t>(std::time(nullptr)));
      return srNormal;
    case cmdTo:
      ToStatement(c, CompareNoCase(c.tok.tokText, "to") != 0);
      return srNormal;
    case cmdLocal:
      LocalStatement(c);
      return srNormal;
    case cmdSleep:
      SleepStatement(c);
      return srNormal;
    case cmdStop:
      SkipToEnd(c);
      return srNormal;
    case cmdPrint:
      PrintStatement(c);
      return srNormal;
    case cmdListing:
      ListProcs(c, c.procRoot);
      NextToken(c);
      return srNormal;
    case cmdOp:
      return OpStatement(c);
    default:
      if (ExecuteTurtleCommand(c, command)) return srNormal;
      break;
  }
  if (c.tok.tokKind == tkName) {
    if (TProcNode* node = FindTokenProc(c)) return CallProc(c, *node);
    ReportErrorAndAbort(c, T().msgNewProcedure, T().capIgnore);
  }
  ReportErrorAndAbort(c, T().msgNotProcedure, T().capIgnore);
}

}  // namespace zamiro
