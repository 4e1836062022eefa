// The tokenizer: cuts the reader's bytes into tokens, full-width spellings included.
#include <locale.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "interp/commands.h"
#include "interp/context.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"
#include "values/values.h"

namespace zamiro {
namespace {

bool IsAsciiLetter(int ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}
bool IsDigit(int ch) {
  return ch >= '0' && ch <= '9';
}
int Fold(unsigned char b) {
  return (b >= 'a' && b <= 'z') ? b - 32 : b;
}

void SetToken(TokenState& t, int32_t kind, const char* text) {
  t.tokKind = kind;
  std::strcpy(t.tokText, text);
}

// The meaning of a full-width character with lead byte 0x81.
struct WideEntry {
  unsigned char trail;
  int32_t kind;  // -1: blank; 0: handled specially ("！", "＜", "＞")
  const char* text;
};
constexpr WideEntry kWideTable[] = {
    {0x40, -1, ""},           {0x46, tkColon, ":"},
    {0x69, tkLParen, "("},    {0x6A, tkRParen, ")"},
    {0x7B, tkPlus, "+"},      {0x5B, tkMinus, "-"},
    {0x7C, tkMinus, "-"},     {0x96, tkStar, "*"},
    {0x80, tkSlash, "/"},     {0x93, tkPercent, "%"},
    {0x81, tkEqual, "="},     {0x49, 0, "!"},
    {0x83, 0, "<"},           {0x84, 0, ">"},
    {0x75, tkLBracket, "["},  {0x6D, tkLBracket, "["},
    {0x76, tkRBracket, "]"},  {0x6E, tkRBracket, "]"},
    {0x6F, tkLBrace, "{"},    {0x70, tkRBrace, "}"},
    {0x95, tkAmpersand, "&"}, {0x68, tkDoubleQuote, "\""},
};

const WideEntry* FindWide(int lead, int trail) {
  if (lead != 0x81) return nullptr;
  for (const WideEntry& e : kWideTable) {
    if (e.trail == trail) return &e;
  }
  return nullptr;
}

bool IsWideNumberPair(int lead, int trail) {
  return (lead == 0x82 && ((trail >= 0x4F && trail <= 0x58) || trail == 0x64 || trail == 0x85)) ||
         (lead == 0x81 && (trail == 0x44 || trail == 0x45));
}
bool IsWideSignPair(int lead, int trail) {
  return lead == 0x81 && (trail == 0x7B || trail == 0x5B || trail == 0x7C);
}

double ConvertDecimal(const char* text) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, cLocale);
}

int32_t PunctuationKind(int ch) {
  switch (ch) {
    case '.':
      return tkDot;
    case ':':
      return tkColon;
    case '(':
      return tkLParen;
    case ')':
      return tkRParen;
    case '+':
      return tkPlus;
    case '-':
      return tkMinus;
    case '*':
      return tkStar;
    case '/':
      return tkSlash;
    case '%':
      return tkPercent;
    case '=':
      return tkEqual;
    case '[':
      return tkLBracket;
    case ']':
      return tkRBracket;
    case '{':
      return tkLBrace;
    case '}':
      return tkRBrace;
    case '&':
      return tkAmpersand;
    case '\'':
      return tkQuote;
    case '"':
      return tkDoubleQuote;
    default:
      return -1;
  }
}

ScanReport CharacterReport(const std::string& format, int ch, const std::string& caption) {
  ScanReport r;
  r.format = &format;
  r.caption = &caption;
  r.argument = ScanReport::Argument::kCharacter;
  r.number = ch;
  return r;
}

ScanReport CutReport(const std::string& format, int limit) {
  ScanReport r;
  r.format = &format;
  r.caption = &T().capIgnore;
  r.number = limit;
  return r;
}

// The scanner reads through a cursor. ReaderCursor reads through the reader and shows each
// report at once; LineCursor reads one line on its own, for the line's cached tokens, and
// records the reports.
class ReaderCursor {
 public:
  explicit ReaderCursor(InterpreterContext& c) : c_(c) {}
  int Cur() const { return c_.lex.curChar; }
  // The byte after the current one in the line, without reading it; 13 at the end of the line.
  int Peek() const {
    const LexState& s = c_.lex;
    return s.column < s.lineLen ? static_cast<unsigned char>(s.line->text[s.column]) : 13;
  }
  void Advance() { ReadChar(c_); }
  bool AtLineMark() const { return c_.lex.curChar == 13 && c_.lex.column > c_.lex.lineLen; }
  void Report(ScanReport r) {
    r.column = c_.lex.column;
    ShowReport(c_, ReportText(r, c_.sourceName, c_.lex.lineNo), *r.caption);
  }

