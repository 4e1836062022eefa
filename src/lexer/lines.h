// The lines the reader reads, each with the tokens cut from it.
//
// A position of the reader refers to its line instead of holding a copy of the line's bytes, so
// saving and restoring a position copies a few numbers. A line therefore never changes while
// any position may refer to it: when a source's line is read again and its bytes differ (a
// procedure redefined while it runs, say), the reader gets a new line and the old one is kept.
// No position outlives the top-level statement that made it, so the lines are released when
// the next top-level statement starts.
//
// The tokens of a line are cut once, when NextToken first starts at a column, and replayed every
// later time it starts there: NextToken's result depends only on the line's bytes and the column.
// The tokenizer's reports are recorded with the token and shown again at every replay.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zamiro {

struct TVarList;
struct TProcNode;

// A report of the tokenizer about a character or a token (Format(format, sourceName, lineNo,
// column, argument)); the source name and line number are those of the moment it is shown.
struct ScanReport {
  enum class Argument { kCharacter, kText, kNumber };
  const std::string* format = nullptr;
  const std::string* caption = nullptr;
  int32_t column = 0;
  Argument argument = Argument::kNumber;
  int32_t number = 0;  // the character or the number
  std::string text;
};

// The message of a report.
std::string ReportText(const ScanReport& r, const char* sourceName, int32_t lineNo);

// What NextToken does when it starts at `start`: the token it leaves, the column and character
// after it, and the reports it shows first.
struct CachedToken {
  static constexpr int kShortText = 16;

  const char* Text() const { return textLen < kShortText ? text : longText; }

  int32_t start = 0;
  int32_t startChar = 0;  // curChar there (always the byte before `start`, or 13 past the end)
  int32_t end = 0;
  int32_t endChar = 0;
  int32_t kind = 0;
  int16_t keyword = 0;             // LookupCommand of the text
  int16_t function = 0;            // LookupFunction of the text
  double value = 0;                // numbers only: other tokens leave tokValue as it was
  char text[kShortText] = {};      // the text when it is shorter, NUL-padded
  const char* longText = nullptr;  // otherwise, kept in LineTokens::longTexts
  int32_t nextHint = 0;            // where the token after this one is cached, most likely
  uint8_t textLen = 0;
  bool isNumber = false;
  bool quiet = true;  // no reports
  uint16_t reportsBegin = 0;
  uint16_t reportsEnd = 0;
  // The variable that this text named when it was last looked up as one, valid while the
  // interpreter's variables are as they were then (InterpreterContext::variablesVersion).
  mutable uint64_t variableVersion = 0;
  mutable TVarList* variable = nullptr;
  mutable const char* nameKey = nullptr;  // the text as a variable's key (InternName)
  // The procedure this text named when last looked up as one. Procedures are never removed
  // nor renamed, so one found stays right; only "none" is looked up again.
  mutable TProcNode* proc = nullptr;
};

// Tokens are referred to by saved positions, so they never move: room for a token at every
// column is reserved when the first is cut.
struct LineTokens {
  std::vector<CachedToken> tokens;    // in the order they were first cut
  int32_t count = 0;                  // tokens.size(), for NextToken's quick test
  std::deque<std::string> longTexts;  // the texts of kShortText bytes or more
  std::vector<ScanReport> reports;
};

struct SourceLine {
  SourceLine(const void* source, int32_t index, std::string_view text)
      : source(source), index(index), text(text) {}
  const void* source;  // where it was read: the list, or nullptr for the input queue
  int32_t index;       // its 0-based index there
  const std::string text;
  mutable LineTokens tokens;  // filled as NextToken reaches new columns
};

class LineStore {
 public:
  // The line `index` of `source` (nullptr: the input queue) whose bytes are `text`: the line
  // given out before for that place if its bytes are the same, otherwise a new line.
  const SourceLine* Intern(const void* source, int32_t index, std::string_view text) {
    // Inline, the common case: a line given out before, of the source read last, unchanged.
    if (recent_ < sources_.size()) {
      const Lines& l = sources_[recent_];
      if (l.source == source && index >= l.first) {
        auto slot = static_cast<size_t>(index - l.first);
        const SourceLine* line = slot < l.lines.size() ? l.lines[slot].get() : nullptr;
        if (line != nullptr && line->text.size() == text.size() &&
            (text.empty() || std::memcmp(line->text.data(), text.data(), text.size()) == 0)) {
          return line;
        }
      }
    }
    return InternSlow(source, index, text);
  }
  // At the start of a top-level statement: every line but `keep` is released.
  void Release(const SourceLine* keep);

 private:
  struct Lines {
    const void* source = nullptr;
    int32_t first = 0;  // the index of lines[0]
    std::vector<std::unique_ptr<SourceLine>> lines;
  };
  Lines& LinesOf(const void* source);
  const SourceLine* InternSlow(const void* source, int32_t index, std::string_view text);
  std::unique_ptr<SourceLine> Take(const SourceLine* line);

  std::vector<Lines> sources_;
  size_t recent_ = 0;  // the entry of sources_ used last: a body is read line after line
  std::vector<std::unique_ptr<SourceLine>> replaced_;  // still referred to, perhaps
};

}  // namespace zamiro
