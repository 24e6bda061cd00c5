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

#include "foundation/MouseHook.h"

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

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!std::getenv("DISPLAY")) {
        std::fputs("This benchmark needs an X display (try xvfb-run -a).\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
