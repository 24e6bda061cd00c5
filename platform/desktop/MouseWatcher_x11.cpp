// The desktop-wide mouse watch on X11.
//
// Every move and button of the core pointer reaches us as an XInput 2 raw event of the
// master pointer, selected on the root window: raw events reach every client that
// selected them, whatever window the pointer is over and whoever grabs it. But they come
// after the server has given the input to the window under the pointer, so on their own
// they only let us correct the pointer afterwards (the warp path):
//   - each raw move is reported on its own, at the position it led to: for mice and
//     touchpads the position we follow ourselves (the last one plus the move's delta,
//     acceleration included), for other devices (tablets, XTest input of other programs)
//     the server's, asked at once;
//   - a changed position warps the pointer by the change, so that motion the server
//     applies in between (moves not read yet, other programs' input) is kept.
// A held stroke (the handler asks for it right after a left press) goes further (the
// grab path): the mouse that pressed is grabbed as a device of its own. For the grab's
// duration the server takes it off the core pointer and its events reach only us, and we
// drive the core pointer with XTest: each of the mouse's moves goes through the handler
// first, and the other programs see only where the handler puts it. The press itself has
// already gone on as it was; the mouse's release and its other buttons and wheel are
// passed on through XTest where the pointer stands, then the mouse goes back to the core
// pointer. Should our connection die, the server gives it back by itself, so a crash
// never leaves the user without a mouse.
//
// The events are read on the GUI thread from our own connection (no queueing behind
// Qt's traffic), which Qt's event loop watches through a socket notifier; every change
// of the pointer is flushed at once.
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "platform/desktop/InputAge_x11.h"
#include "platform/desktop/MouseWatcher.h"
#include "platform/desktop/PointerDevices_x11.h"
#include "platform/desktop/X11Display.h"
#include "platform/desktop/X11ErrorTrap.h"
#include "platform/desktop/XTestPointer_x11.h"

#include <X11/extensions/XInput2.h>

