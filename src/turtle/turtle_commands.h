// The graphics statements, each called with its keyword as the current token and leaving the
// current token on the first token after the statement.
#pragma once

#include "interp/context.h"

namespace zamiro {

// Motion and pen.
void ForwardStatement(InterpreterContext& c, bool back);
void TurnStatement(InterpreterContext& c, bool left);
void SetHeadingStatement(InterpreterContext& c);
void SetXStatement(InterpreterContext& c);
void SetYStatement(InterpreterContext& c);
void SetXYStatement(InterpreterContext& c);
void HomeStatement(InterpreterContext& c);
void ClearScreenStatement(InterpreterContext& c);
void HideTurtleStatement(InterpreterContext& c);
void ShowTurtleStatement(InterpreterContext& c);
void PenStatement(InterpreterContext& c, bool up);

// Colours, width and figures.
void SetPenColourStatement(InterpreterContext& c);
void SetPenWidthStatement(InterpreterContext& c);
void SetBrushColourStatement(InterpreterContext& c);
void SetBrushStyleStatement(InterpreterContext& c);
enum class Shape { kLine, kRectangle, kFillRect, kEllipse, kFillEllipse };
void ShapeStatement(InterpreterContext& c, Shape shape);
void PutStatement(InterpreterContext& c);
void PolyStatement(InterpreterContext& c, bool polygon);

}  // namespace zamiro
