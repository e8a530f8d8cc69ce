// The decoders against what they must give: uncompressed sound exactly, our ADPCM
// against libavcodec's decoding of a file ffmpeg encoded, MP3 and Nellymoser as the
// tones they were made from; limits and damaged data.
#include "sound/SoundDecoder.h"

#include "SoundMeter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using soundmeter::channel;
using soundmeter::toneAmplitude;

std::vector<uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path testDir()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    fs::path dir = fs::path(TOVRANE_BINARY_DIR) / "sound-test" / (std::string(test->test_suite_name()) + "." + test->name());
    fs::create_directories(dir);
    return dir;
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::vector<uint8_t> bytesOf(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out;
    for (int16_t s : samples) {
        out.push_back(uint8_t(s));
        out.push_back(uint8_t(uint16_t(s) >> 8));
    }
    return out;
}

// The audio tags of an FLV file: the format byte and the sound data after it.
struct FlvAudio {
    uint8_t flags = 0;
    std::vector<std::vector<uint8_t>> packets;
};

FlvAudio flvAudio(const std::vector<uint8_t>& f)
{
    FlvAudio a;
    size_t at = f.size() >= 9 ? (size_t(f[5]) << 24 | f[6] << 16 | f[7] << 8 | f[8]) + 4 : f.size();
    while (at + 11 <= f.size()) {
        const size_t size = size_t(f[at + 1]) << 16 | f[at + 2] << 8 | f[at + 3];
        if (at + 11 + size > f.size())
            break;
        if (f[at] == 8 && size > 1) {
            a.flags = f[at + 11];
            a.packets.emplace_back(f.begin() + std::ptrdiff_t(at + 12), f.begin() + std::ptrdiff_t(at + 11 + size));
        }
        at += 11 + size + 4;
    }
    return a;
}

swf::SoundFormatInfo formatOf(uint8_t flags)
{
    swf::SoundFormatInfo f;
    f.format = swf::SoundFormat(flags >> 4);
    f.rate = (flags >> 2) & 3;
    f.is16Bit = flags & 2;
    f.stereo = flags & 1;
    return f;
}

TEST(SoundDecoder, UncompressedAt44kIsTakenAsItIs)
{
    const std::vector<int16_t> tone = soundmeter::tone(1000, 50, 44100, 2);
    swf::Sound s;
    s.format = {swf::SoundFormat::UncompressedLittleEndian, 3, true, true};
    s.sampleCount = uint32_t(tone.size() / 2);
    s.data = bytesOf(tone);
    swf::Result<sound::PcmSound> pcm = sound::decodeSound(s, {});
    ASSERT_TRUE(pcm.ok());
    EXPECT_EQ(pcm->samples, tone);
}

TEST(SoundDecoder, EightBitMonoAtElevenKilohertzIsBroughtToTheMixFormat)
{
    std::vector<uint8_t> data;
    for (int16_t v : soundmeter::tone(440, 200, 11025, 1))
        data.push_back(uint8_t((v >> 8) + 128));
    swf::Sound s;
    s.format = {swf::SoundFormat::UncompressedNativeEndian, 1, false, false};
    s.sampleCount = uint32_t(data.size());
    s.data = data;
    swf::Result<sound::PcmSound> pcm = sound::decodeSound(s, {});
    ASSERT_TRUE(pcm.ok());
    EXPECT_NEAR(double(pcm->frames()), data.size() * 4.0, 4);
    for (int side : {0, 1})
        EXPECT_NEAR(toneAmplitude(channel(pcm->samples, side), 0, pcm->frames(), 440), 0.5, 0.03);
}

TEST(SoundDecoder, AdpcmMatchesLibavcodecSampleForSample)
{
    const fs::path dir = testDir(), flv = dir / "adpcm.flv", raw = dir / "ref.raw";
    ASSERT_TRUE(run("ffmpeg -y -v error -f lavfi -i sine=frequency=1000:sample_rate=44100:duration=0.5 -ac 1 "
                    "-c:a adpcm_swf -f flv '" + flv.string() + "'"));
    ASSERT_TRUE(run("ffmpeg -y -v error -i '" + flv.string() + "' -f s16le -ac 1 '" + raw.string() + "'"));
    const FlvAudio audio = flvAudio(readAll(flv));
    ASSERT_FALSE(audio.packets.empty());
    ASSERT_EQ(audio.flags >> 4, 1);
    sound::StreamDecoder decoder(formatOf(audio.flags), false);
    std::vector<int16_t> ours;
    for (const auto& packet : audio.packets)
        decoder.decode(packet, false, ours, 1 << 24);
    const std::vector<uint8_t> ref = readAll(raw);
    const size_t frames = std::min(ours.size() / 2, ref.size() / 2);
    ASSERT_GT(frames, 20000u);
    size_t differing = 0;
    for (size_t i = 0; i < frames; ++i) {
        const int16_t r = int16_t(ref[2 * i] | ref[2 * i + 1] << 8);
        differing += ours[2 * i] != r || ours[2 * i + 1] != r;
    }
    EXPECT_EQ(differing, 0u);
}

