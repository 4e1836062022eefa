// Variables and arrays: named, growable arrays of complex numbers.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "interp/errors.h"
#include "interp/texts.h"
#include "lexer/lexer.h"
#include "lexer/lines.h"
#include "values/values.h"

namespace zamiro {
namespace {

template <typename List>
List* FindIn(List* node, const char* name) {
  int first = FoldByte(name[0]);  // most names differ in their first byte
  for (; node != nullptr; node = node->next.get()) {
    if (FoldByte(node->name[0]) == first && CompareNoCase(node->name, name) == 0) return node;
  }
  return nullptr;
}

std::unique_ptr<TVarList> NewRecord(InterpreterContext& c, const char* name) {
  auto rec = std::make_unique<TVarList>();
  rec->name = InternName(c, name);
  return rec;
}

// Released records of one element are kept for the next call's parameters: calls make and
// release them all the time.
constexpr size_t kSpareRecords = 64;

// The memory the system can still give without swapping, from /proc/meminfo; unknown: none
// is assumed to be missing.
size_t AvailableBytes() {
  std::FILE* f = std::fopen("/proc/meminfo", "r");
  if (f == nullptr) return SIZE_MAX;
  char line[128];
  size_t kb = SIZE_MAX / 1024;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    unsigned long long value = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &value) == 1) {
      kb = static_cast<size_t>(value);
      break;
    }
  }
  std::fclose(f);
  return kb * 1024;
}

// Growing an array by a large step first asks whether the memory is there: where the system
// promises memory it does not have, running out ends the process instead of failing the
// allocation, and a message is better than that.
bool GrowthFits(size_t oldCount, size_t newCount) {
  constexpr size_t kCheckedStep = size_t{1} << 20;  // elements
  if (newCount <= oldCount || newCount - oldCount < kCheckedStep) return true;
  size_t bytes = (newCount - oldCount) * sizeof(Complex);
  return bytes <= AvailableBytes() / 2;
}

void Resize(InterpreterContext& c, TVarList& v, size_t count) {
  if (!GrowthFits(v.values.size(), count)) ReportErrorAndAbort(c, T().msgNoMemory, T().capError);
  try {
    v.values.resize(count);
  } catch (const std::bad_alloc&) {
    ReportErrorAndAbort(c, T().msgNoMemory, T().capError);
  }
}

}  // namespace

TVarList* FindLocal(InterpreterContext& c, const char* name) {
  return FindIn(c.localVars.get(), name);
}

TGlobalVarList* FindGlobal(InterpreterContext& c, const char* name) {
  return FindIn(c.globalVars.get(), name);
}

TVarList* FindVariable(InterpreterContext& c, const char* name) {
  TVarList* v = FindIn(c.localVars.get(), name);
  return v != nullptr ? v : FindIn(c.globalVars.get(), name);
}

namespace {

// A record's name is its key, so a key is found by its address.
TVarList* FindKey(TVarList* node, const char* key) {
  for (; node != nullptr; node = node->next.get()) {
    if (node->name == key) return node;
  }
  return nullptr;
}

}  // namespace

TVarList* FindTokenVariable(InterpreterContext& c) {
  const CachedToken* k = c.tok.origin;
  if (k == nullptr) return FindVariable(c, c.tok.tokText);
  if (k->variableVersion != c.variablesVersion) {
    if (k->nameKey == nullptr) k->nameKey = InternName(c, c.tok.tokText);
    TVarList* v = FindKey(c.localVars.get(), k->nameKey);
    k->variable = v != nullptr ? v : FindKey(c.globalVars.get(), k->nameKey);
    k->variableVersion = c.variablesVersion;
  }
  return k->variable;
}

std::unique_ptr<TVarList> SwapLocalVars(InterpreterContext& c, std::unique_ptr<TVarList> list) {
  c.variablesVersion += 1;
  std::swap(c.localVars, list);
  return list;
}

const char* InternName(InterpreterContext& c, const char* name) {
  // Folded byte by byte as CompareNoCase folds, so that names equal to it share one key.
  std::string key(name);
  for (char& b : key) b = static_cast<char>(FoldByte(b));
  auto found = c.names.find(key);
  if (found == c.names.end()) found = c.names.insert(std::move(key)).first;
  return found->c_str();
}

