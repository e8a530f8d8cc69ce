// libavformat reads the file, libavcodec decodes one video stream on this thread,
// libswscale converts and scales the picture held.
#include "VideoSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <utility>
#include <vector>

namespace media {

namespace {

// Packets in a row that the decoder refuses before we call the stream broken.
constexpr int MaxDamagedPackets = 64;
// A seek forward by at most this many frames decodes on instead of seeking.
constexpr int ForwardDecodeWindow = 48;

std::string ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void QuietLibraries()
{
    // Damaged files make the decoders talk on stderr; our messages say what matters.
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The deprecated full-range formats as their plain twins, with the range they imply.
AVPixelFormat PlainFormat(AVPixelFormat format, bool& fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

bool SaneRate(AVRational rate) { return rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 0.1 && av_q2d(rate) <= 1000; }

bool WithinLimits(int width, int height, const Limits& limits)
{
    return width <= limits.maxSide && height <= limits.maxSide && int64_t(width) * height <= limits.maxPixels;
}

} // namespace

struct VideoSource::State {
    std::string path;
    Limits limits;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* current = nullptr;  // the picture held
    AVFrame* pending = nullptr;  // decoded ahead of its time
    SwsContext* scaler = nullptr;
    int stream = -1;
    AVRational timeBase{1, 1};
    AVRational rate{25, 1};
    int64_t startPts = AV_NOPTS_VALUE;
    int frameCount = 0;
    bool avi = false;
    bool hasCurrent = false, hasPending = false;
    int currentIndex = -1, pendingIndex = -1, lastIndex = -1;
    bool flushed = false;  // the demuxer ended and the decoder was told so
    bool ended = false;    // the decoder gives nothing more

    ~State()
    {
        sws_freeContext(scaler);
        av_frame_free(&current);
        av_frame_free(&pending);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    std::string openFile();
    std::string checkSizes() const;
    int countFrames();
    int indexOf(const AVFrame& frame);
    bool decodeNext(AVFrame* into, int& index);
    bool takeNext();
    bool advanceTo(int n);
    void restart();
    bool seekTo(int n);
};

std::string VideoSource::State::openFile()
{
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 && !ec)
        return "the file is empty";
    if (int r = avformat_open_input(&format, path.c_str(), nullptr, nullptr); r < 0)
        return ErrorText(r);
    // The headers' sizes are refused before any decoder allocates a picture of them,
    // and the decoders that probe the streams are held to the same limit.
    if (std::string refused = checkSizes(); !refused.empty())
        return refused;
    std::vector<AVDictionary*> options(format->nb_streams, nullptr);
    for (AVDictionary*& o : options)
        av_dict_set_int(&o, "max_pixels", limits.maxPixels, 0);
    const int found = avformat_find_stream_info(format, options.data());
    for (AVDictionary*& o : options)
        av_dict_free(&o);
    if (found < 0)
        return ErrorText(found);
    if (std::string refused = checkSizes(); !refused.empty())
        return refused;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* s = format->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            stream = int(i);
            break;
        }
    }
    if (stream < 0)
        return "the file has no video stream";
    AVStream* s = format->streams[stream];
    const AVCodecParameters& par = *s->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par.codec_id);
    if (!decoder)
        return std::string("no decoder for its video codec ") + avcodec_get_name(par.codec_id);
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    current = av_frame_alloc();
    pending = av_frame_alloc();
    if (!codec || !packet || !current || !pending)
        return "out of memory";
    if (avcodec_parameters_to_context(codec, &par) < 0)
        return "its video stream cannot be decoded";
    codec->thread_count = 1;
    codec->max_pixels = limits.maxPixels;
    if (int r = avcodec_open2(codec, decoder, nullptr); r < 0)
        return "its video stream cannot be decoded (" + ErrorText(r) + ")";

    timeBase = s->time_base;
    rate = SaneRate(s->avg_frame_rate) ? s->avg_frame_rate : SaneRate(s->r_frame_rate) ? s->r_frame_rate : AVRational{25, 1};
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, 1 << 20);
    // Frame 0 is the first picture decoded: containers without presentation times
    // (AVI with reordered frames) time pictures from their decoding order, late by
    // the reordering delay, and the first picture carries that delay too.
    startPts = AV_NOPTS_VALUE;
    avi = std::strcmp(format->iformat->name, "avi") == 0;

    const AVRational frameTime{rate.den, rate.num};
    int64_t frames = s->nb_frames;
    if (frames <= 0 && s->duration > 0)
        frames = av_rescale_q_rnd(s->duration, timeBase, frameTime, AV_ROUND_NEAR_INF);
    if (frames <= 0 && format->duration > 0)
        frames = av_rescale_q_rnd(format->duration, AV_TIME_BASE_Q, frameTime, AV_ROUND_NEAR_INF);
    if (frames <= 0)
        frames = countFrames();
    frameCount = int(std::clamp<int64_t>(frames, 1, 1 << 30));

    if (!advanceTo(0))
        return "its first picture cannot be decoded";
    return {};
}

