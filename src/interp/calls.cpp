// Procedure and function calls: arguments become fresh local variables, the reader switches to
// the procedure's stored lines and reads them again until "end", then everything is restored.
#include "interp/calls.h"

#include <cstring>

#include "interp/errors.h"
#include "interp/executor.h"
#include "interp/texts.h"
#include "values/values.h"

namespace zamiro {
namespace {

TVarList* FindArray(InterpreterContext& c) {
  NextToken(c);
  TVarList* array = FindVariable(c, c.tok.tokText);
  if (array == nullptr) ReportErrorAndAbort(c, T().msgNewArray, T().capError);
  NextToken(c);
  return array;
}

// Parameters are walked by index: an argument read from a later input line may wait while a
// program file is loaded, and a redefinition replaces the parameter list under the loop.
// Not inlined: its frame is gone before the body runs, and calls nest deeply.
[[gnu::noinline]] std::unique_ptr<TVarList> BindArguments(InterpreterContext& c,
                                                          const TProcNode& node) {
  std::unique_ptr<TVarList> head;
  TVarList* tail = nullptr;
  for (size_t i = 0; i < node.params.size(); ++i) {
    std::unique_ptr<TVarList> v = NewLocalRecord(c, node.params[i].key, Complex{});
    if (c.tok.tokKind == tkAmpersand) {
      CopyValues(c, *v, *FindArray(c));
    } else {
      v->values[0] = EvalExpression(c);
    }
    TVarList* added = v.get();
    if (tail == nullptr) {
      head = std::move(v);
    } else {
      tail->next = std::move(v);
    }
    tail = added;
  }
  return head;
}

// The caller's state, kept on the stack while a call runs. Saving and restoring are not inlined:
// their temporaries would take room in the frame of every call level.
struct SavedCaller {
  // Reads the arguments; the call's variables then take the place of the caller's.
  [[gnu::noinline]] SavedCaller(InterpreterContext& c, const TProcNode& node)
      : locals(BindArguments(c, node)),
        source(c.curSource),
        name(c.sourceName),
        lex(c.lex),
        tok(c.tok) {
    locals = SwapLocalVars(c, std::move(locals));
    c.sourceName = node.name;
  }
  [[gnu::noinline]] void Restore(InterpreterContext& c) {
    c.curSource = source;
    c.sourceName = name;
    c.lex = lex;
    tok.RestoreTo(c.tok);
    ReleaseVarList(c, SwapLocalVars(c, std::move(locals)));  // the call's own list
  }
  std::unique_ptr<TVarList> locals;  // the call's arguments, then the caller's variables
  const std::vector<std::string>* source;
  const char* name;  // a procedure's name lives as long as the procedure tree
  LexState lex;
  SavedToken tok;
};

void StartBody(InterpreterContext& c, const TProcNode& node) {
  c.curSource = &node.body;
  c.lex.lineLoaded = false;
  c.lex.lineNo = 0;
  ReadChar(c);
  NextToken(c);
  NextToken(c);
  NextToken(c);
  while (c.tok.tokKind == tkColon) {
    NextToken(c);
    NextToken(c);
  }
}

// The self-call at the end of a marked body: the parameters take the new arguments at once and
// the body starts again, without nesting.
void TailJump(InterpreterContext& c, const TProcNode& node) {
  NextToken(c);
  for (size_t i = 0; i < node.params.size(); ++i) {
    TVarList* v = FindLocal(c, node.params[i].name);
    if (c.tok.tokKind == tkAmpersand) {
      TVarList* array = FindArray(c);
      if (v != nullptr) CopyValues(c, *v, *array);
    } else {
      Complex value = EvalExpression(c);
      if (v != nullptr) v->values[0] = value;
    }
  }
}

// Counts the calls in progress. Past maxCallDepth (set with the stack guard) the call is
// refused with a message: the bound lies well inside the interpreter thread's stack, and is
// reached, and left again, in seconds and without using gigabytes.
class CallDepth {
 public:
  explicit CallDepth(InterpreterContext& c) : c_(c) {
    if (c_.callDepth >= c_.maxCallDepth) ReportTooDeep(c_);
    c_.callDepth += 1;
  }
  ~CallDepth() { c_.callDepth -= 1; }
  CallDepth(const CallDepth&) = delete;
  CallDepth& operator=(const CallDepth&) = delete;

 private:
  InterpreterContext& c_;
};

// Inlined into both calls: one frame less for every level of nesting.
[[gnu::always_inline]] inline void RunBody(InterpreterContext& c, const TProcNode& node,
                                           bool allowTailJump) {
  StartBody(c, node);
  for (;;) {
    if (TokenIsEnd(c)) return;
    if (allowTailJump && node.tailCall && CompareNoCase(c.tok.tokText, c.sourceName) == 0) {
      TailJump(c, node);
      CheckStop(c);
      StartBody(c, node);
      continue;
    }
    ExecuteStatement(c);
  }
}

}  // namespace

int CallProc(InterpreterContext& c, TProcNode& node) {
  CheckNesting(c);
  CallDepth depth(c);
  NextToken(c);
  SavedCaller caller(c, node);
  RunBody(c, node, true);
  caller.Restore(c);
  return srNormal;
}

Complex CallFunction(InterpreterContext& c, TProcNode& node) {
  CheckNesting(c);
  CallDepth depth(c);
  NextToken(c);
  SavedCaller caller(c, node);
  RunBody(c, node, false);
  caller.Restore(c);
  return c.outputValue;
}

void LocalStatement(InterpreterContext& c) {
  NextToken(c);
  while (c.tok.tokKind == tkDoubleQuote) {
    NextToken(c);
    CheckTokenVarName(c, kVarNameSize - 1);
    CreateLocal(c, c.tok.tokText, Complex{});
    NextToken(c);
  }
}

namespace {

void PassToEnd(InterpreterContext& c) {
  while (!TokenIsEnd(c)) {
    if (c.tok.tokKind == tkEol) {
      // Only at a line end: Esc gets the user out of a stop or op typed at top level.
      CheckStop(c);
      ReadChar(c);
    }
    NextToken(c);
  }
}

}  // namespace

void SkipToEnd(InterpreterContext& c) {
  NextToken(c);
  PassToEnd(c);
}

int OpStatement(InterpreterContext& c) {
  NextToken(c);
  c.outputValue = EvalExpression(c);
  PassToEnd(c);
  return srNormal;
}

}  // namespace zamiro
