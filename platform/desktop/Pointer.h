#pragma once
// The mouse pointer as the whole desktop sees it, and the two frames its position is
// given in:
//   screen pixels  - the display server's own: origin at the top-left of the whole
//                    desktop, device pixels. The mouse watcher reports these.
//   desktop window - the client frame of a window that covers the virtual desktop
//                    exactly: origin at the virtual desktop's top-left
//                    (VirtualDesktopRect() of Screen.h), Qt's logical pixels.
// On an unscaled desktop whose top-left monitor starts at (0, 0) the two agree.

#include <QPoint>
#include <QRect>
#include <vector>

namespace platform {

// The pointer's position in screen pixels.
QPoint CursorPos();
// Moves the pointer to a position in screen pixels; the mouse watch goes on from there.
void SetCursorPos(QPoint screenPos);
// Whether the (logical) left button is held right now, wherever the pointer is.
bool IsLeftButtonDown();

// One monitor for the translation: its rectangle in Qt's logical pixels (whose
// top-left Qt keeps equal to the monitor's top-left in screen pixels) and its scale.
struct TScreenArea {
    QRect logicalGeometry;
    double devicePixelRatio = 1.0;
};

// The translations between the two frames for a given monitor layout. Points off every
// monitor are translated with the nearest monitor's scale. Results are rounded to the
// nearest pixel.
QPoint ScreenToDesktopWindow(QPoint screenPos, const std::vector<TScreenArea>& screens,
                             QPoint virtualDesktopTopLeft);
QPoint DesktopWindowToScreen(QPoint windowPos, const std::vector<TScreenArea>& screens,
                             QPoint virtualDesktopTopLeft);

// The same for the monitors the program runs on now.
QPoint ScreenToDesktopWindow(QPoint screenPos);
QPoint DesktopWindowToScreen(QPoint windowPos);

} // namespace platform