std::string VideoSource::State::checkSizes() const
{
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters& par = *format->streams[i]->codecpar;
        if (par.codec_type == AVMEDIA_TYPE_VIDEO && !WithinLimits(par.width, par.height, limits))
            return "the video is " + std::to_string(par.width) + " x " + std::to_string(par.height) +
                   " pixels, more than the " + std::to_string(limits.maxSide) + " x " +
                   std::to_string(limits.maxSide) + " (" + std::to_string(limits.maxPixels / 1000000) +
                   " million pixels) played here";
    }
    return {};
}

int VideoSource::State::countFrames()
{
    // The container says nothing of its length: count the stream's packets once.
    int64_t count = 0;
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream)
            ++count;
        av_packet_unref(packet);
    }
    const int64_t start = format->streams[stream]->start_time;
    av_seek_frame(format, stream, start == AV_NOPTS_VALUE ? 0 : start, AVSEEK_FLAG_BACKWARD);
    return int(std::min<int64_t>(count, 1 << 30));
}

int VideoSource::State::indexOf(const AVFrame& frame)
{
    const int64_t ts = frame.best_effort_timestamp;
    int64_t index = lastIndex + 1;
    if (ts != AV_NOPTS_VALUE) {
        if (startPts == AV_NOPTS_VALUE)
            startPts = ts;
        index = av_rescale_q_rnd(ts - startPts, timeBase, AVRational{rate.den, rate.num}, AV_ROUND_NEAR_INF);
    }
    // Pictures come in presentation order; one that claims an earlier time replaces
    // the one before it.
    index = std::clamp<int64_t>(index, std::max(lastIndex, 0), 1 << 30);
    lastIndex = int(index);
    return lastIndex;
}

