// Files the video writer makes, read back by real readers: ffprobe and ffmpeg for the
// codecs, frame count, frame rate, duration, pictures (PSNR) and sound; Pillow for the
// frames, timing and transparency of animated WebP and APNG.
#include "AviTestSupport.h"
#include "SoundTrack.h"
#include "VideoSave.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>

using namespace avi_test;
using namespace video_test;

namespace {

// The recorded frames and, alongside, the pictures they should show as raw bgr24.
struct Recording {
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    std::vector<TBitmap*> Frames() const
    {
        std::vector<TBitmap*> list;
        for (const auto& b : bitmaps)
            list.push_back(b.get());
        return list;
    }
    void WriteRaw(const std::string& file) const
    {
        std::vector<uint8_t> all;
        for (const auto& b : bitmaps) {
            std::vector<uint8_t> p = FramePixels(*b, false);
            all.insert(all.end(), p.begin(), p.end());
        }
        WriteFileBytes(file, all);
    }
};

Recording record(int width, int height, int count, bool alpha = false, TPixelFormat format = pf24bit)
{
    Recording r;
    for (int i = 0; i < count; ++i) {
        r.bitmaps.push_back(MovieFrame(width, height, i, alpha));
        if (format != pf24bit && !alpha)
            r.bitmaps.back()->SetPixelFormat(format);
    }
    return r;
}

// A 440 Hz tone for the first half of the movie, silence after it.
std::vector<int16_t> toneThenSilence(int64_t lengthMs)
{
    const size_t frames = size_t(lengthMs * kSoundRate / 1000);
    std::vector<int16_t> pcm(frames * kSoundChannels, 0);
    for (size_t i = 0; i < frames / 2; ++i)
        pcm[2 * i] = pcm[2 * i + 1] = int16_t(std::lround(10000 * std::sin(2 * M_PI * 440 * double(i) / kSoundRate)));
    return pcm;
}

double rms(const std::vector<int16_t>& pcm, double fromS, double toS)
{
    const size_t a = size_t(fromS * kSoundRate) * 2, b = std::min(pcm.size(), size_t(toS * kSoundRate) * 2);
    double sum = 0;
    for (size_t i = a; i < b; ++i)
        sum += double(pcm[i]) * pcm[i];
    return b > a ? std::sqrt(sum / double(b - a)) : 0;
}

std::vector<int16_t> decodeSound(const std::string& file)
{
    const std::string out = RunCommand("ffmpeg -v error -i '" + file + "' -map 0:a -ar 44100 -ac 2 -f s16le -");
    std::vector<int16_t> pcm(out.size() / 2);
    std::memcpy(pcm.data(), out.data(), pcm.size() * 2);
    return pcm;
}

double formatDuration(const std::string& file)
{
    return std::stod(RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + file + "'"));
}

struct VideoCase {
    VideoFormat format;
    int width, height, frameTime;
    const char* videoCodec;
    const char* audioCodec;
    const char* frameRate;  // as ffprobe reduces 1000 / frameTime
};

void PrintTo(const VideoCase& c, std::ostream* os)
{
    *os << InfoOf(c.format).name << " " << c.width << "x" << c.height << " " << c.frameTime << " ms";
}

class VideoFiles : public ::testing::TestWithParam<VideoCase> {};

