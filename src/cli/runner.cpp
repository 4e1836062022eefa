#include "cli/runner.h"

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "interp/calls.h"
#include "interp/context.h"
#include "interp/errors.h"
#include "interp/program_files.h"
#include "interp/texts.h"
#include "interp/toplevel.h"
#include "platform/cp932.h"

namespace zamiro {
namespace {

constexpr char kUsage[] =
    "usage: zamiro-run [--load FILE]... [--save FILE] [--png FILE] [--size WxH]\n"
    "                  [--encoding auto|utf-8|cp932] [SCRIPT]\n"
    "Runs the Logo command lines of SCRIPT (standard input when absent or \"-\"), one line\n"
    "at a time, as if typed into the command line of the window. Output lines go to standard\n"
    "output; message boxes go to standard error as \"[CAPTION] TEXT\".\n"
    "  --load FILE      define the procedures of a program file first (may be repeated)\n"
    "  --save FILE      save all procedures to a program file when the run ends\n"
    "  --png FILE       write the picture as a PNG file when the run ends\n"
    "  --size WxH       the picture's size in pixels (default 469x277)\n"
    "  --encoding E     auto (UTF-8 if the script is valid UTF-8, else code page 932),\n"
    "                   utf-8, or cp932 (script and output in code page 932)\n"
    "Exit status: 0 without messages, 1 when a message was shown, 2 on a usage or file error.\n";

enum class Encoding { kAuto, kUtf8, kCp932 };

struct Options {
  std::vector<std::string> loads;
  std::string save;
  std::string png;
  int width = 469;
  int height = 277;
  Encoding encoding = Encoding::kAuto;
  std::string script = "-";
  bool help = false;
};

bool ParseSize(const std::string& s, int* w, int* h) {
  char extra;
  if (std::sscanf(s.c_str(), "%dx%d%c", w, h, &extra) != 2) return false;
  return *w >= 2 && *h >= 2 && *w <= 16384 && *h <= 16384;
}

// Returns an error text, or nothing when the arguments are valid.
std::optional<std::string> ParseArgs(const std::vector<std::string>& args, Options* o) {
  bool scriptSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) -> bool {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      o->help = true;
    } else if (a == "--load") {
      if (!value(&v)) return "--load needs a file name";
      o->loads.push_back(v);
    } else if (a == "--save") {
      if (!value(&o->save)) return "--save needs a file name";
    } else if (a == "--png") {
      if (!value(&o->png)) return "--png needs a file name";
    } else if (a == "--size") {
      if (!value(&v) || !ParseSize(v, &o->width, &o->height)) {
        return "--size needs WxH, each from 2 to 16384";
      }
    } else if (a == "--encoding") {
      if (!value(&v)) return "--encoding needs auto, utf-8 or cp932";
      if (v == "auto") {
        o->encoding = Encoding::kAuto;
      } else if (v == "utf-8" || v == "utf8") {
        o->encoding = Encoding::kUtf8;
      } else if (v == "cp932") {
        o->encoding = Encoding::kCp932;
      } else {
        return "--encoding needs auto, utf-8 or cp932";
      }
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return "unknown option " + a;
    } else {
      if (scriptSeen) return "only one SCRIPT may be given";
      scriptSeen = true;
      o->script = a;
    }
  }
  return std::nullopt;
}

// The script's lines, converted to code page 932 as the encoding option says.
class ScriptSource {
 public:
  ScriptSource(FILE* f, Encoding enc) : file_(f), encoding_(enc) {
    streaming_ = isatty(fileno(f)) != 0;
    if (streaming_) return;
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    text_ = Decode(bytes);
  }

  bool Failed() const { return failed_; }

  // The next line without its terminator; false at the end of the script.
  bool Next(std::string& line) {
    if (failed_) return false;
    if (streaming_) return NextStreamed(line);
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string::npos) end = text_.size();
    line.assign(text_, pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size()) {
      pos_ += (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1;
    }
    return true;
  }

 private:
  std::string Decode(const std::string& bytes) {
    switch (encoding_) {
      case Encoding::kCp932: return bytes;
      case Encoding::kUtf8:
        if (!IsValidUtf8(bytes)) {
          failed_ = true;
          return "";
        }
        return Utf8ToCp932(bytes);
      case Encoding::kAuto: return IsValidUtf8(bytes) ? Utf8ToCp932(bytes) : bytes;
    }
    return bytes;
  }

  bool NextStreamed(std::string& line) {
    std::string raw;
    int ch = std::getc(file_);
    if (ch == EOF) return false;
    while (ch != EOF && ch != '\n' && ch != '\r') {
      raw.push_back(static_cast<char>(ch));
      ch = std::getc(file_);
    }
    if (ch == '\r') {
      int next = std::getc(file_);
      if (next != '\n' && next != EOF) std::ungetc(next, file_);
    }
    line = Decode(raw);
    return !failed_;
  }

  FILE* file_;
  Encoding encoding_;
  bool streaming_ = false;
  bool failed_ = false;
  std::string text_;
  size_t pos_ = 0;
};

bool ContainsEnd(const std::string& line) {
  std::string u = line;
  for (char& ch : u) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  }
  return u.find("END") != std::string::npos || u.find(T().wordEnd) != std::string::npos;
}

