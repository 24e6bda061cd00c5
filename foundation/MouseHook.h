#pragma once
// The system-wide mouse hook: reports every press and release of the left button and
// every pointer move anywhere on the desktop, in every program's windows, each with
// the pointer's position in screen pixels by reference. A handler that changes the
// position has the pointer moved there at once. Right, middle and wheel buttons are
// never reported.
//
// The hook is installed only while something wants it (cursor snapping) and reports
// on the GUI thread between other events, so handlers need no locking but must be
// short: they run for every mouse move of the desktop.

#include "platform/desktop/MouseWatcher.h"
#include "platform/widgets/MouseTypes.h"

#include <functional>
#include <memory>

class TMouseHook;

// X, Y: screen pixels (origin at the top-left of the whole desktop).
using TMouseHookButtonEvent =
    std::function<void(TMouseHook* sender, TMouseButton button, TShiftState shift, int& X, int& Y)>;
using TMouseHookMoveEvent =
    std::function<void(TMouseHook* sender, TShiftState shift, int& X, int& Y)>;
// Asked right after OnLButtonDown: true holds the stroke that the press begins.
using TMouseHookHoldQuery = std::function<bool(TMouseHook* sender)>;

class TMouseHook {
public:
    TMouseHook();
    ~TMouseHook();
    TMouseHook(const TMouseHook&) = delete;
    TMouseHook& operator=(const TMouseHook&) = delete;

    // True installs the hook, False removes it.
    void SetActive(bool value);
    // Installs the hook unless it is installed. Where the desktop cannot be watched the
    // hook stays off without an error; a later Install tries again.
    void Install();
    // Removes the hook if it is installed.
    void Uninstall();
    // The installed hook, null while none is installed.
    const platform::MouseWatcher* HookHandle() const { return FHookHandle.get(); }

    // Translates a hooked point into the client frame of the window that covers the
    // whole virtual desktop, lets 'inWindowFrame' work on it there, and writes it back
    // in screen pixels only when it was changed. A point left alone thus comes back
    // unchanged to the pixel even where the two frames differ in origin or scale.
    static void InDesktopWindowFrame(int& X, int& Y,
                                     const std::function<void(int& x, int& y)>& inWindowFrame);

    TMouseHookButtonEvent OnLButtonUp;
    TMouseHookButtonEvent OnLButtonDown;
    TMouseHookMoveEvent OnMouseMove;
    // Whether the stroke that a left press begins is to be held: until its release, the
    // other programs then receive its moves only where OnMouseMove puts them, never first
    // where the mouse went (where the desktop allows it, see platform/desktop/MouseWatcher.h).
    // Unset, no stroke is held: a changed move is put right after the fact.
    TMouseHookHoldQuery OnHoldStroke;

private:
    // Calls the handler for one event; true when it changed the position.
    bool LowLevelMouseProc(platform::TMouseWatchEvent event, int& X, int& Y);
    bool CallHandler(platform::TMouseWatchEvent event, int& X, int& Y);
    bool AskHoldStroke();

    std::unique_ptr<platform::MouseWatcher> FHookHandle;
};

// The process's one hook, created (no handlers, not installed) on first use.
TMouseHook& MouseHook();
// Removes and frees the hook; called once by the program's shut-down.
void FinalizeMouseHook();
