// The built-in functions, computed by the language's own formulas (not a platform complex
// library, whose branch cuts and special cases differ).
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "interp/errors.h"
#include "interp/texts.h"
#include "platform/cp932.h"
#include "turtle/picture.h"
#include "values/values.h"

namespace zamiro {
namespace {

constexpr double kAnglePi = 3.14159265358979;  // the decimal literal, as headings use

enum Fn {
  fnComplex, fnSin, fnCos, fnTan, fnAsin, fnAcos, fnAtan, fnAtan2, fnPow, fnLog, fnLog10, fnExp,
  fnSqrt, fnAbs, fnArg, fnConj, fnCosh, fnImag, fnNorm, fnPolar, fnReal, fnSinh, fnTanh,
  fnFloor, fnCeil, fnQuotient, fnRandom, fnRand, fnPi, fnXcor, fnYcor, fnHeading, fnDistance,
  fnTowards, fnPc, fnPw,
};

struct FunctionRow {
  const char* english;
  const char* japanese;
  int args;
  Fn fn;
};

// clang-format off
constexpr FunctionRow kFunctions[] = {
    {"complex", nullptr, 2, fnComplex}, {"sin", nullptr, 1, fnSin}, {"cos", nullptr, 1, fnCos},
    {"tan", nullptr, 1, fnTan}, {"asin", nullptr, 1, fnAsin}, {"acos", nullptr, 1, fnAcos},
    {"atan", nullptr, 1, fnAtan}, {"atan2", nullptr, 2, fnAtan2}, {"pow", nullptr, 2, fnPow},
    {"log", nullptr, 1, fnLog}, {"log10", nullptr, 1, fnLog10}, {"exp", nullptr, 1, fnExp},
    {"sqrt", nullptr, 1, fnSqrt}, {"abs", nullptr, 1, fnAbs}, {"arg", nullptr, 1, fnArg},
    {"conj", nullptr, 1, fnConj}, {"cosh", nullptr, 1, fnCosh}, {"imag", nullptr, 1, fnImag},
    {"norm", nullptr, 1, fnNorm}, {"polar", nullptr, 2, fnPolar}, {"real", nullptr, 1, fnReal},
    {"sinh", nullptr, 1, fnSinh}, {"tanh", nullptr, 1, fnTanh}, {"floor", nullptr, 1, fnFloor},
    {"ceil", nullptr, 1, fnCeil}, {"quotient", nullptr, 2, fnQuotient},
    {"random", "らんすう", 1, fnRandom}, {"rand", nullptr, 0, fnRand}, {"pi", nullptr, 0, fnPi},
    {"xcor", "よこのいち", 0, fnXcor}, {"ycor", "たてのいち", 0, fnYcor},
    {"heading", "むき", 0, fnHeading}, {"distance", "きょり", 2, fnDistance},
    {"towards", "ほうこう", 2, fnTowards}, {"pc", "いろ", 0, fnPc}, {"pw", nullptr, 0, fnPw},
};
// clang-format on

class FunctionTable {
 public:
  FunctionTable() {
    for (const FunctionRow& row : kFunctions) {
      std::string en(row.english);
      for (char& ch : en) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      english_.emplace(en, &row);
      if (row.japanese != nullptr) japanese_.emplace(Sjis(row.japanese), &row);
    }
  }
  const FunctionRow* Find(const char* text) const {
    size_t n = std::strlen(text);
    if (n == 0 || n > kMaxKey) return nullptr;
    char upper[kMaxKey + 1];
    UpperCopy(text, upper);
    auto e = english_.find(std::string(upper, n));
    if (e != english_.end()) return e->second;
    auto j = japanese_.find(std::string(text, n));
    return j != japanese_.end() ? j->second : nullptr;
  }

