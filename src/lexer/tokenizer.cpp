// The tokenizer: cuts the reader's bytes into tokens, full-width spellings included.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "interp/context.h"
#include "interp/errors.h"
#include "interp/texts.h"
#include "lexer/lexer.h"

namespace zamiro {
namespace {

bool IsAsciiLetter(int ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}
bool IsDigit(int ch) { return ch >= '0' && ch <= '9'; }
int Fold(unsigned char b) { return (b >= 'a' && b <= 'z') ? b - 32 : b; }

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
    {0x40, -1, ""},   {0x46, tkColon, ":"},        {0x69, tkLParen, "("},
    {0x6A, tkRParen, ")"},  {0x7B, tkPlus, "+"},   {0x5B, tkMinus, "-"},
    {0x7C, tkMinus, "-"},   {0x96, tkStar, "*"},   {0x80, tkSlash, "/"},
    {0x93, tkPercent, "%"}, {0x81, tkEqual, "="},  {0x49, 0, "!"},
    {0x83, 0, "<"},         {0x84, 0, ">"},        {0x75, tkLBracket, "["},
    {0x6D, tkLBracket, "["}, {0x76, tkRBracket, "]"}, {0x6E, tkRBracket, "]"},
    {0x6F, tkLBrace, "{"},  {0x70, tkRBrace, "}"}, {0x95, tkAmpersand, "&"},
    {0x68, tkDoubleQuote, "\""},
};

const WideEntry* FindWide(int lead, int trail) {
  if (lead != 0x81) return nullptr;
  for (const WideEntry& e : kWideTable) {
    if (e.trail == trail) return &e;
  }
  return nullptr;
}

// The byte after the current one in the line, without reading it; 13 at the end of the line.
int PeekNext(const LexState& s) {
  return s.column < s.lineLen ? static_cast<unsigned char>(s.lineBuf[s.column]) : 13;
}

bool AtLineMark(const LexState& s) { return s.curChar == 13 && s.column > s.lineLen; }

// Shows a byte in a message: itself when it prints, its code otherwise.
void ReportCharacter(InterpreterContext& c, const std::string& format, int ch,
                     const std::string& caption) {
  bool printable = ch == '\t' || (ch >= 0x20 && ch < 0x7F) || (ch >= 0xA1 && ch <= 0xDF);
  std::string text;
  if (printable) {
    text = Format(format.c_str(), c.sourceName, c.lex.lineNo, c.lex.column, ch);
  } else {
    std::string f = format;
    f.replace(f.find("%c"), 2, "%s");
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", ch);
    text = Format(f.c_str(), c.sourceName, c.lex.lineNo, c.lex.column, code);
  }
  ShowReport(c, text, caption);
}

void ReportCut(InterpreterContext& c, const std::string& format, int limit) {
  ShowReport(c, Format(format.c_str(), c.sourceName, c.lex.lineNo, c.lex.column, limit),
             T().capIgnore);
}

double ConvertDecimal(const char* text) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, cLocale);
}

void ScanAsciiWord(InterpreterContext& c) {
  TokenState& t = c.tok;
  int n = 0;
  bool cut = false;
  while (IsAsciiLetter(c.lex.curChar) || IsDigit(c.lex.curChar)) {
    if (n < kTokTextSize - 1) {
      t.tokText[n++] = static_cast<char>(c.lex.curChar);
    } else {
      cut = true;
    }
    ReadChar(c);
  }
  t.tokText[n] = '\0';
  t.tokKind = tkName;
  if (CompareNoCase(t.tokText, "not") == 0) {
    t.tokKind = tkNot;
  } else if (CompareNoCase(t.tokText, "and") == 0) {
    t.tokKind = tkAnd;
  } else if (CompareNoCase(t.tokText, "or") == 0) {
    t.tokKind = tkOr;
  }
  if (cut) ReportCut(c, T().msgNameTooLong, kTokTextSize - 1);
}

bool IsWideNumberPair(int lead, int trail) {
  return (lead == 0x82 && ((trail >= 0x4F && trail <= 0x58) || trail == 0x64 || trail == 0x85)) ||
         (lead == 0x81 && (trail == 0x44 || trail == 0x45));
}
bool IsWideSignPair(int lead, int trail) {
  return lead == 0x81 && (trail == 0x7B || trail == 0x5B || trail == 0x7C);
}