bool VideoSource::State::decodeNext(AVFrame* into, int& index)
{
    int damaged = 0;
    while (!ended) {
        const int got = avcodec_receive_frame(codec, into);
        if (got == 0) {
            if (!WithinLimits(into->width, into->height, limits) || into->width <= 0 || into->height <= 0) {
                av_frame_unref(into);
                ended = true;
                return false;
            }
            index = indexOf(*into);
            return true;
        }
        if (got != AVERROR(EAGAIN)) {
            ended = true;  // the end, or a decoder that gave up
            return false;
        }
        if (flushed) {
            ended = true;
            return false;
        }
        if (av_read_frame(format, packet) < 0) {
            flushed = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (packet->stream_index != stream) {
            av_packet_unref(packet);
            continue;
        }
        const int sent = avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        if (sent < 0 && sent != AVERROR(EAGAIN) && ++damaged > MaxDamagedPackets) {
            ended = true;
            return false;
        }
        if (sent >= 0)
            damaged = 0;
    }
    return false;
}

bool VideoSource::State::takeNext()
{
    if (hasPending) {
        std::swap(current, pending);
        currentIndex = pendingIndex;
        hasPending = false;
        hasCurrent = true;
        av_frame_unref(pending);
        return true;
    }
    av_frame_unref(pending);
    if (!decodeNext(pending, pendingIndex))
        return false;
    hasPending = true;
    return takeNext();
}

bool VideoSource::State::advanceTo(int n)
{
    if (!hasCurrent && !takeNext())
        return false;
    while (currentIndex < n) {
        if (!hasPending) {
            av_frame_unref(pending);
            if (!decodeNext(pending, pendingIndex))
                return false;
            hasPending = true;
        }
        if (pendingIndex > n)
            return true;  // the picture held is still the one of frame n
        takeNext();
    }
    return true;
}

void VideoSource::State::restart()
{
    avcodec_flush_buffers(codec);
    hasCurrent = hasPending = false;
    av_frame_unref(current);
    av_frame_unref(pending);
    currentIndex = pendingIndex = lastIndex = -1;
    flushed = ended = false;
}

bool VideoSource::State::seekTo(int n)
{
    if (hasCurrent && n >= currentIndex && n - currentIndex <= ForwardDecodeWindow)
        return advanceTo(n);
    const int64_t origin = startPts == AV_NOPTS_VALUE ? 0 : startPts;
    const int64_t target = origin + av_rescale_q(n, AVRational{rate.den, rate.num}, timeBase);
    const bool seeked = avformat_seek_file(format, stream, INT64_MIN, target, target, 0) >= 0;
    restart();
    if (seeked && advanceTo(n) && currentIndex <= n)
        return true;
    // The seek landed after the frame, or the demuxer cannot seek: from the start.
    if (avformat_seek_file(format, stream, INT64_MIN, origin, origin, 0) < 0 &&
        avformat_seek_file(format, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE) < 0)
        return false;
    restart();
    return advanceTo(n);
}

VideoSource::VideoSource(std::unique_ptr<State> state) : m(std::move(state)) {}

VideoSource::~VideoSource() = default;

std::unique_ptr<VideoSource> VideoSource::Open(const std::string& path, const Limits& limits, std::string& error)
{
    QuietLibraries();
    auto state = std::make_unique<State>();
    state->path = path;
    state->limits = limits;
    error = state->openFile();
    if (!error.empty())
        return nullptr;
    return std::unique_ptr<VideoSource>(new VideoSource(std::move(state)));
}

int VideoSource::Width() const { return m->hasCurrent ? m->current->width : m->codec->width; }
int VideoSource::Height() const { return m->hasCurrent ? m->current->height : m->codec->height; }
int VideoSource::FrameCount() const { return m->frameCount; }
int VideoSource::RateNum() const { return m->rate.num; }
int VideoSource::RateDen() const { return m->rate.den; }
bool VideoSource::IsAvi() const { return m->avi; }
int VideoSource::CurrentFrame() const { return m->currentIndex; }
bool VideoSource::AdvanceTo(int n) { return m->advanceTo(n); }
bool VideoSource::SeekTo(int n) { return m->seekTo(std::max(n, 0)); }

void VideoSource::Render(int width, int height, uint32_t* pixels, int stride)
{
    if (width <= 0 || height <= 0)
        return;
    auto fill = [&](uint32_t colour) {
        for (int y = 0; y < height; ++y)
            std::fill_n(reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + ptrdiff_t(y) * stride), width,
                        colour);
    };
    if (!m->hasCurrent) {
        fill(0xFF000000u);
        return;
    }
    const AVFrame& frame = *m->current;
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = PlainFormat(AVPixelFormat(frame.format), fullRange);
    const bool scaled = width != frame.width || height != frame.height;
    // At the video's own size the plain flags keep libswscale on its fast converters.
    m->scaler = sws_getCachedContext(m->scaler, frame.width, frame.height, source, width, height, AV_PIX_FMT_BGRA,
                                     scaled ? SWS_BILINEAR : SWS_POINT, nullptr, nullptr, nullptr);
    if (!m->scaler) {
        fill(0xFF000000u);
        return;
    }
    const int space = frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame.colorspace);
    sws_setColorspaceDetails(m->scaler, sws_getCoefficients(space), fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT),
                             1, 0, 1 << 16, 1 << 16);
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    sws_scale(m->scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(source);
    if (desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA)) {
        // A video is shown opaque, whatever its alpha says.
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + ptrdiff_t(y) * stride);
            for (int x = 0; x < width; ++x)
                row[x] |= 0xFF000000u;
        }
    }
}

bool VideoSource::LooksLikeVideo(const std::string& path)
{
    QuietLibraries();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<uint8_t> head(64 * 1024 + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    in.read(reinterpret_cast<char*>(head.data()), 64 * 1024);
    const int size = int(in.gcount());
    if (size <= 0)
        return false;
    // The content alone decides: no file name, so no extension, takes part.
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = head.data();
    probe.buf_size = size;
    int score = 0;
    const AVInputFormat* format = av_probe_input_format3(&probe, 1, &score);
    if (!format || score <= AVPROBE_SCORE_MAX / 4)
        return false;
    // Containers of moving pictures; pictures, sound and Flash's own files are not.
    static const char* const containers[] = {"avi", "mov", "mp4", "matroska", "webm", "mpeg", "mpegts", "mpegvideo",
                                             "asf", "ogg", "nut", "ivf", "m4v", "h264", "hevc", "yuv4mpegpipe", "dv",
                                             "rm"};
    const std::string names = std::string(",") + format->name + ",";
    for (const char* c : containers)
        if (names.find(std::string(",") + c + ",") != std::string::npos)
            return true;
    return false;
}

} // namespace media
