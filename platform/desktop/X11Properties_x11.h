#pragma once
// Reading window properties and speaking to the window manager (EWMH, ICCCM) over Xlib,
// for the units of this folder that need it. For use inside platform/ only.

#include <X11/Xlib.h>

#include <array>
#include <vector>

namespace platform {

Atom AtomNamed(Display* display, const char* name);

// A property of 32-bit items (windows, atoms, cardinals); empty when it is missing.
std::vector<long> ReadLongs(Display* display, Window window, const char* property, Atom type);

// Whether an EWMH window manager manages the screen now.
bool WindowManagerRuns(Display* display);

// Whether the running window manager says it supports the EWMH feature named atom.
bool WindowManagerSupports(Display* display, const char* atom);

// A request to the window manager about 'window' (EWMH: sent to the root window).
void SendToWindowManager(Display* display, Window window, const char* message,
                         const std::array<long, 5>& data);

} // namespace platform
