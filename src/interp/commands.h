// The statements of the language in the order of the dispatch table.
#pragma once

namespace zamiro {

enum Command {
  cmdNone = 0,
  cmdFd, cmdBk, cmdRt, cmdLt, cmdMake, cmdPut, cmdRepeat, cmdWhile, cmdDo, cmdFor, cmdIf,
  cmdBreak, cmdContinue, cmdRandomize, cmdTo, cmdLocal, cmdSleep, cmdStop, cmdHt, cmdSt,
  cmdSetpc, cmdSetpw, cmdLine, cmdRectangle, cmdFillrect, cmdPolyline, cmdPolygon,
  cmdFillellipse, cmdEllipse, cmdSetbc, cmdSetbs, cmdPu, cmdPd, cmdHome, cmdSetx, cmdSety,
  cmdSetxy, cmdSeth, cmdPrint, cmdCs, cmdListing, cmdOp,
};

struct KeywordRow {
  const char* english;
  const char* japanese;  // UTF-8 here; compared in code page 932
  int command;
};

// clang-format off
inline constexpr KeywordRow kKeywordRows[] = {
    {"fd", "まえへ", cmdFd},           {"bk", "うしろへ", cmdBk},
    {"rt", "みぎへ", cmdRt},           {"lt", "ひだりへ", cmdLt},
    {"make", "へんすうは", cmdMake},   {"put", nullptr, cmdPut},
    {"repeat", "くりかえせ", cmdRepeat}, {"while", nullptr, cmdWhile},
    {"do", nullptr, cmdDo},            {"for", nullptr, cmdFor},
    {"if", "もし", cmdIf},             {"break", nullptr, cmdBreak},
    {"continue", nullptr, cmdContinue}, {"randomize", nullptr, cmdRandomize},
    {"to", "てじゅんは", cmdTo},       {"local", "ローカルは", cmdLocal},
    {"sleep", "ねよ", cmdSleep},       {"stop", "やめよ", cmdStop},
    {"ht", "かくれろ", cmdHt},         {"st", "でてこい", cmdSt},
    {"setpc", "いろは", cmdSetpc},     {"setpw", "はばは", cmdSetpw},
    {"line", nullptr, cmdLine},        {"rectangle", nullptr, cmdRectangle},
    {"fillrect", nullptr, cmdFillrect}, {"polyline", nullptr, cmdPolyline},
    {"polygon", nullptr, cmdPolygon},  {"fillellipse", nullptr, cmdFillellipse},
    {"ellipse", nullptr, cmdEllipse},  {"setbc", nullptr, cmdSetbc},
    {"setbs", nullptr, cmdSetbs},      {"pu", "ペンをあげろ", cmdPu},
    {"pd", "ペンをおろせ", cmdPd},     {"home", "もどれ", cmdHome},
    {"setx", "よこのいちは", cmdSetx}, {"sety", "たてのいちは", cmdSety},
    {"setxy", "いちは", cmdSetxy},     {"seth", "むきは", cmdSeth},
    {"print", "かけ", cmdPrint},       {"cs", "えをけせ", cmdCs},
    {"listing", "しめせ", cmdListing}, {"op", "かえせ", cmdOp},
};
// clang-format on

// The dispatch code of a statement keyword, or cmdNone.
int LookupCommand(const char* text);

}  // namespace zamiro
