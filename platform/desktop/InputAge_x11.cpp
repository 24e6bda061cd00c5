#include "platform/desktop/InputAge_x11.h"

#include <chrono>

#include <X11/Xatom.h>

namespace platform {
namespace {

// Milliseconds of a steady clock, wrapping as the server's 32-bit time does; differences
// are taken as signed 32-bit values, which stay right across the wrap.
std::uint32_t OurNow() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::int32_t Later(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b);
}

Bool IsPropertyChangeOf(Display*, XEvent* event, XPointer window) {
    return event->type == PropertyNotify &&
           event->xproperty.window == *reinterpret_cast<Window*>(window);
}

} // namespace

TInputAge::TInputAge(Display* display) : FDisplay(display) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    FWindow = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent,
                            InputOnly, CopyFromParent, CWEventMask, &attributes);
    FProperty = XInternAtom(display, "_TARSEL_RULER_TIME", False);
}

TInputAge::~TInputAge() {
    XDestroyWindow(FDisplay, FWindow);
    XFlush(FDisplay);
}

void TInputAge::BatchRead() {
    FReadAt = OurNow();
    FServerAtRead.reset();
}

bool TInputAge::IsStale(Time eventTime) {
    const auto made = static_cast<std::uint32_t>(eventTime);
    const std::uint32_t offset = FReadAt - made;
    if (!FOffset || Later(*FOffset, offset) > 0) {
        FOffset = offset;
        return false;
    }
    if (Later(offset, *FOffset) <= kStaleAfterMs)
        return false;
    if (!FServerAtRead) {
        // Asked after the batch was read: later by a round trip at most.
        const std::optional<std::uint32_t> server = ServerNow();
        if (!server)
            return false;
        FServerAtRead = server;
        FOffset = OurNow() - *server;
    }
    return Later(*FServerAtRead, made) > kStaleAfterMs;
}

// A property change of zero bytes: the server stamps its notice with its time. The notice
// comes before the answer to the sync; none comes on a connection that has broken.
std::optional<std::uint32_t> TInputAge::ServerNow() {
    XChangeProperty(FDisplay, FWindow, FProperty, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XSync(FDisplay, False);
    XEvent notice;
    if (!XCheckIfEvent(FDisplay, &notice, &IsPropertyChangeOf,
                       reinterpret_cast<XPointer>(&FWindow)))
        return std::nullopt;
    return static_cast<std::uint32_t>(notice.xproperty.time);
}

} // namespace platform
