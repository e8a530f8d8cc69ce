// A 10 s movie recorded at 640 x 480 every 40 ms (250 frames) encoded to MP4 and WebM:
// realtime_x is the movie's length over the encode's wall time (goal: 20 or more for
// MP4); cpu_s is the processor time of all the encoder's threads per encode, which
// holds when other work shares the machine.
// The sizes benchmark writes the same recording as MP4, uncompressed 24-bit AVI and
// 8-bit GIF and reports each file's bytes.
#include "AviWriter.h"
#include "Bitmap.h"
#include "RxGIF.h"
#include "VideoSave.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrameTime = 40, kFrames = 250;
// Distinct pictures: the shapes go there and back, so cycling them stays smooth.
constexpr int kDistinct = 50;

std::string scratch(const std::string& name)
{
    const char* dir = std::getenv("TOVRANE_BENCH_DIR");
    return std::string(dir ? dir : VIDEO_BENCH_DIR) + "/" + name;
}

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double cover(double inside) { return std::clamp(inside / 2.0 + 0.5, 0.0, 1.0); }

// A cartoon frame: gradient sky, a moving anti-aliased disc and square.
std::unique_ptr<TBitmap> frame(int index)
{
    const int t = index < kDistinct / 2 ? index : kDistinct - index;
    auto b = std::make_unique<TBitmap>(kWidth, kHeight, pf24bit);
    const double cx = 120 + t * 16, cy = 240 + 60 * std::sin(t * 0.3), r = 70;
    const double sx = 500 - t * 12, sy = 140 + t * 6, half = 50;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = b->ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            double p[3] = {230.0 - y / 4.0, 180.0 - y / 6.0, 120.0 + x / 8.0};
            const double d = cover(r - std::hypot(x - cx, y - cy));
            const double s = cover(half - std::max(std::abs(x - sx), std::abs(y - sy)));
            const double disc[3] = {30, 60, 220}, square[3] = {40, 200, 60};
            for (int c = 0; c < 3; ++c) {
                p[c] = p[c] * (1 - d) + disc[c] * d;
                p[c] = p[c] * (1 - s) + square[c] * s;
                row[3 * x + c] = uint8_t(std::lround(p[c]));
            }
        }
    }
    return b;
}

struct Recording {
    std::vector<std::unique_ptr<TBitmap>> pictures;
    std::vector<TBitmap*> frames;
    Recording()
    {
        for (int i = 0; i < kDistinct; ++i)
            pictures.push_back(frame(i));
        for (int i = 0; i < kFrames; ++i)
            frames.push_back(pictures[size_t(i % kDistinct)].get());
    }
};

const Recording& recording()
{
    static const Recording r;
    return r;
}

VideoSaveJob job(VideoFormat format, const std::string& file)
{
    VideoSaveJob j;
    j.fileName = file;
    j.format = format;
    j.width = kWidth;
    j.height = kHeight;
    j.frameTime = kFrameTime;
    j.frames = recording().frames;
    return j;
}

void Encode(benchmark::State& state, VideoFormat format, const char* preset)
{
    const std::string file = scratch(std::string("bench") + InfoOf(format).extension);
    VideoSaveJob j = job(format, file);
    j.settings.preset = preset;
    recording();
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state)
        SaveVideo(j);
    state.counters["cpu_s"] = (processCpuSeconds() - cpuBefore) / double(state.iterations());
    state.counters["realtime_x"] = benchmark::Counter(kFrames * kFrameTime / 1000.0 * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["bytes"] = double(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}

void Sizes(benchmark::State& state)
{
    const std::string mp4 = scratch("sizes.mp4"), avi = scratch("sizes.avi"), gif = scratch("sizes.gif");
    for (auto _ : state) {
        SaveVideo(job(VideoFormat::Mp4, mp4));
        TAviWriter writer;
        writer.SetDepth(pf24bit);
        writer.SetWidth(kWidth);
        writer.SetHeight(kHeight);
        writer.SetFrameTime(kFrameTime);
        writer.SetFileName(avi);
        for (TBitmap* b : recording().frames)
            writer.Bitmaps().Add(b);
        writer.WriteAvi();
        TGIFImage image;
        for (TBitmap* b : recording().frames) {
            TBitmap reduced(*b);
            reduced.SetPixelFormat(pf8bit);
            image.AddFrame(&reduced);
            image.Frames(image.Count() - 1)->SetAnimateInterval(kFrameTime / 10);
        }
        image.SaveToFile(gif);
    }
    state.counters["mp4_bytes"] = double(std::filesystem::file_size(mp4));
    state.counters["avi_bytes"] = double(std::filesystem::file_size(avi));
    state.counters["gif_bytes"] = double(std::filesystem::file_size(gif));
    for (const auto& f : {mp4, avi, gif})
        std::filesystem::remove(f);
}

BENCHMARK_CAPTURE(Encode, mp4_medium, VideoFormat::Mp4, "medium")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(Encode, mp4_faster, VideoFormat::Mp4, "faster")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(Encode, mp4_superfast, VideoFormat::Mp4, "superfast")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(Encode, mp4_veryfast, VideoFormat::Mp4, "veryfast")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(Encode, webm, VideoFormat::WebM, "")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(Sizes)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
