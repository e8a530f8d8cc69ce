// How fast TAviWriter stores frames, against the cheapest way to put the same number
// of bytes on disk: copying a file of that size with read and write. vs_copy is the
// writer's best time over the copy's best (goal: below 1.5). The largest case writes
// a file over 1 GiB (an OpenDML file); ffprobe and ffmpeg then read all of it.
#include "AviWriter.h"
#include "Bitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string scratch(const std::string& name)
{
    const char* dir = std::getenv("TOVRANE_BENCH_DIR");
    return std::string(dir ? dir : AVI_BENCH_DIR) + "/" + name;
}

struct Case {
    int width;
    int height;
    TPixelFormat depth;
    int frames;
};

const Case kCases[] = {
    {640, 480, pf24bit, 1300},  // 1.2 GB: beyond the first RIFF segment
    {102, 76, pf24bit, 20000},  // the program's own frame size, many small frames
    {640, 480, pf8bit, 1000},   // palette conversion on every pixel
};

std::vector<std::unique_ptr<TBitmap>> makeBitmaps(const Case& c)
{
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    for (int i = 0; i < 8; ++i) {
        auto b = std::make_unique<TBitmap>(c.width, c.height, pf24bit);
        for (int y = 0; y < c.height; ++y) {
            uint8_t* row = b->ScanLine(y);
            for (int x = 0; x < c.width * 3; ++x)
                row[x] = static_cast<uint8_t>(x * 3 + y + i * 40);
        }
        bitmaps.push_back(std::move(b));
    }
    return bitmaps;
}

void writeAvi(const Case& c, const std::vector<std::unique_ptr<TBitmap>>& bitmaps, const std::string& file)
{
    TAviWriter writer;
    writer.SetDepth(c.depth);
    writer.SetWidth(c.width);
    writer.SetHeight(c.height);
    writer.SetFrameTime(40);
    writer.SetFileName(file);
    for (int i = 0; i < c.frames; ++i)
        writer.Bitmaps().Add(bitmaps[size_t(i) % bitmaps.size()].get());
    writer.WriteAvi();
}

void copyFile(const std::string& from, const std::string& to)
{
    int in = ::open(from.c_str(), O_RDONLY);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(1 << 20);
    ssize_t n;
    while (in >= 0 && out >= 0 && (n = ::read(in, buffer.data(), buffer.size())) > 0) {
        if (::write(out, buffer.data(), size_t(n)) != n)
            break;
    }
    if (in >= 0)
        ::close(in);
    if (out >= 0)
        ::close(out);
}

std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    if (pipe)
        pclose(pipe);
    return output;
}

double secondsOf(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration copies a file of the AVI's size, then writes the AVI; the machine's
// load varies from one second to the next, so the best run of each is compared.
void BM_AviWriteVsCopy(benchmark::State& state)
{
    const Case& c = kCases[state.range(0)];
    auto bitmaps = makeBitmaps(c);
    std::string file = scratch("bench-write.avi"), source = scratch("bench-source.avi"),
                copy = scratch("bench-copy.avi");
    writeAvi(c, bitmaps, source);
    const double bytes = double(std::filesystem::file_size(source));
    double bestCopy = 1e30, bestWrite = 1e30;
    for (auto _ : state) {
        bestCopy = std::min(bestCopy, secondsOf([&] { copyFile(source, copy); }));
        std::filesystem::remove(copy);
        double write = secondsOf([&] { writeAvi(c, bitmaps, file); });
        bestWrite = std::min(bestWrite, write);
        state.SetIterationTime(write);
        std::filesystem::remove(file);
    }
    std::filesystem::remove(source);
    state.SetBytesProcessed(int64_t(bytes) * state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["write_MBps"] = bytes / 1e6 / bestWrite;
    state.counters["copy_MBps"] = bytes / 1e6 / bestCopy;
    state.counters["vs_copy"] = bestWrite / bestCopy;
}

// Writes the largest case once more and has the real readers go through all of it.
void BM_ReadBackLargest(benchmark::State& state)
{
    const Case& c = kCases[0];
    auto bitmaps = makeBitmaps(c);
    std::string file = scratch("bench-readback.avi");
    writeAvi(c, bitmaps, file);
    for (auto _ : state) {
        std::string probe = run("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
                                "-of csv=p=0 '" + file + "'");
        std::string decoded = run("ffmpeg -v error -i '" + file + "' -map 0:v -f framecrc - | grep -vc '^#'");
        int probed = std::atoi(probe.c_str()), frames = std::atoi(decoded.c_str());
        state.counters["ffprobe_frames"] = probed;
        state.counters["ffmpeg_frames"] = frames;
        if (probed != c.frames || frames != c.frames)
            state.SkipWithError("the readers did not see every frame");
    }
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    std::filesystem::remove(file);
}

} // namespace

BENCHMARK(BM_AviWriteVsCopy)->DenseRange(0, 2)->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ReadBackLargest)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