class CliHost : public Host {
 public:
  CliHost(FILE* out, FILE* err, Encoding enc, ScriptSource& script, InputQueue& queue)
      : out_(out), err_(err), encoding_(enc), script_(script), queue_(queue) {}

  void AppendOutputLine(const std::string& text) override {
    std::string s = Encode(text);
    s.push_back('\n');
    std::fwrite(s.data(), 1, s.size(), out_);
  }

  void ShowMessage(const std::string& caption, const std::string& text) override {
    shown_ = true;
    std::fflush(out_);
    std::string s = "[" + Encode(caption) + "] " + Encode(text) + "\n";
    std::fwrite(s.data(), 1, s.size(), err_);
    std::fflush(err_);
  }

  // The editor's text is the `to` line and the script's next lines up to one holding END.
  EditResult EditProcedure(const EditRequest& request) override {
    EditResult r;
    if (request.retry) return r;
    r.accepted = true;
    r.dropRestOfLine = true;
    r.lines.push_back(request.statementRest);
    std::string line;
    bool ended = false;
    while (!ended && script_.Next(line)) {
      r.lines.push_back(line);
      ended = ContainsEnd(line);
    }
    if (!ended) {
      // The script ran out before an END line: nothing of the text is defined, not even a
      // header line that holds END inside a word.
      ShowMessage(T().capSkip, Format(T().msgNoEnd.c_str(), request.statementRest.c_str()));
      r.accepted = false;
    }
    return r;
  }

  void Sleep(int64_t ms) override { queue_.SleepFor(ms); }

  bool Shown() const { return shown_; }

 private:
  std::string Encode(const std::string& s) const {
    return encoding_ == Encoding::kCp932 ? s : Cp932ToUtf8(s);
  }

  FILE* out_;
  FILE* err_;
  Encoding encoding_;
  ScriptSource& script_;
  InputQueue& queue_;
  bool shown_ = false;
};

// The whole picture as a PNG file, encoded under the picture's lock.
bool WritePicture(InterpreterContext& c, const std::string& path, std::string* reason) {
  QByteArray png;
  {
    std::lock_guard<std::mutex> lock(c.picture.mutex);
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!c.picture.canvas.Image().save(&buffer, "PNG")) {
      *reason = "the picture cannot be encoded";
      return false;
    }
  }
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  const bool ok = f && std::fwrite(png.constData(), 1, static_cast<size_t>(png.size()), f.get()) ==
                           static_cast<size_t>(png.size());
  if (ok && std::fclose(f.release()) == 0) return true;
  *reason = std::strerror(errno);
  return false;
}

int Fail(FILE* err, const std::string& text) {
  std::fprintf(err, "zamiro-run: %s\n", text.c_str());
  return 2;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, FILE* in, FILE* out, FILE* err) {
  Options o;
  if (auto problem = ParseArgs(args, &o)) {
    std::fprintf(err, "zamiro-run: %s\n%s", problem->c_str(), kUsage);
    return 2;
  }
  if (o.help) {
    std::fputs(kUsage, out);
    return 0;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> opened(nullptr, &std::fclose);
  FILE* scriptFile = in;
  if (o.script != "-") {
    opened.reset(std::fopen(o.script.c_str(), "rb"));
    if (!opened) return Fail(err, "cannot read " + o.script + ": " + std::strerror(errno));
    scriptFile = opened.get();
  }
  ScriptSource script(scriptFile, o.encoding);
  if (script.Failed()) return Fail(err, "the script is not valid UTF-8");

  std::vector<std::vector<std::string>> loads;
  for (const std::string& path : o.loads) {
    std::vector<std::string> lines;
    std::string reason;
    if (!ReadProgramFile(path, &lines, &reason)) {
      return Fail(err, "cannot read " + path + ": " + reason);
    }
    loads.push_back(std::move(lines));
  }

  InputQueue queue;
  CliHost host(out, err, o.encoding, script, queue);
  InterpreterContext ctx(host, queue);
  queue.SetSupplier([&script](std::string& line) { return script.Next(line); });
  // As when the window first opens: a white picture, the cursor at home facing up. The
  // shown image is the picture less the panel's one-pixel bevel.
  FormResize(ctx, o.width, o.height, o.width - 2, o.height - 2);
  FormShow(ctx, o.width - 2, o.height - 2);
  for (auto& lines : loads) PostLoad(queue, std::move(lines));
  {
    TYomikThd::Options options;
    options.startupPauseMs = 0;  // a script starts at once, without a beep
    options.startupBeep = false;
    TYomikThd thread(ctx, options);
    thread.Join();
  }
  std::fflush(out);
  if (script.Failed()) return Fail(err, "the script is not valid UTF-8");
  if (!o.save.empty()) {
    std::string reason;
    if (!WriteProgramFile(o.save, ProgramLines(ctx), &reason)) {
      return Fail(err, "cannot write " + o.save + ": " + reason);
    }
  }
  if (!o.png.empty()) {
    std::string reason;
    if (!WritePicture(ctx, o.png, &reason))
      return Fail(err, "cannot write " + o.png + ": " + reason);
  }
  return host.Shown() ? 1 : 0;
}

}  // namespace zamiro
