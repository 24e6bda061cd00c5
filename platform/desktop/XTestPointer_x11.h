#pragma once
// The core pointer driven through XTest from the mouse watch's own connection: moves and
// button events that every client receives as input, unlike a warp. The events our
// requests make come back to the watch as raw events of the XTest device; IsOwn() tells
// them from XTest input of other programs. For use inside platform/ only.

#include <QPoint>
#include <deque>

#include <X11/Xlib.h>

namespace platform {

class TXTestPointer {
public:
    explicit TXTestPointer(Display* display) : FDisplay(display) {}

    // Whether the server offers XTest at all.
    static bool IsAvailable(Display* display);

    // Queued, not flushed: the caller flushes once it has said all it has to say.
    void MoveTo(QPoint screenPos);
    // A physical button number, as the device whose button it passes on reported it:
    // the same button mapping then applies.
    void Button(unsigned int button, bool press);

    // Whether an XTest raw event with this serial is one our requests made. The server
    // carries XTest input out while it handles the request, so the events carry that
    // request's serial. Serials come in order; each of ours matches once.
    bool IsOwn(unsigned long serial);

private:
    Display* FDisplay;
    std::deque<unsigned long> FRequests; // serials of our requests not yet seen again
};

} // namespace platform
