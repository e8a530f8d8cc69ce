// Frames encoded by ffmpeg's own Sorenson H.263 and Screen Video encoders, taken
// out of their FLV file, decoded by our decoder and compared with ffmpeg's own
// decoding of the same file; and the same frames inside a SWF we write, which
// ffprobe must read back as a video stream.
#include "video/VideoDecoder.h"

#include "swf/Reader.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FlvFrame {
    bool key = false;
    std::vector<std::uint8_t> data; // the codec's bitstream
};

// FLV: 9-byte header, then tags (type, 24-bit size, timestamp, stream id, data)
// each followed by its 32-bit size. Video data: frame type and codec in one byte.
std::vector<FlvFrame> videoFrames(const std::vector<std::uint8_t>& flv)
{
    std::vector<FlvFrame> frames;
    std::size_t pos = 9 + 4;
    while (pos + 11 <= flv.size()) {
        const std::uint8_t type = flv[pos];
        const std::size_t size = (std::size_t(flv[pos + 1]) << 16) | (flv[pos + 2] << 8) | flv[pos + 3];
        const std::size_t body = pos + 11;
        if (body + size > flv.size())
            break;
        if (type == 9 && size > 1)
            frames.push_back({(flv[body] >> 4) == 1, std::vector<std::uint8_t>(flv.begin() + long(body) + 1, flv.begin() + long(body + size))});
        pos = body + size + 4;
    }
    return frames;
}

struct Encoded {
    std::vector<FlvFrame> frames;
    std::vector<std::uint32_t> reference; // ffmpeg's decoding, BGRA, all frames
};

constexpr int kW = 64, kH = 48, kFrames = 4;

Encoded encode(const std::string& codec)
{
    // ctest runs tests in parallel: each test encodes into a folder of its own.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(TOVRANE_BINARY_DIR) / "video-test" /
                         (std::string(test->test_suite_name()) + "." + test->name()) / codec;
    fs::create_directories(dir);
    const fs::path flv = dir / "in.flv", raw = dir / "ref.raw";
    const std::string make = "ffmpeg -y -v error -f lavfi -i testsrc=size=" + std::to_string(kW) + "x" + std::to_string(kH) +
                             ":rate=5 -frames:v " + std::to_string(kFrames) + " -g 2 -c:v " + codec + " -f flv '" +
                             flv.string() + "'";
    const std::string ref = "ffmpeg -y -v error -i '" + flv.string() + "' -sws_flags bilinear+accurate_rnd -f rawvideo -pix_fmt bgra '" + raw.string() + "'";
    Encoded e;
    if (std::system(make.c_str()) != 0 || std::system(ref.c_str()) != 0)
        return e;
    e.frames = videoFrames(readAll(flv));
    const auto bytes = readAll(raw);
    e.reference.resize(bytes.size() / 4);
    std::memcpy(e.reference.data(), bytes.data(), e.reference.size() * 4);
    return e;
}

// Share of channel values within 8 levels of the reference (colour conversion
// rounding differs a little between swscale set-ups).
double closeShare(const std::vector<std::uint32_t>& ours, const std::uint32_t* ref)
{
    std::size_t close = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        for (int s = 0; s < 32; s += 8)
            close += std::abs(int((ours[i] >> s) & 0xFF) - int(((ref[i] | 0xFF000000u) >> s) & 0xFF)) <= 8;
    return double(close) / (ours.size() * 4);
}

struct CodecCase {
    const char* ffmpegName;
    swf::VideoCodec codec;
};

class VideoCodecs : public ::testing::TestWithParam<CodecCase> {};

TEST_P(VideoCodecs, DecodeAsFfmpegItselfDoes)
{
    const auto enc = encode(GetParam().ffmpegName);
    ASSERT_EQ(enc.frames.size(), std::size_t(kFrames));
    ASSERT_EQ(enc.reference.size(), std::size_t(kW * kH * kFrames));
    video::StreamInfo info;
    info.codecId = std::uint8_t(GetParam().codec);
    info.width = kW;
    info.height = kH;
    auto decoder = video::createVideoDecoder(info);
    ASSERT_TRUE(decoder.ok()) << decoder.error().message;
    for (int i = 0; i < kFrames; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(video::isKeyFrame(info.codecId, enc.frames[i].data), enc.frames[i].key);
        auto image = (*decoder)->decode(enc.frames[i].data);
        ASSERT_TRUE(image.ok()) << image.error().message;
        ASSERT_EQ(image->width, kW);
        ASSERT_EQ(image->height, kH);
        EXPECT_GT(closeShare(image->pixels, enc.reference.data() + i * kW * kH), 0.99);
    }
    // Decoding again from the start after a reset gives the first picture again.
    (*decoder)->reset();
    auto again = (*decoder)->decode(enc.frames[0].data);
    ASSERT_TRUE(again.ok());
    EXPECT_GT(closeShare(again->pixels, enc.reference.data()), 0.99);
}

