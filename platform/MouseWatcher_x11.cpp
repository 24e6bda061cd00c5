// The desktop-wide mouse watch on X11: XInput 2 raw events of the master pointer,
// selected on the root window, reach every client whatever window the pointer is over.
// Raw events carry no position, so each report asks the server where the pointer is.
// The events are read on the GUI thread from our own connection, which Qt's event loop
// watches through a socket notifier.
//
// X11 cannot hold an event back from the other programs: by the time we read it, the
// window under the pointer has it too. All we can do is move the pointer as soon as
// possible, so the watch keeps its own connection (no queueing behind Qt's traffic)
// and flushes each warp at once.
#include <QGuiApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <vector>

#include "platform/MouseWatcher.h"
#include "platform/X11Display.h"

#include <X11/extensions/XInput2.h>

namespace platform {
namespace {

// From XInput 2.1 on, raw events reach every client that selected them, also while
// another client grabs the pointer (any program holds an implicit grab between a press
// and its release). A client that announces 2.0 loses the releases over other windows.
constexpr int kXInputMajor = 2;
constexpr int kXInputMinor = 2;
constexpr unsigned int kLeftButton = 1;
constexpr int kMaxButtonMapSize = 256;

void SayOnce(const char* why) {
    static bool told = false;
    if (told)
        return;
    told = true;
    std::fprintf(stderr, "Cursor snapping is not available: %s\n", why);
}

using TDisplayPtr = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

class X11MouseWatcher final : public MouseWatcher {
public:
    X11MouseWatcher(TDisplayPtr display, int xinputOpcode, TMouseWatchHandler handler)
        : FDisplay(std::move(display)), FXInputOpcode(xinputOpcode),
          FRoot(DefaultRootWindow(FDisplay.get())), FHandler(std::move(handler)) {
        ReadButtonMap();
        SelectRawEvents();
        FNotifier = std::make_unique<QSocketNotifier>(ConnectionNumber(FDisplay.get()),
                                                      QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
    }

    ~X11MouseWatcher() override {
        *FAlive = false;
        FNotifier->setEnabled(false);
        // Inside a report the notifier is the very object whose signal is running.
        if (FReading)
            FNotifier.release()->deleteLater();
    }

private:
    void SelectRawEvents() {
        unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(mask, XI_RawMotion);
        XISetMask(mask, XI_RawButtonPress);
        XISetMask(mask, XI_RawButtonRelease);
        XIEventMask eventMask{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
        XISelectEvents(FDisplay.get(), FRoot, &eventMask, 1);
        XSync(FDisplay.get(), False);
    }

    // Raw events carry physical button numbers; the user's mapping (a left-handed
    // mouse swaps 1 and 3) decides which one is the left button.
    void ReadButtonMap() {
        unsigned char map[kMaxButtonMapSize] = {};
        const int count = XGetPointerMapping(FDisplay.get(), map, kMaxButtonMapSize);
        FButtonMap.assign(map, map + count);
    }

    unsigned int LogicalButton(int physical) const {
        if (physical >= 1 && physical <= static_cast<int>(FButtonMap.size()))
            return FButtonMap[physical - 1];
        return static_cast<unsigned int>(physical);
    }

    QPoint PointerPosition() {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int mask = 0;
        XQueryPointer(FDisplay.get(), FRoot, &root, &child, &rootX, &rootY, &windowX, &windowY,
                      &mask);
        return {rootX, rootY};
    }

    // Turns the queued events into reports. Moves in a row collapse into one, since
    // each report gives the pointer's position at the time it is made.
    std::vector<TMouseWatchEvent> TakeQueuedEvents() {
        std::vector<TMouseWatchEvent> events;
        auto add = [&events](TMouseWatchEvent event) {
            if (event == TMouseWatchEvent::Move && !events.empty() &&
                events.back() == TMouseWatchEvent::Move)
                return;
            events.push_back(event);
        };
        while (XPending(FDisplay.get()) > 0) {
            XEvent event;
            XNextEvent(FDisplay.get(), &event);
            if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping);
                if (event.xmapping.request == MappingPointer)
                    ReadButtonMap();
                continue;
            }
            XGenericEventCookie* cookie = &event.xcookie;
            if (event.type != GenericEvent || cookie->extension != FXInputOpcode ||
                !XGetEventData(FDisplay.get(), cookie))
                continue;
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            if (cookie->evtype == XI_RawMotion)
                add(TMouseWatchEvent::Move);
            else if (cookie->evtype == XI_RawButtonPress &&
                     LogicalButton(raw->detail) == kLeftButton)
                add(TMouseWatchEvent::LeftDown);
            else if (cookie->evtype == XI_RawButtonRelease &&
                     LogicalButton(raw->detail) == kLeftButton)
                add(TMouseWatchEvent::LeftUp);
            XFreeEventData(FDisplay.get(), cookie);
        }
        return events;
    }