namespace platform {
namespace {

// From XInput 2.1 on, raw events reach every client that selected them, also while
// another client grabs the pointer (any program holds an implicit grab between a press
// and its release), and a grab may ask for them. A client that announces 2.0 loses the
// releases over other windows.
constexpr int kXInputMajor = 2;
constexpr int kXInputMinor = 2;
constexpr unsigned int kLeftButton = 1;
constexpr int kMaxButtonMapSize = 256;
// How deep the window tree is searched for the window a press lands on.
constexpr int kMaxWindowDepth = 32;

void SayOnce(const char* why) {
    static bool told = false;
    if (told)
        return;
    told = true;
    std::fprintf(stderr, "Cursor snapping is not available: %s\n", why);
}

using TDisplayPtr = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

// One XInput event, copied out of Xlib's event data: the queue is read ahead of the
// reports, and a handler may end the watch, and with it the connection, at any report.
struct TInputEvent {
    int type = 0;
    int device = 0;          // the device it is reported for: a master, or a grabbed slave
    int source = 0;          // the physical (or XTest) device it came from
    unsigned int detail = 0; // raw events: the physical button
    int flags = 0;
    unsigned long serial = 0;
    Time time = 0;         // when the server made it, its milliseconds
    bool moved = false;    // a raw motion along x or y
    double dx = 0, dy = 0; // its deltas after the server's acceleration, for relative devices
    std::vector<std::pair<int, int>> hierarchy; // device and change flags
};

TInputEvent CopyEvent(const XGenericEventCookie& cookie) {
    TInputEvent input;
    input.type = cookie.evtype;
    input.serial = cookie.serial;
    switch (cookie.evtype) {
    case XI_RawMotion:
    case XI_RawButtonPress:
    case XI_RawButtonRelease: {
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        input.time = raw->time;
        input.device = raw->deviceid;
        input.source = raw->sourceid;
        input.detail = static_cast<unsigned int>(raw->detail);
        input.flags = raw->flags;
        const double* value = raw->valuators.values;
        for (int axis = 0; axis < raw->valuators.mask_len * 8; ++axis) {
            if (!XIMaskIsSet(raw->valuators.mask, axis))
                continue;
            if (axis == 0 || axis == 1) {
                (axis == 0 ? input.dx : input.dy) = *value;
                input.moved = true;
            }
            ++value;
        }
        break;
    }
    case XI_ButtonPress:
    case XI_ButtonRelease: {
        const auto* event = static_cast<const XIDeviceEvent*>(cookie.data);
        input.time = event->time;
        input.device = event->deviceid;
        input.source = event->sourceid;
        input.detail = static_cast<unsigned int>(event->detail);
        input.flags = event->flags;
        break;
    }
    case XI_HierarchyChanged: {
        const auto* event = static_cast<const XIHierarchyEvent*>(cookie.data);
        for (int i = 0; i < event->num_info; ++i)
            input.hierarchy.emplace_back(event->info[i].deviceid, event->info[i].flags);
        break;
    }
    default:
        break;
    }
    return input;
}

// The master pointer that our requests (queries, warps, XTest) act on: the server picks
// one for a client at its first such request, the first master pointer.
int CorePointerId(Display* display) {
    int id = 0;
    if (XIGetClientPointer(display, None, &id) && id != 0)
        return id;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
    for (int i = 0; i < count && id == 0; ++i)
        if (devices[i].use == XIMasterPointer)
            id = devices[i].deviceid;
    XIFreeDeviceInfo(devices);
    return id;
}

// How a reported position was found: a followed one may miss other programs' warps.
enum class TPositionSource { Followed, Asked };

class X11MouseWatcher final : public MouseWatcher {
public:
    X11MouseWatcher(TDisplayPtr display, int xinputOpcode, TMouseWatchHandler handler,
                    TMouseWatchHoldQuery holdStroke)
        : FDisplay(std::move(display)), FXInputOpcode(xinputOpcode),
          FRoot(DefaultRootWindow(FDisplay.get())), FHandler(std::move(handler)),
          FHoldStroke(std::move(holdStroke)), FDevices(FDisplay.get()), FXTest(FDisplay.get()),
          FCanDrive(TXTestPointer::IsAvailable(FDisplay.get())), FInputAge(FDisplay.get()) {
        Display* connection = FDisplay.get();
        FScreenWidth = DisplayWidth(connection, DefaultScreen(connection));
        FScreenHeight = DisplayHeight(connection, DefaultScreen(connection));
        FCorePointer = CorePointerId(connection);
        ReadButtonMap();
        SelectEvents();
        FNotifier =
            std::make_unique<QSocketNotifier>(ConnectionNumber(connection), QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
        LiveWatchers().insert(this);
    }

    ~X11MouseWatcher() override {
        LiveWatchers().erase(this);
        *FAlive = false;
        FNotifier->setEnabled(false);
        if (FStroke.Grab)
            GiveBackHeldMouse();
        // Inside a report the notifier is the very object whose signal is running.
        if (FReading)
            FNotifier.release()->deleteLater();
    }

    // The program put the pointer on p itself (the server has it there). During a held
    // stroke the next move of the mouse goes on from there, not from where the mouse
    // had led it.
    void FollowProgramMove(QPoint p) {
        StandAt(p);
        if (FStroke.Grab)
            FDriven = p;
    }

    // The watchers alive in this process (one as a rule), told of the program's own moves.
    // Never destroyed: a watch may still end during the process's exit.
    static std::set<X11MouseWatcher*>& LiveWatchers() {
        static auto& watchers = *new std::set<X11MouseWatcher*>;
        return watchers;
    }

private:
    // One stroke: from a left press to its release.
    struct TStroke {
        bool OnOwnWindow = false;          // began on one of our windows, which handles it itself
        std::unique_ptr<TDeviceGrab> Grab; // held: the mouse that pressed, grabbed
        unsigned int PressedButton = kLeftButton; // its physical button that pressed
        bool ReleaseDue = false;                  // its release came and has yet to be passed on
    };

    void SelectEvents() {
        unsigned char raw[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(raw, XI_RawMotion);
        XISetMask(raw, XI_RawButtonPress);
        XISetMask(raw, XI_RawButtonRelease);
        unsigned char hierarchy[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(hierarchy, XI_HierarchyChanged);
        XIEventMask masks[] = {{XIAllMasterDevices, static_cast<int>(sizeof raw), raw},
                               {XIAllDevices, static_cast<int>(sizeof hierarchy), hierarchy}};
        XISelectEvents(FDisplay.get(), FRoot, masks, 2);
        XSync(FDisplay.get(), False);
    }

    // Raw events carry physical button numbers; the user's mapping (a left-handed
    // mouse swaps 1 and 3) decides which one is the left button.
    void ReadButtonMap() {
        unsigned char map[kMaxButtonMapSize] = {};
        const int count = XGetPointerMapping(FDisplay.get(), map, kMaxButtonMapSize);
        FButtonMap.assign(map, map + count);
    }

    unsigned int LogicalButton(unsigned int physical) const {
        if (physical >= 1 && physical <= FButtonMap.size())
            return FButtonMap[physical - 1];
        return physical;
    }

    // --- Reading ---

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
            const std::vector<TInputEvent> events = TakeQueuedEvents();
            if (events.empty()) {
                if (SettlePosition())
                    return;
                continue;
            }
            FInputAge.BatchRead();
            int askedMoves = 0;
            for (size_t i = 0; i < events.size(); ++i) {
                ++askedMoves;
                const bool last = i + 1 == events.size();
                if (!last && IsAskedMoveBefore(events[i], events[i + 1]))
                    continue;
                FAskedMovesInRun = std::exchange(askedMoves, 0);
                FRunMadeAt = events[i + 1 - FAskedMovesInRun].time;
                FRestOfBatch = std::span(events).subspan(i + 1);
                if (!Dispatch(events[i]) || !*alive)
                    return;
            }
            FRestOfBatch = {};
        }
    }

    // The events put back by OnAskedMoves first, then those that Xlib has read; with
    // `fromSocket`, also those that have reached our socket since.
    std::vector<TInputEvent> TakeQueuedEvents(bool fromSocket = true) {
        std::vector<TInputEvent> events = std::exchange(FBacklog, {});
        Display* connection = FDisplay.get();
        while ((fromSocket ? XPending(connection) : XEventsQueued(connection, QueuedAlready)) > 0) {
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
            events.push_back(CopyEvent(*cookie));
            XFreeEventData(FDisplay.get(), cookie);
        }
        return events;
    }

    // A move whose position has to be asked of the server (XTest input, tablets: their raw
    // values need not be deltas), followed by another such move of the same device. The
    // server's answer for the first would already include the second, so the first is
    // not asked for on its own: when the program falls behind, it catches up with one
    // round trip instead of one per move, and the way the run came is cut into as many
    // equal moves as it had (see OnAskedMoves). Moves of mice and touchpads are never
    // skipped.
    bool IsAskedMoveBefore(const TInputEvent& move, const TInputEvent& next) {
        return IsAskedMoveOf(move, move.source) && IsAskedMoveOf(next, move.source);
    }

    bool IsAskedMoveOf(const TInputEvent& input, int source) {
        return !FStroke.Grab && input.type == XI_RawMotion && input.device == FCorePointer &&
               input.source == source && !MovesByDeltas(source);
    }

    // With nothing left to read, the server's position is the one that every event
    // read so far led to: take it, which mends what following the deltas cannot know
    // (the screen's edges, warps by other programs). False when events came meanwhile:
    // then the answer is already behind them. During a held stroke the core pointer
    // stands where we put it, on whole pixels: our own position, which keeps the held
    // mouse's fractions of a pixel, is the better one.
    bool SettlePosition() {
        if (FStroke.Grab)
            return true;
        QPointF at;
        if (!AskServer(at))
            return true;
        if (XPending(FDisplay.get()) > 0)
            return false;
        TakePosition(at);
        return true;
    }

    // Returns false when a handler ended the watch.
    bool Dispatch(const TInputEvent& input) {
        switch (input.type) {
        case XI_RawMotion:
            return OnMotion(input);
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            return OnRawButton(input, input.type == XI_RawButtonPress);
        case XI_ButtonPress:
        case XI_ButtonRelease:
            return OnHeldMouseButtonEvent(input, input.type == XI_ButtonPress);
        case XI_HierarchyChanged:
            return OnHierarchyChanged(input);
        default:
            return true;
        }
    }

    bool IsFromHeldMouse(const TInputEvent& input) const {
        return FStroke.Grab && input.device == FStroke.Grab->DeviceId();
    }

    // Whether the event is core pointer input we care for: not another master's, not a
    // slave's outside a grab of ours, and not made by our own XTest requests.
    bool IsCorePointerInput(const TInputEvent& input) {
        if (input.device != FCorePointer)
            return false;
        return !(FDevices.Kind(input.source).XTest && FXTest.IsOwn(input.serial));
    }

    // Whether the device's raw deltas are the moves of the core pointer (for XTest's
    // device they may be positions: XTest moves either way).
    bool MovesByDeltas(int device) {
        const TPointerDeviceKind& kind = FDevices.Kind(device);
        return kind.Relative && !kind.XTest;
    }

    bool OnMotion(const TInputEvent& input) {
        const bool held = IsFromHeldMouse(input);
        if (!held && !IsCorePointerInput(input))
            return true;
        if (held || (FPointerKnown && MovesByDeltas(input.source))) {
            if (!input.moved)
                return true; // the wheel's valuators alone
            Follow(input.dx, input.dy);
            // A stale move has long reached the other programs where the hand took it: the
            // pointer stays there. A move of the held mouse reaches them only through us.
            if (!held && FInputAge.IsStale(input.time))
                return true;
            return Report(TMouseWatchEvent::Move, TPositionSource::Followed);
        }
        if (FInputAge.IsStale(FRunMadeAt)) {
            // Not cut into moves either: the watch goes on from where the pointer is now.
            TakeServerPosition();
            return true;
        }
        return OnAskedMoves(FAskedMovesInRun, input.source);
    }

    // Moves of a device whose position is asked of the server, `count` of them in a run
    // that we read only once they had all been made. Reported as one move, the run's whole
    // way would be judged at its end, and a fast stroke along an edge could end up beyond
    // the instrument's middle and be pulled onto its other edge. So the way from the last
    // position we know is cut into `count` equal moves, each reported in turn as if it
    // had come on its own; the pointer is moved by each change, which keeps what the
    // server applies meanwhile.
    bool OnAskedMoves(int count, int source) {
        if (!FPointerKnown) {
            if (!TakeServerPosition())
                return true;
            return Report(TMouseWatchEvent::Move, TPositionSource::Asked);
        }
        // Events carry the serial of the last request the server had carried out when it
        // made them: those with a smaller one than the question's came before the answer.
        const unsigned long question = NextRequest(FDisplay.get());
        QPointF at;
        if (!AskServer(at))
            return true;
        count += TakeAskedMovesMadeWhileAsking(source, question);
        const QPointF step = (at - FPointer) / count;
        for (int i = 0; i < count; ++i) {
            FPointer += step;
            if (!Report(TMouseWatchEvent::Move, TPositionSource::Asked))
                return false;
        }
        return true;
    }

    // Xlib has read the events that came while we waited for the server's answer, and
    // perhaps some that came after it. Moves of the same device at their head that the
    // server made before it answered `question` are in the answer and belong to the run;
    // the rest are put back to be dispatched in order. Only when the run ended the events
    // read so far: otherwise older events stand in between.
    int TakeAskedMovesMadeWhileAsking(int source, unsigned long question) {
        if (!FRestOfBatch.empty())
            return 0;
        std::vector<TInputEvent> behind = TakeQueuedEvents(false);
        size_t moves = 0;
        while (moves < behind.size() && behind[moves].serial < question &&
               IsAskedMoveOf(behind[moves], source))
            ++moves;
        FBacklog.assign(behind.begin() + static_cast<std::ptrdiff_t>(moves), behind.end());
        return static_cast<int>(moves);
    }

    bool OnRawButton(const TInputEvent& input, bool press) {
        if (IsFromHeldMouse(input)) // (made-up wheel clicks come as button events below)
            return (input.flags & XIPointerEmulated) || PassOnHeldMouseButton(input.detail, press);
        if (!IsCorePointerInput(input) || LogicalButton(input.detail) != kLeftButton)
            return true;
        // A button does not move the pointer: a followed position is where it happened.
        TPositionSource source = TPositionSource::Followed;
        if (!FPointerKnown || !MovesByDeltas(input.source)) {
            if (!TakeButtonPosition(input.source))
                return true;
            source = TPositionSource::Asked;
        } else if (press && !FStroke.Grab) {
            MatchServerPosition(); // the press decides whether the stroke is held
        }
        return press ? OnLeftPress(input, source) : OnLeftRelease(input, source);
    }

    // Where a button of a device whose position is asked went down or up. The server's
    // answer holds every move it has made so far: when moves of that device came after the
    // button (XTest input sends them right behind it), the answer is already past the
    // button, and the last position we know, where the moves before it left the pointer,
    // is the better one. Taken past the button, a press beside the instrument could pass
    // for a press on it, and the whole stroke would go unsnapped.
    bool TakeButtonPosition(int source) {
        if (!FPointerKnown)
            return TakeServerPosition();
        const unsigned long question = NextRequest(FDisplay.get());
        QPointF at;
        if (!AskServer(at))
            return false;
        if (!MovedAfterButton(source, question))
            TakePosition(at);
        return true;
    }

    // Whether the server made a move of the device after the button being dispatched and
    // before it answered `question`: the next event of the batch, or else the first of those
    // that Xlib read while we waited for the answer (looked at and put back).
    bool MovedAfterButton(int source, unsigned long question) {
        if (!FRestOfBatch.empty())
            return IsAskedMoveOf(FRestOfBatch.front(), source);
        std::vector<TInputEvent> behind = TakeQueuedEvents(false);
        const bool moved = !behind.empty() && behind.front().serial < question &&
                           IsAskedMoveOf(behind.front(), source);
        FBacklog = std::move(behind);
        return moved;
    }

    bool OnLeftPress(const TInputEvent& input, TPositionSource source) {
        if (FStroke.Grab) // another device's press inside a held stroke
            return Report(TMouseWatchEvent::LeftDown, source);
        FStroke = TStroke{};
        FStroke.OnOwnWindow = IsOwnWindowAt(Pixel());
        if (!Report(TMouseWatchEvent::LeftDown, source))
            return false;
        if (FStroke.OnOwnWindow || !FHoldStroke || !FCanDrive || !FDevices.CanHold(input.source) ||
            ReleaseRead(input))
            return true;
        const std::shared_ptr<bool> alive = FAlive;
        const TMouseWatchHoldQuery holdStroke = FHoldStroke;
        if (!holdStroke() || !*alive)
            return *alive;
        FStroke.Grab = TDeviceGrab::Take(FDisplay.get(), input.source);
        // The grab's answer comes after every event the server made before it: a release
        // among them went to the core pointer, and the stroke is over already.
        if (FStroke.Grab && ReleaseRead(input))
            FStroke.Grab.reset();
        FStroke.PressedButton = input.detail;
        FDriven.reset(); // the first held move drives the core pointer, wherever it stands
        return true;
    }

    // Whether the release of the press being dispatched has been read already, to be
    // dispatched after it: a tap sends the two back to back, and a program that was stopped
    // or starved reads a whole click at once. Such a stroke is never held: it is over.
    bool ReleaseRead(const TInputEvent& press) {
        const auto isRelease = [&](const TInputEvent& input) {
            return input.type == XI_RawButtonRelease && input.device == FCorePointer &&
                   input.source == press.source && input.detail == press.detail;
        };
        std::vector<TInputEvent> behind = TakeQueuedEvents(false);
        const bool read = std::any_of(FRestOfBatch.begin(), FRestOfBatch.end(), isRelease) ||
                          std::any_of(behind.begin(), behind.end(), isRelease);
        FBacklog = std::move(behind);
        return read;
    }

    bool OnLeftRelease(const TInputEvent& input, TPositionSource source) {
        if (!Report(TMouseWatchEvent::LeftUp, source))
            return false;
        // A held stroke ends with the release of its own mouse only, which comes from the
        // grab, or, had the grab come after it, from the core pointer: then the other
        // programs have it already.
        if (!FStroke.Grab || input.source == FStroke.Grab->DeviceId())
            FStroke = TStroke{};
        return true;
    }

    // The held mouse's buttons go on through XTest where the pointer stands; its left
    // release ends the stroke.
    bool PassOnHeldMouseButton(unsigned int physical, bool press) {
        if (!press && LogicalButton(physical) == kLeftButton)
            return EndHeldStroke();
        FXTest.Button(physical, press);
        XFlush(FDisplay.get());
        return true;
    }

    // Wheel clicks that the server makes up from a smooth-scrolling device come only as
    // device events (flagged as emulated); every other button comes as a raw event too.
    bool OnHeldMouseButtonEvent(const TInputEvent& input, bool press) {
        if (!IsFromHeldMouse(input) || !(input.flags & XIPointerEmulated))
            return true;
        FXTest.Button(input.detail, press);
        XFlush(FDisplay.get());
        return true;
    }

    bool EndHeldStroke() {
        FStroke.ReleaseDue = true;
        if (!Report(TMouseWatchEvent::LeftUp, TPositionSource::Followed))
            return false; // the watch has ended, and given the mouse back
        GiveBackHeldMouse();
        return true;
    }

    // Passes a due release on, then ends the grab: the server attaches the mouse to the
    // core pointer again. A mouse whose button is still down goes back with it held, and
    // its own release then reaches the other programs as usual.
    void GiveBackHeldMouse() {
        if (FStroke.ReleaseDue)
            FXTest.Button(FStroke.PressedButton, false);
        FStroke = TStroke{};
    }

    bool OnHierarchyChanged(const TInputEvent& input) {
        FDevices.Forget();
        if (!FStroke.Grab)
            return true;
        for (const auto& [device, flags] : input.hierarchy)
            if (device == FStroke.Grab->DeviceId() &&
                (flags & (XISlaveRemoved | XIDeviceDisabled))) {
                // Unplugged mid-stroke: the stroke ends there.
                FStroke.Grab->Forget();
                return EndHeldStroke();
            }
        return true;
    }

    // --- Reporting and moving the pointer ---

    QPoint Pixel() const {
        // The server shows the pixel that holds its sub-pixel position.
        return {static_cast<int>(std::floor(FPointer.x())),
                static_cast<int>(std::floor(FPointer.y()))};
    }

    void Follow(double dx, double dy) { FPointer = OnScreen(FPointer + QPointF(dx, dy)); }

    QPointF OnScreen(QPointF p) const {
        return {std::clamp(p.x(), 0.0, FScreenWidth - 1.0),
                std::clamp(p.y(), 0.0, FScreenHeight - 1.0)};
    }

    // The position we follow from the mouse's deltas misses what makes no raw event: another
    // program's warp (xdotool mousemove, a program that places the pointer itself). Before
    // the position decides anything, it is compared with the server's, one round trip. The
    // server has also made the moves read behind the event being dispatched: they are
    // followed on a copy first. On a difference of a pixel or more the server's position is
    // taken, less those moves. Returns whether it differed; none when that cannot be told,
    // because other input has moved the pointer on meanwhile.
    std::optional<bool> MatchServerPosition() {
        const unsigned long question = NextRequest(FDisplay.get());
        QPointF at;
        if (!AskServer(at))
            return std::nullopt;
        const std::optional<QPointF> expected = AfterMovesBehind(FPointer, question);
        if (!expected)
            return std::nullopt;
        if (std::abs(at.x() - expected->x()) < 1 && std::abs(at.y() - expected->y()) < 1)
            return false;
        FPointer = OnScreen(at - (*expected - FPointer));
        return true;
    }

    // Where the core pointer moves that we have read but not dispatched, made before the
    // server answered `question`, take it from p; none when one of them is not a delta of a
    // mouse (XTest input, a tablet), whose effect we cannot foresee.
    std::optional<QPointF> AfterMovesBehind(QPointF p, unsigned long question) {
        std::vector<TInputEvent> behind = TakeQueuedEvents(false);
        bool foreseen = true;
        const auto follow = [&](const TInputEvent& input) {
            if (input.type != XI_RawMotion || input.device != FCorePointer || !input.moved ||
                input.serial >= question)
                return;
            if (MovesByDeltas(input.source))
                p = OnScreen(p + QPointF(input.dx, input.dy));
            else
                foreseen = false;
        };
        std::for_each(FRestOfBatch.begin(), FRestOfBatch.end(), follow);
        std::for_each(behind.begin(), behind.end(), follow);
        FBacklog = std::move(behind);
        return foreseen ? std::optional(p) : std::nullopt;
    }

    bool TakeServerPosition() {
        QPointF at;
        if (!AskServer(at))
            return false;
        TakePosition(at);
        return true;
    }

    // The server's answer: where the pointer is, all moves so far included.
    void TakePosition(QPointF at) {
        FPointer = at;
        FPointerKnown = true;
    }

    bool AskServer(QPointF& at) {
        Window root = 0, child = 0;
        double rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        XIButtonState buttons{};
        XIModifierState modifiers{};
        XIGroupState group{};
        // A master pointer removed under us fails the request; it has a reply, so the trap
        // adds no round trip.
        TX11ErrorTrap lost(FDisplay.get());
        const bool done = XIQueryPointer(FDisplay.get(), FCorePointer, FRoot, &root, &child, &rootX,
                                         &rootY, &windowX, &windowY, &buttons, &modifiers, &group);
        XFree(buttons.mask);
        at = QPointF(rootX, rootY);
        return done;
    }

    // Reports one event at the pointer's position; returns false when the handler ended
    // the watch.
    bool Report(TMouseWatchEvent event, TPositionSource source) {
        const std::shared_ptr<bool> alive = FAlive;
        // The handler may destroy this watcher, and with it FHandler, while it runs.
        const TMouseWatchHandler handler = FHandler;
        QPoint at = Pixel();
        int x = at.x(), y = at.y();
        bool changed = handler(event, x, y);
        if (!*alive)
            return false;
        if (FStroke.OnOwnWindow)
            return true;
        if (changed && QPoint(x, y) != at && event == TMouseWatchEvent::Move &&
            source == TPositionSource::Followed && !FStroke.Grab) {
            const std::optional<bool> differed = MatchServerPosition();
            if (!differed)
                return true; // the pointer has gone on under other input: left there
            if (*differed) {
                // Judged again where the pointer really is.
                at = Pixel();
                x = at.x();
                y = at.y();
                changed = handler(event, x, y);
                if (!*alive)
                    return false;
            }
        }
        if (!changed || QPoint(x, y) == at) {
            // Left where the mouse went. Outside a held stroke the pointer is there
            // already; during one it goes there only when we drive it, like any other move.
            if (FStroke.Grab)
                DriveHeldPointer(at);
            return true;
        }
        MovePointer(at, QPoint(x, y));
        // Moving the pointer makes no raw event, but the pointer did move: report the move
        // it made, as a move of its own, once. Should the handler move the pointer again,
        // that second move is not reported, so a handler that never settles cannot keep the
        // event loop spinning.
        const QPoint moved = Pixel();
        x = moved.x();
        y = moved.y();
        if (handler(TMouseWatchEvent::Move, x, y) && *alive && QPoint(x, y) != moved)
            MovePointer(moved, QPoint(x, y));
        return *alive;
    }

    // Outside a held stroke by the change, not to the point: the moves that the server has
    // made since the one being reported (read behind it, or not yet) are kept, and so is
    // other programs' input meanwhile.
    void MovePointer(QPoint from, QPoint to) {
        if (FStroke.Grab)
            DriveHeldPointer(to);
        else
            XWarpPointer(FDisplay.get(), None, None, 0, 0, 0, 0, to.x() - from.x(),
                         to.y() - from.y());
        XFlush(FDisplay.get());
        StandAt(to);
    }

    // The held mouse no longer moves the core pointer: we do, to every position its moves
    // lead to. Compared with where we last drove it, not with the mouse's own position,
    // which has moved on without it.
    void DriveHeldPointer(QPoint to) {
        if (FDriven == to)
            return;
        FXTest.MoveTo(to);
        XFlush(FDisplay.get());
        FDriven = to;
    }

    // The pointer was put on the pixel p: the pixel changes, its fraction stays, so slow
    // moves of a mouse add up to whole pixels, also where every move is pulled back onto
    // an edge.
    void StandAt(QPoint p) {
        FPointer = QPointF(p) + (FPointer - QPointF(Pixel()));
        FPointerKnown = true;
    }

    // Whether a press at p lands on one of this program's windows: the server's own
    // choice of window, which follows every window's shape, looked up level by level.
    bool IsOwnWindowAt(QPoint p) const {
        std::vector<Window> own;
        for (QWindow* window : QGuiApplication::allWindows())
            if (window->handle() && window->isVisible())
                own.push_back(static_cast<Window>(window->winId()));
        // Another program's window may close while we look (its request then fails);
        // every request has a reply, so the trap adds no round trip.
        TX11ErrorTrap closed(FDisplay.get());
        Window parent = FRoot;
        for (int depth = 0; depth < kMaxWindowDepth && !own.empty(); ++depth) {
            Window child = None;
            int x = 0, y = 0;
            if (!XTranslateCoordinates(FDisplay.get(), FRoot, parent, p.x(), p.y(), &x, &y,
                                       &child) ||
                child == None)
                return false;
            if (std::find(own.begin(), own.end(), child) != own.end())
                return true;
            parent = child;
        }
        return false;
    }

    TDisplayPtr FDisplay;
    int FXInputOpcode = 0;
    Window FRoot = 0;
    int FScreenWidth = 0;
    int FScreenHeight = 0;
    int FCorePointer = 0; // the master pointer our requests act on
    TMouseWatchHandler FHandler;
    TMouseWatchHoldQuery FHoldStroke;
    TPointerDevices FDevices;
    TXTestPointer FXTest;
    bool FCanDrive = false; // XTest is there to drive the core pointer with
    std::vector<unsigned char> FButtonMap;
    QPointF FPointer; // where the core pointer is, sub-pixel, once known
    bool FPointerKnown = false;
    int FAskedMovesInRun = 1;                  // the moves that the one being dispatched stands for
    Time FRunMadeAt = 0;                       // when the server made the first of them
    std::span<const TInputEvent> FRestOfBatch; // the events read after it, yet to dispatch
    TInputAge FInputAge;
    std::vector<TInputEvent> FBacklog; // read while asking, put back to be dispatched
    TStroke FStroke;
    std::optional<QPoint> FDriven; // held stroke: where we last drove the core pointer
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    bool FReading = false;
};

} // namespace

void FollowProgramPointerMove(QPoint screenPos) {
    for (X11MouseWatcher* watcher : X11MouseWatcher::LiveWatchers())
        watcher->FollowProgramMove(screenPos);
}

std::unique_ptr<MouseWatcher> StartMouseWatcher(TMouseWatchHandler handler,
                                                TMouseWatchHoldQuery holdStroke) {
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
    return std::make_unique<X11MouseWatcher>(std::move(display), opcode, std::move(handler),
                                             std::move(holdStroke));
}

} // namespace platform