// A full-width number; the first digit's pair has been read past.
void ScanWideNumber(InterpreterContext& c, char first) {
  char buf[kMaxWideNumber + 1];
  int n = 0;
  buf[n++] = first;
  bool cut = false;
  while (IsSjisLead(c.lex.curChar)) {
    int lead = c.lex.curChar;
    int trail = PeekNext(c.lex);
    char last = n > 0 ? buf[n - 1] : 0;
    bool take = IsWideNumberPair(lead, trail) ||
                (IsWideSignPair(lead, trail) && (last == 'E' || last == 'e'));
    if (!take) break;
    if (n < kMaxWideNumber) {
      buf[n++] = MapWideNumberChar(static_cast<unsigned char>(lead),
                                   static_cast<unsigned char>(trail));
    } else {
      cut = true;
    }
    ReadChar(c);
    ReadChar(c);
  }
  buf[n] = '\0';
  c.tok.tokKind = tkReal;
  c.tok.tokText[0] = '\0';
  c.tok.tokValue = ConvertDecimal(buf);
  if (cut) ReportCut(c, T().msgNumberTooLong, kMaxWideNumber);
}

// A name of double-byte characters; the first pair has been read past and appended.
void ScanWideName(InterpreterContext& c, int n) {
  TokenState& t = c.tok;
  bool cut = false;
  while (IsSjisLead(c.lex.curChar)) {
    int lead = c.lex.curChar;
    int trail = PeekNext(c.lex);
    if (trail == 13 || FindWide(lead, trail) != nullptr) break;
    if (n + 2 <= kTokTextSize - 1) {
      t.tokText[n++] = static_cast<char>(lead);
      t.tokText[n++] = static_cast<char>(trail);
    } else {
      cut = true;
    }
    ReadChar(c);
    ReadChar(c);
  }
  t.tokText[n] = '\0';
  if (T().wordEnd == t.tokText) std::strcpy(t.tokText, "end");
  t.tokKind = tkName;
  if (cut) ReportCut(c, T().msgNameTooLong, kTokTextSize - 1);
}

// A double-byte character at curChar. Returns true when a token was set, false to scan on.
bool ScanDoubleByte(InterpreterContext& c) {
  LexState& s = c.lex;
  TokenState& t = c.tok;
  int lead = s.curChar;
  if (PeekNext(s) == 13) {
    // A lead byte at the end of a line: half a character, reported and passed over.
    ReadChar(c);
    ReportCharacter(c, T().msgUnusable, lead, T().capIgnore);
    return false;
  }
  ReadChar(c);
  int trail = s.curChar;
  ReadChar(c);
  if (const WideEntry* e = FindWide(lead, trail)) {
    if (e->kind == -1) return false;
    if (e->kind > 0) {
      SetToken(t, e->kind, e->text);
      return true;
    }
    if (trail == 0x49) {  // "！"
      if (IsSjisLead(s.curChar)) {
        int l2 = s.curChar;
        int t2 = PeekNext(s);
        if (t2 == 13) return false;  // the half character is reported on the next scan
        ReadChar(c);
        ReadChar(c);
        if (l2 == 0x81 && t2 == 0x81) {
          SetToken(t, tkNotEqual, "!=");
          return true;
        }
        char pair[3] = {static_cast<char>(l2), static_cast<char>(t2), '\0'};
        ShowReport(c, Format(T().msgBangWide.c_str(), c.sourceName, s.lineNo, s.column, pair),
                   T().capIgnoreTight);
      } else {
        ReportCharacter(c, T().msgBangWideChar, s.curChar, T().capIgnoreTight);
      }
      return false;
    }
    bool less = trail == 0x83;
    if (s.curChar == 0x81 && PeekNext(s) == 0x81) {
      ReadChar(c);
      ReadChar(c);
      SetToken(t, less ? tkLessEqual : tkGreaterEqual, less ? "<=" : ">=");
    } else {
      SetToken(t, less ? tkLess : tkGreater, less ? "<" : ">");
    }
    return true;
  }
  if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
    ScanWideNumber(c, static_cast<char>('0' + (trail - 0x4F)));
    return true;
  }
  t.tokText[0] = static_cast<char>(lead);
  t.tokText[1] = static_cast<char>(trail);
  ScanWideName(c, 2);
  return true;
}

