#include "support/PointerRecorder.h"

#include <poll.h>
#include <stdexcept>
#include <unistd.h>

#include <X11/Xlib.h>

TPointerRecorder::TPointerRecorder(QRect area) : FDisplay(XOpenDisplay(nullptr)) {
    if (!FDisplay)
        throw std::runtime_error("no X display for the recording window");
    const int screen = DefaultScreen(FDisplay);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(FDisplay, screen);
    attributes.event_mask =
        PointerMotionMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    FWindow = XCreateWindow(FDisplay, RootWindow(FDisplay, screen), area.x(), area.y(),
                            static_cast<unsigned>(area.width()),
                            static_cast<unsigned>(area.height()), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XStoreName(FDisplay, FWindow, "Pointer recorder");
    XMapRaised(FDisplay, FWindow);
    for (;;) {
        XEvent event;
        XNextEvent(FDisplay, &event);
        if (event.type == MapNotify)
            break;
    }
    int pipeEnds[2] = {-1, -1};
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe for the recording window");
    FWakeRead = pipeEnds[0];
    FWakeWrite = pipeEnds[1];
    FReader = std::thread([this] { Read(); });
}

TPointerRecorder::~TPointerRecorder() {
    FStop = true;
    const char wake = 0;
    [[maybe_unused]] const ssize_t written = write(FWakeWrite, &wake, 1);
    FReader.join();
    close(FWakeRead);
    close(FWakeWrite);
    XDestroyWindow(FDisplay, FWindow);
    XCloseDisplay(FDisplay);
}

void TPointerRecorder::Read() {
    pollfd watched[2] = {{ConnectionNumber(FDisplay), POLLIN, 0}, {FWakeRead, POLLIN, 0}};
    while (!FStop) {
        while (XPending(FDisplay) > 0) {
            XEvent event;
            XNextEvent(FDisplay, &event);
            TPointerRecord record;
            record.Received = std::chrono::steady_clock::now();
            switch (event.type) {
            case MotionNotify:
                record.Kind = TPointerRecord::Motion;
                record.At = {event.xmotion.x_root, event.xmotion.y_root};
                record.State = event.xmotion.state;
                break;
            case ButtonPress:
            case ButtonRelease:
                record.Kind =
                    event.type == ButtonPress ? TPointerRecord::Press : TPointerRecord::Release;
                record.At = {event.xbutton.x_root, event.xbutton.y_root};
                record.Button = event.xbutton.button;
                record.State = event.xbutton.state;
                break;
            default:
                continue;
            }
            const std::lock_guard<std::mutex> lock(FMutex);
            FRecords.push_back(record);
        }
        poll(watched, 2, -1);
    }
}

std::vector<TPointerRecord> TPointerRecorder::Records() const {
    const std::lock_guard<std::mutex> lock(FMutex);
    return FRecords;
}

size_t TPointerRecorder::Count() const {
    const std::lock_guard<std::mutex> lock(FMutex);
    return FRecords.size();
}

void TPointerRecorder::Clear() {
    const std::lock_guard<std::mutex> lock(FMutex);
    FRecords.clear();
}

bool TPointerRecorder::WaitUntil(
    const std::function<bool(const std::vector<TPointerRecord>&)>& done,
    std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done(Records())) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