TEST(SoundDecoder, Mp3EventSoundGivesItsToneForItsLength)
{
    const fs::path dir = testDir(), mp3 = dir / "tone.mp3";
    ASSERT_TRUE(run("ffmpeg -y -v error -f lavfi -i \"aevalsrc=0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=44100:d=1\" "
                    "-c:a libmp3lame -b:a 128k -f mp3 -id3v2_version 0 -write_xing 0 '" + mp3.string() + "'"));
    swf::Sound s;
    s.format = {swf::SoundFormat::Mp3, 3, true, true};
    s.sampleCount = 44100;
    s.data = {0, 0}; // SeekSamples
    const std::vector<uint8_t> body = readAll(mp3);
    s.data.insert(s.data.end(), body.begin(), body.end());
    swf::Result<sound::PcmSound> pcm = sound::decodeSound(s, {});
    ASSERT_TRUE(pcm.ok());
    EXPECT_NEAR(double(pcm->frames()), 44100, 3000);
    const auto left = channel(pcm->samples, 0);
    for (size_t at = 4410; at < 39690; at += 4410)
        EXPECT_NEAR(toneAmplitude(left, at, 441, 1000), 0.5, 0.05) << at;
}

TEST(SoundDecoder, NellymoserStreamGivesItsTone)
{
    const fs::path dir = testDir(), flv = dir / "nelly.flv";
    ASSERT_TRUE(run("ffmpeg -y -v error -f lavfi -i sine=frequency=800:sample_rate=22050:duration=0.5 -ac 1 "
                    "-c:a nellymoser -f flv '" + flv.string() + "'"));
    const FlvAudio audio = flvAudio(readAll(flv));
    ASSERT_FALSE(audio.packets.empty());
    sound::StreamDecoder decoder(formatOf(audio.flags), false);
    ASSERT_TRUE(decoder.usable());
    std::vector<int16_t> ours;
    for (const auto& packet : audio.packets)
        decoder.decode(packet, false, ours, 1 << 24);
    EXPECT_NEAR(double(ours.size() / 2), 22050, 2500);
    EXPECT_NEAR(toneAmplitude(channel(ours, 1), 4410, 13230, 800), 0.125, 0.03); // the sine source's own level
}

TEST(SoundDecoder, LimitsAndDamage)
{
    // Ten hours claimed: refused before anything is decoded.
    swf::Sound huge;
    huge.format = {swf::SoundFormat::Adpcm, 3, true, true};
    huge.sampleCount = 0xFFFFFFFFu;
    huge.data.assign(64, 0x55);
    EXPECT_FALSE(sound::decodeSound(huge, {}).ok());

    // ADPCM cut inside its first packet: the samples before the cut, then nothing.
    const std::vector<int16_t> tone = soundmeter::tone(1000, 100, 44100, 1);
    swf::Sound adpcm;
    adpcm.format = {swf::SoundFormat::Adpcm, 3, true, false};
    adpcm.data = {0x80, 0x00, 0x00}; // 4-bit codes, first sample 0, index 0
    adpcm.data.resize(300, 0x37);
    swf::Result<sound::PcmSound> cut = sound::decodeSound(adpcm, {});
    ASSERT_TRUE(cut.ok());
    EXPECT_GT(cut->frames(), 500u);
    EXPECT_LT(cut->frames(), 700u);

    // MP3 bytes that are noise: whatever decodes, no crash, within the limit.
    swf::Sound noise;
    noise.format = {swf::SoundFormat::Mp3, 3, true, true};
    noise.sampleCount = 1000;
    for (int i = 0; i < 5000; ++i)
        noise.data.push_back(uint8_t(i * 131 + (i >> 3)));
    sound::SoundLimits tight;
    tight.maxSeconds = 1;
    swf::Result<sound::PcmSound> decoded = sound::decodeSound(noise, tight);
    ASSERT_TRUE(decoded.ok());
    EXPECT_LE(decoded->frames(), tight.maxFrames());

    // An odd byte count of 16-bit sound: the whole frames only.
    swf::Sound odd;
    odd.format = {swf::SoundFormat::UncompressedLittleEndian, 3, true, true};
    odd.data = {1, 0, 2, 0, 3};
    swf::Result<sound::PcmSound> oddPcm = sound::decodeSound(odd, {});
    ASSERT_TRUE(oddPcm.ok());
    EXPECT_EQ(oddPcm->samples, (std::vector<int16_t>{1, 2}));
}

} // namespace