TEST_P(VideoFiles, ReadBackWithTheirPicturesAndSound)
{
    const VideoCase& c = GetParam();
    ScratchDir dir;
    const int count = 30;
    Recording rec = record(c.width, c.height, count);
    const std::vector<int16_t> sound = toneThenSilence(int64_t(count) * c.frameTime);
    VideoSaveJob job;
    job.fileName = dir.File(std::string("movie") + InfoOf(c.format).extension);
    job.format = c.format;
    job.width = c.width;
    job.height = c.height;
    job.frameTime = c.frameTime;
    job.frames = rec.Frames();
    job.sound = &sound;
    std::vector<size_t> progress;
    job.progress = [&](size_t done, size_t total) {
        EXPECT_EQ(total, size_t(count));
        progress.push_back(done);
    };
    SaveVideo(job);
    ASSERT_EQ(progress.size(), size_t(count));
    EXPECT_EQ(progress.back(), size_t(count));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{std::string("movie") + InfoOf(c.format).extension});

    auto v = ProbeStream(job.fileName, 0, true);
    EXPECT_EQ(v["codec_type"], "video");
    EXPECT_EQ(v["codec_name"], c.videoCodec);
    EXPECT_EQ(v["pix_fmt"], "yuv420p");
    // Odd sizes are rounded up to even ones.
    EXPECT_EQ(v["width"], std::to_string((c.width + 1) & ~1));
    EXPECT_EQ(v["height"], std::to_string((c.height + 1) & ~1));
    EXPECT_EQ(v["r_frame_rate"], c.frameRate);
    EXPECT_EQ(v["nb_read_frames"], std::to_string(count));
    EXPECT_NEAR(formatDuration(job.fileName), count * c.frameTime / 1000.0, c.frameTime / 1000.0 + 0.03);

    const std::string raw = dir.File("frames.bgr");
    rec.WriteRaw(raw);
    EXPECT_GT(PsnrAgainst(job.fileName, raw, c.width, c.height, c.frameTime), 35.0);

    auto a = ProbeStream(job.fileName, 1);
    EXPECT_EQ(a["codec_type"], "audio");
    EXPECT_EQ(a["codec_name"], c.audioCodec);
    EXPECT_EQ(a["channels"], "2");
    const double seconds = count * c.frameTime / 1000.0;
    const std::vector<int16_t> heard = decodeSound(job.fileName);
    EXPECT_NEAR(double(heard.size()) / 2 / kSoundRate, seconds, 0.05);
    // The tone where it was, at its level; quiet where the movie was silent.
    EXPECT_NEAR(rms(heard, 0.1 * seconds, 0.4 * seconds), 10000 / std::sqrt(2.0), 800);
    EXPECT_LT(rms(heard, 0.6 * seconds, 0.9 * seconds), 200);
}

INSTANTIATE_TEST_SUITE_P(Formats, VideoFiles,
                         ::testing::Values(VideoCase{VideoFormat::Mp4, 160, 120, 40, "h264", "aac", "25/1"},
                                           VideoCase{VideoFormat::Mp4, 161, 121, 30, "h264", "aac", "100/3"},
                                           VideoCase{VideoFormat::WebM, 160, 120, 40, "vp9", "opus", "25/1"},
                                           VideoCase{VideoFormat::WebM, 163, 119, 70, "vp9", "opus", "100/7"},
                                           VideoCase{VideoFormat::Mkv, 160, 120, 40, "h264", "aac", "25/1"},
                                           VideoCase{VideoFormat::Mkv, 161, 121, 30, "h264", "aac", "100/3"}));

TEST(VideoFile, TakesEveryPixelFormatAndTheSoundOfAWavFile)
{
    ScratchDir dir;
    const std::string wav = dir.File("tone.wav");
    RunCommand("ffmpeg -v error -f lavfi -i 'sine=frequency=440:sample_rate=22050:duration=0.5' -ac 1 '" + wav + "'");
    Recording rec = record(160, 120, 10);
    rec.bitmaps[1]->SetPixelFormat(pf8bit);
    rec.bitmaps[2]->SetPixelFormat(pf4bit);
    rec.bitmaps[3]->SetPixelFormat(pf1bit);
    rec.bitmaps[4]->SetPixelFormat(pf16bit);
    auto quad = MovieFrame(160, 120, 5, true);
    rec.bitmaps[5] = std::move(quad);
    VideoSaveJob job;
    job.fileName = dir.File("mixed.mp4");
    job.width = 160;
    job.height = 120;
    job.frameTime = 50;
    job.frames = rec.Frames();
    job.soundFileName = wav;
    SaveVideo(job);
    EXPECT_EQ(ProbeStream(job.fileName, 0, true)["nb_read_frames"], "10");
    EXPECT_EQ(ProbeStream(job.fileName, 1)["codec_name"], "aac");
    const std::string raw = dir.File("frames.bgr");
    rec.WriteRaw(raw);
    EXPECT_GT(PsnrAgainst(job.fileName, raw, 160, 120, 50), 35.0);
    const std::vector<int16_t> heard = decodeSound(job.fileName);
    EXPECT_NEAR(double(heard.size()) / 2 / kSoundRate, 0.5, 0.05);
    // The mono tone (an eighth of full scale) at its level on both sides.
    EXPECT_NEAR(rms(heard, 0.1, 0.4), 4096 / std::sqrt(2.0), 300);
}

struct AnimationCase {
    const char* name;
    VideoFormat format;
    std::optional<int> quality;  // WebP lossy
    bool alpha;
    const char* mode;  // as Pillow names the file's pixels
};

class Animations : public ::testing::TestWithParam<AnimationCase> {};

