// Procedure definitions (names, parameters, the tail-call mark, the editor exchange) and
// program files (splitting, conversion, writing without losing the previous file).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interp/calls.h"
#include "interp/program_files.h"
#include "interp_fixture.h"

namespace zamiro::testing {
namespace {

std::vector<std::string> ToSjis(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& line : utf8) out.push_back(Sjis(line));
  return out;
}

std::vector<std::string> ToUtf8(const std::vector<std::string>& sjis) {
  std::vector<std::string> out;
  for (const std::string& line : sjis) out.push_back(Cp932ToUtf8(line));
  return out;
}

TEST(HeaderName, IsTakenAfterTheFirstToOfTheUpperCasedLine) {
  const struct {
    const char* line;
    const char* name;
  } cases[] = {
      {"TO square :n", "SQUARE"},
      {"  to   Sq:a b", "SQ:A"},
      {"てじゅんは　さんかく　：ｋ", "さんかく"},
      {"てじゅんは TOTAL", "TAL"},  // the first "TO" decides, even inside a word
      {"stop", "P"},
      {"TO", ""},
      {"to　　 星 :x", "星"},
      {"TO SEND :x", "SEND"},
      {"x = TOP", "P"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(Cp932ToUtf8(HeaderName(Sjis(k.line))), k.name) << k.line;
  }
}

TEST(DefineProc, ParametersAreTheColonNamesAfterTheName) {
  const struct {
    std::vector<std::string> lines;
    std::vector<std::string> params;
  } cases[] = {
      {{"TO f", "end"}, {}},
      {{"TO f :x :Y :z", "end"}, {"x", "Y", "z"}},
      {{"TO sq :a b :c", "end"}, {"a"}},
      {{"TO f:x", "end"}, {"x"}},
      {{"てじゅんは　ほし　：かど　：ながさ", "おわり"}, {"かど", "ながさ"}},
  };
  for (const auto& k : cases) {
    Session s;
    std::vector<std::string> lines = ToSjis(k.lines);
    std::string name = HeaderName(lines[0]);
    DefineProc(s.c, name.c_str(), lines);
    TProcNode* node = FindProc(s.c, name.c_str());
    ASSERT_NE(node, nullptr) << k.lines[0];
    std::vector<std::string> got;
    for (const TParamNode& p : node->params) got.push_back(Cp932ToUtf8(p.name));
    EXPECT_EQ(got, k.params) << k.lines[0];
    EXPECT_EQ(node->body, lines);
  }
}

TEST(DefineProc, MarksASelfCallOnTheLineBeforeTheEndLine) {
  const struct {
    std::vector<std::string> lines;
    bool tail;
  } cases[] = {
      {{"TO walk :n", "fd :n", "walk :n + 1", "END"}, true},
      {{"TO walk :n", "fd :n", "WALK :n + 1", "end"}, true},
      {{"TO walk :n", "fd :n", "walk :n + 1", "おわり"}, false},  // only END is looked for
      {{"TO walk :n", "walk :n + 1", "fd :n", "END"}, false},
      {{"TO walk :n", "walk :n + 1 END"}, false},
      {{"TO walk :n", "fd :n", "END"}, false},
      // A self-call on the last line itself is never marked.
      {{"TO walk :n", "fd 1", "walk :n + 1 end"}, false},
      // A last line that starts otherwise counts by its text: END and the name as typed, found
      // in the upper-cased line.
      {{"TO WALK :n", "fd 1", "print 1 WALKER end"}, true},
      {{"TO walk :n", "fd 1", "print 1 walk end"}, false},
      {{"TO walk", "if 1 [walk]", "END"}, true},
  };
  for (const auto& k : cases) {
    Session s;
    std::vector<std::string> lines = ToSjis(k.lines);
    std::string name = HeaderName(lines[0]);
    DefineProc(s.c, name.c_str(), lines);
    TProcNode* node = FindProc(s.c, name.c_str());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->tailCall, k.tail) << k.lines[1] << " / " << k.lines.back();
  }
}

TEST(DefineProc, RedefinitionKeepsTheNodeAndItsFirstName) {
  Session s;
  DefineProc(s.c, "SQUARE", {"to square", "print 1", "end"});
  TProcNode* first = FindProc(s.c, "square");
  std::strcpy(first->name, "Square");  // as if first stored in another spelling
  DefineProc(s.c, "SQUARE", {"TO SQUARE :n", "print :n", "END"});
  EXPECT_EQ(FindProc(s.c, "SQUARE"), first);
  EXPECT_STREQ(first->name, "Square");
  EXPECT_EQ(first->body.size(), 3u);
  EXPECT_EQ(first->params.size(), 1u);
}

TEST(DefineProc, TreeOrderComparesBytesUnsignedIgnoringCase) {
  Session s;
  s.Define({"to square", "end", "to 星", "end", "to Circle", "end", "to _x", "end", "to b2", "end",
            "to B10", "end"});
  s.Run({"listing"});
  EXPECT_EQ(s.host.output, (std::vector<std::string>{"B10", "B2", "CIRCLE", "SQUARE", "_X", "星"}));
}

// --- The `to` statement and the editor ---

struct EditorCase {
  const char* line;
  std::vector<std::vector<std::string>> answers;  // one text per time the editor opens
  std::vector<std::vector<std::string>> shown;    // what the editor was given each time
  std::vector<bool> retries;
  std::vector<std::string> listing;
  std::vector<std::string> messages;
};

class ToStatement : public ::testing::TestWithParam<EditorCase> {};

TEST_P(ToStatement, OpensTheEditorAndDefinesItsBlocks) {
  const EditorCase& k = GetParam();
  Session s;
  s.Define({"to old :a", "print :a", "end"});
  for (const auto& answer : k.answers) s.host.editorAnswers.push_back(answer);
  s.Run({k.line, "listing"});
  std::vector<std::vector<std::string>> shown;
  std::vector<bool> retries;
  for (const EditRequest& r : s.host.editorRequests) {
    shown.push_back(ToUtf8(r.lines));
    retries.push_back(r.retry);
  }
  EXPECT_EQ(shown, k.shown);
  EXPECT_EQ(retries, k.retries);
  EXPECT_EQ(s.host.output, k.listing);
  EXPECT_EQ(s.host.messages, k.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Editor, ToStatement,
    ::testing::Values(
        // A new name starts the editor with a header line; Cancel defines nothing.
        EditorCase{"to square", {}, {{"TO square"}}, {false}, {"OLD"}, {}},
        EditorCase{"てじゅんは さんかく", {}, {{"てじゅんは さんかく"}}, {false}, {"OLD"}, {}},
        EditorCase{"to", {}, {{"TO Next Line"}}, {false}, {"OLD"}, {}},
        // A known name starts it with the stored lines.
        EditorCase{"TO OLD", {}, {{"to old :a", "print :a", "end"}}, {false}, {"OLD"}, {}},
        // One text may hold several blocks; lines outside blocks are ignored.
        EditorCase{"to a",
                   {{"TO a", "end", "print 1", "TO b", "END"}},
                   {{"TO a"}},
                   {false},
                   {"A", "B", "OLD"},
                   {}},
        // A block without END is reported and the editor opens again on the same text.
        EditorCase{"to a",
                   {{"TO a", "END", "TO b", "print 1"}, {"TO b", "END"}},
                   {{"TO a"}, {"TO a", "END", "TO b", "print 1"}},
                   {false, true},
                   {"A", "B", "OLD"},
                   {"[無視します] TO b には END がありません"}},
        EditorCase{"to a",
                   {{"TO a", "print 1"}},
                   {{"TO a"}, {"TO a", "print 1"}},
                   {false, true},
                   {"OLD"},
                   {"[無視します] TO a には END がありません"}},
        // The rest of the line after the name is executed.
        EditorCase{"to a listing", {}, {{"TO a"}}, {false}, {"OLD", "OLD"}, {}}));

// --- Program files ---

TEST(ProgramFileLines, SplitsAtEveryLineEndAndStopsAtNul) {
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\r\nb\n\nc", {"a", "", "b", "", "c"}},
      {"\r\n", {""}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
      {"\x82\xA0\r\n\x93\xFA", {"\x82\xA0", "\x93\xFA"}},  // code page 932, kept as it is
  };
  for (const auto& k : cases) EXPECT_EQ(ProgramFileLines(k.bytes), k.lines) << k.bytes;
}

TEST(ProgramFileLines, ConvertsUtf8Files) {
  EXPECT_EQ(ProgramFileLines("to \xE3\x81\x82\nend\n"), ToSjis({"to あ", "end"}));
  EXPECT_EQ(ProgramFileLines("\xEF\xBB\xBFto a\r\nend"), (std::vector<std::string>{"to a", "end"}));
  // A character that code page 932 cannot hold becomes a byte the tokenizer reports.
  EXPECT_EQ(ProgramFileLines("\xF0\x9F\x98\x80\n"), std::vector<std::string>{"?"});
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/zamiro-test-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ProgramFiles, WriteEndsEveryLineWithCrLfAndReadsBack) {
  TempDir dir;
  std::string path = dir.File("p.lgo");
  std::vector<std::string> lines = ToSjis({"TO 星 :n", "print :n", "END"});
  std::string reason;
  ASSERT_TRUE(WriteProgramFile(path, lines, &reason)) << reason;
  EXPECT_EQ(ReadBytes(path), Sjis("TO 星 :n\r\nprint :n\r\nEND\r\n"));
  std::vector<std::string> back;
  ASSERT_TRUE(ReadProgramFile(path, &back, &reason)) << reason;
  EXPECT_EQ(back, lines);
}

TEST(ProgramFiles, AFailedWriteKeepsThePreviousFile) {
  TempDir dir;
  std::string path = dir.File("p.lgo");
  std::string reason;
  ASSERT_TRUE(WriteProgramFile(path, {"to old", "end"}, &reason));
  // Refuse every byte past 64 KB, as a full disk would.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 65536;
  setrlimit(RLIMIT_FSIZE, &small);
  bool ok = WriteProgramFile(path, std::vector<std::string>(20000, "print 1"), &reason);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(ReadBytes(path), "to old\r\nend\r\n");
  EXPECT_EQ(std::system(("test $(ls '" + dir.File("") + "' | wc -l) = 1").c_str()), 0)
      << "the new file was left behind";
}

TEST(ProgramFiles, UnreadableFilesAreRefusedWithAReason) {
  TempDir dir;
  std::vector<std::string> lines{"kept"};
  std::string reason;
  EXPECT_FALSE(ReadProgramFile(dir.File("missing.lgo"), &lines, &reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(ReadProgramFile(dir.File(""), &lines, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(lines, std::vector<std::string>{"kept"});
  EXPECT_FALSE(WriteProgramFile(dir.File("no/such/dir.lgo"), {"x"}, &reason));
}

TEST(ProgramFiles, LoadingAddsToTheDefinitionsAndTheLaterBlockWins) {
  Session s;
  s.Define({"to keep", "print 1", "end"});
  s.Define({"print 0", "to twice", "print 2", "end", "to TWICE", "print 3", "end", "to last",
            "print 4"});
  s.Run({"listing", "twice"});
  EXPECT_EQ(s.host.output, (std::vector<std::string>{"KEEP", "TWICE", "3"}));
  EXPECT_EQ(s.host.messages,
            std::vector<std::string>{"[無視します] to last には END がありません"});
}

}  // namespace
}  // namespace zamiro::testing
