// Frames advanced and rendered per second for corpus movies at stage size, uncapped,
// and the cost of a frame advance alone.
//
//   render_corpus_bench [--benchmark_filter=...]
#include "Player.h"
#include "Scheduler.h"
#include "swf/Reader.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <memory>

namespace {

const char* const kCases[] = {
    "from_shumway__acid__acid-large",
    "from_shumway__acid__acid-blend",
    "visual__scale_rotation_cache",
    "from_shumway__acid__acid-gradient",
    "visual__simple_shapes__heavy_tesselation",
    "visual__simple_shapes__masks",
};

std::shared_ptr<const swf::Movie> loadCase(const std::string& name)
{
    auto movie = swf::readMovieFile(std::string(TOVRANE_CORPUS_DIR) + "/swf/" + name + "/test.swf");
    if (!movie.ok())
        return nullptr;
    return std::make_shared<const swf::Movie>(std::move(movie).value());
}

void advanceAndRender(benchmark::State& state, const std::string& name, bool draw)
{
    const auto movie = loadCase(name);
    if (!movie) {
        state.SkipWithError("movie not readable");
        return;
    }
    VirtualClock clock;
    flash::Player player(&clock);
    player.load(movie);
    QImage image(player.viewWidth(), player.viewHeight(), QImage::Format_ARGB32_Premultiplied);
    const flash::PixelBuffer target{image.bits(), image.width(), image.height(), int(image.bytesPerLine())};
    for (auto _ : state) {
        player.advanceFrame();
        if (draw)
            player.render(target);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void registerAll()
{
    for (const char* name : kCases) {
        benchmark::RegisterBenchmark((std::string("AdvanceAndRender/") + name).c_str(),
                                     [name](benchmark::State& s) { advanceAndRender(s, name, true); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("AdvanceOnly/") + name).c_str(),
                                     [name](benchmark::State& s) { advanceAndRender(s, name, false); })
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
