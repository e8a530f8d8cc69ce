// A ten-second 640 x 480 H.264 video converted to GIF at a 100 ms delay, as
// `tovrane convert` does it on the virtual clock, beside ffmpeg's own two-pass
// palettegen/paletteuse conversion of the same video at the same ten pictures a
// second. Reports the wall time against the video's length, the ratio to ffmpeg, and
// our peak memory against the raw size of the captured frames.
#include "Convert.h"
#include "Program.h"
#include "Screenshot.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Width = 640, Height = 480, Seconds = 10, DelayMs = 100;

std::string base() { return (fs::temp_directory_path() / ("tovrane-video-bench-" + std::to_string(getpid()))).string(); }

// ffmpeg's moving test pattern, 25 pictures a second.
std::string writeVideo()
{
    const std::string path = base() + ".mp4";
    const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=" + std::to_string(Width) +
                                "x" + std::to_string(Height) + ":rate=25:duration=" + std::to_string(Seconds) +
                                " -c:v libx264 -pix_fmt yuv420p '" + path + "'";
    return std::system(command.c_str()) == 0 ? path : std::string();
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

// Processor time used so far by this process, or by its finished children.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_ConvertVideoToGif(benchmark::State& state)
{
    const std::string video = writeVideo();
    if (video.empty()) {
        state.SkipWithError("ffmpeg cannot write the video");
        return;
    }
    const std::string ours = base() + ".gif", theirs = base() + "-ffmpeg.gif";
    ConvertRequest request;
    request.jobs.push_back({video, ours});
    request.delayMs = DelayMs;
    request.depth = "8";
    request.quiet = true;
    // On a shared machine the wall time says as much about the neighbours as about
    // us: the processor times are reported too.
    double wall = 0, peakMb = 0, ffmpegWall = 0, cpu = 0, ffmpegCpu = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS:");
        resetPeak();
        std::ostringstream messages;
        const auto start = std::chrono::steady_clock::now();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const int code = RunConvert(request, messages);
        wall = seconds(start);
        cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        peakMb = double(statusKb("VmHWM:") - before) / 1024.0;
        if (code != 0)
            state.SkipWithError(messages.str().c_str());

        const auto peer = std::chrono::steady_clock::now();
        const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
        const std::string command = "ffmpeg -nostdin -loglevel error -y -i '" + video +
                                    "' -vf 'fps=10,split[a][b];[a]palettegen[p];[b][p]paletteuse' '" + theirs + "'";
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ffmpeg's conversion failed");
        ffmpegWall = seconds(peer);
        ffmpegCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    }
    const double frames = double(Seconds * 1000 / DelayMs);
    const double rawMb = frames * Width * Height * 4 / (1024.0 * 1024.0);
    state.counters["video_s"] = Seconds;
    state.counters["wall_s"] = wall;
    state.counters["faster_than_real_time"] = Seconds / wall;
    state.counters["ffmpeg_wall_s"] = ffmpegWall;
    state.counters["wall_over_ffmpeg"] = wall / ffmpegWall;
    state.counters["cpu_s"] = cpu;
    state.counters["ffmpeg_cpu_s"] = ffmpegCpu;
    state.counters["cpu_faster_than_real_time"] = Seconds / cpu;
    state.counters["cpu_over_ffmpeg"] = cpu / ffmpegCpu;
    state.counters["peak_extra_MB"] = peakMb;
    state.counters["raw_frames_MB"] = rawMb;
    state.counters["peak_over_raw"] = peakMb / rawMb;
    state.counters["gif_MB"] = double(fs::file_size(ours)) / (1024.0 * 1024.0);
    state.counters["ffmpeg_gif_MB"] = double(fs::file_size(theirs)) / (1024.0 * 1024.0);
    for (const std::string& file : {video, ours, theirs})
        fs::remove(file);
}

} // namespace

BENCHMARK(BM_ConvertVideoToGif)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv)
{
    PrepareQtEnvironment(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    PrepareApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
