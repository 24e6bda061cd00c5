// Start-up of the real program on the X display: the time from launch until the
// instrument's first frame is on the screen, and the peak memory of the run as
// /usr/bin/time -v reports it. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" build/benchmarks/StartupBenchmark

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

const QString kProgram = TARSEL_PROGRAM;
// The straight ruler of the settings below covers this screen point with its body.
const QPoint kOnRuler(600, 330);
const QColor kBodyColour(0x87, 0xCE, 0xEB);
constexpr int kGiveUpMs = 20000;

const char* kSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<TAppInfo MouseSnap="0" Transparent="255">
  <OptionInfo AutoCheckUpdate="0"/>
  <RulerObjectList><Items>
    <TRectangleRuler Angle="0" Height="64" OffsetX="400" OffsetY="300" Selected="1" Width="500"/>
  </Items></RulerObjectList>
</TAppInfo>
)";

bool RulerOnScreen() {
    const QImage pixel =
        QGuiApplication::primaryScreen()->grabWindow(0, kOnRuler.x(), kOnRuler.y(), 1, 1).toImage();
    return !pixel.isNull() && pixel.pixelColor(0, 0) == kBodyColour;
}

void StartupToFirstFrame(benchmark::State& state) {
    double peakKiB = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString program = folder.filePath("TarselRuler");
        QFile::copy(kProgram, program);
        QFile settings(folder.filePath("TarselRuler.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(kSettings);
        settings.close();

        QProcess run;
        run.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer clock;
        clock.start();
        run.start("/usr/bin/time", {"-v", program});
        while (!RulerOnScreen() && clock.elapsed() < kGiveUpMs)
            QThread::usleep(500);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);

        QProcess::execute("xdotool", {"mousemove", "600", "330", "click", "1", "key", "Escape"});
        if (!run.waitForFinished(5000)) {
            run.kill();
            run.waitForFinished();
        }
        const QString report = QString::fromUtf8(run.readAllStandardError());
        const auto match =
            QRegularExpression("Maximum resident set size \\(kbytes\\): (\\d+)").match(report);
        if (match.hasMatch())
            peakKiB = std::max(peakKiB, match.captured(1).toDouble());
    }
    state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
}

BENCHMARK(StartupToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
