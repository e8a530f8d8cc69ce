// Decoding the video of DefineVideoStream / VideoFrame tags. The player owns one
// decoder per placed video stream and feeds it the stream's frames in order;
// seeking back or skipping means reset() and decoding again from a key frame.
// The backend (FFmpeg) is chosen by createVideoDecoder and never named above
// this layer.
#pragma once

#include "swf/Characters.h"
#include "swf/Result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace video {

// One decoded picture: 0xAARRGGBB premultiplied (bytes B, G, R, A in memory, as
// QImage::Format_ARGB32_Premultiplied), rows of `width` pixels without padding.
struct VideoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// What a decoder needs from DefineVideoStream.
struct StreamInfo {
    std::uint8_t codecId = 2; // swf::VideoCodec values
    int width = 0;            // the stream's size; 0 = the size coded in the frames
    int height = 0;
    std::uint8_t deblocking = 0; // 0 = as the stream says, 1 = off, 2.. = on
    bool smoothing = false;      // scale with filtering when the coded size differs
    std::uint64_t maxPixels = 4096u * 4096u;

    static StreamInfo of(const swf::VideoStream& s);
};

class VideoDecoder {
public:
    virtual ~VideoDecoder() = default;
    // Decodes the next frame of the stream (a VideoFrame tag's data). The picture
    // has the stream's size (the coded size when the stream gives none).
    virtual swf::Result<VideoImage> decode(std::span<const std::uint8_t> frame) = 0;
    // Forgets the previous pictures, before decoding from a key frame again.
    virtual void reset() = 0;
};

// Whether the codec is one this build decodes.
bool isSupported(std::uint8_t codecId);

// A decoder for the stream, or an Unsupported error for codecs we lack.
swf::Result<std::unique_ptr<VideoDecoder>> createVideoDecoder(const StreamInfo& info);

// Whether `frame` can be decoded without the frames before it (H.263 intra
// pictures, VP6 key frames, screen video frames with every block and no block
// referring to an earlier frame).
bool isKeyFrame(std::uint8_t codecId, std::span<const std::uint8_t> frame);

} // namespace video
