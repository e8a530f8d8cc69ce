// The FFmpeg backend: libavcodec decodes, libswscale converts to BGRA at the
// stream's size, and we premultiply when the codec carries alpha (VP6 alpha).
// One thread per decoder, so that every packet yields its picture at once.
#include "video/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace video {

namespace {

AVCodecID codecFor(std::uint8_t codecId)
{
    switch (static_cast<swf::VideoCodec>(codecId)) {
    case swf::VideoCodec::SorensonH263: return AV_CODEC_ID_FLV1;
    case swf::VideoCodec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
    case swf::VideoCodec::Vp6: return AV_CODEC_ID_VP6F;
    case swf::VideoCodec::Vp6Alpha: return AV_CODEC_ID_VP6A;
    case swf::VideoCodec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
    }
    return AV_CODEC_ID_NONE;
}

swf::Error failure(const char* what) { return swf::makeError(swf::ErrorCode::Malformed, what); }

class FfmpegVideoDecoder final : public VideoDecoder {
public:
    explicit FfmpegVideoDecoder(const StreamInfo& info) : m_info(info) {}
    ~FfmpegVideoDecoder() override { close(); }

    swf::Status open()
    {
        const AVCodec* codec = avcodec_find_decoder(codecFor(m_info.codecId));
        if (!codec)
            return swf::makeError(swf::ErrorCode::Unsupported, "no decoder for this video codec");
        m_ctx = avcodec_alloc_context3(codec);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_ctx || !m_frame || !m_packet)
            return failure("out of memory for the video decoder");
        m_ctx->thread_count = 1;
        m_ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
        m_ctx->width = m_info.width;
        m_ctx->height = m_info.height;
        if (m_info.deblocking == 1)
            m_ctx->skip_loop_filter = AVDISCARD_ALL;
        if (avcodec_open2(m_ctx, codec, nullptr) < 0)
            return failure("the video decoder could not be opened");
        return swf::Ok{};
    }

    swf::Result<VideoImage> decode(std::span<const std::uint8_t> data) override
    {
        if (data.empty())
            return failure("an empty video frame");
        // libavcodec reads up to AV_INPUT_BUFFER_PADDING_SIZE bytes past the data.
        if (av_new_packet(m_packet, int(data.size())) < 0)
            return failure("out of memory for a video frame");
        std::memcpy(m_packet->data, data.data(), data.size());
        // SWF carries no key-frame flag; screen video 2 decoding depends on it.
        if (isKeyFrame(m_info.codecId, data))
            m_packet->flags |= AV_PKT_FLAG_KEY;
        const int sent = avcodec_send_packet(m_ctx, m_packet);
        av_packet_unref(m_packet);
        if (sent < 0)
            return failure("the video frame is damaged");
        const int got = avcodec_receive_frame(m_ctx, m_frame);
        if (got < 0)
            return failure(got == AVERROR(EAGAIN) ? "the video frame gave no picture" : "the video frame is damaged");
        auto image = convert();
        av_frame_unref(m_frame);
        return image;
    }

    void reset() override
    {
        if (m_ctx)
            avcodec_flush_buffers(m_ctx);
    }

private:
    swf::Result<VideoImage> convert()
    {
        const int sw = m_frame->width, sh = m_frame->height;
        const int dw = m_info.width > 0 ? m_info.width : sw;
        const int dh = m_info.height > 0 ? m_info.height : sh;
        if (sw <= 0 || sh <= 0 || std::uint64_t(dw) * std::uint64_t(dh) > m_info.maxPixels ||
            std::uint64_t(sw) * std::uint64_t(sh) > m_info.maxPixels)
            return swf::makeError(swf::ErrorCode::LimitExceeded, "the video picture is larger than allowed");
        // Unsmoothed video scales by nearest pixel; colour conversion at the same
        // size (and smoothed scaling) interpolates chroma.
        const int flags = (dw != sw || dh != sh) && !m_info.smoothing ? SWS_POINT : SWS_BILINEAR | SWS_ACCURATE_RND;
        m_sws = sws_getCachedContext(m_sws, sw, sh, AVPixelFormat(m_frame->format), dw, dh, AV_PIX_FMT_BGRA, flags,
                                     nullptr, nullptr, nullptr);
        if (!m_sws)
            return failure("the video picture's pixel format cannot be converted");
        VideoImage out;
        out.width = dw;
        out.height = dh;
        out.pixels.assign(std::size_t(dw) * dh, 0xFF000000u);
        std::uint8_t* dst[4] = {reinterpret_cast<std::uint8_t*>(out.pixels.data()), nullptr, nullptr, nullptr};
        int dstStride[4] = {dw * 4, 0, 0, 0};
        sws_scale(m_sws, m_frame->data, m_frame->linesize, 0, sh, dst, dstStride);
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(m_frame->format));
        if (desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA))
            premultiply(out.pixels);
        else
            for (std::uint32_t& p : out.pixels)
                p |= 0xFF000000u; // converters may leave alpha unset for opaque sources
        return out;
    }

    static void premultiply(std::vector<std::uint32_t>& pixels)
    {
        for (std::uint32_t& p : pixels) {
            const unsigned a = p >> 24;
            auto mul = [a](unsigned c) { return (c * a + 127) / 255; };
            p = (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
        }
    }

    void close()
    {
        sws_freeContext(m_sws);
        av_packet_free(&m_packet);
        av_frame_free(&m_frame);
        avcodec_free_context(&m_ctx);
    }

    StreamInfo m_info;
    AVCodecContext* m_ctx = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_sws = nullptr;
};

} // namespace

bool isSupported(std::uint8_t codecId)
{
    const AVCodecID id = codecFor(codecId);
    return id != AV_CODEC_ID_NONE && avcodec_find_decoder(id) != nullptr;
}

swf::Result<std::unique_ptr<VideoDecoder>> createVideoDecoder(const StreamInfo& info)
{
    if (codecFor(info.codecId) == AV_CODEC_ID_NONE)
        return swf::makeError(swf::ErrorCode::Unsupported, "unknown video codec " + std::to_string(info.codecId));
    auto decoder = std::make_unique<FfmpegVideoDecoder>(info);
    SWF_TRY(decoder->open());
    return std::unique_ptr<VideoDecoder>(std::move(decoder));
}

} // namespace video
