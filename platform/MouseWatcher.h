#pragma once
// Watches the pointer over the whole desktop, in every program's windows, and can move
// it. Positions are screen pixels of the display server: origin at the top-left of
// the root window, device pixels (no Qt scaling applied).
//
// Which implementation is built depends on the platform (MouseWatcher_x11.cpp or
// MouseWatcher_null.cpp); the X11 one also checks at run time that the program runs
// on an X11 display and stays off otherwise.

#include <functional>
#include <memory>

namespace platform {

enum class TMouseWatchEvent { Move, LeftDown, LeftUp };

// Called on the GUI thread for every pointer move and every press and release of the
// left button (after the user's button mapping), with the pointer's screen position.
// Returning true asks for the pointer to be moved to (x, y) at once.
using TMouseWatchHandler = std::function<bool(TMouseWatchEvent event, int& x, int& y)>;

// An active watch; destroying it stops the watch. Safe to destroy from inside its
// own handler.
class MouseWatcher {
public:
    virtual ~MouseWatcher() = default;
};

// Starts watching, or returns null when this desktop offers no way to do so; the
// first refusal of a run is explained once on standard error.
std::unique_ptr<MouseWatcher> StartMouseWatcher(TMouseWatchHandler handler);

} // namespace platform
