// Conversion between code page 932 (Shift-JIS) and UTF-8, used only at the edges of the program.
#pragma once

#include <string>
#include <string_view>

namespace zamiro {

// The byte a character that code page 932 cannot hold becomes on the way in. The tokenizer
// reports it as an unusable character, so nothing is dropped silently.
constexpr char kUnmappableByte = '?';

bool IsValidUtf8(std::string_view s);
bool IsLeadByte(unsigned char b);
// UTF-8 to code page 932; characters it cannot hold become kUnmappableByte.
std::string Utf8ToCp932(std::string_view utf8);
// Code page 932 to UTF-8; bytes that form no character become U+FFFD.
std::string Cp932ToUtf8(std::string_view sjis);
// A UTF-8 literal of the program's own (keywords, messages) in code page 932.
std::string Sjis(std::string_view utf8);

}  // namespace zamiro