 private:
  InterpreterContext& c_;
};

class LineCursor {
 public:
  LineCursor(const std::string& text, int32_t column, int32_t curChar)
      : text_(text), column_(column), cur_(curChar) {}
  int Cur() const { return cur_; }
  int Peek() const { return column_ < Len() ? static_cast<unsigned char>(text_[column_]) : 13; }
  // As ReadChar within the line. Past the line's end the reader would fetch the next line: the
  // scanner never asks for that, but should it, the token is not cached.
  void Advance() {
    if (column_ < Len()) {
      cur_ = static_cast<unsigned char>(text_[column_]);
      column_ += 1;
    } else if (column_ == Len()) {
      column_ += 1;
      cur_ = 13;
    } else {
      overran_ = true;
    }
  }
  bool AtLineMark() const { return cur_ == 13 && column_ > Len(); }
  void Report(ScanReport r) {
    r.column = column_;
    reports.push_back(std::move(r));
  }
  int32_t Column() const { return column_; }
  bool Overran() const { return overran_; }

  std::vector<ScanReport> reports;

 private:
  int32_t Len() const { return static_cast<int32_t>(text_.size()); }

  const std::string& text_;
  int32_t column_;
  int cur_;
  bool overran_ = false;
};

// NextToken's algorithm over a cursor, leaving the token in `t`.
template <typename Cursor>
class Scanner {
 public:
  Scanner(Cursor& in, TokenState& t) : in_(in), t_(t) {}

  void Next() {
    for (;;) {
      t_.tokText[0] = '\0';
      while (in_.Cur() == ' ') in_.Advance();
      int ch = in_.Cur();
      if (IsAsciiLetter(ch)) {
        AsciiWord();
        return;
      }
      if (IsDigit(ch)) {
        Number();
        return;
      }
      if (ch == 13 && in_.AtLineMark()) {
        SetToken(t_, tkEol, "Next Line");
        return;
      }
      if (IsSjisLead(ch)) {
        if (DoubleByte()) return;
        continue;
      }
      if (Punctuation()) return;
    }
  }

 private:
  void AsciiWord() {
    int n = 0;
    bool cut = false;
    while (IsAsciiLetter(in_.Cur()) || IsDigit(in_.Cur())) {
      if (n < kTokTextSize - 1) {
        t_.tokText[n++] = static_cast<char>(in_.Cur());
      } else {
        cut = true;
      }
      in_.Advance();
    }
    t_.tokText[n] = '\0';
    t_.tokKind = tkName;
    if (CompareNoCase(t_.tokText, "not") == 0) {
      t_.tokKind = tkNot;
    } else if (CompareNoCase(t_.tokText, "and") == 0) {
      t_.tokKind = tkAnd;
    } else if (CompareNoCase(t_.tokText, "or") == 0) {
      t_.tokKind = tkOr;
    }
    if (cut) in_.Report(CutReport(T().msgNameTooLong, kTokTextSize - 1));
  }

  // An ASCII number literal starting at the current digit.
  void Number() {
    char buf[kMaxAsciiNumber + 1];
    int n = 0;
    bool cut = false;
    auto append = [&](int ch) {
      if (n < kMaxAsciiNumber) {
        buf[n++] = static_cast<char>(ch);
      } else {
        cut = true;
      }
      in_.Advance();
    };
    bool real = false;
    while (IsDigit(in_.Cur())) append(in_.Cur());
    if (in_.Cur() == '.') {
      real = true;
      append('.');
      while (IsDigit(in_.Cur())) append(in_.Cur());
    }
    if (in_.Cur() == 'E' || in_.Cur() == 'e') {
      real = true;
      append(in_.Cur());
      if (in_.Cur() == '+' || in_.Cur() == '-') append(in_.Cur());
      while (IsDigit(in_.Cur())) append(in_.Cur());
    }
    buf[n] = '\0';
    if (real) {
      t_.tokKind = tkReal;
      t_.tokValue = ConvertDecimal(buf);
    } else {
      uint32_t v = 0;  // wraps modulo 2^32, as the literal's 32-bit accumulator does
      for (int i = 0; i < n; ++i) v = v * 10u + static_cast<uint32_t>(buf[i] - '0');
      t_.tokKind = tkInteger;
      t_.tokValue = static_cast<double>(static_cast<int32_t>(v));
    }
    if (cut) in_.Report(CutReport(T().msgNumberTooLong, kMaxAsciiNumber));
  }

