// Converting a ten-second (and a thirty-second) movie at 24 frames per second to GIF at a 100 ms delay, as
// `tovrane convert` does it on the virtual clock. Reports the wall time against the
// movie's length and the peak memory against the raw size of the recorded frames.
#include "Convert.h"
#include "Dialogs.h"
#include "Program.h"
#include "Screenshot.h"
#include "Registration.h"
#include "swf/Writer.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Width = 320, Height = 240, Fps = 24, DelayMs = 100;

// Twelve coloured bars crossing the stage at different speeds over a gradient of
// rectangles: every frame differs from the last.
std::string writeMovie(int seconds)
{
    swf::MovieBuilder b(Width, Height, Fps);
    b.setBackground(swf::Rgba{230, 230, 240, 255});
    std::vector<uint16_t> bars;
    for (int i = 0; i < 12; ++i)
        bars.push_back(b.addRectangle(swf::Rect{0, 30 * 20, 0, 16 * 20},
                                      swf::Rgba{uint8_t(20 * i), uint8_t(255 - 20 * i), uint8_t(90 + 10 * i), 255}));
    const int frames = Fps * seconds;
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < 12; ++i) {
            const int x = (f * (i + 1) * 2) % (Width + 30) - 30;
            const swf::Matrix at = swf::Matrix::translate(x * 20, (i * 20) * 20);
            if (f == 0)
                b.place(bars[size_t(i)], uint16_t(i + 1), at);
            else
                b.move(uint16_t(i + 1), at);
        }
        b.showFrame();
    }
    const fs::path path = fs::temp_directory_path() / ("tovrane-bench-" + std::to_string(getpid()) + ".swf");
    if (!b.save(path.string()).ok())
        return {};
    return path.string();
}

long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    }
    return 0;
}

void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_ConvertMovieToGif(benchmark::State& state)
{
    const int seconds = int(state.range(0));
    const std::string movie = writeMovie(seconds);
    if (movie.empty()) {
        state.SkipWithError("cannot write the movie");
        return;
    }
    const std::string output = movie + ".gif";
    ConvertRequest request;
    request.jobs.push_back({movie, output});
    request.delayMs = DelayMs;
    request.quiet = true;
    double wall = 0, peakMb = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS:");
        resetPeak();
        std::ostringstream messages;
        const auto start = std::chrono::steady_clock::now();
        const int code = RunConvert(request, messages);
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        peakMb = double(statusKb("VmHWM:") - before) / 1024.0;
        if (code != 0)
            state.SkipWithError(messages.str().c_str());
    }
    const double frames = double(seconds * 1000 / DelayMs);
    const double rawMb = frames * Width * Height * 4 / (1024.0 * 1024.0);
    state.counters["movie_s"] = seconds;
    state.counters["wall_s"] = wall;
    state.counters["faster_than_real_time"] = seconds / wall;
    state.counters["peak_extra_MB"] = peakMb;
    state.counters["raw_frames_MB"] = rawMb;
    state.counters["peak_over_raw"] = peakMb / rawMb;
    fs::remove(movie);
    fs::remove(output);
}

} // namespace

// The window, its three players and the fonts cost the same whatever the length, so a
// longer movie shows how the peak grows with the recorded frames alone. The peak is
// the process's: a second run in the same process reuses the first one's freed heap,
// so measure each length in a process of its own (--benchmark_filter=/30).
BENCHMARK(BM_ConvertMovieToGif)->Arg(10)->Arg(30)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv)
{
    PrepareQtEnvironment(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    PrepareApplication();
    DWORD cookie = 0;
    flashcontrol::RegisterFlashControlClass(&cookie);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CoRevokeClassObject(cookie);
    return 0;
}
