// MP3, Nellymoser, Speex and AAC through libavcodec. MP3 data is cut into frames by
// libavcodec's parser (SWF blocks hold whole frames, damaged files need not);
// Nellymoser goes in its fixed 64-byte blocks, Speex and AAC as the packets the
// container gives. Samples leave as 16-bit at the codec's rate, one or two channels.
#include "sound/SourceDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sound {

namespace {

constexpr std::uint8_t kAac = 10;

AVCodecID codecFor(swf::SoundFormat format)
{
    switch (format) {
    case swf::SoundFormat::Mp3: return AV_CODEC_ID_MP3;
    case swf::SoundFormat::Nellymoser16k:
    case swf::SoundFormat::Nellymoser8k:
    case swf::SoundFormat::Nellymoser: return AV_CODEC_ID_NELLYMOSER;
    case swf::SoundFormat::Speex: return AV_CODEC_ID_SPEEX;
    default: break;
    }
    return std::uint8_t(format) == kAac ? AV_CODEC_ID_AAC : AV_CODEC_ID_NONE;
}

int codecRate(const swf::SoundFormatInfo& f)
{
    switch (f.format) {
    case swf::SoundFormat::Nellymoser16k:
    case swf::SoundFormat::Speex: return 16000;
    case swf::SoundFormat::Nellymoser8k: return 8000;
    default: return int(rateOfCode(f.rate));
    }
}

std::int16_t fromFloat(float v)
{
    if (!(v == v))
        return 0;
    return static_cast<std::int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

class FfmpegAudioDecoder final : public SourceDecoder {
public:
    ~FfmpegAudioDecoder() override { close(); }

    bool open(const swf::SoundFormatInfo& f, std::span<const std::uint8_t> config)
    {
        m_id = codecFor(f.format);
        m_format = f;
        m_config.assign(config.begin(), config.end());
        // libspeex where the build has it: the native Speex decoder is younger and
        // has not met as many damaged files.
        const AVCodec* codec = m_id == AV_CODEC_ID_SPEEX ? avcodec_find_decoder_by_name("libspeex") : nullptr;
        if (!codec)
            codec = avcodec_find_decoder(m_id);
        if (!codec)
            return false;
        m_ctx = avcodec_alloc_context3(codec);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_ctx || !m_frame || !m_packet)
            return false;
        m_ctx->thread_count = 1;
        m_ctx->sample_rate = codecRate(f);
        const int channels = (m_id == AV_CODEC_ID_NELLYMOSER || m_id == AV_CODEC_ID_SPEEX) ? 1 : (f.stereo ? 2 : 1);
        av_channel_layout_default(&m_ctx->ch_layout, channels);
        if (!m_config.empty()) {
            m_ctx->extradata = static_cast<std::uint8_t*>(av_mallocz(m_config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!m_ctx->extradata)
                return false;
            std::memcpy(m_ctx->extradata, m_config.data(), m_config.size());
            m_ctx->extradata_size = int(m_config.size());
        }
        if (avcodec_open2(m_ctx, codec, nullptr) < 0)
            return false;
        if (m_id == AV_CODEC_ID_MP3)
            m_parser = av_parser_init(m_id);
        m_rate = m_ctx->sample_rate > 0 ? m_ctx->sample_rate : codecRate(f);
        m_channels = std::clamp(channels, 1, 2);
        return true;
    }

    bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm) override
    {
        if (!m_ctx)
            return false;
        if (m_id == AV_CODEC_ID_MP3)
            return m_parser && parseAndDecode(data, pcm);
        const std::size_t piece = m_id == AV_CODEC_ID_NELLYMOSER ? 64 * 16 : data.size();
        for (std::size_t at = 0; at < data.size(); at += piece)
            sendPacket(data.subspan(at, std::min(piece, data.size() - at)), pcm);
        return true;
    }

    double rate() const override { return m_rate; }
    int channels() const override { return m_channels; }

    void reset() override
    {
        if (!m_ctx)
            return;
        avcodec_flush_buffers(m_ctx);
        if (m_parser) {
            av_parser_close(m_parser);
            m_parser = av_parser_init(m_id);
        }
    }

private:
    bool parseAndDecode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm)
    {
        // The parser may read a little past its input, as every libavcodec reader.
        m_padded.assign(data.begin(), data.end());
        m_padded.resize(data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        const std::uint8_t* in = m_padded.data();
        int left = int(data.size());
        while (left > 0) {
            std::uint8_t* out = nullptr;
            int outSize = 0;
            const int used = av_parser_parse2(m_parser, m_ctx, &out, &outSize, in, left, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0)
                break;
            in += used;
            left -= used;
            if (outSize > 0)
                sendPacket({out, std::size_t(outSize)}, pcm);
            if (used == 0 && outSize == 0)
                break;
        }
        // SWF blocks and FLV tags end on frame boundaries: take the frame the parser
        // still holds, and start the next piece with a parser that has not seen an end.
        std::uint8_t* out = nullptr;
        int outSize = 0;
        av_parser_parse2(m_parser, m_ctx, &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (outSize > 0)
            sendPacket({out, std::size_t(outSize)}, pcm);
        av_parser_close(m_parser);
        m_parser = av_parser_init(m_id);
        return true;
    }

    void sendPacket(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm)
    {
        if (data.empty() || av_new_packet(m_packet, int(data.size())) < 0)
            return;
        std::memcpy(m_packet->data, data.data(), data.size());
        const int sent = avcodec_send_packet(m_ctx, m_packet);
        av_packet_unref(m_packet);
        if (sent < 0)
            return; // a damaged packet: skip it, the next may decode
        while (avcodec_receive_frame(m_ctx, m_frame) >= 0) {
            append(pcm);
            av_frame_unref(m_frame);
        }
    }

    void append(std::vector<std::int16_t>& pcm)
    {
        const int inChannels = m_frame->ch_layout.nb_channels;
        if (inChannels <= 0 || m_frame->nb_samples <= 0)
            return;
        if (m_frame->sample_rate > 0)
            m_rate = m_frame->sample_rate;
        m_channels = std::min(inChannels, 2);
        const auto fmt = static_cast<AVSampleFormat>(m_frame->format);
        const bool planar = av_sample_fmt_is_planar(fmt);
        const int n = m_frame->nb_samples;
        for (int i = 0; i < n; ++i) {
            for (int c = 0; c < m_channels; ++c) {
                const int plane = planar ? c : 0;
                const int index = planar ? i : i * inChannels + c;
                const std::uint8_t* base = m_frame->extended_data[plane];
                std::int16_t v = 0;
                switch (av_get_packed_sample_fmt(fmt)) {
                case AV_SAMPLE_FMT_FLT: v = fromFloat(reinterpret_cast<const float*>(base)[index]); break;
                case AV_SAMPLE_FMT_DBL: v = fromFloat(float(reinterpret_cast<const double*>(base)[index])); break;
                case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const std::int16_t*>(base)[index]; break;
                case AV_SAMPLE_FMT_S32: v = std::int16_t(reinterpret_cast<const std::int32_t*>(base)[index] >> 16); break;
                case AV_SAMPLE_FMT_U8: v = std::int16_t((int(base[index]) - 128) << 8); break;
                default: break;
                }
                pcm.push_back(v);
            }
        }
    }

    void close()
    {
        if (m_parser)
            av_parser_close(m_parser);
        avcodec_free_context(&m_ctx);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
    }

    AVCodecID m_id = AV_CODEC_ID_NONE;
    swf::SoundFormatInfo m_format;
    std::vector<std::uint8_t> m_config;
    std::vector<std::uint8_t> m_padded;
    AVCodecContext* m_ctx = nullptr;
    AVCodecParserContext* m_parser = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    double m_rate = 44100;
    int m_channels = 2;
};

} // namespace

std::unique_ptr<SourceDecoder> createFfmpegDecoder(const swf::SoundFormatInfo& format,
                                                   std::span<const std::uint8_t> codecConfig)
{
    auto decoder = std::make_unique<FfmpegAudioDecoder>();
    if (!decoder->open(format, codecConfig))
        return nullptr;
    return decoder;
}

} // namespace sound
