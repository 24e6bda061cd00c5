#pragma once
// What the program needs to know about the monitors: sizes in device-independent
// pixels (what Qt calls logical pixels) and the logical resolution.

#include <QRect>

namespace platform {

// The primary monitor's size, origin at its top-left corner.
QSize PrimaryScreenSize();

// The bounding rectangle of all monitors, in global (desktop) coordinates.
// Its top-left is not (0, 0) when a monitor lies left of or above the primary one.
QRect VirtualDesktopRect();

// Logical pixels per inch of the primary monitor (96 on an unscaled desktop).
int PixelsPerInch();

} // namespace platform
