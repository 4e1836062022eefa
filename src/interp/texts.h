// The program's own Japanese texts (keywords, messages, captions) in code page 932.
// They are written in UTF-8 in the source and converted once, at first use.
#pragma once

#include <string>

namespace zamiro {

struct Texts {
  // Captions.
  std::string capIgnore;       // エラー 無視します
  std::string capIgnoreTight;  // エラー無視します (the tokenizer's full-width report)
  std::string capZero;         // エラー 値は０とします
  std::string capDivZero;      // エラー ０でのわり算
  std::string capError;        // エラー
  std::string capSkip;         // 無視します

  // Messages; the first three placeholders are source name, line and column.
  std::string msgNewProcedure;
  std::string msgNotProcedure;
  std::string msgArrayNeeded;
  std::string msgNewArray;
  std::string msgNoRParen;
  std::string msgPrefix;          // "%s の %d 行 %d 列の %s は"
  std::string msgValueUndefined;  // the rest after msgPrefix
  std::string msgNewVariable;
  std::string msgQuoteNotColon;
  std::string msgNewFunction;
  std::string msgDivZero;
  std::string msgBangWide;
  std::string msgBangWideChar;
  std::string msgBangAscii;
  std::string msgUnusable;
  std::string msgNoEnd;
  std::string msgLineTooLong;
  std::string msgNameTooLong;
  std::string msgNumberTooLong;
  std::string msgVarNameTooLong;
  std::string msgBadIndex;
  std::string msgNoMemory;
  std::string msgIntRange;
  std::string msgTooDeep;
  std::string msgPastEnd;
  std::string msgProcNameTooLong;
  std::string msgParamTooLong;
  std::string msgCountOutOfRange;  // polyline and polygon: the count, then the array's size

  // Words.
  std::string wordEnd;  // おわり
  std::string wordTo;   // てじゅんは
  std::string wideSpace;
  std::string colourNames[16];  // the pen colours by name, in the order of the colour numbers
};

const Texts& T();

}  // namespace zamiro