  // A full-width number; the first digit's pair has been read past.
  void WideNumber(char first) {
    char buf[kMaxWideNumber + 1];
    int n = 0;
    buf[n++] = first;
    bool cut = false;
    while (IsSjisLead(in_.Cur())) {
      int lead = in_.Cur();
      int trail = in_.Peek();
      char last = n > 0 ? buf[n - 1] : 0;
      bool take = IsWideNumberPair(lead, trail) ||
                  (IsWideSignPair(lead, trail) && (last == 'E' || last == 'e'));
      if (!take) break;
      if (n < kMaxWideNumber) {
        buf[n++] =
            MapWideNumberChar(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
      } else {
        cut = true;
      }
      in_.Advance();
      in_.Advance();
    }
    buf[n] = '\0';
    t_.tokKind = tkReal;
    t_.tokText[0] = '\0';
    t_.tokValue = ConvertDecimal(buf);
    if (cut) in_.Report(CutReport(T().msgNumberTooLong, kMaxWideNumber));
  }

  // A name of double-byte characters; the first pair has been read past and appended.
  void WideName(int n) {
    bool cut = false;
    while (IsSjisLead(in_.Cur())) {
      int lead = in_.Cur();
      int trail = in_.Peek();
      if (trail == 13 || FindWide(lead, trail) != nullptr) break;
      if (n + 2 <= kTokTextSize - 1) {
        t_.tokText[n++] = static_cast<char>(lead);
        t_.tokText[n++] = static_cast<char>(trail);
      } else {
        cut = true;
      }
      in_.Advance();
      in_.Advance();
    }
    t_.tokText[n] = '\0';
    if (T().wordEnd == t_.tokText) std::strcpy(t_.tokText, "end");
    t_.tokKind = tkName;
    if (cut) in_.Report(CutReport(T().msgNameTooLong, kTokTextSize - 1));
  }

  // A double-byte character at the cursor. Returns true when a token was set, false to scan on.
  bool DoubleByte() {
    int lead = in_.Cur();
    if (in_.Peek() == 13) {
      // A lead byte at the end of a line: half a character, reported and passed over.
      in_.Advance();
      in_.Report(CharacterReport(T().msgUnusable, lead, T().capIgnore));
      return false;
    }
    in_.Advance();
    int trail = in_.Cur();
    in_.Advance();
    if (const WideEntry* e = FindWide(lead, trail)) {
      if (e->kind == -1) return false;
      if (e->kind > 0) {
        SetToken(t_, e->kind, e->text);
        return true;
      }
      if (trail == 0x49) return WideBang();
      bool less = trail == 0x83;
      if (in_.Cur() == 0x81 && in_.Peek() == 0x81) {
        in_.Advance();
        in_.Advance();
        SetToken(t_, less ? tkLessEqual : tkGreaterEqual, less ? "<=" : ">=");
      } else {
        SetToken(t_, less ? tkLess : tkGreater, less ? "<" : ">");
      }
      return true;
    }
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
      WideNumber(static_cast<char>('0' + (trail - 0x4F)));
      return true;
    }
    t_.tokText[0] = static_cast<char>(lead);
    t_.tokText[1] = static_cast<char>(trail);
    WideName(2);
    return true;
  }

  // "！" has been read past: "！＝" is a token, anything else is reported.
  bool WideBang() {
    if (IsSjisLead(in_.Cur())) {
      int l2 = in_.Cur();
      int t2 = in_.Peek();
      if (t2 == 13) return false;  // the half character is reported on the next scan
      in_.Advance();
      in_.Advance();
      if (l2 == 0x81 && t2 == 0x81) {
        SetToken(t_, tkNotEqual, "!=");
        return true;
      }
      ScanReport r;
      r.format = &T().msgBangWide;
      r.caption = &T().capIgnoreTight;
      r.argument = ScanReport::Argument::kText;
      r.text = {static_cast<char>(l2), static_cast<char>(t2)};
      in_.Report(std::move(r));
    } else {
      in_.Report(CharacterReport(T().msgBangWideChar, in_.Cur(), T().capIgnoreTight));
    }
    return false;
  }

