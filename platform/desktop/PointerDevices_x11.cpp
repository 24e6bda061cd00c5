#include "platform/desktop/PointerDevices_x11.h"

#include "platform/desktop/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>

namespace platform {

TPointerDevices::TPointerDevices(Display* display)
    : FDisplay(display), FXTestProperty(XInternAtom(display, "XTEST Device", True)) {}

const TPointerDeviceKind& TPointerDevices::Kind(int deviceId) {
    const auto known = FKinds.find(deviceId);
    if (known != FKinds.end())
        return known->second;
    TPointerDeviceKind kind;
    int count = 0;
    // A device that is gone by now yields nothing: its errors are ours to ignore. Both
    // requests have replies, so the trap costs no extra round trip.
    TX11ErrorTrap gone(FDisplay);
    if (XIDeviceInfo* info = XIQueryDevice(FDisplay, deviceId, &count)) {
        if (count == 1) {
            kind.SlavePointer = info->use == XISlavePointer;
            for (int i = 0; i < info->num_classes; ++i) {
                const auto* valuator =
                    reinterpret_cast<const XIValuatorClassInfo*>(info->classes[i]);
                if (valuator->type == XIValuatorClass && valuator->number == 0)
                    kind.Relative = valuator->mode == XIModeRelative;
            }
        }
        XIFreeDeviceInfo(info);
    }
    if (FXTestProperty != None) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XIGetProperty(FDisplay, deviceId, FXTestProperty, 0, 1, False, AnyPropertyType, &type,
                          &format, &items, &after, &data) == Success &&
            data) {
            kind.XTest = items > 0 && data[0] != 0;
            XFree(data);
        }
    }
    return FKinds[deviceId] = kind;
}

std::unique_ptr<TDeviceGrab> TDeviceGrab::Take(Display* display, int deviceId) {
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawMotion);
    XISetMask(mask, XI_RawButtonPress);
    XISetMask(mask, XI_RawButtonRelease);
    XISetMask(mask, XI_ButtonPress);
    XISetMask(mask, XI_ButtonRelease);
    XIEventMask eventMask{deviceId, static_cast<int>(sizeof mask), mask};
    // A device unplugged since its press fails the request; Xlib then reports the grab
    // as taken, so only the trap tells.
    TX11ErrorTrap gone(display);
    const Status status = XIGrabDevice(display, deviceId, DefaultRootWindow(display), CurrentTime,
                                       None, GrabModeAsync, GrabModeAsync, False, &eventMask);
    if (gone.Failed() || status != GrabSuccess)
        return nullptr;
    return std::unique_ptr<TDeviceGrab>(new TDeviceGrab(display, deviceId));
}

TDeviceGrab::~TDeviceGrab() {
    if (FDeviceGone)
        return;
    // The device may go before we have read that it went. Syncing here costs one round
    // trip at the end of the stroke, after its release has gone out.
    TX11ErrorTrap gone(FDisplay);
    XIUngrabDevice(FDisplay, FDeviceId, CurrentTime);
}

} // namespace platform
