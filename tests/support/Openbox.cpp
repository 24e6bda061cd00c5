#include "support/Openbox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <stdexcept>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
constexpr int kPollMs = 20;

// A window manager that follows EWMH names a check window on the root window that names
// itself; a stale name left by one that has gone fails the second step.
Window CheckWindow(Display* display, Window of) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window window = 0;
    if (XGetWindowProperty(display, of, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0,
                           1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1)
        window = static_cast<Window>(*reinterpret_cast<long*>(data));
    if (data)
        XFree(data);
    return window;
}

bool ManagerAnnounced() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // A check window that is gone raises an error; it just means "no manager".
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Window check = CheckWindow(display, DefaultRootWindow(display));
    const bool announced = check != 0 && CheckWindow(display, check) == check;
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return announced;
}

// Openbox's own defaults, without the desktop menus and key bindings that would take
// keys the tests send to the program.
constexpr const char* kConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy><center>yes</center></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <context name="Frame"><mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind></context>
    <context name="Client"><mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind></context>
    <context name="Titlebar"><mousebind button="Left" action="Drag"><action name="Move"/></mousebind></context>
  </mouse>
</openbox_config>
)";

} // namespace

TOpenbox::TOpenbox() {
    const QString config = FConfig.filePath("rc.xml");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kConfig) < 0)
        throw std::runtime_error("cannot write the openbox configuration");
    file.close();
    FProcess.setStandardOutputFile(QProcess::nullDevice());
    FProcess.setStandardErrorFile(QProcess::nullDevice());
    FProcess.start("openbox", {"--sm-disable", "--config-file", config});
    if (!FProcess.waitForStarted())
        throw std::runtime_error("openbox did not start");
    QElapsedTimer clock;
    clock.start();
    while (!ManagerAnnounced()) {
        if (clock.elapsed() > kStartTimeoutMs || FProcess.state() == QProcess::NotRunning)
            throw std::runtime_error("openbox did not take the display");
        QThread::msleep(kPollMs);
    }
}

TOpenbox::~TOpenbox() {
    FProcess.terminate();
    if (!FProcess.waitForFinished(kStopTimeoutMs)) {
        FProcess.kill();
        FProcess.waitForFinished(kStopTimeoutMs);
    }
}

bool TOpenbox::Running() const {
    return FProcess.state() == QProcess::Running && ManagerAnnounced();
}
