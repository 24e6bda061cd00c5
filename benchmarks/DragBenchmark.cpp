// What a drag step costs the real program: each instrument, turned 15 degrees, is
// dragged by its body (move) and by its rotate handle (rotate) with real pointer input
// (XTest) on private X servers of 1280 x 800, 3840 x 2160 and 7680 x 4320. The figure is the
// program's own CPU time per step, read from /proc (all its threads), after each step
// has been handled in full. The cost of a step should depend on the instrument, not on
// the desktop: the table at the end gives the ratio between the screen sizes, and
// each run reports the program's peak resident memory.
//
//   build/benchmarks/DragBenchmark            (needs Xvfb; no display of its own)

#include "support/PrivateXServer.h"
#include "support/XClient.h"

#include "ProcessFigures.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const QString kProgram = bench::ProgramUnderTest();
constexpr float kAngle = 15.0f;
constexpr int kWarmUpSteps = 20;
constexpr int kSteps = 300;
constexpr int kStartTimeoutMs = 20000;
constexpr QRgb kBodyColour = 0xFF87CEEB;

// An instrument at its default size, in its local frame (pixels at 96 dpi).
struct TInstrument {
    const char* Name;
    const char* Element;
    float Width, Height;
    QPointF Pivot;        // centre of rotation
    QPointF Body;         // a point of the plain body, off the handles and the scale
    QPointF RotateHandle; // centre of the rotate handle
};

const TInstrument kInstruments[] = {
    {"RectangleRuler", "TRectangleRuler", 500, 64, {0, 0}, {100, 32}, {436, 32}},
    {"TriangleRuler", "TTriangleRuler", 500, 250, {0, 0}, {150, 40}, {190.9, 120.1}},
    {"ProtractorRuler180", "TProtractorRuler180", 500, 500, {250, 250}, {300, 150}, {396, 250}},
    {"ProtractorRuler360", "TProtractorRuler360", 500, 500, {250, 250}, {300, 150}, {396, 250}},
};

const QSize kSizes[] = {{1280, 800}, {3840, 2160}, {7680, 4320}};

// Where the instrument is put: its pivot a little above the middle of the screen.
QPointF Offset(const TInstrument& instrument, QSize screen) {
    return QPointF(screen.width() / 2.0 - 250, screen.height() / 2.0 - instrument.Height / 2);
}

QPoint ToScreen(const TInstrument& instrument, QSize screen, QPointF local) {
    const double a = kAngle * std::numbers::pi / 180;
    const QPointF d = local - instrument.Pivot;
    const QPointF turned(instrument.Pivot.x() + std::cos(a) * d.x() - std::sin(a) * d.y(),
                         instrument.Pivot.y() + std::sin(a) * d.x() + std::cos(a) * d.y());
    return (turned + Offset(instrument, screen)).toPoint();
}

QByteArray Settings(const TInstrument& instrument, QSize screen) {
    const QPointF offset = Offset(instrument, screen);
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<TAppInfo MouseSnap=\"0\" Transparent=\"255\">\n"
                      "  <OptionInfo AutoCheckUpdate=\"0\"/>\n"
                      "  <RulerObjectList><Items>\n    <") +
           instrument.Element + " Angle=\"" + QByteArray::number(kAngle) + "\" Height=\"" +
           QByteArray::number(instrument.Height) + "\" OffsetX=\"" +
           QByteArray::number(offset.x()) + "\" OffsetY=\"" + QByteArray::number(offset.y()) +
           "\" Selected=\"1\" Width=\"" + QByteArray::number(instrument.Width) +
           "\"/>\n  </Items></RulerObjectList>\n</TAppInfo>\n";
}

// Waits until the program has handled what it was sent: its CPU time and the X
// server's stand still for a few milliseconds (the program may be waiting for the
// server, which may still be busy with the program's last requests).
void WaitUntilIdle(qint64 pid, qint64 serverPid) {
    auto both = [&] { return bench::ThreadsCpuNs(pid) + bench::ThreadsCpuNs(serverPid); };
    long long last = both();
    int still = 0;
    QElapsedTimer clock;
    clock.start();
    while (still < 4 && clock.elapsed() < 500) {
        QThread::usleep(500);
        const long long now = both();
        still = now == last ? still + 1 : 0;
        last = now;
    }
}

struct TResult {
    double CpuMsPerStep = 0;
    double StatMsPerStep = 0;
    double PeakRssMiB = 0;
};
std::map<std::string, TResult> gResults;

std::map<int, std::unique_ptr<TPrivateXServer>>& Servers() {
    static std::map<int, std::unique_ptr<TPrivateXServer>> servers;
    return servers;
}

TPrivateXServer& ServerOf(QSize size) {
    auto& server = Servers()[size.width()];
    if (!server)
        server = std::make_unique<TPrivateXServer>(size);
    return *server;
}

// The pointer's way for step i: a triangle wave of 40 steps, 1 px (move) or 1 degree
// (rotate) per step.
int Wave(int i) {
    const int phase = i % 40;
    return phase < 20 ? phase : 40 - phase;
}

