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

namespace {

// Records why a file operation failed; returns false for the caller to hand on.
bool Fail(std::string* reason, int* code, int value, const std::string& text) {
  *reason = text;
  if (code != nullptr) *code = value;
  return false;
}

bool FailWithErrno(std::string* reason, int* code) {
  int e = errno;
  return Fail(reason, code, e, std::strerror(e));
}

std::string TooLargeText() {
  return "larger than " + std::to_string(kMaxProgramFileBytes >> 20) + " MB";
}

mode_t CurrentUmask() {
  mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

}  // namespace

bool ReadProgramFile(const std::string& path, std::vector<std::string>* lines,
                     std::string* reason, int* code) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailWithErrno(reason, code);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    bool r = FailWithErrno(reason, code);
    ::close(fd);
    return r;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return S_ISDIR(st.st_mode) ? Fail(reason, code, EISDIR, std::strerror(EISDIR))
                               : Fail(reason, code, kNotAFile, "not a regular file");
  }
  if (static_cast<size_t>(st.st_size) > kMaxProgramFileBytes) {
    ::close(fd);
    return Fail(reason, code, kFileTooLarge, TooLargeText());
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bool r = FailWithErrno(reason, code);
      ::close(fd);
      return r;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
    if (bytes.size() > kMaxProgramFileBytes) {  // a file that grew while it was read
      ::close(fd);
      return Fail(reason, code, kFileTooLarge, TooLargeText());
    }
  }
  ::close(fd);
  *lines = ProgramFileLines(bytes);
  return true;
}

bool WriteProgramFile(const std::string& path, const std::vector<std::string>& lines,
                      std::string* reason, int* code) {
  std::string data;
  for (const std::string& line : lines) {
    data += line;
    data += "\r\n";
  }
  std::string tmp = path + ".zamiro-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return FailWithErrno(reason, code);
  struct stat st;
  ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~CurrentUmask());
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  if (!ok) FailWithErrno(reason, code);
  if (::close(fd) != 0 && ok) ok = FailWithErrno(reason, code);
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = FailWithErrno(reason, code);
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
