// One capture cycle of a recording (CopyFrameTo for GIF and AVI, SnapshotPNG for image
// series) with the real control, against a plain copy of a frame of the same size.
#include "Bitmap.h"
#include "Canvas.h"
#include "Registration.h"
#include "Scheduler.h"
#include "WideString.h"
#include "swf/Writer.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

struct Host {
    VirtualClock clock;
    ScopedScheduler use{clock};
    DWORD cookie = 0;
    TWinControl panel;
    std::unique_ptr<TsfFlashPlayer> player;
    std::string path;

    Host(int w, int h)
    {
        flashcontrol::RegisterFlashControlClass(&cookie);
        swf::MovieBuilder b(w, h, 24.0);
        for (int i = 0; i < 20; ++i) {
            auto id = b.addRectangle(swf::Rect{0, w * 10, 0, h * 10}, swf::Rgba{uint8_t(i * 12), 80, 200, 160});
            b.place(id, i + 1, swf::Matrix::translate(i * w, i * h / 2));
        }
        b.showFrame();
        path = (std::filesystem::temp_directory_path() / "tovrane-capture-bench.swf").string();
        b.save(path);
        panel.SetBounds(0, 0, w, h);
        player = std::make_unique<TsfFlashPlayer>(&panel);
        player->SetTransparent(false);
        player->SetColor(clWhite);
        player->SetBounds(0, 0, w, h);
        player->LoadMovie(0, Utf8ToWide(path));
        player->GotoFrame(0);
        clock.ProcessMessages();
    }
    ~Host()
    {
        player.reset();
        CoRevokeClassObject(cookie);
        std::filesystem::remove(path);
    }
};

void BM_CopyFrameTo(benchmark::State& state)
{
    int w = int(state.range(0)), h = int(state.range(1));
    Host host(w, h);
    TBitmap image(w, h, pf32bit);
    for (auto _ : state)
        host.player->CopyFrameTo(image.Canvas());
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}

void BM_SnapshotPNG(benchmark::State& state)
{
    int w = int(state.range(0)), h = int(state.range(1));
    Host host(w, h);
    for (auto _ : state)
        benchmark::DoNotOptimize(host.player->SnapshotPNG());
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}

void BM_Memcpy(benchmark::State& state)
{
    size_t bytes = size_t(state.range(0)) * size_t(state.range(1)) * 4;
    std::vector<uint8_t> a(bytes, 1), b(bytes);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

} // namespace

BENCHMARK(BM_CopyFrameTo)->Args({440, 316})->Args({1000, 1000});
BENCHMARK(BM_SnapshotPNG)->Args({440, 316})->Args({1000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Args({440, 316})->Args({1000, 1000});

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
