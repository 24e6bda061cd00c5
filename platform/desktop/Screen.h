#pragma once
// What the program needs to know about the monitors. The program works in device
// pixels: Qt's own scaling of windows on high-resolution desktops is switched off (see
// UseDevicePixels), so every size here is a count of the screen's pixels, and the
// desktop's resolution setting reaches the program as PixelsPerInch instead.

#include <QRect>

namespace platform {

// The primary monitor's size, origin at its top-left corner.
QSize PrimaryScreenSize();

// The part of the primary monitor that windows may take, in global (desktop)
// coordinates: the monitor less the panels and docks the desktop reserves (the window
// manager's work area); the whole monitor without a window manager.
QRect PrimaryWorkArea();

// The bounding rectangle of all monitors, in global (desktop) coordinates.
// Its top-left is not (0, 0) when a monitor lies left of or above the primary one.
QRect VirtualDesktopRect();

// The desktop's logical resolution: the Xft.dpi setting of the X desktop (what desktop
// settings change for "scaling" or "font DPI"), 96 when it is not set. Lengths on the
// instruments and the sizes of fonts given in points follow it.
int PixelsPerInch();

// Keeps Qt from scaling the program's windows: windows, painting and input are in
// device pixels, whatever the desktop's resolution. Must run before the application
// object is made.
void UseDevicePixels();

} // namespace platform
