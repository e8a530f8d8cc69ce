#include "VideoSave.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "FramePicture.h"
#include "SaveFile.h"
#include "SoundTrack.h"
#include "StreamOutput.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

struct OutputFree {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

std::string averror(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool yuvVideo(VideoFormat format) { return !InfoOf(format).animation; }

const AVCodec* requireEncoder(const char* name, VideoFormat format)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        throw Exception(std::string("The installed FFmpeg has no ") + name + " encoder, which " +
                        InfoOf(format).label + " output needs");
    return codec;
}

// One encoder and its stream in the file.
class Track {
public:
    Track(AVFormatContext* out, const AVCodec* codec, const std::string& fileName)
        : m_out(out), m_encoder(codec), m_codec(avcodec_alloc_context3(codec)), m_packet(av_packet_alloc()),
          m_fileName(fileName)
    {
        if (!m_codec || !m_packet)
            throw std::bad_alloc();
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }

    AVCodecContext* Codec() const { return m_codec.get(); }
    AVStream* Stream() const { return m_stream; }

    void Open(AVDictionary** options)
    {
        int e = avcodec_open2(m_codec.get(), m_encoder, options);
        if (e < 0)
            fail("cannot start the " + std::string(m_encoder->name) + " encoder", e);
        m_stream = avformat_new_stream(m_out, nullptr);
        if (!m_stream)
            throw std::bad_alloc();
        m_stream->time_base = m_codec->time_base;
        if (m_codec->codec_type == AVMEDIA_TYPE_VIDEO)
            m_stream->avg_frame_rate = m_codec->framerate;
        e = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
        if (e < 0)
            fail("cannot describe the stream", e);
    }

    // Encodes one frame (null: the end) and writes what the encoder gives back.
    void Send(AVFrame* frame)
    {
        int e = avcodec_send_frame(m_codec.get(), frame);
        if (e < 0)
            fail("the encoder refused a frame", e);
        while ((e = avcodec_receive_packet(m_codec.get(), m_packet.get())) >= 0) {
            if (m_packet->duration == 0 && m_codec->codec_type == AVMEDIA_TYPE_VIDEO)
                m_packet->duration = 1;
            av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            e = av_interleaved_write_frame(m_out, m_packet.get());
            if (e < 0)
                fail("cannot write", e);
        }
        if (e != AVERROR(EAGAIN) && e != AVERROR_EOF)
            fail("the encoder failed", e);
    }

    [[noreturn]] void fail(const std::string& what, int code) const
    {
        throw Exception("Cannot save " + m_fileName + ": " + what + " (" + averror(code) + ")");
    }

private:
    AVFormatContext* m_out;
    const AVCodec* m_encoder;
    CodecPtr m_codec;
    std::unique_ptr<AVPacket, PacketFree> m_packet;
    std::string m_fileName;
    AVStream* m_stream = nullptr;
};

AVPixelFormat encoderPixelFormat(VideoFormat format, bool alpha)
{
    switch (format) {
    case VideoFormat::WebP: return AV_PIX_FMT_BGRA;
    case VideoFormat::Apng: return alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    default: return AV_PIX_FMT_YUV420P;
    }
}

void setVideoOptions(const VideoSaveJob& job, AVCodecContext* c, AVDictionary** options)
{
    const VideoSettings& s = job.settings;
    switch (job.format) {
    case VideoFormat::Mp4:
    case VideoFormat::Mkv:
        av_dict_set_int(options, "crf", s.crf.value_or(kDefaultH264Crf), 0);
        av_dict_set(options, "preset", s.preset.empty() ? "medium" : s.preset.c_str(), 0);
        break;
    case VideoFormat::WebM:
        c->bit_rate = 0;  // constant quality: the CRF alone decides
        av_dict_set_int(options, "crf", s.crf.value_or(kDefaultVp9Crf), 0);
        av_dict_set(options, "b", "0", 0);
        av_dict_set(options, "deadline", "good", 0);
        av_dict_set(options, "cpu-used", "4", 0);
        av_dict_set(options, "row-mt", "1", 0);
        break;
    case VideoFormat::WebP:
        if (s.webpQuality) {
            av_dict_set(options, "lossless", "0", 0);
            av_dict_set_int(options, "quality", *s.webpQuality, 0);
        } else {
            av_dict_set(options, "lossless", "1", 0);
        }
        break;
    case VideoFormat::Apng: break;
    }
}

// The sound, converted to the audio encoder's format and fed in step with the pictures.
class SoundFeed {
public:
    SoundFeed(Track& track, const std::vector<int16_t>& samples) : m_track(track), m_samples(samples)
    {
        AVCodecContext* c = track.Codec();
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* raw = nullptr;
        if (swr_alloc_set_opts2(&raw, &c->ch_layout, c->sample_fmt, c->sample_rate, &stereo, AV_SAMPLE_FMT_S16,
                                kSoundRate, 0, nullptr) < 0 ||
            swr_init(raw) < 0) {
            swr_free(&raw);
            throw Exception("Cannot convert the sound for the " + std::string(c->codec->name) + " encoder");
        }
        m_swr.reset(raw);
        m_frameSize = c->frame_size > 0 ? c->frame_size : 1024;
        m_fifo.reset(av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, m_frameSize * 4));
        m_frame.reset(av_frame_alloc());
        if (!m_fifo || !m_frame)
            throw std::bad_alloc();
    }