INSTANTIATE_TEST_SUITE_P(Encoders, VideoCodecs,
                         ::testing::Values(CodecCase{"flv1", swf::VideoCodec::SorensonH263},
                                           CodecCase{"flashsv", swf::VideoCodec::ScreenVideo},
                                           CodecCase{"flashsv2", swf::VideoCodec::ScreenVideo2}),
                         [](const auto& info) { return std::string(info.param.ffmpegName); });

TEST(VideoInSwf, FramesWrittenIntoAMovieReadBackAndDecode)
{
    const auto enc = encode("flv1");
    ASSERT_EQ(enc.frames.size(), std::size_t(kFrames));
    swf::MovieBuilder b(kW, kH, 5, 8);
    swf::VideoStream v;
    v.numFrames = kFrames;
    v.width = kW;
    v.height = kH;
    v.codecId = std::uint8_t(swf::VideoCodec::SorensonH263);
    for (int i = 0; i < kFrames; ++i)
        v.frames.push_back({std::uint16_t(i), enc.frames[i].data});
    const std::uint16_t id = b.add(v);
    for (int i = 0; i < kFrames; ++i) {
        swf::PlaceObject p;
        p.depth = 1;
        p.move = i > 0;
        if (i == 0)
            p.characterId = id;
        p.ratio = std::uint16_t(i);
        b.control(p);
        b.showFrame();
    }
    const fs::path path = fs::path(TOVRANE_BINARY_DIR) / "video-test" / "VideoInSwf.video.swf";
    ASSERT_TRUE(b.save(path.string()).ok());

    // An independent reader: ffprobe's SWF demuxer finds the stream and its frames.
    const fs::path probe = path.string() + ".txt";
    const std::string cmd = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                            "stream=codec_name,nb_read_frames -of csv=p=0 '" + path.string() + "' > '" + probe.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const auto text = readAll(probe);
    EXPECT_EQ(std::string(text.begin(), text.end()), "flv1," + std::to_string(kFrames) + "\n");

    auto movie = swf::readMovieFile(path.string());
    ASSERT_TRUE(movie.ok());
    const swf::VideoStream* back = movie->find<swf::VideoStream>(id);
    ASSERT_TRUE(back);
    auto decoder = video::createVideoDecoder(video::StreamInfo::of(*back));
    ASSERT_TRUE(decoder.ok());
    for (int i = 0; i < kFrames; ++i) {
        auto image = (*decoder)->decode(back->frames.at(i).data);
        ASSERT_TRUE(image.ok());
        EXPECT_GT(closeShare(image->pixels, enc.reference.data() + i * kW * kH), 0.99);
    }
}

TEST(VideoDecoder, RefusesUnknownCodecsAndSurvivesDamage)
{
    video::StreamInfo unknown;
    unknown.codecId = 9;
    EXPECT_EQ(video::createVideoDecoder(unknown).error().code, swf::ErrorCode::Unsupported);
    EXPECT_FALSE(video::isSupported(9));
    EXPECT_TRUE(video::isSupported(std::uint8_t(swf::VideoCodec::Vp6)));
    EXPECT_TRUE(video::isSupported(std::uint8_t(swf::VideoCodec::Vp6Alpha)));

    const auto enc = encode("flv1");
    ASSERT_FALSE(enc.frames.empty());
    for (swf::VideoCodec codec : {swf::VideoCodec::SorensonH263, swf::VideoCodec::ScreenVideo, swf::VideoCodec::Vp6,
                                  swf::VideoCodec::Vp6Alpha, swf::VideoCodec::ScreenVideo2}) {
        video::StreamInfo info;
        info.codecId = std::uint8_t(codec);
        info.width = kW;
        info.height = kH;
        auto decoder = video::createVideoDecoder(info);
        ASSERT_TRUE(decoder.ok()) << int(codec);
        std::vector<std::uint8_t> data = enc.frames[0].data;
        for (std::size_t cut : {std::size_t(0), std::size_t(1), std::size_t(5), data.size() / 2}) {
            auto image = (*decoder)->decode(std::span(data.data(), cut));
            if (image.ok()) {
                EXPECT_EQ(image->pixels.size(), std::size_t(kW * kH));
            }
        }
        for (std::size_t i = 3; i < data.size(); i += 7)
            data[i] ^= 0x5A;
        auto image = (*decoder)->decode(data);
        if (image.ok()) {
            EXPECT_EQ(image->pixels.size(), std::size_t(kW * kH));
        }
    }
}

} // namespace
