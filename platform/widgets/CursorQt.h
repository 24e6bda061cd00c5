#pragma once
// For the window layer: the Qt cursor that a cursor number stands for.

#include "platform/widgets/Cursor.h"

#include <QCursor>

namespace platform {

// A custom cursor from the screen's table, or one of the class library's standard cursors
// (crDefault 0, crArrow -2, crCross -3, crIBeam -4, crSizeNESW -6, crSizeNS -7,
// crSizeNWSE -8, crSizeWE -9, crUpArrow -10, crHourGlass -11, crNo -18, crAppStart -19,
// crHelp -20, crHandPoint -21, crSizeAll -22, crNone -1). Any other number gives the arrow.
QCursor QtCursorForNumber(std::int16_t number);

} // namespace platform
