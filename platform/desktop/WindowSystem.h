#pragma once
// Activation and stacking of top-level windows, for windows of this program or any
// other. A window is named by its window-system id (QWidget::winId()).
//
// With a window manager the requests go to it (it decides, and may refuse); without
// one the program stacks and focuses the window itself.

#include <cstdint>

namespace platform {

using TWindowHandle = std::uintptr_t;

// Restores the window when it is minimised, raises it and gives it the keyboard
// focus, asking the window manager to do so as a direct user action so that its
// focus-stealing prevention lets it through. Returns whether the window is the active
// window afterwards (a window manager gets a short while to carry the request out).
bool ForceForegroundWindow(TWindowHandle window);

// The same requests as ForceForegroundWindow without waiting for a window manager to
// carry them out (or refuse them): for callers that do not need the answer.
void RequestForegroundWindow(TWindowHandle window);

// Keeps the window above all normal windows and raises it to the top of them, or lets it
// go back among them. The window is neither moved, resized nor activated.
void SetStayOnTop(TWindowHandle window, bool onTop);

} // namespace platform