  // ASCII punctuation at the cursor. Returns true when a token was set, false to scan on.
  bool Punctuation() {
    int ch = in_.Cur();
    int32_t kind = PunctuationKind(ch);
    if (kind >= 0) {
      t_.tokKind = kind;
      t_.tokText[0] = static_cast<char>(ch);
      t_.tokText[1] = '\0';
      in_.Advance();
      return true;
    }
    if (ch == '<' || ch == '>') {
      bool less = ch == '<';
      in_.Advance();
      if (in_.Cur() == '=') {
        SetToken(t_, less ? tkLessEqual : tkGreaterEqual, less ? "<=" : ">=");
        in_.Advance();
      } else {
        SetToken(t_, less ? tkLess : tkGreater, less ? "<" : ">");
      }
      return true;
    }
    if (ch == '!') {
      in_.Advance();
      if (in_.Cur() == '=') {
        SetToken(t_, tkNotEqual, "!=");
        in_.Advance();
        return true;
      }
      int shown = in_.AtLineMark() ? ' ' : in_.Cur();
      in_.Report(CharacterReport(T().msgBangAscii, shown, T().capIgnore));
      return false;
    }
    in_.Report(CharacterReport(T().msgUnusable, ch, T().capIgnore));
    in_.Advance();
    return false;
  }

  Cursor& in_;
  TokenState& t_;
};

// Cuts the token that starts at `column` of the line and adds it to the line's cached tokens.
// Returns its index, or -1 when it cannot be cached.
int CutAndCache(const SourceLine& line, int32_t column, int32_t curChar) {
  LineCursor in(line.text, column, curChar);
  TokenState t;
  Scanner<LineCursor>(in, t).Next();
  LineTokens& cache = line.tokens;
  if (cache.tokens.empty()) cache.tokens.reserve(line.text.size() + 2);
  if (in.Overran() || cache.tokens.size() == cache.tokens.capacity() ||
      cache.reports.size() + in.reports.size() >= UINT16_MAX) {
    return -1;
  }
  CachedToken k;
  k.start = column;
  k.startChar = curChar;
  k.end = in.Column();
  k.endChar = in.Cur();
  k.kind = t.tokKind;
  k.value = t.tokValue;
  k.textLen = static_cast<uint8_t>(std::strlen(t.tokText));
  if (k.textLen < CachedToken::kShortText) {
    std::memcpy(k.text, t.tokText, k.textLen);
  } else {
    k.longText = cache.longTexts.emplace_back(t.tokText).c_str();
  }
  k.keyword = static_cast<int16_t>(LookupCommand(t.tokText));
  k.function = static_cast<int16_t>(LookupFunction(t.tokText));
  k.isNumber = t.tokKind == tkInteger || t.tokKind == tkReal;
  k.reportsBegin = static_cast<uint16_t>(cache.reports.size());
  for (ScanReport& r : in.reports) cache.reports.push_back(std::move(r));
  k.reportsEnd = static_cast<uint16_t>(cache.reports.size());
  k.quiet = k.reportsBegin == k.reportsEnd;
  // Tokens are usually read in order; at the line's end NextToken stays where it is.
  auto index = static_cast<int32_t>(cache.tokens.size());
  k.nextHint = k.end == k.start ? index : index + 1;
  cache.tokens.push_back(k);
  cache.count = static_cast<int32_t>(cache.tokens.size());
  return static_cast<int>(cache.tokens.size()) - 1;
}

// The index of the cached token that NextToken gives from the reader's position, cut now if it
// is new; -1 when it cannot be cached.
int FindCachedToken(const LexState& s) {
  const std::vector<CachedToken>& tokens = s.line->tokens.tokens;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].start == s.column && tokens[i].startChar == s.curChar) return static_cast<int>(i);
  }
  return CutAndCache(*s.line, s.column, s.curChar);
}

// Makes a cached token the current token (tokValue changes for numbers only).
[[gnu::always_inline]] inline void CopyCachedToken(const CachedToken& k, TokenState& t) {
  t.tokKind = k.kind;
  if (k.textLen < CachedToken::kShortText) {
    std::memcpy(t.tokText, k.text, CachedToken::kShortText);
  } else {
    std::memcpy(t.tokText, k.longText, k.textLen + 1u);
  }
  if (k.isNumber) t.tokValue = k.value;
  t.keyword = k.keyword;
  t.function = k.function;
  t.origin = &k;
}

