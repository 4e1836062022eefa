// The value of every expression, element and argument: a complex number.
#pragma once

namespace zamiro {

struct Complex {
  double re = 0.0;
  double im = 0.0;
};

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex operator*(Complex a, Complex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
// Division without scaling and without a zero test; the `/` operator tests first.
inline Complex Divide(Complex a, Complex b) {
  double d = b.re * b.re + b.im * b.im;
  return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}
inline bool IsZero(Complex a) { return a.re == 0.0 && a.im == 0.0; }
inline bool operator==(Complex a, Complex b) { return a.re == b.re && a.im == b.im; }
inline bool operator!=(Complex a, Complex b) { return !(a == b); }
inline Complex Truth(bool b) { return {b ? 1.0 : 0.0, 0.0}; }

}  // namespace zamiro
