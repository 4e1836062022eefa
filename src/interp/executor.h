// The statement executor and the statements of the language.
#pragma once

#include "interp/context.h"

namespace zamiro {

// Executes exactly one statement and leaves the current token on the first token after it.
int ExecuteStatement(InterpreterContext& c);
[[noreturn]] void StopStatement(InterpreterContext& c);
// The stop request, checked where statements start and on every pass of a loop.
inline void CheckStop(InterpreterContext& c) {
  if (__builtin_expect(c.stopRequested.load(std::memory_order_relaxed), false)) StopStatement(c);
#ifdef ZAMIRO_FUZZING
  if (--c.statementBudget < 0) throw ShutdownRequested{};
#endif
}
// Whether the current token is `word` (CompareNoCase); most tokens differ in their first byte.
inline bool TokenIsWord(const InterpreterContext& c, const char* word) {
  return FoldByte(c.tok.tokText[0]) == FoldByte(word[0]) && CompareNoCase(c.tok.tokText, word) == 0;
}

// TokenIsWord(c, "end"), asked after every statement of a body or block, without the call:
// the three letters in either case and nothing after them.
inline bool TokenIsEnd(const InterpreterContext& c) {
  const char* t = c.tok.tokText;
  return (t[0] | 0x20) == 'e' && (t[1] | 0x20) == 'n' && (t[2] | 0x20) == 'd' && t[3] == '\0';
}

// Control structures.
void SkipBlock(InterpreterContext& c);
void RepeatStatement(InterpreterContext& c);
void WhileStatement(InterpreterContext& c);
void DoUntilStatement(InterpreterContext& c);
void ForStatement(InterpreterContext& c);
int IfStatement(InterpreterContext& c);

// Procedure definitions and listing.
void ToStatement(InterpreterContext& c, bool japanese);
void ListProcs(InterpreterContext& c, const TProcNode* node);

// Graphics statements; `command` is the dispatch code of the statement.
bool ExecuteTurtleCommand(InterpreterContext& c, int command);

}  // namespace zamiro
