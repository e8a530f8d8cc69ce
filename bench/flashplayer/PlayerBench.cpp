// Frames advanced and drawn per second at stage size, uncapped, for the corpus
// movies; and one frame advance without drawing. Run a Release build:
//   flashplayer_bench --benchmark_filter='Movie/acid-large'
// The per-movie benchmarks report frames per second as "fps"; the summary
// benchmark prints the median and the slowest movie.
#include "Player.h"

#include "Scheduler.h"
#include "swf/Reader.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

const std::filesystem::path kCases = std::filesystem::path(TOVRANE_CORPUS_DIR) / "swf";

std::shared_ptr<const swf::Movie> readCase(const std::string& name)
{
    swf::Result<swf::Movie> movie = swf::readMovieFile((kCases / name / "test.swf").string());
    if (!movie.ok())
        return nullptr;
    return std::make_shared<const swf::Movie>(std::move(movie).value());
}

struct Rig {
    VirtualClock clock;
    flash::Player player{&clock};
    QImage image;
    bool load(const std::shared_ptr<const swf::Movie>& movie)
    {
        if (!movie || !player.load(movie))
            return false;
        image = QImage(std::max(1, player.viewWidth()), std::max(1, player.viewHeight()),
                       QImage::Format_ARGB32_Premultiplied);
        return player.viewWidth() > 0 && player.viewHeight() > 0;
    }
    void frame()
    {
        player.advanceFrame();
        player.render({image.bits(), image.width(), image.height(), int(image.bytesPerLine())});
    }
};

void advanceAndRender(benchmark::State& state, const std::string& name)
{
    Rig rig;
    if (!rig.load(readCase(name))) {
        state.SkipWithError("movie not playable");
        return;
    }
    for (auto _ : state)
        rig.frame();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void advanceOnly(benchmark::State& state, const std::string& name)
{
    Rig rig;
    if (!rig.load(readCase(name))) {
        state.SkipWithError("movie not playable");
        return;
    }
    for (auto _ : state)
        rig.player.advanceFrame();
}

// Every case for a fixed number of frames: the median and the slowest rate.
void AllMovies(benchmark::State& state)
{
    std::vector<std::pair<double, std::string>> rates;
    for (auto _ : state) {
        rates.clear();
        for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
            if (!entry.is_directory())
                continue;
            Rig rig;
            if (!rig.load(readCase(entry.path().filename().string())))
                continue;
            const auto start = std::chrono::steady_clock::now();
            constexpr int kFrames = 30;
            for (int i = 0; i < kFrames; ++i)
                rig.frame();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            rates.push_back({kFrames / std::max(seconds, 1e-9), entry.path().filename().string()});
        }
    }
    std::sort(rates.begin(), rates.end());
    if (rates.empty())
        return;
    state.counters["median_fps"] = rates[rates.size() / 2].first;
    state.counters["slowest_fps"] = rates.front().first;
    std::printf("slowest: %s at %.0f fps; median %.0f fps over %zu movies\n", rates.front().second.c_str(),
                rates.front().first, rates[rates.size() / 2].first, rates.size());
}

const char* const kGoals[] = {"from_shumway__acid__acid-large", "from_shumway__acid__acid-blend",
                              "visual__scale_rotation_cache"};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const char* name : kGoals) {
        benchmark::RegisterBenchmark((std::string("Movie/") + name).c_str(), advanceAndRender, std::string(name));
        benchmark::RegisterBenchmark((std::string("AdvanceOnly/") + name).c_str(), advanceOnly, std::string(name));
    }
    benchmark::RegisterBenchmark("AllMovies", AllMovies)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
