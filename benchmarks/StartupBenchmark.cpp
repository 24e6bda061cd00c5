// Start-up of the real program on the X display: the time from launch until the
// instrument's first pixel is on the screen, against the same for a bare Qt 6 program
// that shows one full-screen window with one rectangle (BareQtWindow), measured in
// the same run; the ratio of the two is printed at the end. Peak memory is the
// process's high-water mark (VmHWM) half a second after its first pixel showed.
// Run under Xvfb, for instance:
//   xvfb-run -a -s "-screen 0 3840x2160x24 -dpi 96" build/benchmarks/StartupBenchmark

#include "ProcessFigures.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace {

const QString kProgram = bench::ProgramUnderTest();
const QString kBareWindow = TARSEL_BARE_WINDOW;
// The straight ruler of the settings below (and the bare window's rectangle) covers
// this screen point.
constexpr int kOnRulerX = 600, kOnRulerY = 330;
constexpr unsigned long kBodyColour = 0x87CEEB;
constexpr int kGiveUpMs = 20000;
constexpr int kRuns = 5;

const char* kSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<TAppInfo MouseSnap="0" Transparent="255">
  <OptionInfo AutoCheckUpdate="0"/>
  <RulerObjectList><Items>
    <TRectangleRuler Angle="0" Height="64" OffsetX="400" OffsetY="300" Selected="1" Width="500"/>
  </Items></RulerObjectList>
</TAppInfo>
)";

// Read straight from the X server, so the benchmark's own Qt adds nothing per poll.
bool RulerOnScreen(Display* display) {
    XImage* pixel = XGetImage(display, DefaultRootWindow(display), kOnRulerX, kOnRulerY, 1, 1,
                              AllPlanes, ZPixmap);
    if (!pixel)
        return false;
    const bool found = (XGetPixel(pixel, 0, 0) & 0xFFFFFF) == kBodyColour;
    XDestroyImage(pixel);
    return found;
}

// Mean start-up of the program [0] and of the bare window [1], milliseconds.
double gMeanMs[2];

// Starts the executable from a folder of its own with the settings beside it and
// measures until its rectangle is on the screen.
void StartupToFirstPixel(benchmark::State& state, bool program) {
    Display* display = XOpenDisplay(nullptr);
    double peakMiB = 0;
    double totalMs = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString executable = folder.filePath("TarselRuler");
        QFile::copy(program ? kProgram : kBareWindow, executable);
        QFile settings(folder.filePath("TarselRuler.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(kSettings);
        settings.close();

        QProcess run;
        run.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer clock;
        clock.start();
        run.start(executable, {});
        while (!RulerOnScreen(display) && clock.elapsed() < kGiveUpMs)
            QThread::usleep(500);
        const double seconds = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        totalMs += seconds * 1000;

        QThread::msleep(500);
        peakMiB = std::max(peakMiB, bench::PeakRssMiB(run.processId()));
        run.terminate();
        if (!run.waitForFinished(5000)) {
            run.kill();
            run.waitForFinished();
        }
        // The next run starts on a screen without the rectangle.
        while (RulerOnScreen(display) && clock.elapsed() < kGiveUpMs)
            QThread::usleep(500);
    }
    gMeanMs[program ? 0 : 1] = totalMs / static_cast<double>(state.iterations());
    state.counters["peak_rss_MiB"] = peakMiB;
    XCloseDisplay(display);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::RegisterBenchmark("StartupToFirstPixel/BareQtWindow", StartupToFirstPixel, false)
        ->UseManualTime()
        ->Iterations(kRuns)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StartupToFirstPixel/TarselRuler", StartupToFirstPixel, true)
        ->UseManualTime()
        ->Iterations(kRuns)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gMeanMs[0] > 0 && gMeanMs[1] > 0)
        std::printf("\nStart-up to the first pixel: program %.1f ms, bare Qt window %.1f ms, "
                    "ratio %.2f\n",
                    gMeanMs[0], gMeanMs[1], gMeanMs[0] / gMeanMs[1]);
    return 0;
}
