// The movie's sound in what the converter writes, read back by ffmpeg: an event sound
// started on a given frame, in step with the pictures; a stream sound in a movie
// written by ffmpeg's own SWF muxer; ADPCM; the Sound object's volume and pan; the
// WAV output and --no-sound.
#include "swf/Writer.h"

#include "SoundMeter.h"

#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using soundmeter::channel;
using soundmeter::toneAmplitude;

struct Outcome {
    int exitCode;
    std::string output;
};

Outcome run(const std::string& command)
{
    Outcome result{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 512> chunk{};
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        result.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Outcome convert(const std::string& arguments)
{
    return run(std::string(TOVRANE_BINARY_DIR) + "/app/tovrane convert " + arguments);
}

std::vector<uint8_t> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first sound stream of a file as ffmpeg decodes it: 44.1 kHz stereo 16-bit.
std::vector<int16_t> decodedSound(const std::string& file, const QTemporaryDir& dir)
{
    const std::string raw = dir.filePath("decoded.raw").toStdString();
    Outcome out = run("ffmpeg -y -v error -i '" + file + "' -map 0:a:0 -f s16le -ar 44100 -ac 2 '" + raw + "'");
    EXPECT_EQ(out.exitCode, 0) << out.output;
    const std::vector<uint8_t> bytes = readAll(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

// Red at (30, 30) of each picture of the AVI, as ffmpeg decodes it.
std::vector<bool> redPictures(const std::string& avi, const QTemporaryDir& dir, int width, int height)
{
    const std::string raw = dir.filePath("pictures.raw").toStdString();
    EXPECT_EQ(run("ffmpeg -y -v error -i '" + avi + "' -map 0:v:0 -f rawvideo -pix_fmt rgb24 '" + raw + "'").exitCode, 0);
    const std::vector<uint8_t> bytes = readAll(raw);
    const size_t frame = size_t(width * height * 3);
    std::vector<bool> red;
    for (size_t at = 0; at + frame <= bytes.size(); at += frame) {
        const uint8_t* p = &bytes[at + size_t((30 * width + 30) * 3)];
        red.push_back(p[0] > 200 && p[1] < 60 && p[2] < 60);
    }
    return red;
}

swf::Sound pcmTone(double hz, double ms)
{
    swf::Sound s;
    s.format = {swf::SoundFormat::UncompressedLittleEndian, 3, true, true};
    for (int16_t v : soundmeter::tone(hz, ms, 44100, 2)) {
        s.data.push_back(uint8_t(v));
        s.data.push_back(uint8_t(uint16_t(v) >> 8));
    }
    s.sampleCount = uint32_t(s.data.size() / 4);
    return s;
}

// 20 frames at 10 fps: a square, blue until `onFrame`, red from it, where the sound
// starts as well. `script`, when given, runs on frame 0 instead of StartSound.
std::string writeSoundMovie(const QTemporaryDir& dir, const char* name, swf::Sound sound, int onFrame,
                            std::vector<uint8_t> script = {})
{
    swf::MovieBuilder b(100, 80, 10, 8);
    b.setBackground({255, 255, 255, 255});
    const uint16_t blue = b.addRectangle({0, 800, 0, 800}, {0, 0, 255, 255});
    const uint16_t red = b.addRectangle({0, 800, 0, 800}, {255, 0, 0, 255});
    const uint16_t id = b.add(std::move(sound));
    b.movie().exports.push_back({id, "tone"});
    for (int f = 0; f < 20; ++f) {
        if (f == 0)
            b.place(blue, 1, swf::Matrix::translate(200, 200));
        if (f == onFrame) {
            b.remove(1);
            b.place(red, 1, swf::Matrix::translate(200, 200));
            if (script.empty()) {
                swf::StartSound start;
                start.soundId = id;
                b.control(start);
            } else {
                b.action(script);
            }
        }
        b.showFrame();
    }
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    EXPECT_TRUE(b.save(path).ok());
    return path;
}

TEST(SoundConvert, AnEventSoundStartsWithinOneVideoFrameOfItsPicture)
{
    QTemporaryDir dir;
    const std::string movie = writeSoundMovie(dir, "event.swf", pcmTone(1000, 300), 8);
    const std::string avi = dir.filePath("event.avi").toStdString();
    Outcome out = convert("'" + movie + "' '" + avi + "' --delay 100 --depth 24 --duration 2000 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    const std::vector<bool> red = redPictures(avi, dir, 100, 80);
    ASSERT_EQ(red.size(), 20u);
    const auto firstRed = std::find(red.begin(), red.end(), true);
    ASSERT_NE(firstRed, red.end());
    const double pictureMs = double(firstRed - red.begin()) * 100;

    const std::vector<int16_t> sound = decodedSound(avi, dir);
    EXPECT_NEAR(double(sound.size() / 2), 2.0 * 44100, 1);   // as long as the pictures
    const auto left = channel(sound, 0);
    const std::optional<double> start = soundmeter::toneStartMs(left, 1000, 0.3);
    const std::optional<double> end = soundmeter::toneEndMs(left, 1000, 0.3);
    ASSERT_TRUE(start && end);
    EXPECT_LT(std::abs(*start - pictureMs), 100) << *start << " vs " << pictureMs;
    EXPECT_NEAR(*end - *start, 300, 15);
    EXPECT_EQ(soundmeter::rms(left, 0, size_t(pictureMs * 44.1) - 441), 0);

    // The same recording as the sound alone, and the AVI without it.
    const std::string wav = dir.filePath("event.wav").toStdString();
    out = convert("'" + movie + "' '" + wav + "' --delay 100 --duration 2000");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(out.output.find("WAV was successfully saved to " + wav), std::string::npos) << out.output;
    const std::vector<int16_t> alone = decodedSound(wav, dir);
    EXPECT_EQ(alone.size(), sound.size());
    EXPECT_EQ(soundmeter::toneStartMs(channel(alone, 0), 1000, 0.3), start);

    const std::string silent = dir.filePath("silent.avi").toStdString();
    out = convert("'" + movie + "' '" + silent + "' --no-sound --duration 1000 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_EQ(run("ffprobe -v error -select_streams a -show_entries stream=codec_type -of csv=p=0 '" + silent + "'").output, "");
    EXPECT_EQ(convert("'" + movie + "' '" + wav + "' --no-sound").exitCode, 2);
}

TEST(SoundConvert, AStreamSoundOfAnFfmpegMovieKeepsItsTimes)
{
    QTemporaryDir dir;
    const std::string movie = dir.filePath("stream.swf").toStdString();
    ASSERT_EQ(run("ffmpeg -y -v error -f lavfi -i \"aevalsrc=0.5*sin(2*PI*if(lt(t\\,1)\\,1000\\,2000)*t)|"
                  "0.5*sin(2*PI*if(lt(t\\,1)\\,1000\\,2000)*t):s=44100:d=2\" -f lavfi -i testsrc=size=64x48:rate=10 "
                  "-t 2 -c:v flv1 -c:a libmp3lame -f swf '" + movie + "'").exitCode, 0);
    const std::string avi = dir.filePath("stream.avi").toStdString();
    Outcome out = convert("'" + movie + "' '" + avi + "' --delay 50 --duration 2000 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    const auto left = channel(decodedSound(avi, dir), 0);
    const std::optional<double> low = soundmeter::toneStartMs(left, 1000, 0.3);
    const std::optional<double> high = soundmeter::toneStartMs(left, 2000, 0.3);
    ASSERT_TRUE(low && high);
    EXPECT_LT(*low, 100);                   // from the first picture on
    EXPECT_NEAR(*high - *low, 1000, 100);   // the switch a second later, within a movie frame
}

TEST(SoundConvert, AdpcmSoundAndTheSoundObjectsVolumeAndPan)
{
    QTemporaryDir dir;
    // One packet of ffmpeg's ADPCM (4,096 samples at 11,025 Hz) as an event sound.
    const std::string flv = dir.filePath("adpcm.flv").toStdString();
    ASSERT_EQ(run("ffmpeg -y -v error -f lavfi -i \"aevalsrc=0.5*sin(2*PI*500*t):s=11025:d=0.37\" -c:a adpcm_swf "
                  "-f flv '" + flv + "'").exitCode, 0);
    const std::vector<uint8_t> f = readAll(flv);
    size_t at = 13;
    swf::Sound adpcm;
    adpcm.format = {swf::SoundFormat::Adpcm, 1, true, false};
    while (at + 11 <= f.size()) {
        const size_t size = size_t(f[at + 1]) << 16 | f[at + 2] << 8 | f[at + 3];
        if (f[at] == 8 && adpcm.data.empty())
            adpcm.data.assign(f.begin() + std::ptrdiff_t(at + 12), f.begin() + std::ptrdiff_t(at + 11 + size));
        at += 11 + size + 4;
    }
    ASSERT_FALSE(adpcm.data.empty());
    adpcm.sampleCount = 4096;

    // s = new Sound(); s.attachSound("tone"); s.setVolume(50); s.setPan(100); s.start();
    auto push = [](std::vector<uint8_t>& b, const std::string& text) {
        b.insert(b.end(), {0x96, uint8_t(text.size() + 2), 0, 0});
        b.insert(b.end(), text.begin(), text.end());
        b.push_back(0);
    };
    auto pushNumber = [](std::vector<uint8_t>& b, int32_t v) {
        b.insert(b.end(), {0x96, 5, 0, 7, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    };
    std::vector<uint8_t> script;
    push(script, "s");
    pushNumber(script, 0);
    push(script, "Sound");
    script.insert(script.end(), {0x40, 0x1D});   // NewObject, SetVariable
    auto call = [&](const char* method, std::optional<int32_t> arg, const char* text = nullptr) {
        if (text)
            push(script, text);
        if (arg)
            pushNumber(script, *arg);
        pushNumber(script, (text || arg) ? 1 : 0);
        push(script, "s");
        script.push_back(0x1C);   // GetVariable
        push(script, method);
        script.insert(script.end(), {0x52, 0x17});   // CallMethod, Pop
    };
    call("attachSound", std::nullopt, "tone");
    call("setVolume", 50);
    call("setPan", 100);
    call("start", std::nullopt);
    script.push_back(0);

    const std::string movie = writeSoundMovie(dir, "adpcm.swf", adpcm, 5, script);
    const std::string avi = dir.filePath("adpcm.avi").toStdString();
    Outcome out = convert("'" + movie + "' '" + avi + "' --delay 100 --duration 1500 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    const std::vector<int16_t> sound = decodedSound(avi, dir);
    const auto left = channel(sound, 0), right = channel(sound, 1);
    const std::optional<double> start = soundmeter::toneStartMs(right, 500, 0.1);
    ASSERT_TRUE(start);
    EXPECT_NEAR(*start, 400, 100);   // frame 5, the fifth picture
    EXPECT_NEAR(toneAmplitude(right, size_t((*start + 50) * 44.1), 8820, 500), 0.25, 0.03);
    EXPECT_LT(soundmeter::rms(left, 0, left.size()), 0.001);
}

} // namespace
