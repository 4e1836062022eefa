// Reporting errors in the user's program.
#pragma once

#include <string>

namespace zamiro {

struct InterpreterContext;

// printf into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Shows a positioned message (format filled with the source name, line, column and the current
// token's text) once, then returns control to the top-level loop.
[[noreturn]] void ReportErrorAndAbort(InterpreterContext& c, const std::string& format,
                                      const std::string& caption);
// The same with a text already built.
[[noreturn]] void AbortWithText(InterpreterContext& c, const std::string& text,
                                const std::string& caption);
// A message that does not end the statement: shown every time, then execution goes on.
void ShowReport(InterpreterContext& c, const std::string& text, const std::string& caption);

}  // namespace zamiro
