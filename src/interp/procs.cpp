// Procedure definitions: the name-ordered tree of stored source texts, the block scan shared by
// the editor and program files, and the `to` and `listing` statements.
#include <cstring>
#include <vector>

#include "interp/calls.h"
#include "interp/errors.h"
#include "interp/executor.h"
#include "interp/texts.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"
#include "values/values.h"

namespace zamiro {
namespace {

struct SavedReader {
  const std::vector<std::string>* source;
  LexState lex;
  TokenState tok;
};

SavedReader SaveReader(const InterpreterContext& c) {
  return {c.curSource, c.lex, c.tok};
}
void RestoreReader(InterpreterContext& c, const SavedReader& s) {
  c.curSource = s.source;
  c.lex = s.lex;
  c.tok = s.tok;
}

void Rewind(InterpreterContext& c, const std::vector<std::string>& lines) {
  c.curSource = &lines;
  c.lex.lineLoaded = false;
  c.lex.lineNo = 0;
}

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& ch : u) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  }
  return u;
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

bool IsHeader(const std::string& line) {
  std::string u = Upper(line);
  return Contains(u, "TO") || Contains(u, T().wordTo);
}

bool IsEndLine(const std::string& line) {
  std::string u = Upper(line);
  return Contains(u, "END") || Contains(u, T().wordEnd);
}

// Names that do not fit their fields are refused with a message; nothing is cut silently.
bool NamesFit(InterpreterContext& c, const std::string& name,
              const std::vector<std::string>& longParams) {
  if (name.size() > static_cast<size_t>(kProcNameSize - 1)) {
    ShowReport(c, Format(T().msgProcNameTooLong.c_str(), name.c_str(), kProcNameSize - 1),
               T().capSkip);
    return false;
  }
  for (const std::string& p : longParams) {
    ShowReport(c, Format(T().msgParamTooLong.c_str(), name.c_str(), p.c_str(), kVarNameSize - 1),
               T().capSkip);
    return false;
  }
  return true;
}

std::vector<TParamNode> CollectParamsChecked(InterpreterContext& c,
                                             const std::vector<std::string>& defLines,
                                             std::vector<std::string>* tooLong) {
  SavedReader saved = SaveReader(c);
  Rewind(c, defLines);
  std::vector<TParamNode> params;
  ReadChar(c);
  NextToken(c);
  NextToken(c);
  NextToken(c);
  while (c.tok.tokKind == tkColon) {
    NextToken(c);
    TParamNode p;
    if (std::strlen(c.tok.tokText) > static_cast<size_t>(kVarNameSize - 1)) {
      if (tooLong) tooLong->push_back(c.tok.tokText);
    } else {
      std::strcpy(p.name, c.tok.tokText);
    }
    p.key = InternName(c, p.name);
    params.push_back(p);
    NextToken(c);
  }
  RestoreReader(c, saved);
  return params;
}

template <typename Visit>
void InOrder(TProcNode* root, Visit visit) {
  // Iterative: a tree built from names in order is a long chain.
  std::vector<TProcNode*> stack;
  TProcNode* node = root;
  while (node != nullptr || !stack.empty()) {
    while (node != nullptr) {
      stack.push_back(node);
      node = node->left;
    }
    node = stack.back();
    stack.pop_back();
    visit(*node);
    node = node->right;
  }
}

}  // namespace

TProcNode* FindProc(InterpreterContext& c, const char* name) {
  TProcNode* node = c.procRoot;
  while (node != nullptr) {
    int r = CompareNoCase(name, node->name);
    if (r == 0) return node;
    node = r < 0 ? node->left : node->right;
  }
  return nullptr;
}

TProcNode* FindTokenProc(InterpreterContext& c) {
  const CachedToken* k = c.tok.origin;
  if (k != nullptr && k->proc != nullptr) return k->proc;
  TProcNode* node = FindProc(c, c.tok.tokText);
  if (k != nullptr) k->proc = node;
  return node;
}

std::vector<TParamNode> CollectParams(InterpreterContext& c,
                                      const std::vector<std::string>& defLines) {
  return CollectParamsChecked(c, defLines, nullptr);
}

bool ScanTailCall(InterpreterContext& c, const std::vector<std::string>& defLines) {
  SavedReader saved = SaveReader(c);
  Rewind(c, defLines);
  ReadChar(c);
  NextToken(c);
  NextToken(c);
  char name[kTokTextSize];
  std::strcpy(name, c.tok.tokText);
  NextToken(c);
  if (c.tok.tokKind == tkEol) {
    ReadChar(c);
    NextToken(c);
  }
  auto lineCount = static_cast<int32_t>(defLines.size());
  bool result = false;
  for (;;) {
    if (CompareNoCase(c.tok.tokText, name) == 0) {
      // The self-reference: the mark is set when the next line is the end line.
      if (c.lex.lineNo >= lineCount) break;
      if (Contains(Upper(c.lex.line->text.c_str()), "END")) break;
      result = Contains(Upper(defLines[static_cast<size_t>(c.lex.lineNo)]), "END");
      break;
    }
    if (TokenIsEnd(c)) break;
    if (lineCount > c.lex.lineNo) {
      if (c.tok.tokKind == tkEol) ReadChar(c);
      NextToken(c);
      continue;
    }
    std::string last = Upper(c.lex.line->text.c_str());
    result = Contains(last, "END") && Contains(last, name);
    break;
  }
  RestoreReader(c, saved);
  return result;
}

