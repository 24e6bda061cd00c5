// Start-up of the real program on the X display: the time from launch until the
// instrument's first pixel is on the screen, against the same for a bare Qt 6 program
// that shows one full-screen window with one rectangle (BareQtWindow), measured in
// the same run; the ratio of the two is printed at the end. Peak memory is the
// process's high-water mark (VmHWM) half a second after its first pixel showed.
// Instruments far larger than the screen (a settings file may hold sizes up to
// 100000 px) are measured beside the same kind at its usual size, and the ratios of
// their times and peak memories to that baseline are printed too: what cannot be seen
// should cost nothing.
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
#include <map>
#include <string>

namespace {

const QString kProgram = bench::ProgramUnderTest();
const QString kBareWindow = TARSEL_BARE_WINDOW;
constexpr unsigned long kBodyColour = 0x87CEEB;
constexpr int kGiveUpMs = 20000;
constexpr int kRuns = 5;

// One start: the instrument of the settings file and a screen point of its plain body
// (off the scales, the numbers and the handles), where its first pixel is awaited.
struct TStart {
    const char* Name;
    const char* Instrument; // the element in the settings file's list
    int OnBodyX, OnBodyY;
};

// The straight ruler (and the bare window's rectangle) covers the screen point
// (600, 330). A set square's left leg covers (445, 450) at any size from the same
// corner, a full protractor centred on (700, 400) the point (600, 330) at any size.
const TStart kStraightRuler{"TarselRuler",
                            R"(<TRectangleRuler Angle="0" Height="64" OffsetX="400" )"
                            R"(OffsetY="300" Selected="1" Width="500"/>)",
                            600, 330};
const TStart kStarts[] = {
    {"SetSquare500",
     R"(<TTriangleRuler Angle="0" Height="250" OffsetX="400" OffsetY="300" Selected="1" )"
     R"(Width="500"/>)",
     445, 450},
    {"SetSquare20000",
     R"(<TTriangleRuler Angle="0" Height="20000" OffsetX="400" OffsetY="300" Selected="1" )"
     R"(Width="20000"/>)",
     445, 450},
    {"SetSquare40000",
     R"(<TTriangleRuler Angle="0" Height="40000" OffsetX="400" OffsetY="300" Selected="1" )"
     R"(Width="40000"/>)",
     445, 450},
    {"FullProtractor500",
     R"(<TProtractorRuler360 Angle="0" Height="500" OffsetX="450" OffsetY="150" )"
     R"(Selected="1" Width="500"/>)",
     600, 330},
    {"FullProtractor30000",
     R"(<TProtractorRuler360 Angle="0" Height="30000" OffsetX="-14300" OffsetY="-14600" )"
     R"(Selected="1" Width="30000"/>)",
     600, 330},
};

QByteArray SettingsWith(const char* instrument) {
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<TAppInfo MouseSnap="0" Transparent="255">
  <OptionInfo AutoCheckUpdate="0"/>
  <RulerObjectList><Items>
    )") + instrument +
           R"(
  </Items></RulerObjectList>
</TAppInfo>
)";
}

// Read straight from the X server, so the benchmark's own Qt adds nothing per poll.
bool BodyOnScreen(Display* display, const TStart& start) {
    XImage* pixel = XGetImage(display, DefaultRootWindow(display), start.OnBodyX, start.OnBodyY, 1,
                              1, AllPlanes, ZPixmap);
    if (!pixel)
        return false;
    const bool found = (XGetPixel(pixel, 0, 0) & 0xFFFFFF) == kBodyColour;
    XDestroyImage(pixel);
    return found;
}

// Mean start-up, milliseconds, and peak memory, MiB, by the start's name; the bare
// window's under "BareQtWindow".
struct TFigures {
    double MeanMs = 0;
    double PeakMiB = 0;
};
std::map<std::string, TFigures> gFigures;

// Starts the executable from a folder of its own with the settings beside it and
// measures until the instrument's body is on the screen.
void StartupToFirstPixel(benchmark::State& state, const QString& executableFile,
                         const TStart& start, const std::string& name) {
    Display* display = XOpenDisplay(nullptr);
    double peakMiB = 0;
    double totalMs = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString executable = folder.filePath("TarselRuler");
        QFile::copy(executableFile, executable);
        QFile settings(folder.filePath("TarselRuler.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(SettingsWith(start.Instrument));
        settings.close();

        QProcess run;
        run.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer clock;
        clock.start();
        run.start(executable, {});
        while (!BodyOnScreen(display, start) && clock.elapsed() < kGiveUpMs)
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
        // The next run starts on a screen without the instrument.
        while (BodyOnScreen(display, start) && clock.elapsed() < kGiveUpMs)
            QThread::usleep(500);
    }
    gFigures[name] = {totalMs / static_cast<double>(state.iterations()), peakMiB};
    state.counters["peak_rss_MiB"] = peakMiB;
    XCloseDisplay(display);
}

void Register(const std::string& name, const QString& executable, const TStart& start) {
    benchmark::RegisterBenchmark(("StartupToFirstPixel/" + name).c_str(),
                                 [executable, &start, name](benchmark::State& state) {
                                     StartupToFirstPixel(state, executable, start, name);
                                 })
        ->UseManualTime()
        ->Iterations(kRuns)
        ->Unit(benchmark::kMillisecond);
}

// "name: a ms, b MiB; x times the time and y times the memory of baseline", when both ran.
void PrintRatio(const std::string& name, const std::string& baseline) {
    if (!gFigures.count(name) || !gFigures.count(baseline))
        return;
    const TFigures& of = gFigures[name];
    const TFigures& base = gFigures[baseline];
    std::printf("%s: %.1f ms, %.0f MiB peak; %.2f times the time and %.2f times the memory "
                "of %s\n",
                name.c_str(), of.MeanMs, of.PeakMiB, of.MeanMs / base.MeanMs,
                of.PeakMiB / base.PeakMiB, baseline.c_str());
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Register("BareQtWindow", kBareWindow, kStraightRuler);
    Register(kStraightRuler.Name, kProgram, kStraightRuler);
    for (const TStart& start : kStarts)
        Register(start.Name, kProgram, start);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n");
    PrintRatio(kStraightRuler.Name, "BareQtWindow");
    PrintRatio("SetSquare20000", "SetSquare500");
    PrintRatio("SetSquare40000", "SetSquare500");
    PrintRatio("FullProtractor30000", "FullProtractor500");
    return 0;
}
