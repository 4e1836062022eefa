// The lines the reader keeps and the tokens cached with them: NextToken replays exactly what the
// tokenizer would do, reports included, and a line read again after a change is read anew.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "interp/context.h"
#include "interp_fixture.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"

namespace zamiro::testing {
namespace {

// Everything NextToken leaves behind: the token, the reader's position and the messages shown.
struct Outcome {
  int32_t kind;
  std::string text;
  double value;
  int32_t column;
  int32_t curChar;
  size_t messages;
};

bool operator==(const Outcome& a, const Outcome& b) {
  // Same bits: a number that is not a number must be the same one.
  return a.kind == b.kind && a.text == b.text &&
         std::memcmp(&a.value, &b.value, sizeof a.value) == 0 && a.column == b.column &&
         a.curChar == b.curChar && a.messages == b.messages;
}
std::ostream& operator<<(std::ostream& o, const Outcome& r) {
  return o << "{kind " << r.kind << ", text \"" << r.text << "\", value " << r.value << ", column "
           << r.column << ", char " << r.curChar << ", messages " << r.messages << "}";
}

using Step = void (*)(InterpreterContext&);

struct Run {
  std::vector<Outcome> tokens;
  std::vector<std::string> messages;
};

// The tokens from `column` to the line's end (and once more there), each with its outcome.
Run TokensFrom(Session& s, int32_t column, Step step) {
  LexState start = s.c.lex;
  s.c.tok = TokenState{};
  size_t before = s.host.messages.size();
  while (s.c.lex.column < column) ReadChar(s.c);
  Run run;
  for (int n = 0; n < 2 * kMaxLineLen; ++n) {
    step(s.c);
    const TokenState& t = s.c.tok;
    run.tokens.push_back({t.tokKind, t.tokText, t.tokValue, s.c.lex.column, s.c.lex.curChar,
                          s.host.messages.size() - before});
    if (t.tokKind == tkEol && n > 0 && run.tokens[run.tokens.size() - 2].kind == tkEol) break;
  }
  run.messages.assign(s.host.messages.begin() + static_cast<std::ptrdiff_t>(before),
                      s.host.messages.end());
  s.c.lex = start;
  return run;
}

// Compares NextToken with the tokenizer itself from every column of the line: the first
// NextToken cuts and caches, the second replays.
void ExpectSameTokens(const std::string& line) {
  Session cached;
  Session direct;
  cached.ReadFrom({line});
  direct.ReadFrom({line});
  ReadChar(cached.c);
  ReadChar(direct.c);
  for (int32_t column = 1; column <= cached.c.lex.lineLen + 1; ++column) {
    Run expected = TokensFrom(direct, column, ScanNextToken);
    for (int pass = 0; pass < 2; ++pass) {
      Run got = TokensFrom(cached, column, NextToken);
      ASSERT_EQ(got.tokens, expected.tokens)
          << "line \"" << line << "\" from column " << column << ", pass " << pass;
      ASSERT_EQ(got.messages, expected.messages)
          << "line \"" << line << "\" from column " << column << ", pass " << pass;
    }
  }
}

TEST(TokenCache, ReplaysTheTokenizerOnEveryKindOfToken) {
  const char* lines[] = {"fd Square _a1b",
                         "NOT notx And or",
                         "おわり END おわりだ",
                         "12 12. 12e3 2.5e-1 3e 1e+",
                         "3east 2147483648 4294967297 2147483648.0 1.5.2",
                         "fd１００ １．５Ｅ＋２ １＋２",
                         "１ｅー１ １・５ ２－ １Ｅ １． １2",
                         "かめ1 かめ１ fdあ あfd ルーチン ａｂＥ１ 星／’",
                         "あ（い）う：え",
                         "<= >= != < = > =",
                         "＜＝ ＞＝ ！＝ ＜１ ＞",
                         ".:()+-*/%=[]{}&'\"",
                         "：（）＋－ー＊÷％＝",
                         "「［」］｛｝＆”",
                         "  　fd　10　かめ　",
                         "",
                         "!x",
                         "print !1",
                         "！あ fd",
                         "！x",
                         "\tfd",
                         "a#b,c",
                         "ｱ1",
                         "\x01\x80x",
                         "fd\x82",
                         "かめ\x82",
                         "!",
                         "！",
                         "＜",
                         "print 1 !",
                         "x\r y",
                         "a\0b",
                         "make \"s 0 repeat 1000000 [make \"s :s + 1] print :s"};
  for (const char* utf8 : lines) ExpectSameTokens(Sjis(utf8));
  ExpectSameTokens(std::string("a\0b c", 5));
  // Tokens past their limits are cut and reported.
  ExpectSameTokens(std::string(120, 'n') + " " + std::string(40, '7') + " " + std::string(40, '1') +
                   ".5");
  std::string wide;
  for (int i = 0; i < 70; ++i) wide += Sjis(i % 2 ? "１" : "あ");
  ExpectSameTokens(wide);
  std::string wideNumber;
  for (int i = 0; i < 70; ++i) wideNumber += Sjis("９");
  ExpectSameTokens(wideNumber);
}

TEST(TokenCache, ReplaysTheTokenizerOnTheEndToEndScripts) {
  int lines = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ZAMIRO_E2E_CASES)) {
    if (entry.path().extension() != ".logo") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (line.size() > static_cast<size_t>(kMaxLineLen)) continue;
      ExpectSameTokens(line);
      ++lines;
    }
  }
  EXPECT_GT(lines, 500);
}

