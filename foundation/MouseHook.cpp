#include "foundation/MouseHook.h"

#include "platform/desktop/Pointer.h"

#include <cstdio>
#include <exception>

namespace {
std::unique_ptr<TMouseHook> TheMouseHook;
} // namespace

TMouseHook::TMouseHook() = default;

TMouseHook::~TMouseHook() {
    Uninstall();
}

void TMouseHook::SetActive(bool value) {
    if (value)
        Install();
    else
        Uninstall();
}

void TMouseHook::Install() {
    if (FHookHandle)
        return;
    FHookHandle =
        platform::StartMouseWatcher([this](platform::TMouseWatchEvent event, int& x,
                                           int& y) { return LowLevelMouseProc(event, x, y); },
                                    [this] { return AskHoldStroke(); });
}

void TMouseHook::Uninstall() {
    FHookHandle.reset();
}

bool TMouseHook::LowLevelMouseProc(platform::TMouseWatchEvent event, int& X, int& Y) {
    // The handlers run from the event loop, which an exception must not cross (it would
    // end the program). A handler that fails leaves the pointer where it is; the failure
    // is told on standard error and the hook goes on with the next event.
    try {
        return CallHandler(event, X, Y);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
        std::fputs("Unknown exception in a mouse hook handler\n", stderr);
    }
    return false;
}

bool TMouseHook::AskHoldStroke() {
    // Like the handlers, a failing query is told and goes no further: the stroke is not held.
    try {
        return OnHoldStroke && OnHoldStroke(this);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
        std::fputs("Unknown exception in a mouse hook handler\n", stderr);
    }
    return false;
}

bool TMouseHook::CallHandler(platform::TMouseWatchEvent event, int& X, int& Y) {
    const int originalX = X;
    const int originalY = Y;
    switch (event) {
    case platform::TMouseWatchEvent::Move:
        if (!OnMouseMove)
            return false;
        OnMouseMove(this, TShiftState{}, X, Y);
        break;
    case platform::TMouseWatchEvent::LeftDown:
        if (!OnLButtonDown)
            return false;
        OnLButtonDown(this, TMouseButton::mbLeft, TShiftState{}, X, Y);
        break;
    case platform::TMouseWatchEvent::LeftUp:
        if (!OnLButtonUp)
            return false;
        OnLButtonUp(this, TMouseButton::mbLeft, TShiftState{}, X, Y);
        break;
    }
    return X != originalX || Y != originalY;
}

void TMouseHook::InDesktopWindowFrame(int& X, int& Y,
                                      const std::function<void(int& x, int& y)>& inWindowFrame) {
    const QPoint inWindow = platform::ScreenToDesktopWindow(QPoint(X, Y));
    int x = inWindow.x();
    int y = inWindow.y();
    inWindowFrame(x, y);
    if (x == inWindow.x() && y == inWindow.y())
        return;
    const QPoint onScreen = platform::DesktopWindowToScreen(QPoint(x, y));
    X = onScreen.x();
    Y = onScreen.y();
}

TMouseHook& MouseHook() {
    if (!TheMouseHook)
        TheMouseHook = std::make_unique<TMouseHook>();
    return *TheMouseHook;
}

void FinalizeMouseHook() {
    TheMouseHook.reset();
}
