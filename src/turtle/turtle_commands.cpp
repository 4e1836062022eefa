// Dispatch of the graphics statements.
#include "turtle/turtle_commands.h"

#include "interp/commands.h"
#include "interp/executor.h"

namespace zamiro {
namespace {

using Handler = void (*)(InterpreterContext&);

struct TurtleRow {
  int command;
  Handler handler;
};

// clang-format off
constexpr TurtleRow kTurtleRows[] = {
    {cmdFd, [](InterpreterContext& c) { ForwardStatement(c, false); }},
    {cmdBk, [](InterpreterContext& c) { ForwardStatement(c, true); }},
    {cmdRt, [](InterpreterContext& c) { TurnStatement(c, false); }},
    {cmdLt, [](InterpreterContext& c) { TurnStatement(c, true); }},
    {cmdSeth, SetHeadingStatement},
    {cmdSetx, SetXStatement},
    {cmdSety, SetYStatement},
    {cmdSetxy, SetXYStatement},
    {cmdHome, HomeStatement},
    {cmdCs, ClearScreenStatement},
    {cmdHt, HideTurtleStatement},
    {cmdSt, ShowTurtleStatement},
    {cmdPu, [](InterpreterContext& c) { PenStatement(c, true); }},
    {cmdPd, [](InterpreterContext& c) { PenStatement(c, false); }},
    {cmdSetpc, SetPenColourStatement},
    {cmdSetpw, SetPenWidthStatement},
    {cmdSetbc, SetBrushColourStatement},
    {cmdSetbs, SetBrushStyleStatement},
    {cmdLine, [](InterpreterContext& c) { ShapeStatement(c, Shape::kLine); }},
    {cmdRectangle, [](InterpreterContext& c) { ShapeStatement(c, Shape::kRectangle); }},
    {cmdFillrect, [](InterpreterContext& c) { ShapeStatement(c, Shape::kFillRect); }},
    {cmdEllipse, [](InterpreterContext& c) { ShapeStatement(c, Shape::kEllipse); }},
    {cmdFillellipse, [](InterpreterContext& c) { ShapeStatement(c, Shape::kFillEllipse); }},
    {cmdPut, PutStatement},
    {cmdPolyline, [](InterpreterContext& c) { PolyStatement(c, false); }},
    {cmdPolygon, [](InterpreterContext& c) { PolyStatement(c, true); }},
};
// clang-format on

}  // namespace

bool ExecuteTurtleCommand(InterpreterContext& c, int command) {
  for (const TurtleRow& row : kTurtleRows) {
    if (row.command == command) {
      row.handler(c);
      return true;
    }
  }
  return false;
}

}  // namespace zamiro
