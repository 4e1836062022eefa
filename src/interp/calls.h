// The procedure tree, definitions and calls.
#pragma once

#include <string>
#include <vector>

#include "interp/context.h"

namespace zamiro {

TProcNode* FindProc(InterpreterContext& c, const char* name);
// FindProc for the current token, remembered by a cached token.
TProcNode* FindTokenProc(InterpreterContext& c);
// Defines or redefines `name` from defLines.
void DefineProc(InterpreterContext& c, const char* name, const std::vector<std::string>& defLines);
bool ScanTailCall(InterpreterContext& c, const std::vector<std::string>& defLines);
std::vector<TParamNode> CollectParams(InterpreterContext& c,
                                      const std::vector<std::string>& defLines);
// Defines every block of `lines`. Returns false when a block had no END (reported).
bool ScanDefinitions(InterpreterContext& c, const std::vector<std::string>& lines);
// The name of a header line, upper-cased.
std::string HeaderName(const std::string& line);

// CallProc and OpStatement return the statement's result (srNormal), so that the executor can
// leave its frame before they run: they nest calls.
int CallProc(InterpreterContext& c, TProcNode& node);
Complex CallFunction(InterpreterContext& c, TProcNode& node);
void LocalStatement(InterpreterContext& c);
int OpStatement(InterpreterContext& c);
// Passes over tokens up to the word end, as stop and op do.
void SkipToEnd(InterpreterContext& c);

// Every procedure's lines in tree order: the content of a saved program file.
std::vector<std::string> ProgramLines(InterpreterContext& c);

}  // namespace zamiro
