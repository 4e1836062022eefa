// Control structures. Nothing is compiled: a loop saves the reader and token position where its
// block starts and goes back there for every pass.
#include <cmath>
#include <cstring>

#include "interp/errors.h"
#include "interp/executor.h"
#include "interp/texts.h"
#include "values/values.h"

namespace zamiro {
namespace {

struct SavedPosition {
  explicit SavedPosition(const InterpreterContext& c) : lex(c.lex), tok(c.tok) {}
  LexState lex;
  SavedToken tok;
};

void Restore(InterpreterContext& c, const SavedPosition& p) {
  c.lex = p.lex;
  p.tok.RestoreTo(c.tok);
}

void SkipLineEnd(InterpreterContext& c) {
  if (c.tok.tokKind == tkEol) {
    ReadChar(c);
    NextToken(c);
  }
}

// A condition holds when its real part is neither zero nor undefined.
bool Holds(Complex v) { return v.re < 0 || v.re > 0; }

enum class BlockEnd { kBracket, kBreak, kContinue, kEnd };

BlockEnd RunBlock(InterpreterContext& c) {
  while (c.tok.tokKind != tkRBracket) {
    int r = ExecuteStatement(c);
    if (r == srBreak) return BlockEnd::kBreak;
    if (r == srContinue) return BlockEnd::kContinue;
    if (TokenIsEnd(c)) return BlockEnd::kEnd;
  }
  return BlockEnd::kBracket;
}

}  // namespace

void SkipBlock(InterpreterContext& c) {
  int depth = 1;
  for (;;) {
    int32_t k = c.tok.tokKind;
    if (k == tkRBracket) {
      if (depth == 1) break;
      depth -= 1;
    } else if (k == tkLBracket) {
      depth += 1;
    } else if (k == tkEol) {
      ReadChar(c);
    }
    NextToken(c);
  }
  NextToken(c);
}

void RepeatStatement(InterpreterContext& c) {
  double count = EvalExpression(c).re;
  SkipLineEnd(c);
  NextToken(c);
  SavedPosition start(c);
  for (int64_t pass = 0; static_cast<double>(pass) < count; ++pass) {
    CheckStop(c);
    BlockEnd e = RunBlock(c);
    if (e == BlockEnd::kEnd) return;
    if (e == BlockEnd::kBreak) {
      SkipBlock(c);
      return;
    }
    Restore(c, start);
  }
  SkipBlock(c);
}

void WhileStatement(InterpreterContext& c) {
  SavedPosition start(c);
  for (;;) {
    Complex condition = EvalExpression(c);
    SkipLineEnd(c);
    NextToken(c);
    if (!Holds(condition)) {
      SkipBlock(c);
      return;
    }
    BlockEnd e = RunBlock(c);
    if (e == BlockEnd::kEnd) return;
    if (e == BlockEnd::kBreak) {
      SkipBlock(c);
      return;
    }
    Restore(c, start);
    CheckStop(c);
  }
}

void DoUntilStatement(InterpreterContext& c) {
  SkipLineEnd(c);
  NextToken(c);
  SavedPosition start(c);
  for (;;) {
    BlockEnd e = RunBlock(c);
    if (e == BlockEnd::kEnd) return;
    if (e == BlockEnd::kBreak) {
      SkipBlock(c);
      SkipLineEnd(c);
      NextToken(c);
      EvalExpression(c);
      return;
    }
    if (e == BlockEnd::kContinue) {
      SkipBlock(c);
    } else {
      NextToken(c);
    }
    SkipLineEnd(c);
    if (!TokenIsWord(c, "until")) return;
    NextToken(c);
    if (Holds(EvalExpression(c))) return;
    Restore(c, start);
    CheckStop(c);
  }
}

void ForStatement(InterpreterContext& c) {
  SkipLineEnd(c);
  NextToken(c);  // the token after `for`, whatever it is
  char name[kTokTextSize];
  std::strcpy(name, c.tok.tokText);
  CheckVarName(c, name, kForNameSize - 1);
  TVarList* v = FindVariable(c, name);
  NextToken(c);
  SkipLineEnd(c);
  NextToken(c);  // the token after the name, whatever it is
  Complex start = EvalExpression(c);
  double current = start.re;
  if (v != nullptr) {
    v->values[0] = start;
  } else {
    CreateGlobal(c, name, start, 0);
  }
  SkipLineEnd(c);
  bool down = TokenIsWord(c, "downto");
  NextToken(c);
  double limit = EvalExpression(c).re;
  SkipLineEnd(c);
  double step = 1;
  if (c.tok.tokKind == tkName && TokenIsWord(c, "step")) {
    NextToken(c);
    step = EvalExpression(c).re;
  }
  SkipLineEnd(c);
  NextToken(c);
  SavedPosition body(c);
  for (;;) {
    CheckStop(c);
    bool go = down ? current - limit > -1e-32 : limit - current > -1e-32;
    if (!go) {
      SkipBlock(c);
      return;
    }
    BlockEnd e = RunBlock(c);
    if (e == BlockEnd::kEnd) return;
    if (e == BlockEnd::kBreak) {
      SkipBlock(c);
      return;
    }
    if (e == BlockEnd::kContinue) SkipBlock(c);
    current = down ? current - step : current + step;
    if (TVarList* var = FindVariable(c, name)) var->values[0] = Complex{current, 0.0};
    Restore(c, body);
  }
}

int IfStatement(InterpreterContext& c) {
  Complex condition = EvalExpression(c);
  NextToken(c);  // the first block's bracket, on the condition's line
  bool second = false;
  if (!Holds(condition)) {
    SkipBlock(c);
    SkipLineEnd(c);
    if (c.tok.tokKind != tkLBracket) return srNormal;
    NextToken(c);
    second = true;
  }
  BlockEnd e = RunBlock(c);
  if (e == BlockEnd::kEnd) return srNormal;
  if (e == BlockEnd::kBreak) {
    SkipBlock(c);
    return srBreak;
  }
  if (e == BlockEnd::kContinue) {
    SkipBlock(c);
    return srContinue;
  }
  NextToken(c);
  if (second) return srNormal;
  SkipLineEnd(c);
  if (c.tok.tokKind == tkLBracket) {
    NextToken(c);
    SkipBlock(c);
  }
  return srNormal;
}

}  // namespace zamiro
