#pragma once
// Watches the pointer over the whole desktop, in every program's windows, and can move
// it. Positions are screen pixels of the display server: origin at the top-left of
// the root window, device pixels (no Qt scaling applied).
//
// Implemented on X11 (MouseWatcher_x11.cpp), which checks at run time that the program
// runs on an X11 display and stays off otherwise.

#include <QPoint>

#include <functional>
#include <memory>

namespace platform {

enum class TMouseWatchEvent { Move, LeftDown, LeftUp };

// Called on the GUI thread for every pointer move and every press and release of the
// left button (after the user's button mapping), with the pointer's screen position.
// Each move is reported on its own, in the order the moves were made. Returning true
// asks for the pointer to be moved to (x, y) at once.
using TMouseWatchHandler = std::function<bool(TMouseWatchEvent event, int& x, int& y)>;

// Asked right after a left press has been reported: true holds the stroke that the press
// begins. Until its release the other programs then see the stroke's moves only where
// the handler puts them, not first where the mouse went (as far as the platform allows:
// on X11 for strokes of a mouse or touchpad, see MouseWatcher_x11.cpp). A press on one of
// this program's own windows begins a stroke of that window: it is never held, and the
// handler's changes to its press, moves and release are not applied.
using TMouseWatchHoldQuery = std::function<bool()>;

// An active watch; destroying it stops the watch (and gives a held stroke back to the
// platform). Safe to destroy from inside its own handler.
class MouseWatcher {
public:
    virtual ~MouseWatcher() = default;
};

// Starts watching, or returns null when this desktop offers no way to do so; the
// first refusal of a run is explained once on standard error. Without holdStroke no
// stroke is held.
std::unique_ptr<MouseWatcher> StartMouseWatcher(TMouseWatchHandler handler,
                                                TMouseWatchHoldQuery holdStroke = {});

// Tells the active watch that the program itself has put the pointer at screenPos (screen
// pixels): the next move of the mouse goes on from there, also during a held stroke, when
// the mouse no longer moves the pointer by itself. SetCursorPos (Pointer.h) calls it.
void FollowProgramPointerMove(QPoint screenPos);

} // namespace platform