    // Encodes the sound that plays before atMs.
    void FeedUntil(int64_t atMs)
    {
        const size_t until = std::min(m_samples.size() / kSoundChannels, size_t(atMs * kSoundRate / 1000));
        while (m_fed < until) {
            const size_t n = std::min<size_t>(until - m_fed, 4096);
            const uint8_t* in = reinterpret_cast<const uint8_t*>(m_samples.data() + m_fed * kSoundChannels);
            convert(&in, int(n));
            m_fed += n;
            encodeWhole(false);
        }
    }

    void Finish()
    {
        FeedUntil(INT64_MAX / kSoundRate);
        convert(nullptr, 0);
        encodeWhole(true);
        m_track.Send(nullptr);
    }

private:
    void convert(const uint8_t** in, int count)
    {
        AVCodecContext* c = m_track.Codec();
        const int room = swr_get_out_samples(m_swr.get(), count);
        if (room <= 0)
            return;
        uint8_t** planes = nullptr;
        if (av_samples_alloc_array_and_samples(&planes, nullptr, c->ch_layout.nb_channels, room, c->sample_fmt, 0) < 0)
            throw std::bad_alloc();
        const int made = swr_convert(m_swr.get(), planes, room, in, count);
        const int written = made > 0 ? av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(planes), made) : 0;
        av_freep(&planes[0]);
        av_freep(&planes);
        if (made < 0 || written < made)
            throw Exception("Cannot convert the sound for the " + std::string(c->codec->name) + " encoder");
    }

    // Whole encoder frames from the queue; at the end the short rest as well.
    void encodeWhole(bool rest)
    {
        AVCodecContext* c = m_track.Codec();
        while (av_audio_fifo_size(m_fifo.get()) >= m_frameSize || (rest && av_audio_fifo_size(m_fifo.get()) > 0)) {
            const int n = std::min(m_frameSize, av_audio_fifo_size(m_fifo.get()));
            av_frame_unref(m_frame.get());
            m_frame->nb_samples = n;
            m_frame->format = c->sample_fmt;
            m_frame->sample_rate = c->sample_rate;
            av_channel_layout_copy(&m_frame->ch_layout, &c->ch_layout);
            if (av_frame_get_buffer(m_frame.get(), 0) < 0)
                throw std::bad_alloc();
            av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(m_frame->data), n);
            m_frame->pts = m_pts;
            m_pts += n;
            m_track.Send(m_frame.get());
        }
    }

    Track& m_track;
    const std::vector<int16_t>& m_samples;
    std::unique_ptr<SwrContext, SwrFree> m_swr;
    std::unique_ptr<AVAudioFifo, FifoFree> m_fifo;
    FramePtr m_frame;
    int m_frameSize = 1024;
    size_t m_fed = 0;
    int64_t m_pts = 0;
};

void openAudio(Track& track, VideoFormat format)
{
    AVCodecContext* c = track.Codec();
    const AVCodec* codec = c->codec;
    int rate = 48000;
    for (const int* r = codec->supported_samplerates; r && *r; ++r)
        if (*r == kSoundRate)
            rate = kSoundRate;
    if (!codec->supported_samplerates)
        rate = kSoundRate;
    c->sample_rate = rate;
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&c->ch_layout, &stereo);
    c->bit_rate = format == VideoFormat::WebM ? 128000 : 160000;
    c->time_base = AVRational{1, rate};
    track.Open(nullptr);
}

void checkJob(const VideoSaveJob& job)
{
    if (job.fileName.empty())
        throw Exception("No file name to save to");
    if (job.frameTime <= 0)
        throw Exception("Cannot save " + job.fileName + ": the frame time must be at least 1 ms");
    if (job.width <= 0 || job.height <= 0 || job.width > 16384 || job.height > 16384)
        throw Exception("Cannot save " + job.fileName + ": no usable frame size");
    if (job.frames.empty())
        throw Exception("Cannot save " + job.fileName + ": there are no frames");
}

} // namespace

std::pair<int, int> EncodedSize(VideoFormat format, int width, int height)
{
    if (!yuvVideo(format))
        return {width, height};
    return {(width + 1) & ~1, (height + 1) & ~1};
}