 private:
  static constexpr size_t kMaxKey = 15;
  std::unordered_map<std::string, const FunctionRow*> english_;
  std::unordered_map<std::string, const FunctionRow*> japanese_;
};

const FunctionTable& Functions() {
  static const FunctionTable table;
  return table;
}

const Complex kI{0.0, 1.0};
const Complex kMinusI{0.0, -1.0};
const Complex kOne{1.0, 0.0};

Complex Real(double v) { return {v, 0.0}; }
Complex Sin(Complex z) {
  return {std::sin(z.re) * std::cosh(z.im), std::cos(z.re) * std::sinh(z.im)};
}
Complex Cos(Complex z) {
  return {std::cos(z.re) * std::cosh(z.im), -(std::sin(z.re) * std::sinh(z.im))};
}
Complex Sinh(Complex z) {
  return {std::sinh(z.re) * std::cos(z.im), std::cosh(z.re) * std::sin(z.im)};
}
Complex Cosh(Complex z) {
  return {std::cosh(z.re) * std::cos(z.im), std::sinh(z.re) * std::sin(z.im)};
}
Complex Exp(Complex z) {
  double e = std::exp(z.re);
  return {e * std::cos(z.im), e * std::sin(z.im)};
}
double Norm(Complex z) { return z.re * z.re + z.im * z.im; }
double Abs(Complex z) { return std::sqrt(Norm(z)); }
double Arg(Complex z) { return IsZero(z) ? 0.0 : std::atan2(z.im, z.re); }
Complex Log(Complex z) { return {std::log(Abs(z)), Arg(z)}; }
Complex Sqrt(Complex z) {
  double rho = std::sqrt(Abs(z));
  double phi = Arg(z) / 2;
  return {rho * std::cos(phi), rho * std::sin(phi)};
}
Complex Polar(double rho, double theta) {
  return {rho * std::cos(theta), rho * std::sin(theta)};
}
Complex Pow(Complex a, Complex b) {
  if (IsZero(a)) return Truth(IsZero(b));
  double rho = Abs(a);
  double theta = Arg(a);
  double m = std::pow(rho, b.re) * std::exp(-b.im * theta);
  double phi = b.im * std::log(rho) + b.re * theta;
  return {m * std::cos(phi), m * std::sin(phi)};
}
Complex Asin(Complex z) { return kMinusI * Log(kI * z + Sqrt(kOne - z * z)); }
Complex Acos(Complex z) { return kMinusI * Log(z + kI * Sqrt(kOne - z * z)); }
Complex Atan(Complex z) { return Complex{0.0, 0.5} * Log(Divide(kI + z, kI - z)); }

int32_t IntegerArgument(InterpreterContext& c, Complex v) {
  int32_t out = 0;
  if (!ToInt32(v.re, &out)) ReportErrorAndAbort(c, T().msgIntRange, T().capIgnore);
  return out;
}

Complex Quotient(InterpreterContext& c, Complex a, Complex b) {
  int32_t m = IntegerArgument(c, a);
  int32_t n = IntegerArgument(c, b);
  if (n == 0) ReportErrorAndAbort(c, T().msgDivZero, T().capDivZero);
  // In double arithmetic the smallest integer divided by -1 has its true value.
  return Real(std::trunc(static_cast<double>(m) / static_cast<double>(n)));
}

// splitmix64: small, fast and good enough for a learner's dice.
uint64_t NextRandom(InterpreterContext& c) {
  uint64_t z = (c.randomState += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

Complex Random(InterpreterContext& c, Complex n) {
  int32_t k = IntegerArgument(c, n);
  if (k == 0) return Real(0);
  auto r = static_cast<int64_t>(NextRandom(c) >> 33);  // 0 .. 2^31 - 1
  return Real(static_cast<double>(r % static_cast<int64_t>(k)));
}

// The window's thread may move the turtle home at any moment: the queries read one
// consistent copy of the turtle.
Complex TurtleQuery(InterpreterContext& c, Fn fn, Complex a, Complex b) {
  const TurtleState t = TurtleSnapshot(c);
  switch (fn) {
    case fnXcor:
      return Real(t.turtleX - t.centreX);
    case fnYcor:
      return Real(-(t.turtleY - t.centreY));
    case fnHeading:
      return Real(t.turtleHeading);
    case fnDistance: {
      double dx = a.re - t.turtleX + t.centreX;
      double dy = b.re + t.turtleY - t.centreY;
      return Real(std::sqrt(dx * dx + dy * dy));
    }
    case fnTowards: {
      double dx = t.centreX + a.re - t.turtleX;
      double dy = b.re + t.turtleY - t.centreY;
      return Real(std::atan2(dx, dy) / kAnglePi * 180);
    }
    case fnPc:
      return Real(StandardColourIndex(t.penColour));
    case fnPw:
      return Real(t.penWidth);
    default:
      return {};
  }
}

Complex Compute(InterpreterContext& c, Fn fn, Complex a, Complex b) {
  switch (fn) {
    case fnComplex: return {a.re, b.re};
    case fnSin: return Sin(a);
    case fnCos: return Cos(a);
    case fnTan: return Divide(Sin(a), Cos(a));
    case fnAsin: return Asin(a);
    case fnAcos: return Acos(a);
    case fnAtan: return Atan(a);
    case fnAtan2: return Atan(Divide(a, b));
    case fnPow: return Pow(a, b);
    case fnLog: return Log(a);
    case fnLog10: {
      if (c.log10e == 0) c.log10e = std::log10(std::exp(1.0));
      Complex l = Log(a);
      return {l.re * c.log10e, l.im * c.log10e};
    }
    case fnExp: return Exp(a);
    case fnSqrt: return Sqrt(a);
    case fnAbs: return Real(Abs(a));
    case fnArg: return Real(Arg(a));
    case fnConj: return {a.re, -a.im};
    case fnCosh: return Cosh(a);
    case fnImag: return Real(a.im);
    case fnNorm: return Real(Norm(a));
    case fnPolar: return Polar(a.re, b.re);
    case fnReal: return Real(a.re);
    case fnSinh: return Sinh(a);
    case fnTanh: return Divide(Sinh(a), Cosh(a));
    case fnFloor: return Real(std::floor(a.re));
    case fnCeil: return Real(std::ceil(a.re));
    case fnQuotient: return Quotient(c, a, b);
    case fnRandom: return Random(c, a);
    case fnRand: return Real(static_cast<double>(NextRandom(c) >> 49) / 32767.0);
    case fnPi: return Real(4 * std::atan(1.0));
    case fnXcor:
    case fnYcor:
    case fnHeading:
    case fnDistance:
    case fnTowards:
    case fnPc:
    case fnPw:
      return TurtleQuery(c, fn, a, b);
  }
  return {};
}

}  // namespace

int LookupFunction(const char* text) {
  const FunctionRow* row = Functions().Find(text);
  return row != nullptr ? static_cast<int>(row - kFunctions) : -1;
}

int TokenFunction(const InterpreterContext& c) {
  return c.tok.function != kNotLookedUp ? c.tok.function : LookupFunction(c.tok.tokText);
}

Complex CallBuiltinFunction(InterpreterContext& c, int function) {
  const FunctionRow& row = kFunctions[function];
  NextToken(c);
  Complex a;
  Complex b;
  if (row.args >= 1) a = EvalExpression(c);
  if (row.args >= 2) b = EvalExpression(c);
  return Compute(c, row.fn, a, b);
}

void SeedRandom(InterpreterContext& c, uint64_t seed) { c.randomState = seed; }
void InitRandom(InterpreterContext& c) { c.randomState = 0x5A4D49524F4C4F47ull; }

}  // namespace zamiro