void DefineProc(InterpreterContext& c, const char* name, const std::vector<std::string>& defLines) {
  // The mark first, then the parameters: the tokenizer's reports come in that order.
  bool tail = ScanTailCall(c, defLines);
  std::vector<std::string> tooLong;
  std::vector<TParamNode> params = CollectParamsChecked(c, defLines, &tooLong);
  if (!NamesFit(c, name, tooLong)) return;
  std::lock_guard<std::mutex> lock(c.procTreeMutex);
  TProcNode* parent = nullptr;
  TProcNode* node = c.procRoot;
  int r = 0;
  while (node != nullptr) {
    r = CompareNoCase(name, node->name);
    if (r == 0) {
      node->body = defLines;
      node->tailCall = tail;
      node->params = std::move(params);
      return;
    }
    parent = node;
    node = r < 0 ? node->left : node->right;
  }
  TProcNode& fresh = c.procNodes.emplace_back();
  std::strcpy(fresh.name, name);
  fresh.body = defLines;
  fresh.tailCall = tail;
  fresh.params = std::move(params);
  if (parent == nullptr) {
    c.procRoot = &fresh;
  } else if (r < 0) {
    parent->left = &fresh;
  } else {
    parent->right = &fresh;
  }
}

std::string HeaderName(const std::string& line) {
  std::string u = Upper(line);
  size_t pos = u.find("TO");
  if (pos != std::string::npos) {
    pos += 2;
  } else {
    pos = u.find(T().wordTo);
    if (pos == std::string::npos) return "";
    pos += T().wordTo.size();
  }
  const std::string& wide = T().wideSpace;
  while (pos + 1 < u.size() && u.compare(pos, 2, wide) == 0) pos += 2;
  while (pos < u.size() && u[pos] == ' ') ++pos;
  std::string name;
  while (pos < u.size()) {
    char ch = u[pos];
    if (ch == ' ' || ch == '\n' || ch == '\0') break;
    if (pos + 1 < u.size() && u.compare(pos, 2, wide) == 0) break;
    if (IsSjisLead(static_cast<unsigned char>(ch)) && pos + 1 < u.size()) {
      name.append(u, pos, 2);
      pos += 2;
    } else {
      name.push_back(ch);
      pos += 1;
    }
  }
  return name;
}

bool ScanDefinitions(InterpreterContext& c, const std::vector<std::string>& lines) {
  std::vector<std::string> defLines;
  size_t i = 0;
  while (i < lines.size()) {
    defLines.clear();
    while (i < lines.size() && !IsHeader(lines[i])) ++i;
    if (i >= lines.size()) break;
    const std::string header = lines[i];
    bool ended = false;
    while (i < lines.size()) {
      defLines.push_back(lines[i]);
      ++i;
      if (IsEndLine(defLines.back())) {
        ended = true;
        break;
      }
    }
    if (!ended) {
      ShowReport(c, Format(T().msgNoEnd.c_str(), header.c_str()), T().capSkip);
      return false;
    }
    c.loadingDefinitions = true;
    DefineProc(c, HeaderName(defLines.front()).c_str(), defLines);
    c.loadingDefinitions = false;
  }
  return true;
}

void ToStatement(InterpreterContext& c, bool japanese) {
  // The statement's text from its keyword on, for a host that takes the editor text from it.
  int32_t keywordStart = c.lex.column - 1 - static_cast<int32_t>(std::strlen(c.tok.tokText));
  if (keywordStart < 0) keywordStart = 0;
  EditRequest request;
  if (keywordStart <= c.lex.lineLen) {
    request.statementRest.assign(c.lex.line->text.data() + keywordStart,
                                 static_cast<size_t>(c.lex.lineLen - keywordStart));
  }
  NextToken(c);
  if (TProcNode* node = FindProc(c, c.tok.tokText)) {
    request.lines = node->body;
  } else {
    request.lines.push_back((japanese ? T().wordTo + " " : std::string("TO ")) + c.tok.tokText);
  }
  bool dropRest = false;
  for (;;) {
    EditResult result = c.host.EditProcedure(request);
    dropRest = dropRest || result.dropRestOfLine;
    if (!result.accepted) break;
    if (ScanDefinitions(c, result.lines)) break;
    request.retry = true;
    request.lines = std::move(result.lines);
  }
  if (dropRest) {
    c.lex.column = c.lex.lineLen;
    ReadChar(c);
  }
  NextToken(c);
}

void ListProcs(InterpreterContext& c, const TProcNode* node) {
  std::vector<std::string> names;
  InOrder(const_cast<TProcNode*>(node), [&](TProcNode& n) { names.emplace_back(n.name); });
  for (const std::string& name : names) c.host.AppendOutputLine(name);
}

std::vector<std::string> ProgramLines(InterpreterContext& c) {
  std::lock_guard<std::mutex> lock(c.procTreeMutex);
  std::vector<std::string> lines;
  InOrder(c.procRoot,
          [&](TProcNode& n) { lines.insert(lines.end(), n.body.begin(), n.body.end()); });
  return lines;
}

}  // namespace zamiro
