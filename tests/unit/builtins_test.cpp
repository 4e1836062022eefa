// Built-in functions and operators, compared double for double with the formulas they are
// defined by: complex values are computed component by component, without scaling and without
// a platform complex library.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "interp_fixture.h"
#include "values/value_array.h"

namespace zamiro::testing {
namespace {

// The defining formulas, written out on plain doubles.
struct Z {
  double x;
  double y;
};
Z Add(Z a, Z b) {
  return {a.x + b.x, a.y + b.y};
}
Z Sub(Z a, Z b) {
  return {a.x - b.x, a.y - b.y};
}
Z Mul(Z a, Z b) {
  return {a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x};
}
Z Div(Z a, Z b) {
  double d = b.x * b.x + b.y * b.y;
  return {(a.x * b.x + a.y * b.y) / d, (a.y * b.x - a.x * b.y) / d};
}
double NormOf(Z z) {
  return z.x * z.x + z.y * z.y;
}
double AbsOf(Z z) {
  return std::sqrt(NormOf(z));
}
double ArgOf(Z z) {
  return (z.x == 0 && z.y == 0) ? 0.0 : std::atan2(z.y, z.x);
}
Z LogOf(Z z) {
  return {std::log(AbsOf(z)), ArgOf(z)};
}
Z SqrtOf(Z z) {
  double rho = std::sqrt(AbsOf(z));
  double phi = ArgOf(z) / 2;
  return {rho * std::cos(phi), rho * std::sin(phi)};
}
Z SinOf(Z z) {
  return {std::sin(z.x) * std::cosh(z.y), std::cos(z.x) * std::sinh(z.y)};
}
Z CosOf(Z z) {
  return {std::cos(z.x) * std::cosh(z.y), -(std::sin(z.x) * std::sinh(z.y))};
}
Z SinhOf(Z z) {
  return {std::sinh(z.x) * std::cos(z.y), std::cosh(z.x) * std::sin(z.y)};
}
Z CoshOf(Z z) {
  return {std::cosh(z.x) * std::cos(z.y), std::sinh(z.x) * std::sin(z.y)};
}
Z ExpOf(Z z) {
  return {std::exp(z.x) * std::cos(z.y), std::exp(z.x) * std::sin(z.y)};
}
const Z kI{0, 1};
const Z kOne{1, 0};
Z AsinOf(Z z) {
  return Mul({0, -1}, LogOf(Add(Mul(kI, z), SqrtOf(Sub(kOne, Mul(z, z))))));
}
Z AcosOf(Z z) {
  return Mul({0, -1}, LogOf(Add(z, Mul(kI, SqrtOf(Sub(kOne, Mul(z, z)))))));
}
Z AtanOf(Z z) {
  return Mul({0, 0.5}, LogOf(Div(Add(kI, z), Sub(kI, z))));
}
Z PowOf(Z a, Z b) {
  if (a.x == 0 && a.y == 0) return {(b.x == 0 && b.y == 0) ? 1.0 : 0.0, 0};
  double rho = AbsOf(a);
  double theta = ArgOf(a);
  double m = std::pow(rho, b.x) * std::exp(-b.y * theta);
  double phi = b.y * std::log(rho) + b.x * theta;
  return {m * std::cos(phi), m * std::sin(phi)};
}
Z Log10Of(Z z) {
  double k = std::log10(std::exp(1.0));
  Z l = LogOf(z);
  return {l.x * k, l.y * k};
}

// Arguments as the language writes them, and their values.
struct Arg {
  const char* text;
  Z value;
};
const Arg kArgs[] = {
    {"0.5", {0.5, 0}},
    {"-0.5", {-0.5, 0}},
    {"2", {2, 0}},
    {"-4", {-4, 0}},
    {"(complex 1 2)", {1, 2}},
    {"(complex -3 0.25)", {-3, 0.25}},
    {"(complex 0 (-2))", {0, -2}},
    {"(complex 1e-3 7)", {1e-3, 7}},
};

struct Unary {
  const char* name;
  std::function<Z(Z)> formula;
};

const Unary kUnary[] = {
    {"sin", SinOf},
    {"cos", CosOf},
    {"tan", [](Z z) { return Div(SinOf(z), CosOf(z)); }},
    {"sinh", SinhOf},
    {"cosh", CoshOf},
    {"tanh", [](Z z) { return Div(SinhOf(z), CoshOf(z)); }},
    {"exp", ExpOf},
    {"log", LogOf},
    {"log10", Log10Of},
    {"sqrt", SqrtOf},
    {"asin", AsinOf},
    {"acos", AcosOf},
    {"atan", AtanOf},
    {"abs",
     [](Z z) {
       return Z{AbsOf(z), 0};
     }},
    {"arg",
     [](Z z) {
       return Z{ArgOf(z), 0};
     }},
    {"norm",
     [](Z z) {
       return Z{NormOf(z), 0};
     }},
    {"conj",
     [](Z z) {
       return Z{z.x, -z.y};
     }},
    {"real",
     [](Z z) {
       return Z{z.x, 0};
     }},
    {"imag",
     [](Z z) {
       return Z{z.y, 0};
     }},
    {"floor",
     [](Z z) {
       return Z{std::floor(z.x), 0};
     }},
    {"ceil",
     [](Z z) {
       return Z{std::ceil(z.x), 0};
     }},
};

TEST(BuiltinFunctions, OneArgumentFunctionsFollowTheirFormulas) {
  Session s;
  for (const Unary& f : kUnary) {
    for (const Arg& a : kArgs) {
      std::string expr = std::string(f.name) + " " + a.text;
      Complex got = s.Eval(expr);
      Z want = f.formula(a.value);
      EXPECT_EQ(got.re, want.x) << expr;
      EXPECT_EQ(got.im, want.y) << expr;
    }
  }
}

TEST(BuiltinFunctions, TwoArgumentFunctionsFollowTheirFormulas) {
  Session s;
  const Arg seconds[] = {{"3", {3, 0}}, {"(-0.5)", {-0.5, 0}}, {"(complex 0.5 (-1))", {0.5, -1}}};
  for (const Arg& a : kArgs) {
    for (const Arg& b : seconds) {
      std::string tail = std::string(a.text) + " " + b.text;
      Complex pow = s.Eval("pow " + tail);
      Z wantPow = PowOf(a.value, b.value);
      EXPECT_EQ(pow.re, wantPow.x) << tail;
      EXPECT_EQ(pow.im, wantPow.y) << tail;
      Complex atan2 = s.Eval("atan2 " + tail);
      Z wantAtan2 = AtanOf(Div(a.value, b.value));
      EXPECT_EQ(atan2.re, wantAtan2.x) << tail;
      EXPECT_EQ(atan2.im, wantAtan2.y) << tail;
      // complex and polar take the real parts only.
      Complex made = s.Eval("complex " + tail);
      EXPECT_EQ(made.re, a.value.x);
      EXPECT_EQ(made.im, b.value.x);
      Complex polar = s.Eval("polar " + tail);
      EXPECT_EQ(polar.re, a.value.x * std::cos(b.value.x)) << tail;
      EXPECT_EQ(polar.im, a.value.x * std::sin(b.value.x)) << tail;
    }
  }
}

// Values whose last digits depend on the exact formula, the branch cut or the sign of a zero.
struct Exact {
  const char* expr;
  double re;
  double im;
};

class ExactValues : public ::testing::TestWithParam<Exact> {};

TEST_P(ExactValues, Match) {
  Session s;
  Complex v = s.Eval(GetParam().expr);
  EXPECT_EQ(v.re, GetParam().re) << GetParam().expr;
  EXPECT_EQ(v.im, GetParam().im) << GetParam().expr;
}

INSTANTIATE_TEST_SUITE_P(
    BuiltinFunctions, ExactValues,
    ::testing::Values(
        // Prefix minus is 0 - a: the imaginary part stays +0, so -1 lies on the upper side of
        // the cut and its argument is +pi; sqrt -4 has 2 cos(pi/2), not 0, as real part.
        Exact{"arg -1", 3.141592653589793, 0}, Exact{"sqrt -4", 1.2246467991473532e-16, 2},
        Exact{"arg 0", 0, 0}, Exact{"abs (complex 3 4)", 5, 0}, Exact{"norm (complex 3 4)", 25, 0},
        Exact{"acos 0.5", 1.0471975511965976, 1.1102230246251565e-16},
        Exact{"asin 0.5", 0.5235987755982989, 1.1102230246251565e-16},
        Exact{"atan 1", 0.7853981633974483, 0}, Exact{"atan2 1 (-1)", -0.7853981633974483, 0},
        Exact{"pow 0 0", 1, 0}, Exact{"pow 0 (-1)", 0, 0}, Exact{"pow 0 (complex 0 1)", 0, 0},
        Exact{"pow 2 3", 8, 0}, Exact{"floor -2.5", -3, 0}, Exact{"ceil -2.5", -2, 0},
        Exact{"floor (complex 2.5 7)", 2, 0}, Exact{"complex (complex 1 2) 3", 1, 3},
        Exact{"(complex 2 -9)", -7, 0}, Exact{"complex 2 (-9)", 2, -9},
        Exact{"pi", 3.141592653589793, 0}, Exact{"PI", 3.141592653589793, 0}, Exact{"Sin 0", 0, 0},
        // quotient truncates both arguments and the quotient toward zero.
        Exact{"quotient 7 (-2)", -3, 0}, Exact{"quotient -7 2", -3, 0},
        Exact{"quotient 7.9 2.9", 3, 0}, Exact{"quotient (-2147483647 - 1) (-1)", 2147483648.0, 0},
        // Division by the formula, without scaling: a huge divisor gives 0, not 5e-201.
        Exact{"1 / (complex 1e200 1e200)", 0, 0}, Exact{"1 / (complex 0 1)", 0, -1},
        Exact{"(complex 1 2) / (complex 3 4)", 11.0 / 25, 2.0 / 25},
        Exact{"(complex 1 2) * (complex 3 4)", -5, 10},
        // The remainder of truncated real parts, with the sign of the left one.
        Exact{"7 % 3", 1, 0}, Exact{"-7 % 3", -1, 0}, Exact{"7 % -3", 1, 0},
        Exact{"7.9 % 2.5", 1, 0}, Exact{"(-2147483647 - 1) % -1", 0, 0},
        Exact{"(complex 7 9) % (complex 4 1)", 3, 0}));

TEST(BuiltinFunctions, PrefixMinusKeepsAPositiveZero) {
  Session s;
  for (const char* expr : {"-1", "- 0", "-(complex 2 0)", "- - 3"}) {
    Complex v = s.Eval(expr);
    EXPECT_FALSE(std::signbit(v.im)) << expr;
    if (v.re == 0) {
      EXPECT_FALSE(std::signbit(v.re)) << expr;
    }
  }
}

TEST(BuiltinFunctions, ModulusIsNotScaled) {
  Session s;
  EXPECT_TRUE(std::isinf(s.Eval("abs (complex 1e200 1e200)").re));
}

TEST(BuiltinFunctions, TurtleQueriesReadTheTurtle) {
  Session s;
  TurtleState& t = s.c.turtle;
  EXPECT_EQ(s.Eval("xcor").re, 0);
  EXPECT_EQ(s.Eval("ycor").re, 0);
  EXPECT_EQ(s.Eval("towards 0 10").re, 0);
  // The angle constant is the decimal 3.14159265358979, so a right angle is not exactly 90.
  EXPECT_EQ(s.Eval("towards 10 0").re, std::atan2(10.0, 0.0) / 3.14159265358979 * 180);
  EXPECT_EQ(s.Eval("towards 10 0").re, 90.00000000000009);
  EXPECT_EQ(s.Eval("(towards 10 0) = 90").re, 0);
  t.turtleX = t.centreX + 30;  // user (30, 40): canvas y grows downward
  t.turtleY = t.centreY - 40;
  t.turtleHeading = 450;
  EXPECT_EQ(s.Eval("xcor").re, 30);
  EXPECT_EQ(s.Eval("たてのいち").re, 40);
  EXPECT_EQ(s.Eval("heading").re, 450);
  EXPECT_EQ(s.Eval("distance 0 0").re, 50);
  EXPECT_EQ(s.Eval("きょり 30 0").re, 40);
  EXPECT_EQ(s.Eval("towards 30 0").re, std::atan2(0.0, -40.0) / 3.14159265358979 * 180);
  EXPECT_NEAR(s.Eval("towards 30 0").re, 180, 1e-9);
  EXPECT_EQ(s.Eval("towards 0 0").re, std::atan2(-30.0, -40.0) / 3.14159265358979 * 180);
}

TEST(BuiltinFunctions, PenQueriesFindTheColourInTheTable) {
  Session s;
  TurtleState& t = s.c.turtle;
  const struct {
    uint32_t colour;  // 0x00BBGGRR
    double index;
  } cases[] = {{0x000000, 0},  {0x000080, 1},  {0x0000FF, 9}, {0xC0C0C0, 8},
               {0xFFFF00, 14}, {0xFFFFFF, 15}, {0x010000, 0}};
  for (const auto& k : cases) {
    t.penColour = k.colour;
    EXPECT_EQ(s.Eval("pc").re, k.index) << std::hex << k.colour;
    EXPECT_EQ(s.Eval("いろ").re, k.index);
  }
  t.penWidth = 7;
  EXPECT_EQ(s.Eval("pw").re, 7);
}

TEST(BuiltinFunctions, RandomNumbersStayInTheirRanges) {
  Session s;
  InitRandom(s.c);
  std::set<double> seen;
  for (int i = 0; i < 300; ++i) {
    double r = s.Eval("random -5").re;
    EXPECT_TRUE(r >= 0 && r <= 4 && r == std::floor(r)) << r;
    seen.insert(r);
    EXPECT_EQ(s.Eval("random 1").re, 0);
    EXPECT_EQ(s.Eval("random 0.9").re, 0);
    double u = s.Eval("rand").re;
    EXPECT_TRUE(u >= 0 && u <= 1) << u;
    EXPECT_EQ(u * 32767, std::round(u * 32767)) << u;  // a 15-bit draw over 32767
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(s.Eval("らんすう 1").re, 0);
}

TEST(BuiltinFunctions, TheGeneratorStartsInTheSameStateAndReseeds) {
  auto draws = [](uint64_t* seed) {
    Session s;
    InitRandom(s.c);
    if (seed != nullptr) SeedRandom(s.c, *seed);
    std::vector<double> v;
    for (int i = 0; i < 8; ++i) v.push_back(s.Eval("random 1000000").re);
    return v;
  };
  EXPECT_EQ(draws(nullptr), draws(nullptr));
  uint64_t one = 1;
  uint64_t two = 2;
  EXPECT_EQ(draws(&one), draws(&one));
  EXPECT_NE(draws(&one), draws(&two));
  EXPECT_NE(draws(&one), draws(nullptr));
}

struct Refused {
  const char* expr;
  const char* message;
};

class RefusedOperands : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedOperands, ReportAndAbandonTheStatement) {
  Session s;
  EXPECT_THROW(s.Eval(GetParam().expr), AbortStatement);
  ASSERT_EQ(s.host.messages.size(), 1u);
  EXPECT_EQ(s.host.messages[0], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    BuiltinFunctions, RefusedOperands,
    ::testing::Values(
        Refused{"1 / 0", "[エラー ０でのわり算] Top Level の 1 行 6 列で０で割りました"},
        Refused{"1 / (complex 0 0)",
                "[エラー ０でのわり算] Top Level の 1 行 18 列で０で割りました"},
        Refused{"7 % 0.5", "[エラー ０でのわり算] Top Level の 1 行 8 列で０で割りました"},
        Refused{"quotient 7 0", "[エラー ０でのわり算] Top Level の 1 行 13 列で０で割りました"},
        Refused{"1 or 1 / 0", "[エラー ０でのわり算] Top Level の 1 行 11 列で０で割りました"},
        Refused{"3e9 % 2",
                "[エラー 無視します] Top Level の 1 行 8 列の値は整数にできません"
                "（-2147483648 から 2147483647 までです）"},
        Refused{"quotient 1 (-3e9)",
                "[エラー 無視します] Top Level の 1 行 18 列の値は整数にでき"
                "ません（-2147483648 から 2147483647 までです）"},
        Refused{"random 1e10",
                "[エラー 無視します] Top Level の 1 行 12 列の値は整数にできませ"
                "ん（-2147483648 から 2147483647 までです）"}));

// A variable's elements: one kept in place, more on the heap; growing keeps what was there and
// zeroes what is new, shrinking and regrowing too, and a copy is independent of its source.
TEST(ValueArray, GrowsShrinksAndCopiesKeepingElements) {
  ValueArray a;
  a.resize(1);
  EXPECT_EQ(a.capacity(), 1u);
  a[0] = Complex{7, 1};
  a.resize(1000);
  ASSERT_EQ(a.size(), 1000u);
  EXPECT_EQ(a[0].re, 7);
  EXPECT_EQ(a[0].im, 1);
  EXPECT_EQ(a[999].re, 0);
  a[500] = Complex{5, 0};
  a.resize(10);
  a.resize(600);
  EXPECT_EQ(a[0].re, 7);
  EXPECT_EQ(a[500].re, 0);  // dropped by the shrink
  ValueArray b = a;
  b[0] = Complex{9, 0};
  EXPECT_EQ(a[0].re, 7);
  EXPECT_EQ(b.size(), 600u);
  b.AssignOne(Complex{3, 0});
  EXPECT_EQ(b.size(), 1u);
  EXPECT_EQ(b.capacity(), 1u);
  EXPECT_EQ(b[0].re, 3);
  a = b;
  EXPECT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].re, 3);
}

}  // namespace
}  // namespace zamiro::testing