// Leaves a cached token of the current line as the current token. Inlined: it is most of what
// NextToken does.
[[gnu::always_inline]] inline void SetCachedToken(InterpreterContext& c, const CachedToken& k) {
  LexState& s = c.lex;
  CopyCachedToken(k, c.tok);
  s.tokenHint = k.nextHint;
  s.column = k.end;
  s.curChar = k.endChar;
}

// NextToken when the hint does not lead to a token without reports.
[[gnu::noinline]] void NextTokenFromCache(InterpreterContext& c) {
  LexState& s = c.lex;
  int i = s.lineLoaded && s.line != nullptr ? FindCachedToken(s) : -1;
  if (i < 0) {
    ScanNextToken(c);
    return;
  }
  const LineTokens& cache = s.line->tokens;
  const CachedToken& k = cache.tokens[static_cast<size_t>(i)];  // tokens never move
  for (uint16_t r = k.reportsBegin; r < k.reportsEnd; ++r) {
    const ScanReport& report = cache.reports[r];
    ShowReport(c, ReportText(report, c.sourceName, s.lineNo), *report.caption);
  }
  SetCachedToken(c, k);
}

}  // namespace

int CompareNoCase(const char* a, const char* b) {
  const auto* p = reinterpret_cast<const unsigned char*>(a);
  const auto* q = reinterpret_cast<const unsigned char*>(b);
  for (;; ++p, ++q) {
    int x = Fold(*p);
    int y = Fold(*q);
    if (x != y || x == 0) return x - y;
  }
}

void UpperCopy(const char* src, char* dst) {
  while (*src) *dst++ = static_cast<char>(Fold(static_cast<unsigned char>(*src++)));
  *dst = '\0';
}

char MapWideNumberChar(unsigned char lead, unsigned char trail) {
  if (lead == 0x82) {
    if (trail >= 0x4F && trail <= 0x58) return static_cast<char>('0' + (trail - 0x4F));
    if (trail == 0x64) return 'E';
    if (trail == 0x85) return 'e';
  } else if (lead == 0x81) {
    if (trail == 0x7B) return '+';
    if (trail == 0x5B || trail == 0x7C) return '-';
    if (trail == 0x44 || trail == 0x45) return '.';
  }
  return 0;
}

const char* KeepTokenText(const TokenState& t, char (&copy)[kTokTextSize]) {
  if (t.origin != nullptr) return t.origin->Text();
  std::memcpy(copy, t.tokText, sizeof copy);
  return copy;
}

SavedToken::SavedToken(const TokenState& t) : kept_(reinterpret_cast<uintptr_t>(t.origin)) {
  static_assert(alignof(TokenState) > 1 && alignof(CachedToken) > 1, "the lowest bit is free");
  if (t.origin == nullptr) kept_ = reinterpret_cast<uintptr_t>(new TokenState(t)) | 1;
}

SavedToken::~SavedToken() {
  if (kept_ & 1) delete reinterpret_cast<TokenState*>(kept_ & ~uintptr_t{1});
}

void SavedToken::RestoreTo(TokenState& t) const {
  if (kept_ & 1) {
    t = *reinterpret_cast<const TokenState*>(kept_ & ~uintptr_t{1});
    return;
  }
  CopyCachedToken(*reinterpret_cast<const CachedToken*>(kept_), t);
}

void ScanNextToken(InterpreterContext& c) {
  ReaderCursor in(c);
  c.tok.keyword = kNotLookedUp;
  c.tok.function = kNotLookedUp;
  c.tok.origin = nullptr;
  Scanner<ReaderCursor>(in, c.tok).Next();
}

void NextToken(InterpreterContext& c) {
  const LexState& s = c.lex;
  if (s.lineLoaded && s.line != nullptr) {
    const LineTokens& cache = s.line->tokens;
    // Unsigned, so that a hint below 0 is out of range too.
    if (static_cast<uint32_t>(s.tokenHint) < static_cast<uint32_t>(cache.count)) {
      const CachedToken& k = cache.tokens.data()[s.tokenHint];
      if (k.start == s.column && k.startChar == s.curChar && k.quiet) {
        SetCachedToken(c, k);
        return;
      }
    }
  }
  NextTokenFromCache(c);
}

}  // namespace zamiro
