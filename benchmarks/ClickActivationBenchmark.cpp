// What a click on the instrument costs in window-system requests when a window manager
// refuses to activate the program's window (strict focus-stealing prevention):
//   BM_ClickWaitingForActivation  asks for the activation and waits for it to happen, as
//                                 the click did before (the baseline);
//   BM_ClickRequestingActivation  asks for it and goes on, as the click does now.
// Both also keep the window on top (which raises it). Compare the two as a ratio.
// Needs an X display without a real window manager: the benchmark announces one of its
// own that never answers.

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

#include "benchmarks/DisplayBenchmarkMain.h"
#include "platform/desktop/WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A window manager that announces itself (EWMH check window) and never carries a request
// out: every activation is refused.
class TRefusingManager {
public:
    TRefusingManager() : FDisplay(XOpenDisplay(nullptr)) {
        const Window root = DefaultRootWindow(FDisplay);
        FCheck = XCreateSimpleWindow(FDisplay, root, -10, -10, 1, 1, 0, 0, 0);
        const Atom check = XInternAtom(FDisplay, "_NET_SUPPORTING_WM_CHECK", False);
        for (const Window on : {FCheck, root})
            XChangeProperty(FDisplay, on, check, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&FCheck), 1);
        XSync(FDisplay, False);
    }
    ~TRefusingManager() {
        XDeleteProperty(FDisplay, DefaultRootWindow(FDisplay),
                        XInternAtom(FDisplay, "_NET_SUPPORTING_WM_CHECK", False));
        XDestroyWindow(FDisplay, FCheck);
        XCloseDisplay(FDisplay);
    }

private:
    Display* FDisplay;
    Window FCheck = 0;
};

platform::TWindowHandle ShownWindow(QWidget& widget) {
    widget.setGeometry(100, 100, 300, 200);
    widget.show();
    QApplication::processEvents();
    return widget.winId();
}

void BM_ClickWaitingForActivation(benchmark::State& state) {
    QWidget widget;
    const platform::TWindowHandle window = ShownWindow(widget);
    TRefusingManager manager;
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::ForceForegroundWindow(window));
        platform::SetStayOnTop(window, true);
    }
}
BENCHMARK(BM_ClickWaitingForActivation)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ClickRequestingActivation(benchmark::State& state) {
    QWidget widget;
    const platform::TWindowHandle window = ShownWindow(widget);
    TRefusingManager manager;
    for (auto _ : state) {
        platform::RequestForegroundWindow(window);
        platform::SetStayOnTop(window, true);
    }
}
BENCHMARK(BM_ClickRequestingActivation)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksOnDisplay(argc, argv);
}
