#pragma once
// A scoped trap for the X errors of our own requests that may fail for reasons outside
// our control: a device unplugged between its event and our request to it, a grab the
// server refuses. For use inside platform/ only: it brings in Xlib.
//
// Xlib's error handler is one for the whole process, and Qt's connection (through its
// Xlib display) shares it with ours. The trap takes only the errors of the requests made
// on its own display within its scope, and passes every other error on to the handler it
// replaced, which it puts back at its end. Traps nest; they belong to the GUI thread.

#include <X11/Xlib.h>

namespace platform {

class TX11ErrorTrap {
public:
    explicit TX11ErrorTrap(Display* display);
    // Waits for the server's answer to the requests made in scope, then puts the
    // previous handler back.
    ~TX11ErrorTrap();
    TX11ErrorTrap(const TX11ErrorTrap&) = delete;
    TX11ErrorTrap& operator=(const TX11ErrorTrap&) = delete;

    // Whether a request made so far in the scope failed. Syncs with the server only when
    // a request has not been answered yet (a request with a reply needs no sync).
    bool Failed();

private:
    static int OnError(Display* display, XErrorEvent* error);
    void CatchUp() const;

    Display* FDisplay;
    unsigned long FFirstRequest; // the serial of the first request in scope
    bool FFailed = false;
    TX11ErrorTrap* FOuter;             // the trap around this one, if any
    XErrorHandler FPrevious = nullptr; // replaced by the outermost trap
};

} // namespace platform
