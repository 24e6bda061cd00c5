// Activation and stacking over X11, following the window-manager conventions (EWMH,
// ICCCM) when a window manager runs; over Qt's own calls on other platforms.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "platform/desktop/WindowSystem.h"
#include "platform/desktop/X11Display.h"
#include "platform/desktop/X11Properties_x11.h"

#include <X11/Xatom.h>

namespace platform {
namespace {

// _NET_WM_STATE actions and the source indication of EWMH client messages: 2 says the
// request comes straight from the user, which window managers do not hold back.
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
constexpr long kSourceUserAction = 2;
// WM_STATE value of a minimised window (ICCCM).
constexpr long kIconicState = 3;
// How long a window manager gets to carry an activation out, and how often we look.
constexpr int kActivationWaitMs = 200;
constexpr unsigned long kActivationPollMs = 1;

Window ActiveWindow(Display* display, bool managed) {
    if (managed) {
        const std::vector<long> active =
            ReadLongs(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW", XA_WINDOW);
        return active.empty() ? 0 : static_cast<Window>(active.front());
    }
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    return focus;
}

std::optional<int> MapState(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return std::nullopt;
    return attributes.map_state;
}

bool IsMinimised(Display* display, Window window) {
    const std::vector<long> wmState =
        ReadLongs(display, window, "WM_STATE", AtomNamed(display, "WM_STATE"));
    if (!wmState.empty() && wmState.front() == kIconicState)
        return true;
    const std::vector<long> netState = ReadLongs(display, window, "_NET_WM_STATE", XA_ATOM);
    const long hidden = static_cast<long>(AtomNamed(display, "_NET_WM_STATE_HIDDEN"));
    return std::find(netState.begin(), netState.end(), hidden) != netState.end();
}

bool WaitUntilActive(Display* display, Window window) {
    QElapsedTimer clock;
    clock.start();
    while (ActiveWindow(display, true) != window) {
        if (clock.elapsed() >= kActivationWaitMs)
            return false;
        QThread::msleep(kActivationPollMs);
    }
    return true;
}

// Without a window manager nobody keeps _NET_WM_STATE but the client; a window manager
// that starts later, or maps the window later, reads it from there.
void EditNetWmState(Display* display, Window window, Atom state, bool present) {
    std::vector<long> states = ReadLongs(display, window, "_NET_WM_STATE", XA_ATOM);
    states.erase(std::remove(states.begin(), states.end(), static_cast<long>(state)), states.end());
    if (present)
        states.push_back(static_cast<long>(state));
    XChangeProperty(display, window, AtomNamed(display, "_NET_WM_STATE"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(states.data()),
                    static_cast<int>(states.size()));
}

// Qt's window with that id, for platforms without X11.
QWindow* QtWindow(TWindowHandle window) {
    for (QWindow* candidate : QGuiApplication::allWindows())
        if (candidate->handle() && candidate->winId() == window)
            return candidate;
    return nullptr;
}

bool ForceForegroundQtWindow(TWindowHandle handle) {
    QWindow* window = QtWindow(handle);
    if (!window)
        return false;
    if (window->windowStates().testFlag(Qt::WindowMinimized))
        window->showNormal();
    window->raise();
    window->requestActivate();
    return QGuiApplication::focusWindow() == window;
}

// Where an activation stands when no more is done about it: refused or impossible, done,
// or left to the window manager.
enum class TActivation { NotActive, Active, Requested };

// Everything of an activation but the wait for a window manager's answer.
TActivation Activate(Display* display, Window window, bool managed) {
    if (!window || !MapState(display, window))
        return TActivation::NotActive;
    if (IsMinimised(display, window)) {
        // Mapping an iconic window asks the window manager to show it again (ICCCM);
        // without one, it simply shows it.
        if (managed)
            XMapWindow(display, window);
        else
            XMapRaised(display, window);
        XSync(display, False);
    }
    if (ActiveWindow(display, managed) == window)
        return TActivation::Active;

    if (managed) {
        SendToWindowManager(display, window, "_NET_ACTIVE_WINDOW",
                            {kSourceUserAction, CurrentTime, 0, 0, 0});
        return TActivation::Requested;
    }
    XRaiseWindow(display, window);
    // Focus on a window that is not shown is an error; such a window cannot be active.
    if (MapState(display, window) == IsViewable)
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    return ActiveWindow(display, false) == window ? TActivation::Active : TActivation::NotActive;
}

} // namespace

bool ForceForegroundWindow(TWindowHandle handle) {
    Display* display = QtX11Display();
    if (!display)
        return ForceForegroundQtWindow(handle);
    const auto window = static_cast<Window>(handle);
    switch (Activate(display, window, WindowManagerRuns(display))) {
    case TActivation::Active:
        return true;
    case TActivation::Requested:
        return WaitUntilActive(display, window);
    case TActivation::NotActive:
        break;
    }
    return false;
}

void RequestForegroundWindow(TWindowHandle handle) {
    Display* display = QtX11Display();
    if (!display) {
        ForceForegroundQtWindow(handle);
        return;
    }
    Activate(display, static_cast<Window>(handle), WindowManagerRuns(display));
}

void SetStayOnTop(TWindowHandle handle, bool onTop) {
    Display* display = QtX11Display();
    if (!display) {
        if (QWindow* window = QtWindow(handle))
            window->setFlag(Qt::WindowStaysOnTopHint, onTop);
        return;
    }
    const auto window = static_cast<Window>(handle);
    const std::optional<int> mapState = window ? MapState(display, window) : std::nullopt;
    if (!mapState)
        return;
    const Atom above = AtomNamed(display, "_NET_WM_STATE_ABOVE");
    if (WindowManagerRuns(display) && *mapState != IsUnmapped) {
        SendToWindowManager(
            display, window, "_NET_WM_STATE",
            {onTop ? kStateAdd : kStateRemove, static_cast<long>(above), 0, kSourceUserAction, 0});
        // Already above the normal windows, the window still goes to the top of the
        // windows that stay on top, as without a window manager; stacking requests of a
        // direct user action are carried out also where activation is refused.
        if (onTop)
            SendToWindowManager(display, window, "_NET_RESTACK_WINDOW",
                                {kSourceUserAction, 0, Above, 0, 0});
        return;
    }
    // No window manager (or one that has not taken the window yet): the state lives in
    // the property, and only our own raise puts the window on top.
    EditNetWmState(display, window, above, onTop);
    if (onTop && *mapState != IsUnmapped)
        XRaiseWindow(display, window);
    // Done when this returns: any client asking next sees the new state.
    XSync(display, False);
}

} // namespace platform
