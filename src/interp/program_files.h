// Program files: plain text of procedure definitions in code page 932.
#pragma once

#include <string>
#include <vector>

#include "interp/context.h"

namespace zamiro {

// Splits file bytes into lines (CR LF, LF or CR end a line; a NUL byte ends the text). A UTF-8
// file (with a byte-order mark, or valid UTF-8 holding non-ASCII text) is converted to code
// page 932; anything else is taken byte for byte.
std::vector<std::string> ProgramFileLines(const std::string& bytes);

// Why a file could not be read or written, when the system's errno does not say it.
constexpr int kFileTooLarge = -1;
constexpr int kNotAFile = -2;

// Reads a program file. On failure returns false and sets *reason (the system's description)
// and, when given, *code (an errno value or one of the codes above).
bool ReadProgramFile(const std::string& path, std::vector<std::string>* lines,
                     std::string* reason, int* code = nullptr);
// Writes lines each followed by CR LF. The file is written beside the target and renamed over
// it, so a failure leaves any previous file as it was.
bool WriteProgramFile(const std::string& path, const std::vector<std::string>& lines,
                      std::string* reason, int* code = nullptr);

// Defines every block of a program file's lines; runs on the interpreter thread between
// statements (post it with PostLoad).
void LoadDefinitions(InterpreterContext& c, const std::vector<std::string>& lines);
void PostLoad(InputQueue& queue, std::vector<std::string> lines);

// The largest program file that is read.
constexpr size_t kMaxProgramFileBytes = size_t{64} << 20;

}  // namespace zamiro
