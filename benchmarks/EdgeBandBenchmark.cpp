// The cost of the edge-band hit test that runs on every pointer move over an instrument:
// build the outline, widen it by 8 px either side, ask whether a point lies in the band.
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPRegion.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {
constexpr float kBandPenWidth = 16.0f;
constexpr float kFlatness = 0.25f;
constexpr ARGB kBlack = 0xFF000000;

bool NearEdge(const TGPGraphicsPath& outline, const TGPPointF& point) {
    TGPGraphicsPath band(outline);
    band.Widen(TGPPen(kBlack, kBandPenWidth), nullptr, kFlatness);
    TGPRegion region;
    region.MakeEmpty();
    region.Union(band);
    return region.IsVisible(point);
}

void BM_StraightRulerEdge(benchmark::State& state) {
    TGPGraphicsPath outline;
    outline.AddRectangle({0, 0, 500, 64});
    for (auto _ : state)
        benchmark::DoNotOptimize(NearEdge(outline, {100, 5}));
}
BENCHMARK(BM_StraightRulerEdge);

void BM_HalfProtractorEdge(benchmark::State& state) {
    TGPGraphicsPath outline;
    outline.AddArc(0, 0, 500, 500, 176, 188);
    outline.CloseFigure();
    for (auto _ : state)
        benchmark::DoNotOptimize(NearEdge(outline, {250, 5}));
}
BENCHMARK(BM_HalfProtractorEdge);

void BM_FullProtractorEdge(benchmark::State& state) {
    TGPGraphicsPath outline;
    outline.AddArc(0, 0, 500, 500, 0, 360);
    outline.CloseFigure();
    for (auto _ : state)
        benchmark::DoNotOptimize(NearEdge(outline, {250, 5}));
}
BENCHMARK(BM_FullProtractorEdge);

void BM_SetSquareInsetBand(benchmark::State& state) {
    const std::array<TGPPointF, 3> corners{TGPPointF(0, 0), TGPPointF(499, 0), TGPPointF(0, 249)};
    TGPPen inset(kBlack, 64.0f);
    inset.SetAlignment(TPenAlignment::Inset);
    for (auto _ : state) {
        TGPGraphicsPath band;
        band.AddPolygon(corners);
        band.Widen(inset, nullptr, kFlatness);
        benchmark::DoNotOptimize(band.IsVisible(150, 40));
    }
}
BENCHMARK(BM_SetSquareInsetBand);
} // namespace

BENCHMARK_MAIN();
