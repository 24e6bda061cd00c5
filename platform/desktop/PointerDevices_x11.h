#pragma once
// The XInput 2 pointer devices of the X server as the mouse watch sees them: which ones
// report moves as deltas (mice, touchpads), which ones are XTest's (input that other
// programs, and we ourselves, inject), and the device grab that takes one mouse away
// from the core pointer for a while. For use inside platform/ only: it brings in Xlib.

#include <memory>
#include <unordered_map>

#include <X11/Xlib.h>

namespace platform {

struct TPointerDeviceKind {
    bool SlavePointer = false; // a physical device (or XTest's) that moves a master pointer
    bool Relative = false;     // its x and y valuators carry deltas, not positions
    bool XTest = false;        // one of the server's XTest devices
};

class TPointerDevices {
public:
    explicit TPointerDevices(Display* display);

    // Asked of the server once per device and then remembered until Forget().
    const TPointerDeviceKind& Kind(int deviceId);
    // After a change of the device hierarchy: ask afresh.
    void Forget() { FKinds.clear(); }

    // A mouse or touchpad: relative, and not XTest. Only such a device is grabbed for a
    // held stroke: XTest replays its moves and buttons faithfully, whereas a tablet's or
    // touch screen's absolute positions and pressure it cannot replay, and XTest input
    // is what the watch itself drives the core pointer with.
    bool CanHold(int deviceId) {
        const TPointerDeviceKind& kind = Kind(deviceId);
        return kind.SlavePointer && kind.Relative && !kind.XTest;
    }

private:
    Display* FDisplay;
    Atom FXTestProperty = None;
    std::unordered_map<int, TPointerDeviceKind> FKinds;
};

// An active XInput 2 grab of one slave pointer. While it lasts the server floats the
// device: its events reach only this connection and the core pointer no longer follows
// it. Destroying the grab, or the end of the connection, attaches it again.
class TDeviceGrab {
public:
    // Raw moves and buttons of the device, and its button events (for the wheel clicks
    // that the server makes up from smooth scrolling, which have no raw events).
    // Null when the server refuses, e.g. because another client holds a grab of it.
    static std::unique_ptr<TDeviceGrab> Take(Display* display, int deviceId);
    ~TDeviceGrab();
    TDeviceGrab(const TDeviceGrab&) = delete;
    TDeviceGrab& operator=(const TDeviceGrab&) = delete;

    int DeviceId() const { return FDeviceId; }
    // The device is gone (unplugged): there is nothing left to ungrab.
    void Forget() { FDeviceGone = true; }

private:
    TDeviceGrab(Display* display, int deviceId) : FDisplay(display), FDeviceId(deviceId) {}

    Display* FDisplay;
    int FDeviceId;
    bool FDeviceGone = false;
};

} // namespace platform
