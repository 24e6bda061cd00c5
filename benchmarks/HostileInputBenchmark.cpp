// Damaged and hostile input against the same kind of sound input, side by side: the time
// each load takes and the heap it leaves behind, for
//   - a language file of 1,000 and of 80,000 keys (time per key: the same for both when
//     loading is linear),
//   - pictures whose headers claim far more than the file holds, beside a sound picture,
//   - update replies of 100 MB and without end, beside the reply "0".
// Peak memory of one case: /usr/bin/time -v build/benchmarks/HostileInputBenchmark
//   --benchmark_filter=<case>
// Runs on Qt's offscreen platform; needs no display.

#include "app/HttpClient.h"
#include "foundation/SLGDIPImage.h"
#include "foundation/SLIniFile.h"
#include "foundation/SLLangUtils.h"
#include "platform/widgets/VclGraphics.h"
#include "support/LocalHttpServer.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

double HeapInUse() {
    return double(mallinfo2().uordblks);
}

std::string LanguageFileOfKeys(int keys) {
    std::string text = "[TAppStr]\r\n";
    for (int i = 0; i < keys; ++i)
        text += "Key" + std::to_string(i) + "=Text number " + std::to_string(i) + "\r\n";
    return text;
}

void LanguageFileLoad(benchmark::State& state) {
    const int keys = int(state.range(0));
    TTempFolder folder;
    folder.WriteBytes("Tarsel.lng", LanguageFileOfKeys(keys));
    for (auto _ : state) {
        TSLMemIniFile ini(folder.File("Tarsel.lng"));
        benchmark::DoNotOptimize(ini.ReadString("TAppStr", "Key0", ""));
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(LanguageFileLoad)->Arg(1000)->Arg(80000)->Unit(benchmark::kMillisecond);

void FontWithNul(benchmark::State& state) {
    const std::string text = std::string("Tahoma\0;clWindowText;-11;0;8;", 30);
    for (auto _ : state) {
        TFont font;
        benchmark::DoNotOptimize(TSLTranslator::StringToFont(text, font));
    }
}
BENCHMARK(FontWithNul);

// Loads the picture once per iteration; "leaked" is the heap each load leaves behind.
void LoadPicture(benchmark::State& state, const std::string& name, const std::string& bytes) {
    TTempFolder folder;
    folder.WriteBytes(name, bytes);
    const std::string file = folder.File(name);
    {
        TSLImageEx warmUp; // the first load sets up Qt's image readers and icons
        warmUp.LoadFromFile(file);
    }
    const double before = HeapInUse();
    for (auto _ : state) {
        TSLImageEx image;
        image.LoadFromFile(file);
        benchmark::DoNotOptimize(image.GetWidth());
    }
    state.counters["leaked"] =
        benchmark::Counter((HeapInUse() - before) / double(state.iterations()));
}

BENCHMARK_CAPTURE(LoadPicture, SoundGif, "sound.gif", SmallGif())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, Gif20000Square, "hostile.gif", GifClaiming(20000, 20000, {{1, 1}}))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(LoadPicture, SoundPng, "sound.png", SmallPng())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, Png30000SquareCutShort, "hostile.png",
                  TruncatedPngClaiming(30000, 30000))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(LoadPicture, PngMillionSquareCutShort, "huge.png",
                  TruncatedPngClaiming(1000000, 1000000))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(LoadPicture, SoundWmf, "sound.wmf", RedRectangleWmf())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, WmfClaimingHugeRecords, "hostile.wmf",
                  WmfClaimingLargestRecord(0x7FFFFFFF))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(LoadPicture, NoPictureAtAll, "notes.txt", "plain words")
    ->Unit(benchmark::kMillisecond);

// One GET against a server on 127.0.0.1, which fails for the long replies.
void UpdateReply(benchmark::State& state, std::size_t bodyBytes, bool plainZero) {
    TLocalHttpServer server;
    if (plainZero)
        server.Reply(200, "OK", "0");
    else
        server.ReplyLong(bodyBytes);
    THttpClientSettings settings;
    settings.TotalTimeout = std::chrono::seconds(60);
    const double before = HeapInUse();
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(THttpClient(settings).Get(server.BaseUrl() + "/check"));
        } catch (const EHttpError&) {
        }
    }
    state.counters["leaked"] =
        benchmark::Counter((HeapInUse() - before) / double(state.iterations()));
}
BENCHMARK_CAPTURE(UpdateReply, Zero, 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UpdateReply, HundredMegabytes, std::size_t(100) << 20, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(UpdateReply, EndlessChunks, 0, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
