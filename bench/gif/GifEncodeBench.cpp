// Per-frame GIF encoding (colour reduction + LZW) of the engine against giflib's
// GifQuantizeBuffer + EGifPutLine and against FFmpeg's own path (swscale to its 8-bit
// RGB332 format, then libavcodec's GIF encoder), on the same synthetic frame sets.
// Before timing, every frame's bytes are checked against the straightforward
// implementation of the encoder.
#include "BmpHeaders.h"
#include "ColourReduction.h"
#include "Lzw.h"
#include "Reference.h"
#include "RxGIF.h"
#include "SyntheticFrames.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

using synthetic::FrameSet;

namespace {

struct SetData {
    std::vector<TBitmap> frames;
    std::vector<std::vector<GifByteType>> red, green, blue;  // planes, top row first
    std::vector<std::vector<uint8_t>> bgr;                   // packed, top row first
};

const SetData& Data(FrameSet set)
{
    static std::map<FrameSet, SetData> cache;
    auto it = cache.find(set);
    if (it != cache.end())
        return it->second;
    SetData data;
    for (int i = 0; i < synthetic::kFrames; ++i) {
        TBitmap frame = synthetic::MakeFrame(set, i);
        const size_t n = size_t(synthetic::kWidth) * synthetic::kHeight;
        std::vector<GifByteType> r(n), g(n), b(n);
        std::vector<uint8_t> packed(3 * n);
        for (int y = 0; y < synthetic::kHeight; ++y) {
            const uint8_t* row = frame.ScanLine(y);
            for (int x = 0; x < synthetic::kWidth; ++x) {
                const size_t p = size_t(y) * synthetic::kWidth + size_t(x);
                b[p] = row[3 * x];
                g[p] = row[3 * x + 1];
                r[p] = row[3 * x + 2];
            }
            std::memcpy(&packed[size_t(y) * 3 * synthetic::kWidth], row, 3 * size_t(synthetic::kWidth));
        }
        data.red.push_back(std::move(r));
        data.green.push_back(std::move(g));
        data.blue.push_back(std::move(b));
        data.bgr.push_back(std::move(packed));
        data.frames.push_back(std::move(frame));
    }
    return cache.emplace(set, std::move(data)).first->second;
}

const char* SetName(FrameSet set)
{
    return set == FrameSet::Rich ? "rich" : "cartoon";
}

void Ours(benchmark::State& state)
{
    const FrameSet set = FrameSet(state.range(0));
    const SetData& data = Data(set);
    TGIFImage image;
    for (const TBitmap& frame : data.frames)
        image.AddFrame(const_cast<TBitmap*>(&frame));
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        TGIFFrame* frame = image.Frames(int(i++ % data.frames.size()));
        frame->SharedItem().CodedData.reset();
        frame->EncodeBitmap();
        bytes += size_t(frame->SharedItem().CodedData->Size());
    }
    state.counters["bytes/frame"] = double(bytes) / double(i);
}

int WriteMemory(GifFileType* file, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(file->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

void Giflib(benchmark::State& state)
{
    const SetData& data = Data(FrameSet(state.range(0)));
    const int w = synthetic::kWidth, h = synthetic::kHeight;
    std::vector<GifByteType> indices(size_t(w) * size_t(h));
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    std::vector<uint8_t> file;
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        const size_t f = i++ % data.frames.size();
        int colours = 256;
        GifQuantizeBuffer(unsigned(w), unsigned(h), &colours, const_cast<GifByteType*>(data.red[f].data()),
                          const_cast<GifByteType*>(data.green[f].data()), const_cast<GifByteType*>(data.blue[f].data()),
                          indices.data(), map->Colors);
        file.clear();
        int error = 0;
        GifFileType* gif = EGifOpen(&file, WriteMemory, &error);
        EGifPutScreenDesc(gif, w, h, 8, 0, map);
        EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y)
            EGifPutLine(gif, &indices[size_t(y) * size_t(w)], w);
        EGifCloseFile(gif, &error);
        bytes += file.size();
    }
    GifFreeMapObject(map);
    state.counters["bytes/frame"] = double(bytes) / double(i);
}

