#include "support/DeviceInput.h"

#include <stdexcept>

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

namespace {
XDevice* AsDevice(void* device) {
    return static_cast<XDevice*>(device);
}
} // namespace

TDeviceInput::TDeviceInput(const QString& deviceName) : FDisplay(XOpenDisplay(nullptr)) {
    if (!FDisplay)
        throw std::runtime_error("no X display to send device input to");
    int opcode = 0, event = 0, error = 0, major = 2, minor = 2;
    if (!XQueryExtension(FDisplay, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(FDisplay, &major, &minor) != Success)
        return;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(FDisplay, XIAllDevices, &count);
    for (int i = 0; i < count; ++i)
        if (devices[i].use == XISlavePointer && deviceName == QString::fromUtf8(devices[i].name))
            FDeviceId = devices[i].deviceid;
    XIFreeDeviceInfo(devices);
    if (FDeviceId != 0)
        FDevice = XOpenDevice(FDisplay, static_cast<XID>(FDeviceId));
}

TDeviceInput::~TDeviceInput() {
    if (FDevice)
        XCloseDevice(FDisplay, AsDevice(FDevice));
    XCloseDisplay(FDisplay);
}

void TDeviceInput::MoveBy(int dx, int dy) {
    int axes[2] = {dx, dy};
    XTestFakeDeviceMotionEvent(FDisplay, AsDevice(FDevice), True, 0, axes, 2, CurrentTime);
    XFlush(FDisplay);
}

void TDeviceInput::Press(unsigned button) {
    XTestFakeDeviceButtonEvent(FDisplay, AsDevice(FDevice), button, True, nullptr, 0, CurrentTime);
    XFlush(FDisplay);
}

void TDeviceInput::Release(unsigned button) {
    XTestFakeDeviceButtonEvent(FDisplay, AsDevice(FDevice), button, False, nullptr, 0, CurrentTime);
    XFlush(FDisplay);
}

void TDeviceInput::Sync() {
    XSync(FDisplay, False);
}

int TDeviceInput::Attachment() {
    int count = 0;
    int master = 0;
    if (XIDeviceInfo* info = XIQueryDevice(FDisplay, FDeviceId, &count)) {
        if (count == 1 && info->use == XISlavePointer)
            master = info->attachment;
        XIFreeDeviceInfo(info);
    }
    return master;
}

QPoint TDeviceInput::PointerPosition() {
    Window root = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &root, &child, &x, &y, &windowX, &windowY,
                  &mask);
    return {x, y};
}

QSize TDeviceInput::ScreenSize() {
    const int screen = DefaultScreen(FDisplay);
    return {DisplayWidth(FDisplay, screen), DisplayHeight(FDisplay, screen)};
}
