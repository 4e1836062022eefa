// The character reader and the tokenizer.
#pragma once

#include <cstdint>
#include <memory>

namespace zamiro {

struct InterpreterContext;

constexpr int kLineBufSize = 255;  // 254 bytes of text and the terminating NUL
constexpr int kMaxLineLen = kLineBufSize - 1;
constexpr int kTokTextSize = 100;  // 99 bytes of token text
constexpr int kMaxAsciiNumber = 34;
constexpr int kMaxWideNumber = 63;

struct SourceLine;

// The reader's whole state: copied to save and restore a position. The line being read is
// referred to, not copied: it does not change while a position refers to it (lexer/lines.h).
// (Ordered to pack tightly: calls keep a copy of it at every level of nesting.)
struct LexState {
  int32_t curChar = 0;  // byte just handed out, or 13 after the last byte of a line
  int32_t lineNo = 0;   // lines fetched since the source was rewound
  int32_t column = 0;   // index of the next byte; the 1-based column of curChar
  int32_t lineLen = 0;
  int32_t tokenHint = 0;  // where NextToken looks first in the line's cached tokens
  bool lineLoaded = false;
  const SourceLine* line = nullptr;  // its text: at most kMaxLineLen bytes
};

enum TTokenKind : int32_t {
  tkEol = 0,
  tkName = 1,
  tkInteger = 2,
  tkReal = 3,
  tkDot = 4,
  tkLParen = 8,
  tkRParen = 9,
  tkPlus = 10,
  tkMinus = 11,
  tkStar = 12,
  tkSlash = 13,
  tkPercent = 14,
  tkEqual = 15,
  tkNotEqual = 16,
  tkLess = 17,
  tkGreater = 18,
  tkLessEqual = 19,
  tkGreaterEqual = 20,
  tkColon = 21,
  tkLBracket = 22,
  tkRBracket = 23,
  tkQuote = 24,
  tkDoubleQuote = 25,
  tkNot = 26,
  tkAnd = 27,
  tkOr = 28,
  tkLBrace = 29,
  tkRBrace = 30,
  tkAmpersand = 31,
};

constexpr int16_t kNotLookedUp = -2;

struct CachedToken;

struct TokenState {
  char tokText[kTokTextSize] = {};
  int32_t tokKind = tkEol;
  // The statement keyword and the built-in function that the text names, when they were looked
  // up as the token was cut (kNotLookedUp otherwise).
  int16_t keyword = kNotLookedUp;
  int16_t function = kNotLookedUp;
  double tokValue = 0;
  const CachedToken* origin = nullptr;  // the cached token it was set from (lexer/lines.h)
};

// The text of the current token, valid after the reader has moved on (for the statement's
// duration) when the token was cached; otherwise copied into `copy`.
const char* KeepTokenText(const TokenState& t, char (&copy)[kTokTextSize]);

// The current token kept while the reader is elsewhere (a call, a loop's next pass), restored
// as it was: from the cached token it came from, or from a whole copy when it was not cached.
// (A cached token restores tokValue only for a number: the value of any other token is never
// read.)
class SavedToken {
 public:
  explicit SavedToken(const TokenState& t);
  SavedToken(SavedToken&& other) noexcept : kept_(other.kept_) { other.kept_ = 0; }
  SavedToken(const SavedToken&) = delete;
  SavedToken& operator=(const SavedToken&) = delete;
  SavedToken& operator=(SavedToken&&) = delete;
  ~SavedToken();
  void RestoreTo(TokenState& t) const;

 private:
  // One word, as calls keep one at every level of nesting: the cached token it came from, or,
  // with the lowest bit set, a whole copy owned here.
  uintptr_t kept_;
};

void ReadChar(InterpreterContext& c);
// The next token: replayed from the line's cached tokens, cut by ScanNextToken the first time.
void NextToken(InterpreterContext& c);
// The tokenizer itself, reading character by character through ReadChar.
void ScanNextToken(InterpreterContext& c);

// The byte with a-z folded to A-Z.
inline int FoldByte(char b) {
  auto u = static_cast<unsigned char>(b);
  return (u >= 'a' && u <= 'z') ? u - 32 : u;
}
// Byte-wise comparison folding a-z to A-Z, like strcmp.
int CompareNoCase(const char* a, const char* b);
// Copies src to dst folding a-z to A-Z; dst must hold strlen(src) + 1 bytes.
void UpperCopy(const char* src, char* dst);
// The ASCII character of a full-width number character (lead, trail), or 0 if it is none.
char MapWideNumberChar(unsigned char lead, unsigned char trail);

inline bool IsSjisLead(int b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace zamiro
