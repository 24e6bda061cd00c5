#pragma once
// Drives the X display's real pointer and keyboard through xdotool (XTest), the way a
// person would: the events reach whichever window is under the pointer or has focus.

#include <QPoint>
#include <QStringList>

namespace xdo {

// Runs xdotool with the arguments; true when it exited with 0.
bool Run(const QStringList& arguments);
// Its standard output, trimmed; empty when it failed.
QString Output(const QStringList& arguments);

void MoveTo(QPoint screen);
void Click(QPoint screen, int button = 1);
void Press(int button = 1);
void Release(int button = 1);
// Presses the left button at from, moves to to in a few steps, releases there.
void Drag(QPoint from, QPoint to, int steps = 8);
// Keys by their X names: "Escape", "Left", "shift+Right", "ctrl+Down", "Return".
void Key(const QString& keys);
QPoint PointerPos();

} // namespace xdo
