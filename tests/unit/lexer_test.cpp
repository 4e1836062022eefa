// The character reader and the tokenizer: positions, token kinds, full-width forms, reports.
#include "lexer/lexer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interp/context.h"
#include "interp_fixture.h"

namespace zamiro::testing {
namespace {

const char* KindName(int32_t kind) {
  switch (kind) {
    case tkEol:
      return "Eol";
    case tkName:
      return "Name";
    case tkInteger:
      return "Integer";
    case tkReal:
      return "Real";
    case tkDot:
      return "Dot";
    case tkLParen:
      return "LParen";
    case tkRParen:
      return "RParen";
    case tkPlus:
      return "Plus";
    case tkMinus:
      return "Minus";
    case tkStar:
      return "Star";
    case tkSlash:
      return "Slash";
    case tkPercent:
      return "Percent";
    case tkEqual:
      return "Equal";
    case tkNotEqual:
      return "NotEqual";
    case tkLess:
      return "Less";
    case tkGreater:
      return "Greater";
    case tkLessEqual:
      return "LessEqual";
    case tkGreaterEqual:
      return "GreaterEqual";
    case tkColon:
      return "Colon";
    case tkLBracket:
      return "LBracket";
    case tkRBracket:
      return "RBracket";
    case tkQuote:
      return "Quote";
    case tkDoubleQuote:
      return "DoubleQuote";
    case tkNot:
      return "Not";
    case tkAnd:
      return "And";
    case tkOr:
      return "Or";
    case tkLBrace:
      return "LBrace";
    case tkRBrace:
      return "RBrace";
    case tkAmpersand:
      return "Ampersand";
    default:
      return "?";
  }
}

// "Kind:text" for words and operators, "Kind=value" for numbers (whose text is empty).
std::string Describe(const TokenState& t) {
  std::string s = KindName(t.tokKind);
  if (t.tokKind == tkInteger || t.tokKind == tkReal) {
    if (t.tokText[0] != '\0') s += "(text " + std::string(t.tokText) + ")";
    char value[40];
    std::snprintf(value, sizeof value, "=%.17g", t.tokValue);
    return s + value;
  }
  return s + ":" + Cp932ToUtf8(t.tokText);
}

// Every token of one line (code page 932 bytes) up to its end, joined by spaces.
std::string TokensOf(Session& s, const std::string& sjisLine) {
  s.ReadFrom({sjisLine});
  ReadChar(s.c);
  std::string out;
  for (;;) {
    NextToken(s.c);
    if (s.c.tok.tokKind == tkEol) break;
    if (!out.empty()) out += ' ';
    out += Describe(s.c.tok);
  }
  return out;
}

struct TokenCase {
  const char* input;  // UTF-8
  const char* tokens;
};

class TokenKinds : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenKinds, CutsTheLineIntoTheseTokens) {
  Session s;
  EXPECT_EQ(TokensOf(s, Sjis(GetParam().input)), GetParam().tokens) << GetParam().input;
  EXPECT_TRUE(s.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tokenizer, TokenKinds,
    ::testing::Values(
        // Words, keywords of the evaluator, and "おわり".
        TokenCase{"fd Square _a1b", "Name:fd Name:Square Name:_a1b"},
        TokenCase{"NOT notx And or", "Not:NOT Name:notx And:And Or:or"},
        TokenCase{"おわり END", "Name:end Name:END"}, TokenCase{"おわりだ", "Name:おわりだ"},
        // ASCII numbers: integers wrap modulo 2^32, reals take the longest valid prefix.
        TokenCase{"12", "Integer=12"},
        TokenCase{"12. 12e3 2.5e-1 3e 1e+", "Real=12 Real=12000 Real=0.25 Real=3 Real=1"},
        TokenCase{"3east", "Real=3 Name:ast"},
        TokenCase{"2147483648 4294967297", "Integer=-2147483648 Integer=1"},
        TokenCase{"2147483648.0", "Real=2147483648"},
        TokenCase{"1.5.2", "Real=1.5 Dot:. Integer=2"},
        // Full-width numbers are always real and stop at anything but their own characters.
        TokenCase{"fd１００", "Name:fd Real=100"}, TokenCase{"１．５Ｅ＋２", "Real=150"},
        TokenCase{"１＋２", "Real=1 Plus:+ Real=2"},
        TokenCase{"１ｅー１ １・５ ２－", "Real=0.10000000000000001 Real=1.5 Real=2 Minus:-"},
        TokenCase{"１Ｅ １．", "Real=1 Real=1"}, TokenCase{"１2", "Real=1 Integer=2"},
        // Double-byte names never take ASCII in, nor ASCII words double-byte characters.
        TokenCase{"かめ1 かめ１", "Name:かめ Integer=1 Name:かめ１"},
        TokenCase{"fdあ あfd", "Name:fd Name:あ Name:あ Name:fd"},
        TokenCase{"ルーチン", "Name:ル Minus:- Name:チン"},
        TokenCase{"ａｂＥ１ 星／’", "Name:ａｂＥ１ Name:星／’"},
        TokenCase{"あ（い）う：え", "Name:あ LParen:( Name:い RParen:) Name:う Colon:: Name:え"},
        // Comparisons: ASCII pairs only when adjacent; full-width forms likewise.
        TokenCase{"<= >= != < = > =",
                  "LessEqual:<= GreaterEqual:>= NotEqual:!= Less:< Equal:= "
                  "Greater:> Equal:="},
        TokenCase{"＜＝ ＞＝ ！＝ ＜１ ＞",
                  "LessEqual:<= GreaterEqual:>= NotEqual:!= Less:< "
                  "Real=1 Greater:>"},
        // Every single-character token, ASCII and full-width.
        TokenCase{".:()+-*/%=[]{}&'\"",
                  "Dot:. Colon:: LParen:( RParen:) Plus:+ Minus:- Star:* "
                  "Slash:/ Percent:% Equal:= LBracket:[ RBracket:] "
                  "LBrace:{ RBrace:} Ampersand:& Quote:' DoubleQuote:\""},
        TokenCase{"：（）＋－ー＊÷％＝",
                  "Colon:: LParen:( RParen:) Plus:+ Minus:- Minus:- "
                  "Star:* Slash:/ Percent:% Equal:="},
        TokenCase{"「［」］｛｝＆”",
                  "LBracket:[ LBracket:[ RBracket:] RBracket:] LBrace:{ "
                  "RBrace:} Ampersand:& DoubleQuote:\""},
        // Blanks: the ASCII space and the full-width space, which also ends a name.
        TokenCase{"  　fd　10　かめ　", "Name:fd Integer=10 Name:かめ"}, TokenCase{"", ""}));

struct ReportCase {
  std::string input;  // code page 932 bytes
  const char* tokens;
  std::vector<std::string> messages;
};

class TokenizerReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(TokenizerReports, ReportsTheCharacterAndScansOn) {
  Session s;
  EXPECT_EQ(TokensOf(s, GetParam().input), GetParam().tokens);
  EXPECT_EQ(s.host.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Tokenizer, TokenizerReports,
    ::testing::Values(
        // The character after "!" is not read past: it starts the next token.
        ReportCase{
            "!x", "Name:x", {"[エラー 無視します] Top Level の 1 行 2 列の x は ! に続かない"}},
        ReportCase{"print !1",
                   "Name:print Integer=1",
                   {"[エラー 無視します] Top Level の 1 行 8 列の 1 は ! に続かない"}},
        // After "！" a double-byte character is passed over, a single byte is not.
        ReportCase{Sjis("！あ fd"),
                   "Name:fd",
                   {"[エラー無視します] Top Level の 1 行 5 列の あ は！に続かない"}},
        ReportCase{Sjis("！x"),
                   "Name:x",
                   {"[エラー無視します] Top Level の 1 行 3 列の x は！に続かない"}},
        // Unusable characters are reported at their own column and passed over.
        ReportCase{"\tfd",
                   "Name:fd",
                   {"[エラー 無視します] Top Level の 1行 1 列の \t は使わない文字です"}},
        ReportCase{"a#b,c",
                   "Name:a Name:b Name:c",
                   {"[エラー 無視します] Top Level の 1行 2 列の # は使わない文字です",
                    "[エラー 無視します] Top Level の 1行 4 列の , は使わない文字です"}},
        ReportCase{Sjis("ｱ1"),
                   "Integer=1",
                   {"[エラー 無視します] Top Level の 1行 1 列の ｱ は使わない文字です"}},
        // Bytes that print as nothing are shown by their code.
        ReportCase{"\x01\x80x",
                   "Name:x",
                   {"[エラー 無視します] Top Level の 1行 1 列の 0x01 は使わない文字です",
                    "[エラー 無視します] Top Level の 1行 2 列の 0x80 は使わない文字です"}},
        // A lead byte at the end of the line is half a character.
        ReportCase{"fd\x82",
                   "Name:fd",
                   {"[エラー 無視します] Top Level の 1行 4 列の 0x82 は使わない文字です"}},
        ReportCase{Sjis("かめ") + "\x82",
                   "Name:かめ",
                   {"[エラー 無視します] Top Level の 1行 6 列の 0x82 は使わない文字です"}}));

TEST(Tokenizer, LineEndIsNotConsumed) {
  Session s;
  s.ReadFrom({"fd", "bk"});
  ReadChar(s.c);
  NextToken(s.c);
  for (int i = 0; i < 3; ++i) {
    NextToken(s.c);
    EXPECT_EQ(s.c.tok.tokKind, tkEol);
    EXPECT_STREQ(s.c.tok.tokText, "Next Line");
    EXPECT_EQ(s.c.lex.curChar, 13);
    EXPECT_EQ(s.c.lex.lineNo, 1);
  }
  ReadChar(s.c);
  NextToken(s.c);
  EXPECT_STREQ(s.c.tok.tokText, "bk");
  EXPECT_EQ(s.c.lex.lineNo, 2);
}

TEST(Tokenizer, LooksOneCharacterAhead) {
  Session s;
  s.ReadFrom({Sjis("fd かめ+")});
  ReadChar(s.c);
  NextToken(s.c);
  EXPECT_EQ(s.c.lex.curChar, ' ');
  EXPECT_EQ(s.c.lex.column, 3);
  NextToken(s.c);
  EXPECT_STREQ(s.c.tok.tokText, Sjis("かめ").c_str());
  EXPECT_EQ(s.c.lex.curChar, '+');
  EXPECT_EQ(s.c.lex.column, 8);
}

TEST(Tokenizer, NumberTokensLeaveTheirTextEmptyAndKeepOtherValues) {
  Session s;
  s.ReadFrom({"7 x"});
  ReadChar(s.c);
  NextToken(s.c);
  EXPECT_STREQ(s.c.tok.tokText, "");
  NextToken(s.c);
  EXPECT_EQ(s.c.tok.tokValue, 7.0);  // a word leaves the value alone
}

std::string Repeat(const char* utf8, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += Sjis(utf8);
  return out;
}

TEST(Tokenizer, OverlongTokensAreCutWithAMessage) {
  struct Case {
    std::string line;
    size_t kept;
    const char* message;
  };
  const Case cases[] = {
      {std::string(120, 'a'), 99,
       "[エラー 無視します] Top Level の 1 行 121 列の名前は長すぎるので 99 バイトで切りました"},
      {Repeat("あ", 60), 98,
       "[エラー 無視します] Top Level の 1 行 121 列の名前は長すぎるので 99 バイトで切りました"},
      {std::string(40, '1'), 0,
       "[エラー 無視します] Top Level の 1 行 41 列の数は長すぎるので 34 文字で切りました"},
  };
  for (const Case& k : cases) {
    Session s;
    s.ReadFrom({k.line});
    ReadChar(s.c);
    NextToken(s.c);
    EXPECT_EQ(std::strlen(s.c.tok.tokText), k.kept);
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0], k.message);
    NextToken(s.c);
    EXPECT_EQ(s.c.tok.tokKind, tkEol);
  }
}

TEST(Tokenizer, OverlongFullWidthNumberIsCutWithAMessage) {
  Session s;
  s.ReadFrom({Repeat("１", 70)});
  ReadChar(s.c);
  NextToken(s.c);
  EXPECT_EQ(s.c.tok.tokKind, tkReal);
  EXPECT_DOUBLE_EQ(s.c.tok.tokValue, 1.1111111111111111e62);
  ASSERT_EQ(s.host.messages.size(), 1u);
  EXPECT_EQ(s.host.messages[0],
            "[エラー 無視します] Top Level の 1 行 141 列の数は長すぎるので 63 文字で切りました");
}

TEST(CompareNoCase, FoldsEveryByteAToZ) {
  EXPECT_EQ(CompareNoCase("Square", "SQUARE"), 0);
  EXPECT_EQ(CompareNoCase("a", "c"), -2);
  EXPECT_GT(CompareNoCase("b", "A"), 0);
  EXPECT_LT(CompareNoCase("ab", "abc"), 0);
  // Bytes compare unsigned: a double-byte character sorts after every ASCII letter.
  EXPECT_GT(CompareNoCase(Sjis("星").c_str(), "SQUARE"), 0);
  // "ッ" (83 62) and "ィ" (83 42) differ only as b and B do.
  EXPECT_EQ(CompareNoCase(Sjis("ッ").c_str(), Sjis("ィ").c_str()), 0);
  EXPECT_NE(CompareNoCase(Sjis("ア").c_str(), Sjis("イ").c_str()), 0);
}

TEST(UpperCopy, FoldsSecondBytesToo) {
  char out[16];
  UpperCopy("to Sq_1", out);
  EXPECT_STREQ(out, "TO SQ_1");
  UpperCopy(Sjis("ッ").c_str(), out);
  EXPECT_STREQ(out, Sjis("ィ").c_str());
}

TEST(MapWideNumberChar, MapsTheCharactersOfFullWidthNumbers) {
  const struct {
    const char* wide;
    char ascii;
  } cases[] = {{"０", '0'}, {"５", '5'}, {"９", '9'}, {"Ｅ", 'E'}, {"ｅ", 'e'}, {"＋", '+'},
               {"ー", '-'}, {"－", '-'}, {"．", '.'}, {"・", '.'}, {"あ", 0},   {"Ｆ", 0}};
  for (const auto& k : cases) {
    std::string pair = Sjis(k.wide);
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_EQ(
        MapWideNumberChar(static_cast<unsigned char>(pair[0]), static_cast<unsigned char>(pair[1])),
        k.ascii)
        << k.wide;
  }
}

// --- The reader ---

struct Step {
  int curChar;
  int column;
};

std::vector<Step> ReadSteps(Session& s, int count) {
  std::vector<Step> steps;
  for (int i = 0; i < count; ++i) {
    ReadChar(s.c);
    steps.push_back({s.c.lex.curChar, s.c.lex.column});
  }
  return steps;
}

bool operator==(const Step& a, const Step& b) {
  return a.curChar == b.curChar && a.column == b.column;
}
std::ostream& operator<<(std::ostream& o, const Step& s) {
  return o << "(" << s.curChar << "," << s.column << ")";
}

TEST(Reader, HandsOutBytesThenTheLineEnd) {
  Session s;
  s.ReadFrom({"fd 10", "", Sjis("０")});
  EXPECT_EQ(ReadSteps(s, 6),
            (std::vector<Step>{{'f', 1}, {'d', 2}, {' ', 3}, {'1', 4}, {'0', 5}, {13, 6}}));
  EXPECT_EQ(s.c.lex.lineNo, 1);
  // An empty line is its line end alone.
  EXPECT_EQ(ReadSteps(s, 1), (std::vector<Step>{{13, 1}}));
  EXPECT_EQ(s.c.lex.lineNo, 2);
  // A double-byte character comes as its two bytes.
  EXPECT_EQ(ReadSteps(s, 3), (std::vector<Step>{{0x82, 1}, {0x4F, 2}, {13, 3}}));
  EXPECT_EQ(s.c.lex.lineNo, 3);
}

TEST(Reader, RestoredPositionReadsItsOwnCopyOfTheLine) {
  Session s;
  std::vector<std::string> lines{"ab", "cd"};
  s.c.curSource = &lines;
  ReadChar(s.c);
  LexState saved = s.c.lex;
  ReadSteps(s, 3);
  EXPECT_EQ(s.c.lex.curChar, 'c');
  lines[0] = "xy";  // the saved copy is read, not the source
  s.c.lex = saved;
  EXPECT_EQ(ReadSteps(s, 3), (std::vector<Step>{{'b', 2}, {13, 3}, {'c', 1}}));
}

TEST(Reader, LinesOfTheQueueAreNumberedFromTheStart) {
  Session s;
  s.c.curSource = nullptr;
  s.queue.Add("x");
  s.queue.Add("yz");
  EXPECT_EQ(ReadSteps(s, 4), (std::vector<Step>{{'x', 1}, {13, 2}, {'y', 1}, {'z', 2}}));
  EXPECT_EQ(s.c.lex.lineNo, 2);
  // With nothing left the reader asks for more; here the input has ended.
  ReadChar(s.c);
  EXPECT_THROW(ReadChar(s.c), ShutdownRequested);
}

TEST(Reader, RefusesALineLongerThan254Bytes) {
  Session s;
  s.ReadFrom({std::string(254, 'a'), std::string(255, 'b'), "c"});
  ReadChar(s.c);
  EXPECT_EQ(s.c.lex.lineLen, 254);
  EXPECT_TRUE(s.host.messages.empty());
  s.c.lex.column = s.c.lex.lineLen + 1;
  ReadChar(s.c);
  // The long line is read as an empty one, once, and the next line follows.
  EXPECT_EQ(s.c.lex.curChar, 13);
  EXPECT_EQ(s.c.lex.lineNo, 2);
  EXPECT_EQ(s.host.messages, std::vector<std::string>{
                                 "[エラー 無視します] Top Level の 2 行は 255 バイトあり長すぎるの"
                                 "で読みません（1 行は 254 バイトまで）"});
  ReadChar(s.c);
  EXPECT_EQ(s.c.lex.curChar, 'c');
  EXPECT_EQ(s.c.lex.lineNo, 3);
}

TEST(Reader, AListThatRunsOutEndsAsIfEndWereRead) {
  Session s;
  s.ReadFrom({"x"});
  ReadChar(s.c);
  NextToken(s.c);
  NextToken(s.c);
  ReadChar(s.c);
  NextToken(s.c);
  EXPECT_TRUE(CompareNoCase(s.c.tok.tokText, "end") == 0);
  EXPECT_EQ(s.c.lex.lineNo, 2);
  // Reading on past that point is an error, never a wait.
  NextToken(s.c);
  EXPECT_THROW(ReadChar(s.c), AbortStatement);
  ASSERT_EQ(s.host.messages.size(), 1u);
  EXPECT_EQ(s.host.messages[0].rfind("[エラー] Top Level の 2 行", 0), 0u) << s.host.messages[0];
}

}  // namespace
}  // namespace zamiro::testing
