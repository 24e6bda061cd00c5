// Qt's headers come before Xlib's, whose macros (Status, Bool) clash with them.
#include <QElapsedTimer>
#include <QThread>

#include "platform/desktop/WindowFrame.h"
#include "platform/desktop/X11Display.h"
#include "platform/desktop/X11Properties_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace platform {
namespace {

constexpr unsigned long kAnswerPollMs = 1;
// _NET_FRAME_EXTENTS holds left, right, top, bottom.
constexpr std::size_t kExtentCount = 4;

std::vector<long> ExtentsProperty(Display* display, Window window) {
    return ReadLongs(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
}

// The window manager answers the request by setting the property on the window.
std::vector<long> AskExtents(Display* display, Window window, int boundMs) {
    std::vector<long> extents = ExtentsProperty(display, window);
    if (extents.size() == kExtentCount ||
        !WindowManagerSupports(display, "_NET_REQUEST_FRAME_EXTENTS"))
        return extents;
    SendToWindowManager(display, window, "_NET_REQUEST_FRAME_EXTENTS", {0, 0, 0, 0, 0});
    QElapsedTimer clock;
    clock.start();
    while ((extents = ExtentsProperty(display, window)).size() != kExtentCount &&
           clock.elapsed() < boundMs)
        QThread::msleep(kAnswerPollMs);
    return extents;
}

// ICCCM: without a gravity in the window's size hints, north-west gravity holds.
bool PositionIsFrames(Display* display, Window window) {
    XSizeHints hints{};
    long supplied = 0;
    if (!XGetWMNormalHints(display, window, &hints, &supplied) || !(hints.flags & PWinGravity))
        return true;
    return hints.win_gravity != StaticGravity;
}

} // namespace

TWindowFrame FrameOfWindow(TWindowHandle handle, int boundMs) {
    TWindowFrame frame;
    Display* display = QtX11Display();
    const auto window = static_cast<Window>(handle);
    if (!display || !window)
        return frame;
    frame.PositionIsFrames = PositionIsFrames(display, window);
    const std::vector<long> extents = AskExtents(display, window, boundMs);
    if (extents.size() == kExtentCount)
        frame.Extents = QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]),
                                 static_cast<int>(extents[1]), static_cast<int>(extents[3]));
    return frame;
}

} // namespace platform
