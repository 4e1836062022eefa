// The character reader and the tokenizer.
#pragma once

#include <cstdint>

namespace zamiro {

struct InterpreterContext;

constexpr int kLineBufSize = 255;  // 254 bytes of text and the terminating NUL
constexpr int kMaxLineLen = kLineBufSize - 1;
constexpr int kTokTextSize = 100;  // 99 bytes of token text
constexpr int kMaxAsciiNumber = 34;
constexpr int kMaxWideNumber = 63;

// The reader's whole state: copied byte for byte to save and restore a position.
struct LexState {
  int32_t curChar = 0;  // byte just handed out, or 13 after the last byte of a line
  int32_t lineNo = 0;   // lines fetched since the source was rewound
  int32_t column = 0;   // index of the next byte; the 1-based column of curChar
  bool lineLoaded = false;
  char lineBuf[kLineBufSize] = {};
  int32_t lineLen = 0;
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

struct TokenState {
  char tokText[kTokTextSize] = {};
  int32_t tokKind = tkEol;
  double tokValue = 0;
};

void ReadChar(InterpreterContext& c);
void NextToken(InterpreterContext& c);
void ScanNumber(InterpreterContext& c);

// Byte-wise comparison folding a-z to A-Z, like strcmp.
int CompareNoCase(const char* a, const char* b);
// Copies src to dst folding a-z to A-Z; dst must hold strlen(src) + 1 bytes.
void UpperCopy(const char* src, char* dst);
// The ASCII character of a full-width number character (lead, trail), or 0 if it is none.
char MapWideNumberChar(unsigned char lead, unsigned char trail);

inline bool IsSjisLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace zamiro