void BM_Drag(benchmark::State& state, const TInstrument* instrument, QSize size, bool rotate) {
    TPrivateXServer& server = ServerOf(size);
    TXClient x(server.Display());
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString program = folder.filePath("TarselRuler");
        QFile::copy(kProgram, program);
        QFile settings(folder.filePath("TarselRuler.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(Settings(*instrument, size));
        settings.close();

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.Display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(program, {});
        run.waitForStarted();
        const qint64 pid = run.processId();

        const QPoint body = ToScreen(*instrument, size, instrument->Body);
        QElapsedTimer clock;
        clock.start();
        while (x.Grab(QRect(body, QSize(1, 1))).pixel(0, 0) != kBodyColour &&
               clock.elapsed() < kStartTimeoutMs)
            QThread::msleep(5);
        QThread::msleep(300);
        WaitUntilIdle(pid, server.Pid());

        const QPoint pivot = ToScreen(*instrument, size, instrument->Pivot);
        const QPoint handle = ToScreen(*instrument, size, instrument->RotateHandle);
        const QPoint start = rotate ? handle : body;
        const double radius = std::hypot(handle.x() - pivot.x(), handle.y() - pivot.y());
        const double startAngle = std::atan2(handle.y() - pivot.y(), handle.x() - pivot.x());
        auto pointAt = [&](int i) {
            if (!rotate)
                return start + QPoint(Wave(i), Wave(i) / 2);
            const double a = startAngle + Wave(i) * std::numbers::pi / 180;
            return pivot + QPoint(static_cast<int>(std::lround(radius * std::cos(a))),
                                  static_cast<int>(std::lround(radius * std::sin(a))));
        };

        x.MoveTo(start);
        x.Press(1);
        int step = 1;
        for (; step <= kWarmUpSteps; ++step) {
            x.MoveTo(pointAt(step));
            WaitUntilIdle(pid, server.Pid());
        }
        const long long cpuBefore = bench::ThreadsCpuNs(pid);
        const double statBefore = bench::StatCpuMs(pid);
        clock.restart();
        for (int counted = 0; counted < kSteps; ++counted, ++step) {
            x.MoveTo(pointAt(step));
            WaitUntilIdle(pid, server.Pid());
        }
        TResult result;
        result.CpuMsPerStep = (bench::ThreadsCpuNs(pid) - cpuBefore) / 1e6 / kSteps;
        result.StatMsPerStep = (bench::StatCpuMs(pid) - statBefore) / kSteps;
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        x.Release(1);
        WaitUntilIdle(pid, server.Pid());
        result.PeakRssMiB = bench::PeakRssMiB(pid);

        run.terminate();
        if (!run.waitForFinished(5000)) {
            run.kill();
            run.waitForFinished();
        }
        state.counters["cpu_ms_per_step"] = result.CpuMsPerStep;
        state.counters["stat_cpu_ms_per_step"] = result.StatMsPerStep;
        state.counters["peak_rss_MiB"] = result.PeakRssMiB;
        gResults[std::string(instrument->Name) + (rotate ? "/rotate/" : "/move/") +
                 std::to_string(size.width())] = result;
    }
}

std::string SizeName(QSize size) {
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// One row per instrument and step: the figure on each screen size, then the ratio of
// each larger size's figure to the smallest's.
void PrintRatios() {
    std::printf("\nCPU ms per step, and the ratio of each larger screen to %s:\n",
                SizeName(kSizes[0]).c_str());
    std::printf("%-20s %-7s", "instrument", "step");
    for (const QSize size : kSizes)
        std::printf(" %10s", SizeName(size).c_str());
    for (std::size_t i = 1; i < std::size(kSizes); ++i)
        std::printf(" %10s", ("ratio " + std::to_string(kSizes[i].width())).c_str());
    std::printf("\n");
    for (const TInstrument& instrument : kInstruments)
        for (const char* kind : {"move", "rotate"}) {
            const std::string key = std::string(instrument.Name) + "/" + kind + "/";
            std::vector<double> figures;
            for (const QSize size : kSizes) {
                const auto found = gResults.find(key + std::to_string(size.width()));
                figures.push_back(found == gResults.end() ? NAN : found->second.CpuMsPerStep);
            }
            if (std::all_of(figures.begin(), figures.end(), [](double f) { return std::isnan(f); }))
                continue;
            std::printf("%-20s %-7s", instrument.Name, kind);
            for (const double figure : figures)
                std::printf(" %10.3f", figure);
            for (std::size_t i = 1; i < figures.size(); ++i)
                std::printf(" %10.2f", figures[i] / figures[0]);
            std::printf("\n");
        }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    for (const TInstrument& instrument : kInstruments)
        for (const QSize size : kSizes)
            for (const bool rotate : {false, true}) {
                const std::string name = std::string("Drag/") + instrument.Name +
                                         (rotate ? "/rotate/" : "/move/") + SizeName(size);
                benchmark::RegisterBenchmark(name.c_str(), BM_Drag, &instrument, size, rotate)
                    ->UseManualTime()
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
            }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    Servers().clear();
    return 0;
}