int32_t PunctuationKind(int ch) {
  switch (ch) {
    case '.': return tkDot;
    case ':': return tkColon;
    case '(': return tkLParen;
    case ')': return tkRParen;
    case '+': return tkPlus;
    case '-': return tkMinus;
    case '*': return tkStar;
    case '/': return tkSlash;
    case '%': return tkPercent;
    case '=': return tkEqual;
    case '[': return tkLBracket;
    case ']': return tkRBracket;
    case '{': return tkLBrace;
    case '}': return tkRBrace;
    case '&': return tkAmpersand;
    case '\'': return tkQuote;
    case '"': return tkDoubleQuote;
    default: return -1;
  }
}

// ASCII punctuation at curChar. Returns true when a token was set, false to scan on.
bool ScanPunctuation(InterpreterContext& c) {
  LexState& s = c.lex;
  TokenState& t = c.tok;
  int ch = s.curChar;
  int32_t kind = PunctuationKind(ch);
  if (kind >= 0) {
    t.tokKind = kind;
    t.tokText[0] = static_cast<char>(ch);
    t.tokText[1] = '\0';
    ReadChar(c);
    return true;
  }
  if (ch == '<' || ch == '>') {
    bool less = ch == '<';
    ReadChar(c);
    if (s.curChar == '=') {
      SetToken(t, less ? tkLessEqual : tkGreaterEqual, less ? "<=" : ">=");
      ReadChar(c);
    } else {
      SetToken(t, less ? tkLess : tkGreater, less ? "<" : ">");
    }
    return true;
  }
  if (ch == '!') {
    ReadChar(c);
    if (s.curChar == '=') {
      SetToken(t, tkNotEqual, "!=");
      ReadChar(c);
      return true;
    }
    if (!AtLineMark(s)) {
      ReportCharacter(c, T().msgBangAscii, s.curChar, T().capIgnore);
    } else {
      ReportCharacter(c, T().msgBangAscii, ' ', T().capIgnore);
    }
    return false;
  }
  ReportCharacter(c, T().msgUnusable, ch, T().capIgnore);
  ReadChar(c);
  return false;
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

void ScanNumber(InterpreterContext& c) {
  LexState& s = c.lex;
  char buf[kMaxAsciiNumber + 1];
  int n = 0;
  bool cut = false;
  auto append = [&](int ch) {
    if (n < kMaxAsciiNumber) {
      buf[n++] = static_cast<char>(ch);
    } else {
      cut = true;
    }
    ReadChar(c);
  };
  bool real = false;
  while (IsDigit(s.curChar)) append(s.curChar);
  if (s.curChar == '.') {
    real = true;
    append('.');
    while (IsDigit(s.curChar)) append(s.curChar);
  }
  if (s.curChar == 'E' || s.curChar == 'e') {
    real = true;
    append(s.curChar);
    if (s.curChar == '+' || s.curChar == '-') append(s.curChar);
    while (IsDigit(s.curChar)) append(s.curChar);
  }
  buf[n] = '\0';
  if (real) {
    c.tok.tokKind = tkReal;
    c.tok.tokValue = ConvertDecimal(buf);
  } else {
    uint32_t v = 0;  // wraps modulo 2^32, as the literal's 32-bit accumulator does
    for (int i = 0; i < n; ++i) v = v * 10u + static_cast<uint32_t>(buf[i] - '0');
    c.tok.tokKind = tkInteger;
    c.tok.tokValue = static_cast<double>(static_cast<int32_t>(v));
  }
  if (cut) ReportCut(c, T().msgNumberTooLong, kMaxAsciiNumber);
}

void NextToken(InterpreterContext& c) {
  LexState& s = c.lex;
  TokenState& t = c.tok;
  for (;;) {
    t.tokText[0] = '\0';
    while (s.curChar == ' ') ReadChar(c);
    int ch = s.curChar;
    if (IsAsciiLetter(ch)) {
      ScanAsciiWord(c);
      return;
    }
    if (IsDigit(ch)) {
      ScanNumber(c);
      return;
    }
    if (ch == 13 && AtLineMark(s)) {
      SetToken(t, tkEol, "Next Line");
      return;
    }
    if (IsSjisLead(ch)) {
      if (ScanDoubleByte(c)) return;
      continue;
    }
    if (ScanPunctuation(c)) return;
  }
}

}  // namespace zamiro
