#include "interp/program_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "interp/calls.h"
#include "platform/cp932.h"

namespace zamiro {
namespace {

bool HasNonAscii(const std::string& s) {
  for (unsigned char ch : s) {
    if (ch >= 0x80) return true;
  }
  return false;
}

std::string SystemReason() { return std::strerror(errno); }

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> ProgramFileLines(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\0'));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = Utf8ToCp932(std::string_view(text).substr(3));
  } else if (HasNonAscii(text) && IsValidUtf8(text)) {
    text = Utf8ToCp932(text);
  }
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      lines.emplace_back(text, start, i - start);
      i += (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, std::string::npos);
  return lines;
}

bool ReadProgramFile(const std::string& path, std::vector<std::string>* lines,
                     std::string* reason) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *reason = SystemReason();
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *reason = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
    ::close(fd);
    return false;
  }
  if (static_cast<size_t>(st.st_size) > kMaxProgramFileBytes) {
    *reason = "larger than " + std::to_string(kMaxProgramFileBytes >> 20) + " MB";
    ::close(fd);
    return false;
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *reason = SystemReason();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
    if (bytes.size() > kMaxProgramFileBytes) {
      *reason = "larger than " + std::to_string(kMaxProgramFileBytes >> 20) + " MB";
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  *lines = ProgramFileLines(bytes);
  return true;
}

bool WriteProgramFile(const std::string& path, const std::vector<std::string>& lines,
                      std::string* reason) {
  std::string data;
  for (const std::string& line : lines) {
    data += line;
    data += "\r\n";
  }
  std::string tmp = path + ".zamiro-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    *reason = SystemReason();
    return false;
  }
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    ::fchmod(fd, 0644 & ~[] {
      mode_t m = ::umask(0);
      ::umask(m);
      return m;
    }());
  }
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  if (!ok) *reason = SystemReason();
  if (::close(fd) != 0 && ok) {
    ok = false;
    *reason = SystemReason();
  }
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
    *reason = SystemReason();
  }
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

void LoadDefinitions(InterpreterContext& c, const std::vector<std::string>& lines) {
  // A load is not a statement: an error inside it must not drop the line being executed.
  bool shown = c.errorShown;
  const std::vector<std::string>* source = c.curSource;
  LexState lex = c.lex;
  TokenState tok = c.tok;
  try {
    ScanDefinitions(c, lines);
  } catch (const AbortStatement&) {
    c.curSource = source;
    c.lex = lex;
    c.tok = tok;
  }
  c.errorShown = shown;
  c.loadingDefinitions = false;
}

void PostLoad(InputQueue& queue, std::vector<std::string> lines) {
  queue.Post([lines = std::move(lines)](InterpreterContext& c) { LoadDefinitions(c, lines); });
}

}  // namespace zamiro