std::unique_ptr<TVarList> NewLocalRecord(InterpreterContext& c, const char* key, Complex value) {
  std::unique_ptr<TVarList> rec;
  if (c.spareRecords.empty()) {
    rec = std::make_unique<TVarList>();
  } else {
    rec = std::move(c.spareRecords.back());
    c.spareRecords.pop_back();
  }
  rec->name = key;
  rec->values.AssignOne(value);
  return rec;
}

void ReleaseVarList(InterpreterContext& c, std::unique_ptr<TVarList> head) {
  while (head != nullptr) {
    std::unique_ptr<TVarList> rest = std::move(head->next);
    if (c.spareRecords.size() < kSpareRecords && head->values.capacity() == 1) {
      c.spareRecords.push_back(std::move(head));
    }
    head = std::move(rest);
  }
}

TVarList* CreateLocal(InterpreterContext& c, const char* name, Complex value) {
  auto rec = NewLocalRecord(c, InternName(c, name), value);
  rec->next = std::move(c.localVars);
  c.localVars = std::move(rec);
  c.variablesVersion += 1;
  return c.localVars.get();
}

TGlobalVarList* CreateGlobal(InterpreterContext& c, const char* name, Complex value,
                             int32_t index) {
  auto rec = NewRecord(c, name);
  Resize(c, *rec, static_cast<size_t>(index) + 1);
  rec->values[static_cast<size_t>(index)] = value;
  rec->next = std::move(c.globalVars);
  c.globalVars = std::move(rec);
  c.variablesVersion += 1;
  return c.globalVars.get();
}

void StoreElement(InterpreterContext& c, TVarList& v, int32_t index, Complex value) {
  auto i = static_cast<size_t>(static_cast<uint32_t>(index));
  if (i >= v.values.size()) Resize(c, v, i + 1);
  v.values[i] = value;
}

void CopyValues(InterpreterContext& c, TVarList& dst, const TVarList& src) {
  if (!GrowthFits(0, src.values.size())) ReportErrorAndAbort(c, T().msgNoMemory, T().capError);
  try {
    dst.values = src.values;
  } catch (const std::bad_alloc&) {
    ReportErrorAndAbort(c, T().msgNoMemory, T().capError);
  }
}

bool ToInt32(double v, int32_t* out) {
  double t = std::trunc(v);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return false;  // also NaN
  *out = static_cast<int32_t>(t);
  return true;
}

bool ToIndex(Complex v, int32_t* out) {
  return ToInt32(v.re, out);
}

void RefuseLongVarName(InterpreterContext& c, const char* name, int limit) {
  if (std::strlen(name) > static_cast<size_t>(limit)) {
    AbortWithText(c,
                  Format(T().msgVarNameTooLong.c_str(), c.sourceName, c.lex.lineNo, c.lex.column,
                         name, limit),
                  T().capIgnore);
  }
}

int32_t CheckedStoreIndex(InterpreterContext& c, Complex v, const char* name) {
  int32_t index = 0;
  if (!ToIndex(v, &index) || index < 0 || index >= kMaxArrayElements) {
    AbortWithText(c,
                  Format(T().msgBadIndex.c_str(), c.sourceName, c.lex.lineNo, c.lex.column, name,
                         kMaxArrayElements - 1),
                  T().capIgnore);
  }
  return index;
}

Complex ReadVariable(InterpreterContext& c) {
  NextToken(c);
  TVarList* v = FindTokenVariable(c);
  if (v == nullptr) ReportErrorAndAbort(c, T().msgNewVariable, T().capZero);
  // The name and its place, for a subscript; the message is formatted only when it is shown.
  char copy[kTokTextSize];
  const char* name = KeepTokenText(c.tok, copy);
  const int32_t lineNo = c.lex.lineNo;
  const int32_t column = c.lex.column;
  NextToken(c);
  if (c.tok.tokKind != tkLBrace) return v->values[0];
  CheckNesting(c);  // subscripts nest
  NextToken(c);
  Complex index = EvalExpression(c);
  int32_t i = 0;
  // The variable may have been redefined or grown by a function in the subscript.
  v = FindVariable(c, name);
  if (v == nullptr || !ToIndex(index, &i) || static_cast<uint32_t>(i) >= ElementCount(*v)) {
    std::string prefix = Format(T().msgPrefix.c_str(), c.sourceName, lineNo, column, name);
    AbortWithText(c, prefix + T().msgValueUndefined, T().capZero);
  }
  NextToken(c);
  return v->values[static_cast<uint32_t>(i)];
}

}  // namespace zamiro
