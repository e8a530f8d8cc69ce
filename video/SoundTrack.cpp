#include "SoundTrack.h"

#include "Exceptions.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

const double kMonoToStereo[2] = {1.0, 1.0};

class Decoder {
public:
    explicit Decoder(const std::string& path) : m_path(path) {}

    std::vector<int16_t> Run()
    {
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, m_path.c_str(), nullptr, nullptr) < 0)
            fail("cannot be opened");
        std::unique_ptr<AVFormatContext, InputCloser> input(raw);
        if (avformat_find_stream_info(input.get(), nullptr) < 0)
            fail("is not a sound file");
        const AVCodec* codec = nullptr;
        int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (index < 0 || !codec)
            fail("holds no sound");
        std::unique_ptr<AVCodecContext, CodecCloser> decoder(avcodec_alloc_context3(codec));
        if (!decoder || avcodec_parameters_to_context(decoder.get(), input->streams[index]->codecpar) < 0 ||
            avcodec_open2(decoder.get(), codec, nullptr) < 0)
            fail("holds sound that cannot be decoded");
        if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&decoder->ch_layout, decoder->ch_layout.nb_channels);

        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* swrRaw = nullptr;
        if (swr_alloc_set_opts2(&swrRaw, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &decoder->ch_layout,
                                decoder->sample_fmt, decoder->sample_rate, 0, nullptr) < 0 ||
            // A mono track plays at its own level on both sides, not 3 dB lower.
            (decoder->ch_layout.nb_channels == 1 && swr_set_matrix(swrRaw, kMonoToStereo, 1) < 0) ||
            swr_init(swrRaw) < 0) {
            swr_free(&swrRaw);
            fail("holds sound that cannot be converted");
        }
        m_swr.reset(swrRaw);

        std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
        std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
        while (av_read_frame(input.get(), packet.get()) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0)
                drain(decoder.get(), frame.get());
            av_packet_unref(packet.get());
        }
        avcodec_send_packet(decoder.get(), nullptr);
        drain(decoder.get(), frame.get());
        convert(nullptr, 0);
        if (m_samples.empty())
            fail("holds no sound");
        return std::move(m_samples);
    }

private:
    [[noreturn]] void fail(const std::string& why) { throw Exception("The sound file " + m_path + " " + why); }

    void drain(AVCodecContext* decoder, AVFrame* frame)
    {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame);
        }
    }

    // Appends the converted samples; null input flushes the resampler.
    void convert(const uint8_t** in, int count)
    {
        int room = swr_get_out_samples(m_swr.get(), count);
        if (room <= 0)
            return;
        size_t at = m_samples.size();
        m_samples.resize(at + size_t(room) * kSoundChannels);
        uint8_t* out = reinterpret_cast<uint8_t*>(m_samples.data() + at);
        int made = swr_convert(m_swr.get(), &out, room, in, count);
        m_samples.resize(at + size_t(std::max(made, 0)) * kSoundChannels);
    }

    std::string m_path;
    std::unique_ptr<SwrContext, SwrFree> m_swr;
    std::vector<int16_t> m_samples;
};

} // namespace

std::vector<int16_t> DecodeSoundFile(const std::string& path)
{
    return Decoder(path).Run();
}
