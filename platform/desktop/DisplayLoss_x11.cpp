#include <QCoreApplication>

#include "platform/desktop/DisplayLoss.h"
#include "platform/desktop/X11Display.h"

namespace platform {
namespace {

constexpr int kDisplayLostExitCode = 1;

// Xlib has marked the connection dead when it calls this; every later call on it returns
// at once, so returning here lets the program go on to its shut-down.
void OnConnectionLost(Display*, void*) {
    QCoreApplication::exit(kDisplayLostExitCode);
}

} // namespace

void EndEventLoopOnLossOf(Display* display) {
    if (display)
        XSetIOErrorExitHandler(display, OnConnectionLost, nullptr);
}

void EndEventLoopOnDisplayLoss() {
    EndEventLoopOnLossOf(QtX11Display());
}

} // namespace platform
