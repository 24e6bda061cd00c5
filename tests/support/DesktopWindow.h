#pragma once
// The desktop behind the program in a display test: one plain frameless window of a
// known colour over the primary screen, shown on the screen before the program starts so
// that the program's window is stacked above it.

#include <QColor>
#include <QWidget>

class TDesktopWindow : public QWidget {
public:
    explicit TDesktopWindow(const QColor& colour);
};
