// How long the pointer stays where the user moved it before the mouse hook moves it to
// where a handler wants it: X11 cannot hold a move back, so this is how long other
// programs may see the unsnapped position.
//
// Each iteration moves the pointer through XTest from a second connection (as a mouse
// would), lets the program's event loop wait for the hook's report as it does in normal
// running, and then asks the server, from the second connection, until the pointer
// stands where the handler put it.
//   iteration time  - from sending the move to the server having the pointer at its
//                     snapped position (an upper bound: it includes one round trip of
//                     the asking connection)
//   to_handler_us   - from sending the move to the handler being called
//   p99_us, max_us  - the 99th percentile and the longest of the iteration times
//
// BM_DeviceMoveToWindowBelow: what another program sees. A move of the mouse ("Xvfb
// mouse", through XTest's device variants) goes off the handler's column; a recording
// window of another connection under the pointer stamps the event that shows the move
// where the handler put it (on the column). Measured from sending the move to that event:
//   /0 baseline  - no hook: the event the move itself makes (the server's own latency)
//   /1 warp      - hook on, stroke not held: the warp's event, after the unsnapped one
//   /2 held      - hook on, a held stroke (left button down, the mouse grabbed): the
//                  only event the move makes
//   median_us, p99_us - of those times
//   p99_vs_baseline   - the 99th percentile against the baseline's, run beside it
// Run on an otherwise idle X server, e.g.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/benchmarks/MouseHookBenchmark
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "benchmarks/DisplayBenchmarkMain.h"
#include "foundation/MouseHook.h"
#include "support/DeviceInput.h"
#include "support/FakeInput.h"
#include "support/PointerRecorder.h"
#include "support/Waiting.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSnapColumn = 500;
constexpr int kFirstX = 300;
constexpr int kRows = 400;
constexpr int kFirstRow = 200;
constexpr int kReportTimeoutMs = 2000;

QPoint ServerPointer(Display* display) {
    Window root = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY,
                  &mask);
    return {x, y};
}

void BM_MoveToWarpLatency(benchmark::State& state) {
    Display* mouse = XOpenDisplay(nullptr);
    Clock::time_point handlerCalled;
    QEventLoop* waiting = nullptr;
    MouseHook().OnMouseMove = [&](TMouseHook*, TShiftState, int& X, int&) {
        if (X == kSnapColumn)
            return; // the hook's own move coming back
        handlerCalled = Clock::now();
        X = kSnapColumn;
        if (waiting)
            waiting->quit();
    };
    MouseHook().SetActive(true);
    if (!MouseHook().HookHandle()) {
        state.SkipWithError("the mouse hook cannot be installed here");
        XCloseDisplay(mouse);
        return;
    }

    double toHandlerSeconds = 0;
    std::vector<double> unsnappedMicroseconds;
    int step = 0;
    for (auto _ : state) {
        // Alternate columns so that every move really moves the pointer.
        const QPoint target(kFirstX + (step % 2) * 20, kFirstRow + step % kRows);
        ++step;

        QEventLoop loop;
        waiting = &loop;
        QTimer::singleShot(kReportTimeoutMs, &loop, &QEventLoop::quit);
        const Clock::time_point sent = Clock::now();
        XTestFakeMotionEvent(mouse, -1, target.x(), target.y(), CurrentTime);
        XFlush(mouse);
        loop.exec();
        waiting = nullptr;

        const QPoint snapped(kSnapColumn, target.y());
        while (ServerPointer(mouse) != snapped) {
            if (Clock::now() - sent > std::chrono::milliseconds(kReportTimeoutMs)) {
                state.SkipWithError("the pointer never reached its snapped position");
                break;
            }
        }
        const Clock::time_point done = Clock::now();
        const double unsnapped = std::chrono::duration<double>(done - sent).count();
        state.SetIterationTime(unsnapped);
        unsnappedMicroseconds.push_back(unsnapped * 1e6);
        toHandlerSeconds += std::chrono::duration<double>(handlerCalled - sent).count();
    }
    state.counters["to_handler_us"] =
        benchmark::Counter(toHandlerSeconds * 1e6 / static_cast<double>(state.iterations()));
    if (!unsnappedMicroseconds.empty()) {
        std::sort(unsnappedMicroseconds.begin(), unsnappedMicroseconds.end());
        const auto percentile = [&](double share) {
            return unsnappedMicroseconds[static_cast<size_t>(
                share * static_cast<double>(unsnappedMicroseconds.size() - 1))];
        };
        state.counters["p99_us"] = percentile(0.99);
        state.counters["max_us"] = unsnappedMicroseconds.back();
    }
    FinalizeMouseHook();
    XCloseDisplay(mouse);
}
BENCHMARK(BM_MoveToWarpLatency)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(3);

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
}

