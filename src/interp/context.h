// The one record of an interpreter's state. Every routine of the core works on one of these;
// there is no global interpreter state, so several interpreters can live in one process.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "interp/input_queue.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"
#include "platform/host.h"
#include "turtle/picture.h"
#include "turtle/turtle_state.h"
#include "values/complex.h"
#include "values/value_array.h"

namespace zamiro {

constexpr char kTopLevelName[] = "Top Level";
constexpr int kVarNameSize = 36;   // 35 bytes of variable name
constexpr int kProcNameSize = 50;  // 49 bytes of procedure name
constexpr int kForNameSize = 20;   // 19 bytes of `for` variable name
// The bound on nested calls until InitStackLimit sets it from the stack: a stack of the usual
// 8 MB holds this many.
constexpr int32_t kDefaultMaxCallDepth = 8192;
// Arrays grow up to this many elements; a larger index is refused with a message.
constexpr int32_t kMaxArrayElements = 1 << 24;

// A variable: a named, growable array of complex numbers in a singly linked list.
struct TVarList {
  const char* name = "";  // its key: folded, kept in the context's `names` (InternName)
  ValueArray values;
  std::unique_ptr<TVarList> next;
  ~TVarList();  // releases the rest of the list without recursion
};
using TGlobalVarList = TVarList;

struct TParamNode {
  char name[kVarNameSize] = {};
  const char* key = "";  // the name as kept in the context's `names`
};

// A procedure: its source lines, kept as typed, in a tree ordered by name.
struct TProcNode {
  char name[kProcNameSize] = {};
  bool tailCall = false;
  std::vector<std::string> body;
  std::vector<TParamNode> params;
  TProcNode* left = nullptr;
  TProcNode* right = nullptr;
};

// AddressSanitizer clears the guards of the frames an exception leaves only while the stack in
// use is small; from deep recursion the sanitizer build clears them itself, as each of the two
// exceptions below is made, or it would later report their stale guards as overflows.
#ifdef __SANITIZE_ADDRESS__
void ClearStackGuardsAbove();
#else
inline void ClearStackGuardsAbove() {}
#endif

// Thrown by ReportErrorAndAbort and the stop check; only the top-level loop catches it.
struct AbortStatement {
  AbortStatement() { ClearStackGuardsAbove(); }
};
// Thrown when the interpreter is shut down; ends the interpreter thread.
struct ShutdownRequested {
  ShutdownRequested() { ClearStackGuardsAbove(); }
};

enum StatementResult { srNormal = 0, srBreak = 1, srContinue = 2 };

struct InterpreterContext {
  InterpreterContext(Host& h, InputQueue& q);
  InterpreterContext(const InterpreterContext&) = delete;
  InterpreterContext& operator=(const InterpreterContext&) = delete;

  Host& host;
  InputQueue& inputQueue;

  // Reader and tokenizer.
  LineStore lineStore;  // the lines that positions refer to
  LexState lex;
  const std::vector<std::string>* curSource = nullptr;  // nullptr: the InputQueue
  const char* sourceName = kTopLevelName;  // "Top Level" or the running procedure's name
  TokenState tok;

  // Flags and recovery.
  std::atomic<bool> stopRequested{false};
  bool loadingDefinitions = false;
  bool errorShown = false;
  LexState topLevelSnapshot;

  // Variables. Their names are kept once each, for as long as the interpreter lives (only
  // names written in the program's text are kept, so the set stays small).
  std::unordered_set<std::string> names;
  std::unique_ptr<TVarList> localVars;
  // Changes whenever a name may come to mean another record: a variable is created, or
  // localVars is replaced. Never 0, which marks a lookup never made.
  uint64_t variablesVersion = 1;
  std::vector<std::unique_ptr<TVarList>> spareRecords;  // released, for NewLocalRecord
  std::unique_ptr<TGlobalVarList> globalVars;

  // Values handed over by print and op.
  Complex printValue;
  Complex outputValue;

  // Procedures. Nodes live in procNodes and are never removed.
  TProcNode* procRoot = nullptr;
  std::deque<TProcNode> procNodes;
  std::mutex procTreeMutex;  // held while the tree changes or is saved from another thread

  // Turtle graphics: the turtle, the picture it draws on (whose mutex also guards the
  // turtle against the window's thread) and the arguments of the last figure.
  TurtleState turtle;
  Picture picture;
  DrawArgs drawArgs;

  // The generator of rand and random.
  uint64_t randomState = 0;
  double log10e = 0;  // computed on first use of log10

  // Nesting guard: the lowest stack address the interpreter may reach before it reports
  // that calls are nested too deeply.
  uintptr_t stackLimit = 0;
  int32_t callDepth = 0;                        // procedure and function calls in progress
  int32_t maxCallDepth = kDefaultMaxCallDepth;  // the bound on callDepth, from the stack's size

#ifdef ZAMIRO_FUZZING
  // Only the fuzz build bounds the work of one input, so that endless loops end.
  int64_t statementBudget = 20000;
#endif
};

// Sets the stack guard for the calling thread.
void InitStackLimit(InterpreterContext& c);

[[noreturn]] void ReportTooDeep(InterpreterContext& c);
// Reports that calls or expressions are nested too deeply when the stack is nearly used up.
inline void CheckNesting(InterpreterContext& c) {
  if (__builtin_expect(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) < c.stackLimit,
                       false)) {
    ReportTooDeep(c);
  }
}

}  // namespace zamiro
