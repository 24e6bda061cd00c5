#include "platform/desktop/X11Properties_x11.h"

#include <X11/Xatom.h>

#include <algorithm>

namespace platform {
namespace {
constexpr long kMaxPropertyLongs = 1024;
} // namespace

Atom AtomNamed(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

std::vector<long> ReadLongs(Display* display, Window window, const char* property, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, bytesAfter = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, AtomNamed(display, property), 0, kMaxPropertyLongs,
                           False, type, &actualType, &format, &count, &bytesAfter,
                           &data) == Success &&
        data && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* items = reinterpret_cast<const long*>(data);
        values.assign(items, items + count);
    }
    if (data)
        XFree(data);
    return values;
}

// A window manager that follows EWMH names a check window of its own on the root
// window, and the check window names itself; a stale name left by a manager that has
// gone fails the second test.
bool WindowManagerRuns(Display* display) {
    const Window root = DefaultRootWindow(display);
    const std::vector<long> check = ReadLongs(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty() || check.front() == 0)
        return false;
    const std::vector<long> self = ReadLongs(display, static_cast<Window>(check.front()),
                                             "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !self.empty() && self.front() == check.front();
}

bool WindowManagerSupports(Display* display, const char* atom) {
    if (!WindowManagerRuns(display))
        return false;
    const std::vector<long> supported =
        ReadLongs(display, DefaultRootWindow(display), "_NET_SUPPORTED", XA_ATOM);
    return std::find(supported.begin(), supported.end(),
                     static_cast<long>(AtomNamed(display, atom))) != supported.end();
}

void SendToWindowManager(Display* display, Window window, const char* message,
                         const std::array<long, 5>& data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = AtomNamed(display, message);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

} // namespace platform