enum class TDeviceMoveMode { Baseline = 0, Warp = 1, Held = 2 };

double BaselineP99Microseconds = 0;

void BM_DeviceMoveToWindowBelow(benchmark::State& state) {
    const auto mode = static_cast<TDeviceMoveMode>(state.range(0));
    TDeviceInput device;
    if (!device.Available()) {
        state.SkipWithError("this display has no Xvfb mouse");
        return;
    }
    const QSize screen = device.ScreenSize();
    const int column = screen.width() / 2;
    const QPoint start(column, screen.height() / 2);
    TPointerRecorder recorder(QRect(QPoint(0, 0), screen));
    TFakeInput input;
    input.MoveTo(start);

    bool pressed = false;
    if (mode != TDeviceMoveMode::Baseline) {
        MouseHook().OnMouseMove = [&](TMouseHook*, TShiftState, int& X, int&) { X = column; };
        MouseHook().OnLButtonDown = [&](TMouseHook*, TMouseButton, TShiftState, int&, int&) {
            pressed = true;
        };
        MouseHook().OnHoldStroke = [](TMouseHook*) { return true; };
        MouseHook().SetActive(true);
    }
    if (mode == TDeviceMoveMode::Held) {
        device.Press(TFakeInput::kLeft);
        device.Sync();
        ProcessEventsUntil([&] { return pressed && device.Attachment() == 0; });
        if (device.Attachment() != 0) {
            state.SkipWithError("the stroke was not held");
            FinalizeMouseHook();
            return;
        }
    }

    std::vector<double> microseconds;
    int step = 0;
    for (auto _ : state) {
        // Off the column and back, one row down or up each time, so every move's event
        // has a place of its own.
        const int dx = step % 2 ? -5 : 5;
        const int dy = step % 2 ? -1 : 1;
        const QPoint wanted = mode == TDeviceMoveMode::Baseline
                                  ? start + QPoint(step % 2 ? 0 : dx, step % 2 ? 0 : dy)
                                  : QPoint(column, start.y() + (step % 2 ? 0 : dy));
        ++step;
        const size_t seen = recorder.Count();
        const Clock::time_point sent = Clock::now();
        device.MoveBy(dx, dy);
        Clock::time_point arrived{};
        const auto shown = [&] {
            const std::vector<TPointerRecord> records = recorder.Records();
            for (size_t i = seen; i < records.size(); ++i)
                if (records[i].Kind == TPointerRecord::Motion && records[i].At == wanted) {
                    arrived = records[i].Received;
                    return true;
                }
            return false;
        };
        if (!ProcessEventsUntil(shown, std::chrono::milliseconds(kReportTimeoutMs))) {
            state.SkipWithError("the window below never saw the move where it belongs");
            break;
        }
        const double seconds = std::chrono::duration<double>(arrived - sent).count();
        state.SetIterationTime(seconds);
        microseconds.push_back(seconds * 1e6);
    }
    if (mode == TDeviceMoveMode::Held) {
        device.Release(TFakeInput::kLeft);
        device.Sync();
        ProcessEventsUntil([&] { return device.Attachment() != 0; });
    }
    FinalizeMouseHook();
    if (microseconds.empty())
        return;
    const double p99 = Percentile(microseconds, 0.99);
    state.counters["median_us"] = Percentile(microseconds, 0.5);
    state.counters["p99_us"] = p99;
    if (mode == TDeviceMoveMode::Baseline)
        BaselineP99Microseconds = p99;
    if (BaselineP99Microseconds > 0)
        state.counters["p99_vs_baseline"] = p99 / BaselineP99Microseconds;
}
BENCHMARK(BM_DeviceMoveToWindowBelow)
    ->Arg(static_cast<int>(TDeviceMoveMode::Baseline))
    ->Arg(static_cast<int>(TDeviceMoveMode::Warp))
    ->Arg(static_cast<int>(TDeviceMoveMode::Held))
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1000);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksOnDisplay(argc, argv);
}
