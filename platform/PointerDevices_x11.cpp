#include "platform/PointerDevices_x11.h"

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
    // A device that is gone by now yields nothing (the error is not fatal: Qt's Xlib
    // error handler, which the whole process shares, ignores it).
    if (XIDeviceInfo* info = XIQueryDevice(FDisplay, deviceId, &count)) {
        if (count == 1) {
            kind.SlavePointer = info->use == XISlavePointer;
            for (int i = 0; i < info->num_classes; ++i) {
                const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(info->classes[i]);
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
    const Status status =
        XIGrabDevice(display, deviceId, DefaultRootWindow(display), CurrentTime, None,
                     GrabModeAsync, GrabModeAsync, False, &eventMask);
    if (status != GrabSuccess)
        return nullptr;
    return std::unique_ptr<TDeviceGrab>(new TDeviceGrab(display, deviceId));
}

TDeviceGrab::~TDeviceGrab() {
    if (FDeviceGone)
        return;
    XIUngrabDevice(FDisplay, FDeviceId, CurrentTime);
    XFlush(FDisplay);
}

} // namespace platform
