#pragma once
// Input "from the hardware": moves and buttons of a physical pointer device of the X
// server, sent through XTest's device variants, so that the server handles them as that
// device's own (the core pointer follows it while it is attached, a grab of it takes them
// away). Xvfb has one such device, "Xvfb mouse", a relative mouse.

#include <QPoint>
#include <QSize>
#include <QString>

struct _XDisplay;

class TDeviceInput {
public:
    explicit TDeviceInput(const QString& deviceName = "Xvfb mouse");
    ~TDeviceInput();
    TDeviceInput(const TDeviceInput&) = delete;
    TDeviceInput& operator=(const TDeviceInput&) = delete;

    // False when the display has no such device (then nothing else may be called).
    bool Available() const { return FDevice != nullptr; }
    int DeviceId() const { return FDeviceId; }

    // Sent at once (flushed), not waited for: a mouse does not wait either.
    void MoveBy(int dx, int dy);
    void Press(unsigned button);
    void Release(unsigned button);
    // Returns once the server has handled everything sent so far.
    void Sync();

    // The master pointer the device is attached to, or 0 while it floats (grabbed).
    int Attachment();
    // The core pointer's position, as every client sees it.
    QPoint PointerPosition();
    // The screen's size in pixels of the X display.
    QSize ScreenSize();

private:
    _XDisplay* FDisplay = nullptr;
    void* FDevice = nullptr; // Xlib's XDevice, an unnamed struct that cannot be declared here
    int FDeviceId = 0;
};