void SaveVideo(const VideoSaveJob& job)
{
    // The encoders' statistics are not for our users; their errors are.
    av_log_set_level(AV_LOG_ERROR);
    checkJob(job);
    const VideoFormatInfo& info = InfoOf(job.format);
    const AVCodec* videoCodec = requireEncoder(info.videoCodec, job.format);
    std::vector<int16_t> decoded;
    const std::vector<int16_t>* sound = job.sound;
    if (!sound && !job.soundFileName.empty() && info.audioCodec) {
        decoded = DecodeSoundFile(job.soundFileName);
        sound = &decoded;
    }
    if (sound && sound->empty())
        sound = nullptr;
    const AVCodec* audioCodec = sound && info.audioCodec ? requireEncoder(info.audioCodec, job.format) : nullptr;

    // APNG keeps alpha only when some frame has transparency: opaque frames stay RGB.
    bool alpha = false;
    if (job.format == VideoFormat::Apng)
        alpha = std::any_of(job.frames.begin(), job.frames.end(),
                            [&](const TBitmap* b) { return b && BitmapHasAlpha(*b, job.transparent); });

    std::unique_ptr<SaveFile> file;
    try {
        file = std::make_unique<SaveFile>(job.fileName);
    } catch (const std::exception& e) {
        throw Exception(e.what());
    }
    StreamOutput output(file->Stream());
    AVFormatContext* rawOut = nullptr;
    if (avformat_alloc_output_context2(&rawOut, nullptr, info.muxer, job.fileName.c_str()) < 0 || !rawOut)
        throw Exception(std::string("The installed FFmpeg cannot write ") + info.label + " files");
    std::unique_ptr<AVFormatContext, OutputFree> out(rawOut);
    out->pb = output.Context();
    out->flags |= AVFMT_FLAG_CUSTOM_IO;

    const auto [encodedWidth, encodedHeight] = EncodedSize(job.format, job.width, job.height);
    Track video(out.get(), videoCodec, job.fileName);
    AVCodecContext* vc = video.Codec();
    vc->width = encodedWidth;
    vc->height = encodedHeight;
    vc->time_base = AVRational{job.frameTime, 1000};
    vc->framerate = AVRational{1000, job.frameTime};
    vc->pix_fmt = encoderPixelFormat(job.format, alpha);
    vc->sample_aspect_ratio = AVRational{1, 1};
    if (yuvVideo(job.format)) {
        // What the converter below produces: limited range, the standard-definition matrix.
        vc->colorspace = AVCOL_SPC_SMPTE170M;
        vc->color_range = AVCOL_RANGE_MPEG;
    }
    AVDictionary* options = nullptr;
    setVideoOptions(job, vc, &options);
    try {
        video.Open(&options);
    } catch (...) {
        av_dict_free(&options);
        throw;
    }
    av_dict_free(&options);

    std::unique_ptr<Track> audio;
    if (audioCodec) {
        audio = std::make_unique<Track>(out.get(), audioCodec, job.fileName);
        openAudio(*audio, job.format);
    }

    AVDictionary* muxOptions = nullptr;
    if (job.format == VideoFormat::WebP)
        av_dict_set(&muxOptions, "loop", job.settings.loop ? "0" : "1", 0);
    if (job.format == VideoFormat::Apng)
        av_dict_set(&muxOptions, "plays", job.settings.loop ? "0" : "1", 0);
    int e = avformat_write_header(out.get(), &muxOptions);
    av_dict_free(&muxOptions);
    if (e < 0)
        video.fail("cannot start the file", e);

    std::unique_ptr<SwsContext, SwsFree> scale(sws_getContext(encodedWidth, encodedHeight, AV_PIX_FMT_BGRA, encodedWidth,
                                                               encodedHeight, vc->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr,
                                                               nullptr));
    FramePtr frame(av_frame_alloc());
    if (!scale || !frame)
        throw std::bad_alloc();
    frame->format = vc->pix_fmt;
    frame->width = encodedWidth;
    frame->height = encodedHeight;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();

    std::unique_ptr<SoundFeed> feed = audio ? std::make_unique<SoundFeed>(*audio, *sound) : nullptr;
    FramePicture picture({job.width, job.height, encodedWidth, encodedHeight, job.stretch, job.transparent});
    TBitmap none;
    for (size_t i = 0; i < job.frames.size(); ++i) {
        if (feed)
            feed->FeedUntil(int64_t(i + 1) * job.frameTime);
        const uint8_t* rows = picture.Compose(job.frames[i] ? *job.frames[i] : none);
        if (av_frame_make_writable(frame.get()) < 0)
            throw std::bad_alloc();
        const int stride = picture.Stride();
        sws_scale(scale.get(), &rows, &stride, 0, encodedHeight, frame->data, frame->linesize);
        frame->pts = int64_t(i);
        video.Send(frame.get());
        if (output.Failed())
            throw Exception("Cannot save " + job.fileName + ": the disk refused the data");
        if (job.progress)
            job.progress(i + 1, job.frames.size());
    }
    video.Send(nullptr);
    if (feed)
        feed->Finish();
    e = av_write_trailer(out.get());
    if (e < 0)
        video.fail("cannot finish the file", e);
    avio_flush(output.Context());
    if (output.Failed())
        throw Exception("Cannot save " + job.fileName + ": the disk refused the data");
    try {
        file->Commit();
    } catch (const std::exception& x) {
        throw Exception(x.what());
    }
}