void Ffmpeg(benchmark::State& state)
{
    const SetData& data = Data(FrameSet(state.range(0)));
    const int w = synthetic::kWidth, h = synthetic::kHeight;
    SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_BGR24, w, h, AV_PIX_FMT_RGB8, SWS_BICUBIC, nullptr, nullptr, nullptr);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_GIF);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->width = w;
    context->height = h;
    context->pix_fmt = AV_PIX_FMT_RGB8;
    context->time_base = AVRational{1, 10};
    if (!sws || avcodec_open2(context, codec, nullptr) < 0) {
        state.SkipWithError("FFmpeg's GIF path could not be set up");
        return;
    }
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_RGB8;
    frame->width = w;
    frame->height = h;
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        const size_t f = i % data.frames.size();
        av_frame_make_writable(frame);
        const uint8_t* source[1] = {data.bgr[f].data()};
        const int sourceStride[1] = {3 * w};
        sws_scale(sws, source, sourceStride, 0, h, frame->data, frame->linesize);
        frame->pts = int64_t(i++);
        avcodec_send_frame(context, frame);
        while (avcodec_receive_packet(context, packet) == 0) {
            bytes += size_t(packet->size);
            av_packet_unref(packet);
        }
    }
    state.counters["bytes/frame"] = double(bytes) / double(i);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    sws_freeContext(sws);
}

// Our bytes for every frame against the straightforward reduction and LZW.
int IdenticalFrames(FrameSet set)
{
    const SetData& data = Data(set);
    int same = 0;
    for (const TBitmap& frame : data.frames) {
        std::unique_ptr<TMemoryStream> bmp = ReduceToIndexed(frame, pf8bit, rmHistogram);
        gif::IndexedBmpView view;
        gif::ParseIndexedBmp(bmp->Memory(), size_t(bmp->Size()), view);
        std::vector<uint8_t> ours;
        gif::LzwEncode(ours, gif::RasterShape{view.width, view.height, 8, false}, view.rows);
        std::vector<uint8_t> indices, table;
        reference::Histogram(frame.Bits(), frame.Width(), frame.Height(), indices, table);
        const bool sameTable = std::memcmp(table.data(), view.table, 1024) == 0;
        if (sameTable && ours == reference::LzwEncode(indices.data(), frame.Width(), frame.Height(), 8))
            ++same;
    }
    return same;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // The median of the repetitions when there are several, else the one run.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                const std::string name = run.run_name.function_name + "/" + run.run_name.args;
                m_real[name] = run.GetAdjustedRealTime();
                m_cpu[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Ratios over CPU time (what the machine's load distorts least) and over real time.
    void PrintRatios()
    {
        for (auto* times : {&m_cpu, &m_real}) {
            std::printf("%s time per frame:\n", times == &m_cpu ? "CPU" : "real");
            for (FrameSet set : {FrameSet::Rich, FrameSet::Cartoon}) {
                const std::string suffix = "/" + std::to_string(int(set));
                const double ours = (*times)["Ours" + suffix], giflib = (*times)["Giflib" + suffix],
                             ffmpeg = (*times)["Ffmpeg" + suffix];
                if (ours <= 0)
                    continue;
                std::printf("  %-8s ours %.3f ms; giflib %.3f ms = %.2f x ours; ffmpeg %.3f ms = %.2f x ours\n",
                            SetName(set), ours, giflib, giflib / ours, ffmpeg, ffmpeg / ours);
            }
        }
    }

private:
    std::map<std::string, double> m_real, m_cpu;
};

} // namespace

// Three repetitions each; the ratios use their medians, which a busy machine disturbs least.
BENCHMARK(Ours)->Arg(int(FrameSet::Rich))->Arg(int(FrameSet::Cartoon))->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(3);
BENCHMARK(Giflib)->Arg(int(FrameSet::Rich))->Arg(int(FrameSet::Cartoon))->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(3);
BENCHMARK(Ffmpeg)->Arg(int(FrameSet::Rich))->Arg(int(FrameSet::Cartoon))->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (FrameSet set : {FrameSet::Rich, FrameSet::Cartoon}) {
        const SetData& data = Data(set);
        int least = 1 << 30, most = 0;
        for (const TBitmap& frame : data.frames) {
            const int n = synthetic::DistinctColours(frame);
            least = std::min(least, n);
            most = std::max(most, n);
        }
        std::printf("%-8s set: %d frames of %d x %d, %d to %d colours per frame; bytes identical to the "
                    "straightforward encoder: %d of %d frames\n",
                    SetName(set), synthetic::kFrames, synthetic::kWidth, synthetic::kHeight, least, most,
                    IdenticalFrames(set), synthetic::kFrames);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
