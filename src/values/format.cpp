// The two number formats of print.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "values/values.h"

namespace zamiro {

// The general format with 15 significant digits: the shortest text showing the value rounded
// to 15 digits; fixed notation from 0.00001 up to 15 digits before the point, else "E" form.
std::string FormatGeneral15(double v) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
  // buf: d.dddddddddddddde[+-]xx
  std::string digits;
  digits.push_back(buf[0]);
  const char* p = buf + 2;
  while (*p != 'e') digits.push_back(*p++);
  int exp = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = v < 0 ? "-" : "";
  int n = static_cast<int>(digits.size());
  if (exp >= -5 && exp < 15) {
    if (exp >= 0) {
      for (int i = 0; i <= exp; ++i) out.push_back(i < n ? digits[static_cast<size_t>(i)] : '0');
      if (n > exp + 1) {
        out.push_back('.');
        out.append(digits, static_cast<size_t>(exp + 1), std::string::npos);
      }
    } else {
      out.append("0.");
      out.append(static_cast<size_t>(-exp - 1), '0');
      out.append(digits);
    }
  } else {
    out.push_back(digits[0]);
    if (n > 1) {
      out.push_back('.');
      out.append(digits, 1, std::string::npos);
    }
    out.push_back('E');
    out.append(std::to_string(exp));
  }
  return out;
}

std::string FormatPrintValue(Complex v) {
  if (v.im == 0) return FormatGeneral15(v.re);
  char buf[80];
  double re = v.re == 0 ? 0.0 : v.re;  // minus zero prints as 0
  std::snprintf(buf, sizeof buf, "%g + %g i", re, v.im);
  return buf;
}

}  // namespace zamiro
