#include "support/FakeWindowManager.h"

#include <algorithm>
#include <poll.h>
#include <stdexcept>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
constexpr int kPollSliceMs = 5;
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
constexpr long kStateToggle = 2;

Atom AtomNamed(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

void SetWindowProperty(Display* display, Window on, const char* property, Window value) {
    XChangeProperty(display, on, AtomNamed(display, property), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

std::vector<long> Atoms(Display* display, Window window, const char* property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> atoms;
    if (XGetWindowProperty(display, window, AtomNamed(display, property), 0, 1024, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data && format == 32)
        atoms.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data)
        XFree(data);
    return atoms;
}
} // namespace

TFakeWindowManager::TFakeWindowManager(bool refuseActivation)
    : FDisplay(XOpenDisplay(nullptr)), FRefuseActivation(refuseActivation) {
    if (!FDisplay)
        throw std::runtime_error("no X display for the window manager");
    const Window root = DefaultRootWindow(FDisplay);
    FCheckWindow = XCreateSimpleWindow(FDisplay, root, -10, -10, 1, 1, 0, 0, 0);
    SetWindowProperty(FDisplay, FCheckWindow, "_NET_SUPPORTING_WM_CHECK", FCheckWindow);
    SetWindowProperty(FDisplay, root, "_NET_SUPPORTING_WM_CHECK", FCheckWindow);
    const long supported[] = {static_cast<long>(AtomNamed(FDisplay, "_NET_ACTIVE_WINDOW")),
                              static_cast<long>(AtomNamed(FDisplay, "_NET_WM_STATE")),
                              static_cast<long>(AtomNamed(FDisplay, "_NET_WM_STATE_ABOVE")),
                              static_cast<long>(AtomNamed(FDisplay, "_NET_RESTACK_WINDOW"))};
    XChangeProperty(FDisplay, root, AtomNamed(FDisplay, "_NET_SUPPORTED"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(supported), 4);
    // Client messages to the root window reach whoever listens to its substructure.
    XSelectInput(FDisplay, root, SubstructureNotifyMask);
    XSync(FDisplay, False);
    FThread = std::thread([this] { Run(); });
}

TFakeWindowManager::~TFakeWindowManager() {
    FStop = true;
    FThread.join();
    const Window root = DefaultRootWindow(FDisplay);
    for (const char* property :
         {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW"})
        XDeleteProperty(FDisplay, root, AtomNamed(FDisplay, property));
    XDestroyWindow(FDisplay, FCheckWindow);
    XCloseDisplay(FDisplay);
}

std::vector<TFakeWindowManager::TRequest> TFakeWindowManager::Requests() const {
    std::lock_guard guard(FLock);
    return FRequests;
}

void TFakeWindowManager::Run() {
    const Atom activeWindow = AtomNamed(FDisplay, "_NET_ACTIVE_WINDOW");
    const Atom wmState = AtomNamed(FDisplay, "_NET_WM_STATE");
    const Atom restack = AtomNamed(FDisplay, "_NET_RESTACK_WINDOW");
    while (!FStop) {
        while (XPending(FDisplay) > 0) {
            XEvent event;
            XNextEvent(FDisplay, &event);
            if (event.type != ClientMessage || event.xclient.format != 32)
                continue;
            const Atom type = event.xclient.message_type;
            if (type != activeWindow && type != wmState && type != restack)
                continue;
            TRequest request{type == activeWindow ? "_NET_ACTIVE_WINDOW"
                             : type == wmState    ? "_NET_WM_STATE"
                                                  : "_NET_RESTACK_WINDOW",
                             event.xclient.window};
            std::copy(event.xclient.data.l, event.xclient.data.l + 5, request.data.begin());
            {
                std::lock_guard guard(FLock);
                FRequests.push_back(request);
            }
            Handle(request);
        }
        pollfd connection{ConnectionNumber(FDisplay), POLLIN, 0};
        poll(&connection, 1, kPollSliceMs);
    }
}

void TFakeWindowManager::Handle(const TRequest& request) {
    const Window window = request.window;
    if (request.message == "_NET_ACTIVE_WINDOW") {
        if (FRefuseActivation)
            return;
        XMapRaised(FDisplay, window);
        XSync(FDisplay, False);
        XSetInputFocus(FDisplay, window, RevertToParent, CurrentTime);
        SetWindowProperty(FDisplay, DefaultRootWindow(FDisplay), "_NET_ACTIVE_WINDOW", window);
    } else if (request.message == "_NET_RESTACK_WINDOW") {
        // Only "above everything" (no sibling) is carried out here.
        if (request.data[1] == 0 && request.data[2] == Above)
            XRaiseWindow(FDisplay, window);
    } else {
        std::vector<long> states = Atoms(FDisplay, window, "_NET_WM_STATE");
        for (int i = 1; i <= 2; ++i) {
            const long state = request.data[i];
            if (state == 0)
                continue;
            const auto found = std::find(states.begin(), states.end(), state);
            const bool present = found != states.end();
            if (present && (request.data[0] == kStateRemove || request.data[0] == kStateToggle))
                states.erase(found);
            else if (!present && (request.data[0] == kStateAdd || request.data[0] == kStateToggle))
                states.push_back(state);
        }
        XChangeProperty(FDisplay, window, AtomNamed(FDisplay, "_NET_WM_STATE"), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
    XFlush(FDisplay);
}