TEST(TokenCache, ReplaysTheTokenizerOnRandomLines) {
  // Bytes and characters that matter to the tokenizer, strung together at random.
  const std::vector<std::string> pieces = {
      "a",        "Z",        "_",        "7",        "0",        ".",        "e",
      "E",        "+",        "-",        " ",        "\t",       "!",        "=",
      "<",        ">",        ":",        "\"",       "[",        "]",        "{",
      "}",        "(",        ")",        "&",        "#",        "\x82",     "\x81",
      "\xA0",     "\xFF",     "\x01",     Sjis("　"), Sjis("０"), Sjis("９"), Sjis("Ｅ"),
      Sjis("ｅ"), Sjis("．"), Sjis("・"), Sjis("＋"), Sjis("ー"), Sjis("－"), Sjis("！"),
      Sjis("＝"), Sjis("＜"), Sjis("＞"), Sjis("あ"), Sjis("お"), Sjis("わ"), Sjis("り"),
      Sjis("「"), Sjis("｝"), Sjis("ｱ")};
  uint64_t state = 12345;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<size_t>(state >> 33);
  };
  for (int n = 0; n < 300; ++n) {
    std::string line;
    size_t count = next() % 40;
    for (size_t i = 0; i < count; ++i) line += pieces[next() % pieces.size()];
    if (line.size() > static_cast<size_t>(kMaxLineLen)) line.resize(kMaxLineLen);
    ExpectSameTokens(line);
  }
}

TEST(TokenCache, ReportsAreShownEachTimeTheLineIsRead) {
  Session s;
  s.Run({"repeat 3 [make \"x 1 # ]", "print :x"});
  EXPECT_EQ(s.host.output, std::vector<std::string>{"1"});
  // Three passes, then the pass over the block that ends the loop.
  EXPECT_EQ(s.host.messages,
            std::vector<std::string>(
                4, "[エラー 無視します] Top Level の 1行 21 列の # は使わない文字です"));
}

TEST(TokenCache, AProcedureRedefinedWhileItRunsGoesOnWithItsNewLines) {
  Session s;
  s.host.editorAnswers.push_back({"to p", "print 10", "q", "print 20", "end"});
  s.Define({"to p", "print 1", "q", "print 2", "end", "to q", "to p", "end"});
  // The line that called q is read on from the line kept for it; the next line comes from
  // the new body.
  s.Run({"p"});
  EXPECT_EQ(s.host.output, (std::vector<std::string>{"1", "20"}));
}

TEST(TokenCache, AVariableFoundThroughATokenIsLookedUpAgainWhenTheVariablesChange) {
  Session s;
  // A local made in the loop hides the global from the next pass on; each call of r has a
  // parameter of its own.
  s.Define({"to r :n", "if :n > 0 [print :n r :n - 1]", "end"});
  s.Run({"make \"x 1 repeat 3 [print :x local \"x make \"x :x + 5]", "print :x", "r 2",
         "make \"y 7 print :y"});
  EXPECT_EQ(s.host.output, (std::vector<std::string>{"1", "5", "5", "5", "2", "1", "7"}));
  EXPECT_TRUE(s.host.messages.empty());
}

TEST(LineStore, GivesTheSameLineWhileItsBytesAreTheSame) {
  LineStore store;
  std::vector<std::string> body{"fd 1", "bk 2"};
  const SourceLine* first = store.Intern(&body, 0, body[0]);
  EXPECT_EQ(store.Intern(&body, 0, body[0]), first);
  EXPECT_NE(store.Intern(&body, 1, body[1]), first);
  // Changed bytes make a new line; the old one stays as it was for whoever refers to it.
  const SourceLine* changed = store.Intern(&body, 0, "fd 3");
  EXPECT_NE(changed, first);
  EXPECT_EQ(first->text, "fd 1");
  EXPECT_EQ(changed->text, "fd 3");
  // Another source has lines of its own.
  EXPECT_NE(store.Intern(nullptr, 0, "fd 3"), changed);
}

TEST(LineStore, ReleaseKeepsTheLineBeingRead) {
  LineStore store;
  std::vector<std::string> body{"fd 1"};
  store.Intern(&body, 0, body[0]);
  store.Intern(nullptr, 4, "a");
  const SourceLine* current = store.Intern(nullptr, 5, "b");
  store.Release(current);
  EXPECT_EQ(current->text, "b");
  EXPECT_EQ(store.Intern(nullptr, 5, "b"), current);
  EXPECT_EQ(store.Intern(nullptr, 6, "c")->text, "c");
}

}  // namespace
}  // namespace zamiro::testing
