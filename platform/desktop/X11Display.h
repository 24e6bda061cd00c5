#pragma once
// Qt's own connection to the X server, for the few platform calls that Qt does not
// offer. For use inside platform/ only: it brings in Xlib.

#include <X11/Xlib.h>

namespace platform {

// Qt's Xlib display, or null when the program does not run on Qt's xcb platform
// (Wayland, the offscreen platform of the tests).
Display* QtX11Display();

// A broken connection ends the program's event loops instead of exiting the process
// (see DisplayLoss.h); for every connection the program opens itself.
void EndEventLoopOnLossOf(Display* display);

} // namespace platform
