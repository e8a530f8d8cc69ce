// Codec-level facts that need no backend: key-frame detection per codec.
#include "video/VideoDecoder.h"

#include "swf/ByteReader.h"

namespace video {

StreamInfo StreamInfo::of(const swf::VideoStream& s)
{
    StreamInfo i;
    i.codecId = s.codecId;
    i.width = s.width;
    i.height = s.height;
    i.deblocking = s.deblocking;
    i.smoothing = s.smoothing;
    return i;
}

namespace {

// Sorenson H.263 picture header: PSC (17 bits), version (5), temporal reference
// (8), picture size (3) with an explicit size for 0 and 1, then the picture type
// (2 bits): 0 intra, 1 inter, 2 disposable inter.
bool h263KeyFrame(std::span<const std::uint8_t> f)
{
    swf::ByteReader r(f);
    if (r.ub(17) != 1)
        return false;
    r.ub(5);
    r.ub(8);
    const std::uint32_t size = r.ub(3);
    if (size == 0)
        r.ub(16);
    else if (size == 1)
        r.ub(32);
    const std::uint32_t type = r.ub(2);
    return !r.failed() && type == 0;
}

// Screen video: a 4-bit block width and 12-bit image width, the same for height
// (version 2 adds a flags byte), then the blocks, each a 16-bit big-endian size
// (0 = unchanged since the previous frame). A version 2 block starts with a flags
// byte whose HasDiffBlocks and ZlibPrimeCompressPrevious bits refer to earlier
// frames. A key frame has every block, none of them referring back.
bool screenVideoKeyFrame(std::span<const std::uint8_t> f, bool v2)
{
    swf::ByteReader r(f);
    const std::uint32_t bw = (r.ub(4) + 1) * 16, w = r.ub(12);
    const std::uint32_t bh = (r.ub(4) + 1) * 16, h = r.ub(12);
    if (v2 && (r.u8() & 0x01)) // HasPaletteInfo: a layout we do not parse
        return false;
    if (r.failed() || w == 0 || h == 0)
        return false;
    const std::uint32_t blocks = ((w + bw - 1) / bw) * ((h + bh - 1) / bh);
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t size = (std::uint32_t(r.u8()) << 8) | r.u8();
        if (r.failed() || size == 0)
            return false;
        auto block = r.bytes(size);
        if (r.failed() || (v2 && (block[0] & 0x05) != 0))
            return false;
    }
    return true;
}

} // namespace

bool isKeyFrame(std::uint8_t codecId, std::span<const std::uint8_t> frame)
{
    switch (static_cast<swf::VideoCodec>(codecId)) {
    case swf::VideoCodec::SorensonH263: return h263KeyFrame(frame);
    case swf::VideoCodec::Vp6: return !frame.empty() && (frame[0] & 0x80) == 0;
    case swf::VideoCodec::Vp6Alpha: return frame.size() > 3 && (frame[3] & 0x80) == 0; // behind OffsetToAlpha
    case swf::VideoCodec::ScreenVideo: return screenVideoKeyFrame(frame, false);
    case swf::VideoCodec::ScreenVideo2: return screenVideoKeyFrame(frame, true);
    }
    return false;
}

} // namespace video
