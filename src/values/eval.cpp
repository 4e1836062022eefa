// The expression evaluator: recursive descent over the current token, evaluating as it reads.
// EvalSum and EvalTerm, and the commonest primaries, are inlined into EvalExpression: a nested
// call or subscript then costs the interpreter thread's stack one frame of EvalExpression.
#include <climits>

#include "interp/calls.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "values/values.h"

namespace zamiro {
namespace {

bool IsComparison(int32_t k) {
  return k == tkEqual || k == tkNotEqual || k == tkLess || k == tkGreater || k == tkLessEqual ||
         k == tkGreaterEqual;
}

int32_t RemainderOperand(InterpreterContext& c, double v) {
  int32_t out = 0;
  if (!ToInt32(v, &out)) ReportErrorAndAbort(c, T().msgIntRange, T().capIgnore);
  return out;
}

Complex Remainder(InterpreterContext& c, Complex a, Complex b) {
  int32_t m = RemainderOperand(c, a.re);
  int32_t n = RemainderOperand(c, b.re);
  if (n == 0) ReportErrorAndAbort(c, T().msgDivZero, T().capDivZero);
  if (n == -1) return {0.0, 0.0};  // also the smallest integer, whose quotient overflows
  return {static_cast<double>(m % n), 0.0};
}

// A name in an expression: a built-in function, else a procedure called as a function.
Complex NameValue(InterpreterContext& c) {
  CheckNesting(c);
  int function = TokenFunction(c);
  if (function >= 0) return CallBuiltinFunction(c, function);
  if (TProcNode* node = FindTokenProc(c)) return CallFunction(c, *node);
  ReportErrorAndAbort(c, T().msgNewFunction, T().capZero);
}

// A primary, the commonest kinds without going through EvalPrimary: a call of a function then
// costs the stack no frame of EvalPrimary's.
[[gnu::always_inline]] inline Complex Operand(InterpreterContext& c) {
  int32_t kind = c.tok.tokKind;
  if (kind == tkInteger || kind == tkReal) {
    Complex v{c.tok.tokValue, 0.0};
    NextToken(c);
    return v;
  }
  if (kind == tkColon) return ReadVariable(c);
  if (kind == tkName) return NameValue(c);
  return EvalPrimary(c);
}

[[gnu::always_inline]] inline Complex EvalTerm(InterpreterContext& c) {
  Complex left = Operand(c);
  for (;;) {
    int32_t op = c.tok.tokKind;
    if (op != tkStar && op != tkSlash && op != tkPercent && op != tkAnd) return left;
    NextToken(c);
    Complex right = Operand(c);
    switch (op) {
      case tkStar:
        left = left * right;
        break;
      case tkSlash:
        if (IsZero(right)) ReportErrorAndAbort(c, T().msgDivZero, T().capDivZero);
        left = Divide(left, right);
        break;
      case tkPercent:
        left = Remainder(c, left, right);
        break;
      default:
        left = Truth(!IsZero(left) && !IsZero(right));
        break;
    }
  }
}

[[gnu::always_inline]] inline Complex EvalSum(InterpreterContext& c) {
  Complex left = EvalTerm(c);
  for (;;) {
    int32_t op = c.tok.tokKind;
    if (op != tkPlus && op != tkMinus && op != tkOr) return left;
    NextToken(c);
    Complex right = EvalTerm(c);
    if (op == tkPlus) {
      left = left + right;
    } else if (op == tkMinus) {
      left = left - right;
    } else {
      left = Truth(!IsZero(left) || !IsZero(right));
    }
  }
}

}  // namespace

Complex EvalExpression(InterpreterContext& c) {
  Complex left = EvalSum(c);
  int32_t op = c.tok.tokKind;
  if (!IsComparison(op)) return left;
  NextToken(c);
  Complex right = EvalSum(c);
  switch (op) {
    case tkEqual:
      return Truth(left == right);
    case tkNotEqual:
      return Truth(left != right);
    case tkLess:
      return Truth(left.re < right.re);
    case tkGreater:
      return Truth(left.re > right.re);
    case tkLessEqual:
      return Truth(left.re <= right.re);
    default:
      return Truth(left.re >= right.re);
  }
}

Complex EvalPrimary(InterpreterContext& c) {
  CheckNesting(c);
  if (c.tok.tokKind == tkEol) {
    ReadChar(c);
    NextToken(c);
  }
  switch (c.tok.tokKind) {
    case tkInteger:
    case tkReal: {
      Complex v{c.tok.tokValue, 0.0};
      NextToken(c);
      return v;
    }
    case tkLParen: {
      NextToken(c);
      Complex v = EvalExpression(c);
      if (c.tok.tokKind != tkRParen) ReportErrorAndAbort(c, T().msgNoRParen, T().capIgnore);
      NextToken(c);
      return v;
    }
    case tkPlus:
      NextToken(c);
      return EvalPrimary(c);
    case tkMinus: {
      NextToken(c);
      // 0 - a keeps a zero imaginary part +0, as the branch cuts of arg and sqrt expect.
      return Complex{} - EvalPrimary(c);
    }
    case tkNot: {
      NextToken(c);
      return Truth(IsZero(EvalPrimary(c)));
    }
    case tkColon:
      return ReadVariable(c);
    case tkDoubleQuote:
      NextToken(c);
      ReportErrorAndAbort(c, T().msgQuoteNotColon, T().capZero);
    case tkName:
      return NameValue(c);
    default:
      return Complex{};
  }
}

}  // namespace zamiro
