// Variables, the expression evaluator, the built-in functions and number formats.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "interp/context.h"
#include "values/complex.h"

namespace zamiro {

// Variables.
TVarList* FindLocal(InterpreterContext& c, const char* name);
TGlobalVarList* FindGlobal(InterpreterContext& c, const char* name);
TVarList* FindVariable(InterpreterContext& c, const char* name);
// FindVariable of the current token's text, remembered with the token until the variables change.
TVarList* FindTokenVariable(InterpreterContext& c);
// Makes `list` the local variables and returns the list it replaces.
std::unique_ptr<TVarList> SwapLocalVars(InterpreterContext& c, std::unique_ptr<TVarList> list);
TVarList* CreateLocal(InterpreterContext& c, const char* name, Complex value);
TGlobalVarList* CreateGlobal(InterpreterContext& c, const char* name, Complex value, int32_t index);
inline uint32_t ElementCount(const TVarList& v) {
  return static_cast<uint32_t>(v.values.size());
}
inline Complex& ElementAt(TVarList& v, uint32_t index) {
  return v.values[index];
}
void StoreElement(InterpreterContext& c, TVarList& v, int32_t index, Complex value);
void CopyValues(InterpreterContext& c, TVarList& dst, const TVarList& src);
// A record for a parameter or a local variable holding one element.
// The name as kept in the context, for as long as the interpreter lives, folded as
// CompareNoCase folds: it is the key of every variable of that name.
const char* InternName(InterpreterContext& c, const char* name);
// A record for a local variable; `key` is a name from InternName.
std::unique_ptr<TVarList> NewLocalRecord(InterpreterContext& c, const char* key, Complex value);
// Releases a list of locals, keeping records for NewLocalRecord.
void ReleaseVarList(InterpreterContext& c, std::unique_ptr<TVarList> head);
// Truncates toward zero to a 32-bit integer; false when the value has no such integer.
bool ToInt32(double v, int32_t* out);
// The index of a subscript: the real part truncated toward zero; false when out of range.
bool ToIndex(Complex v, int32_t* out);
// Refuses a variable name that does not fit its field (limit in bytes).
void RefuseLongVarName(InterpreterContext& c, const char* name, int limit);
inline void CheckVarName(InterpreterContext& c, const char* name, int limit) {
  if (std::strlen(name) > static_cast<size_t>(limit)) RefuseLongVarName(c, name, limit);
}
// The same for the current token, whose length a cached token already knows.
inline void CheckTokenVarName(InterpreterContext& c, int limit) {
  const CachedToken* k = c.tok.origin;
  if (k == nullptr || k->textLen > limit) CheckVarName(c, c.tok.tokText, limit);
}
// An assignment index: refused unless 0 <= index < kMaxArrayElements.
int32_t CheckedStoreIndex(InterpreterContext& c, Complex v, const char* name);
Complex ReadVariable(InterpreterContext& c);

// The evaluator.
Complex EvalExpression(InterpreterContext& c);
Complex EvalPrimary(InterpreterContext& c);

// The number of the built-in function that `text` names, or -1.
int LookupFunction(const char* text);
// The built-in function that the current token names, or -1.
int TokenFunction(const InterpreterContext& c);
// Calls built-in function `function` named by the current token, reading its arguments.
Complex CallBuiltinFunction(InterpreterContext& c, int function);
// Reseeds the generator of rand and random.
void SeedRandom(InterpreterContext& c, uint64_t seed);
void InitRandom(InterpreterContext& c);

// print's formats.
std::string FormatGeneral15(double v);
std::string FormatPrintValue(Complex v);

}  // namespace zamiro
