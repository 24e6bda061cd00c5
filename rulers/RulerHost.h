#pragma once
// What an instrument needs of the window it is shown in: the main window hands itself
// to every mouse event as a TRulerHost, and the instrument uses it for the pointer
// cursor, the angle hint and the synchronous repaint during a drag. The interface
// keeps the instruments free of any window class; the main window implements it.

#include "platform/graphics/GPTypes.h"
#include "platform/widgets/MouseTypes.h"

#include <string>

// Standard cursor numbers an instrument sets on its window (the class library's
// numbering); the rotate cursor is one of the program's own (foundation/VBCursor.h).
constexpr int crDefault = 0;
constexpr int crSizeAll = -22;

class TRulerHost {
public:
    virtual ~TRulerHost() = default;

    // Sets the window's pointer cursor by number (crDefault, crSizeAll or a custom one).
    virtual void SetCursor(int cursorId) = 0;

    // Shows text in the hint window at a point in screen coordinates, replacing any
    // hint on show; HideHint switches the window's hint display off.
    virtual void ShowHint(const std::string& text, const TGPPoint& screenPoint) = 0;
    virtual void HideHint() = 0;

    // The pointer's current position in screen coordinates.
    virtual TGPPoint CursorPos() const = 0;

    // Invalidates the window and paints it before returning.
    virtual void Repaint() = 0;
};