    void WarpTo(int x, int y) {
        XWarpPointer(FDisplay.get(), 0, FRoot, 0, 0, 0, 0, x, y);
        XFlush(FDisplay.get());
    }

    // Reports one event; returns false when the handler destroyed this watcher.
    bool Report(TMouseWatchEvent event) {
        const std::shared_ptr<bool> alive = FAlive;
        // The handler may destroy this watcher, and with it FHandler, while it runs.
        const TMouseWatchHandler handler = FHandler;
        QPoint at = PointerPosition();
        int x = at.x(), y = at.y();
        if (!handler(event, x, y) || !*alive)
            return *alive;
        WarpTo(x, y);
        // A warp makes no raw event, but the pointer did move: report the move it made,
        // as a move of its own, once. Should the handler move the pointer again, that
        // second warp is not reported, so a handler that never settles cannot keep the
        // event loop spinning.
        at = PointerPosition();
        x = at.x();
        y = at.y();
        if (handler(TMouseWatchEvent::Move, x, y) && *alive)
            WarpTo(x, y);
        return *alive;
    }

    void ReadEvents() {
        const std::shared_ptr<bool> alive = FAlive;
        FReading = true;
        ReadQueue(alive);
        if (*alive)
            FReading = false;
    }

    void ReadQueue(const std::shared_ptr<bool>& alive) {
        // Round trips while reporting can pull new events into Xlib's queue, where the
        // notifier cannot see them: keep reading until the queue is empty.
        for (;;) {
            const std::vector<TMouseWatchEvent> events = TakeQueuedEvents();
            if (events.empty())
                return;
            for (TMouseWatchEvent event : events)
                if (!Report(event) || !*alive)
                    return;
        }
    }

    TDisplayPtr FDisplay;
    int FXInputOpcode = 0;
    Window FRoot = 0;
    TMouseWatchHandler FHandler;
    std::vector<unsigned char> FButtonMap;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    bool FReading = false;
};

} // namespace

std::unique_ptr<MouseWatcher> StartMouseWatcher(TMouseWatchHandler handler) {
    Display* qtDisplay = QtX11Display();
    if (!qtDisplay) {
        SayOnce("the program does not run on an X11 display (X11 or XWayland is needed to "
                "watch the mouse outside its own window).");
        return nullptr;
    }
    TDisplayPtr display(XOpenDisplay(DisplayString(qtDisplay)), &XCloseDisplay);
    if (!display) {
        SayOnce("the X11 display cannot be opened a second time.");
        return nullptr;
    }
    EndEventLoopOnLossOf(display.get());
    int opcode = 0, firstEvent = 0, firstError = 0;
    int major = kXInputMajor, minor = kXInputMinor;
    if (!XQueryExtension(display.get(), "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display.get(), &major, &minor) != Success) {
        SayOnce("the X server does not offer XInput 2.");
        return nullptr;
    }
    return std::make_unique<X11MouseWatcher>(std::move(display), opcode, std::move(handler));
}

} // namespace platform
