// How long the instruments take for what happens on every repaint and, with snapping
// on, on every mouse move of the desktop. Aims: a paint of one instrument into a
// full-HD premultiplied ARGB image within 2 ms, a turned picture with its shape within
// 3 ms, a hooked move within 20 us.
#include "app/InstrumentFrame.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPImage.h"
#include "platform/widgets/VclGraphics.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/TriangleRuler.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kImageWidth = 1920;
constexpr int kImageHeight = 1080;

// Every instrument is placed in the middle of the image and turned a little, as on a
// desktop, so that nothing runs along pixel rows only.
constexpr float kAngle = 15.0f;

template <class TRuler> std::unique_ptr<TRuler> PlacedRuler() {
    auto ruler = std::make_unique<TRuler>();
    ruler->OffsetX = (kImageWidth - ruler->Width) / 2;
    ruler->OffsetY = (kImageHeight - ruler->Height) / 2;
    ruler->Angle = kAngle;
    return ruler;
}

// A rotate step as the program takes it: the instrument turned a little, its picture
// (the bounding box) drawn again and its shape found.
template <class TRuler> void BM_TurnedPicture(benchmark::State& state) {
    auto ruler = PlacedRuler<TRuler>();
    TFont font;
    TInstrumentFrame frame;
    for (auto _ : state) {
        ruler->Angle += 1;
        frame.Update(*ruler, font, QRect(0, 0, kImageWidth, kImageHeight));
        benchmark::DoNotOptimize(frame.Shape());
    }
}

// One paint at the same angle, on a premultiplied surface as the window's picture is:
// the raster engine blends straight alpha through a slow generic path (several times
// the cost, much of it handing rows to helper threads) that the program never takes.
template <class TRuler> void BM_Paint(benchmark::State& state) {
    auto ruler = PlacedRuler<TRuler>();
    TGPBitmap image(kImageWidth, kImageHeight, PixelFormat32bppPARGB);
    TGPGraphics graphics(image);
    for (auto _ : state)
        ruler->Paint(graphics);
}

// The pointer 3 px outside the top edge at local x = 100 (near), or 300 px away from the
// instrument (far), given in window coordinates.
template <class TRuler> void BM_HookMouseMove(benchmark::State& state, bool nearEdge) {
    auto ruler = PlacedRuler<TRuler>();
    float x = 100, y = nearEdge ? -3.0f : -300.0f;
    ruler->RulerToScreen(x, y);
    const int startX = static_cast<int>(x), startY = static_cast<int>(y);
    for (auto _ : state) {
        int hookX = startX, hookY = startY;
        ruler->HookMouseMove({}, hookX, hookY);
        benchmark::DoNotOptimize(hookX);
        benchmark::DoNotOptimize(hookY);
    }
}

template <class TRuler> void Register(const std::string& name) {
    benchmark::RegisterBenchmark(("Paint/" + name).c_str(), BM_Paint<TRuler>)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("TurnedPicture/" + name).c_str(), BM_TurnedPicture<TRuler>)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("HookMouseMove/" + name + "/near").c_str(),
                                 BM_HookMouseMove<TRuler>, true);
    benchmark::RegisterBenchmark(("HookMouseMove/" + name + "/far").c_str(),
                                 BM_HookMouseMove<TRuler>, false);
}

} // namespace

int main(int argc, char** argv) {
    // Fonts and painting need an application object; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Register<TRectangleRuler>("RectangleRuler");
    Register<TTriangleRuler>("TriangleRuler");
    Register<TProtractorRuler180>("ProtractorRuler180");
    Register<TProtractorRuler360>("ProtractorRuler360");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
