#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace zamiro {
namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// One converter per thread and direction: iconv handles keep shift state and are not shared.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on a sequence it cannot convert, calls skip(rest) which returns the number of
  // input bytes to pass over and appends its replacement to the output.
  template <typename Skip>
  std::string Run(std::string_view in, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[1024];
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        size_t n = skip(std::string_view(src, left), out);
        src += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

size_t Utf8SequenceLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (n > s.size()) return 1;
  for (size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
      n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter conv("CP932", "UTF-8");
  return conv.Run(utf8, [](std::string_view rest, std::string& out) {
    out.push_back(kUnmappableByte);
    return Utf8SequenceLength(rest);
  });
}

std::string Cp932ToUtf8(std::string_view sjis) {
  if (IsAscii(sjis)) return std::string(sjis);
  thread_local Converter conv("UTF-8", "CP932");
  return conv.Run(sjis, [](std::string_view, std::string& out) {
    out.append("\xEF\xBF\xBD");
    return size_t{1};
  });
}

std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8); }

}  // namespace zamiro