TEST_P(Animations, ReadByPillowFrameForFrame)
{
    const AnimationCase& c = GetParam();
    ScratchDir dir;
    const int w = 161, h = 121, count = 8, frameTime = 70;
    Recording rec = record(w, h, count, c.alpha);
    VideoSaveJob job;
    job.fileName = dir.File(std::string("anim") + InfoOf(c.format).extension);
    job.format = c.format;
    job.width = w;
    job.height = h;
    job.frameTime = frameTime;
    job.frames = rec.Frames();
    job.settings.webpQuality = c.quality;
    SaveVideo(job);

    PillowAnimation a = ReadWithPillow(job.fileName);
    EXPECT_EQ(a.frames, count);
    EXPECT_EQ(a.width, w);
    EXPECT_EQ(a.height, h);
    EXPECT_EQ(a.mode, c.mode);
    EXPECT_EQ(a.loop, 0);
    EXPECT_EQ(a.durations, std::vector<int>(count, frameTime));
    ASSERT_EQ(a.rgba.size(), size_t(w) * h * 4 * count);

    double squared = 0;
    size_t compared = 0, alphaWrong = 0, exactWrong = 0;
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> want = FramePixels(*rec.bitmaps[size_t(i)], true);
        const uint8_t* got = a.rgba.data() + size_t(i) * w * h * 4;
        for (size_t p = 0; p < size_t(w) * h; ++p) {
            const uint8_t* g = got + 4 * p;
            const uint8_t* e = &want[4 * p];
            if (g[3] != e[3])
                ++alphaWrong;
            if (e[3] == 0)
                continue;  // a clear pixel has no colour to keep
            for (int ch = 0; ch < 3; ++ch) {
                const double d = double(g[2 - ch]) - e[ch];  // RGBA against BGRA
                squared += d * d;
                exactWrong += d != 0;
                ++compared;
            }
        }
    }
    if (c.quality) {
        const double psnr = 10 * std::log10(255.0 * 255.0 / (squared / double(compared)));
        EXPECT_GT(psnr, 35.0);
    } else {
        EXPECT_EQ(exactWrong, 0u);
    }
    EXPECT_EQ(alphaWrong, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, Animations,
                         ::testing::Values(AnimationCase{"webp_lossless", VideoFormat::WebP, std::nullopt, false, "RGBA"},
                                           AnimationCase{"webp_lossy", VideoFormat::WebP, 90, false, "RGBA"},
                                           AnimationCase{"webp_alpha", VideoFormat::WebP, std::nullopt, true, "RGBA"},
                                           AnimationCase{"apng", VideoFormat::Apng, std::nullopt, false, "RGB"},
                                           AnimationCase{"apng_alpha", VideoFormat::Apng, std::nullopt, true, "RGBA"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Animation, ApngReadByFfprobeAndPlayedOnceWithoutLoop)
{
    ScratchDir dir;
    Recording rec = record(40, 30, 6);
    VideoSaveJob job;
    job.fileName = dir.File("once.apng");
    job.format = VideoFormat::Apng;
    job.width = 40;
    job.height = 30;
    job.frameTime = 30;
    job.frames = rec.Frames();
    job.settings.loop = false;
    SaveVideo(job);
    auto v = ProbeStream(job.fileName, 0, true);
    EXPECT_EQ(v["codec_name"], "apng");
    EXPECT_EQ(v["nb_read_frames"], "6");
    EXPECT_EQ(ReadWithPillow(job.fileName).loop, 1);
}

TEST(Animation, TransparentColourBecomesClear)
{
    ScratchDir dir;
    Recording rec = record(40, 30, 3);
    // The disc's colour is the frames' transparent colour.
    const TColor disc = RGB(60, 40, 180);
    for (auto format : {VideoFormat::Apng, VideoFormat::WebP}) {
        VideoSaveJob job;
        job.fileName = dir.File(std::string("clear") + InfoOf(format).extension);
        job.format = format;
        job.width = 40;
        job.height = 30;
        job.frameTime = 100;
        job.frames = rec.Frames();
        job.transparent = disc;
        SaveVideo(job);
        PillowAnimation a = ReadWithPillow(job.fileName);
        ASSERT_EQ(a.rgba.size(), size_t(40) * 30 * 4 * 3);
        const std::vector<uint8_t> want = FramePixels(*rec.bitmaps[0], false);
        size_t clear = 0, wrong = 0;
        for (size_t p = 0; p < size_t(40) * 30; ++p) {
            const bool isDisc = want[3 * p] == 180 && want[3 * p + 1] == 40 && want[3 * p + 2] == 60;
            clear += isDisc;
            wrong += (a.rgba[4 * p + 3] == 0) != isDisc;
        }
        EXPECT_GT(clear, 0u) << InfoOf(format).name;
        EXPECT_EQ(wrong, 0u) << InfoOf(format).name;
    }
}

} // namespace
