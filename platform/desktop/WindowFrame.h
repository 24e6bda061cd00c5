#pragma once
// The frame a window manager puts around a top-level window (title bar and borders),
// known before the window first shows, so that the program can place the whole frame and
// not just the window inside it.

#include "platform/desktop/WindowSystem.h"

#include <QMargins>

namespace platform {

struct TWindowFrame {
    // Pixels the frame adds on each side of the window: none without a window manager,
    // for a window it does not decorate, or when it did not say in time.
    QMargins Extents;
    // How the window manager reads a position asked for the window: as the place of the
    // frame's top-left corner (true: north-west gravity, ICCCM's default) or of the
    // window's own (false: static gravity). Qt chooses one when it creates the window.
    bool PositionIsFrames = true;
};

// What frame the window manager will put around the window. The window must exist in
// the window system (QWidget::winId()) and should not be mapped yet: a window manager
// that offers it (EWMH _NET_REQUEST_FRAME_EXTENTS) is asked and waited for at most
// boundMs.
TWindowFrame FrameOfWindow(TWindowHandle window, int boundMs);

} // namespace platform
