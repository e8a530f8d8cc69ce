// The movie's sound in the player, mixed on the virtual clock: event sounds on their
// frames with their sync rules, a stream sound in a movie written by ffmpeg's own
// SWF muxer, the Sound object of scripts, and the host's pause.
#include "Player.h"
#include "ScriptActions.h"
#include "TestMovies.h"

#include "SoundMeter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace flash::test {
namespace {

namespace fs = std::filesystem;
using soundmeter::channel;
using soundmeter::toneAmplitude;

std::vector<uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// DefineSound of an uncompressed 44.1 kHz stereo tone.
swf::Sound toneSound(double hz, double ms)
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

swf::StartSound startOf(uint16_t id, swf::SoundInfo info = {})
{
    swf::StartSound s;
    s.soundId = id;
    s.info = std::move(info);
    return s;
}

// Plays the movie from load for `ms` on a virtual clock and returns the mix.
std::vector<int16_t> mixOf(std::shared_ptr<const swf::Movie> movie, int64_t ms, Player** keep = nullptr)
{
    VirtualClock clock;
    Player player(&clock);
    player.setSoundCapture(true);
    EXPECT_TRUE(player.load(std::move(movie)));
    clock.AdvanceBy(ms);
    (void)keep;
    return player.takeCapturedSound();
}

TEST(PlayerSound, AnEventSoundStartsOnItsFrame)
{
    MovieMaker m(100, 100, 10);
    const uint16_t id = m.add(toneSound(1000, 200));
    for (int f = 0; f < 10; ++f)
        m.frame(size_t(f));
    m.frame(5).tags.push_back(startOf(id));
    const auto left = channel(mixOf(m.done(), 1000), 0);
    ASSERT_EQ(left.size(), 44100u);
    // Frame 5 of a 10 fps movie is entered at 500 ms: the tone lies in 500..700 ms.
    EXPECT_EQ(soundmeter::rms(left, 0, 22050), 0);
    EXPECT_NEAR(toneAmplitude(left, 22050, 8820, 1000), 0.5, 0.01);
    EXPECT_EQ(soundmeter::rms(left, 22050 + 8820, 44100), 0);
}

TEST(PlayerSound, SyncRulesLoopsAndPoints)
{
    struct Case {
        const char* name;
        swf::SoundInfo second;   // on frame 2, while the first (frame 0, 400 ms) plays
        double at300, at500;     // tone amplitude 280..320 ms and 480..520 ms
    };
    swf::SoundInfo stop;
    stop.syncStop = true;
    swf::SoundInfo noMultiple;
    noMultiple.syncNoMultiple = true;
    swf::SoundInfo looped;
    looped.loopCount = 4;
    looped.inPoint = 4410 * 3;   // the last 100 ms of the sound, four times
    const Case cases[] = {
        {"sync stop silences it at frame 2", stop, 0, 0},
        {"no multiple: the second start is dropped", noMultiple, 0.5, 0},
        {"a second voice adds to the first", {}, 1.0, 0.5},
        {"loops of the in point's tail", looped, 1.0, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovieMaker m(100, 100, 10);
        const uint16_t id = m.add(toneSound(1000, 400));
        for (int f = 0; f < 10; ++f)
            m.frame(size_t(f));
        m.frame(0).tags.push_back(startOf(id));
        m.frame(2).tags.push_back(startOf(id, c.second));
        const auto left = channel(mixOf(m.done(), 1000), 0);
        EXPECT_NEAR(toneAmplitude(left, 12348, 1764, 1000), c.at300, 0.02);
        EXPECT_NEAR(toneAmplitude(left, 21168, 1764, 1000), c.at500, 0.02);
    }
}

TEST(PlayerSound, StreamSoundOfAnFfmpegSwfKeepsItsTimes)
{
    const fs::path dir = fs::path(TOVRANE_BINARY_DIR) / "player-sound-test";
    fs::create_directories(dir);
    const fs::path swf = dir / "stream.swf";
    // 1 kHz for a second, then 2 kHz for a second, as MP3 stream blocks beside a
    // video of 10 frames a second, as ffmpeg turns a video into a movie.
    const std::string make = "ffmpeg -y -v error -f lavfi -i \"aevalsrc=0.5*sin(2*PI*if(lt(t\\,1)\\,1000\\,2000)*t)|"
                             "0.5*sin(2*PI*if(lt(t\\,1)\\,1000\\,2000)*t):s=44100:d=2\" "
                             "-f lavfi -i testsrc=size=64x48:rate=10 -t 2 -c:v flv1 -c:a libmp3lame -f swf '" +
                             swf.string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    VirtualClock clock;
    Player player(&clock);
    player.setSoundCapture(true);
    ASSERT_TRUE(player.load(readAll(swf))) << player.lastError();
    clock.AdvanceBy(2500);
    const auto left = channel(player.takeCapturedSound(), 0);
    const std::optional<double> low = soundmeter::toneStartMs(left, 1000, 0.3);
    const std::optional<double> high = soundmeter::toneStartMs(left, 2000, 0.3);
    ASSERT_TRUE(low && high);
    const double frameMs = 1000 / player.frameRate();
    EXPECT_LT(*low, frameMs + 60);   // the encoder's delay, at most a frame late
    EXPECT_NEAR(*high - *low, 1000, frameMs);
    const std::optional<double> end = soundmeter::toneEndMs(left, 2000, 0.3);
    ASSERT_TRUE(end);
    EXPECT_NEAR(*end - *low, 2000, 2 * frameMs);
}

std::vector<uint8_t> completionHandler()
{
    // function () { done = "yes"; } as DefineFunction pushes it.
    std::vector<uint8_t> body = {0x96, 6, 0, 0, 'd', 'o', 'n', 'e', 0, 0x96, 5, 0, 0, 'y', 'e', 's', 0, 0x1D};
    std::vector<uint8_t> f = {0x9B, 5, 0, 0, 0, 0, uint8_t(body.size()), 0};
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

TEST(PlayerSound, TheSoundObjectSetsVolumePanAndHearsItsEnd)
{
    MovieMaker m(100, 100, 10);
    const uint16_t id = m.add(toneSound(1000, 300));
    m.m.exports.push_back({id, "tone"});
    ScriptActions script;
    script.construct("", "Sound", {}, "s")
        .call("s", "attachSound", {std::string("Tone")})
        .call("s", "setVolume", {50.0})
        .call("s", "setPan", {-100.0})
        .call("s", "getVolume", {}, "volume")
        .call("s", "getPan", {}, "pan")
        .get("s", "duration", "duration")
        .set("s", "onSoundComplete", ScriptActions::Code{completionHandler()})
        .call("s", "start", {0.1, 2.0});
    m.frame(0).tags.push_back(swf::DoAction{script.done()});
    VirtualClock clock;
    Player player(&clock);
    player.setSoundCapture(true);
    ASSERT_TRUE(player.load(m.done()));
    EXPECT_EQ(player.getVariable("volume"), "50");
    EXPECT_EQ(player.getVariable("pan"), "-100");
    EXPECT_EQ(player.getVariable("duration"), "300");
    clock.AdvanceBy(150);
    // Read at the last frame (100 ms): 100 ms of sound after the 100 ms offset.
    EXPECT_EQ(player.getVariable("s.position"), "200");
    clock.AdvanceBy(100);
    EXPECT_EQ(player.getVariable("done"), "");
    clock.AdvanceBy(350);
    EXPECT_EQ(player.getVariable("done"), "yes");
    const auto mix = player.takeCapturedSound();
    // Two loops from 100 ms in: 400 ms of tone, left at half, right silent.
    const auto left = channel(mix, 0), right = channel(mix, 1);
    EXPECT_NEAR(toneAmplitude(left, 0, 17640, 1000), 0.25, 0.01);
    EXPECT_EQ(soundmeter::rms(right, 0, 17640), 0);
    EXPECT_EQ(soundmeter::rms(left, 17640 + 441, 4410), 0);
}

TEST(PlayerSound, LoadSoundPlaysAnMp3FileAsItArrives)
{
    const fs::path dir = fs::path(TOVRANE_BINARY_DIR) / "player-sound-test";
    fs::create_directories(dir);
    const fs::path mp3 = dir / "loaded.mp3";
    ASSERT_EQ(std::system(("ffmpeg -y -v error -f lavfi -i \"aevalsrc=0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=44100:d=0.5\" "
                           "-c:a libmp3lame -f mp3 '" + mp3.string() + "'").c_str()), 0);
    ScriptActions script;
    script.construct("", "Sound", {}, "s")
        .set("s", "onLoad", ScriptActions::Code{completionHandler()})
        .call("s", "loadSound", {std::string("loaded.mp3"), true});
    MovieMaker m(100, 100, 10);
    m.frame(0).tags.push_back(swf::DoAction{script.done()});
    VirtualClock clock;
    Player player(&clock);
    std::vector<std::string> asked;
    player.setFetchHandler([&](const std::string& url, size_t) -> std::optional<std::vector<uint8_t>> {
        asked.push_back(url);
        return url == mp3.string() ? std::optional(readAll(mp3)) : std::nullopt;
    });
    player.setSoundCapture(true);
    ASSERT_TRUE(player.load(m.done(), (dir / "main.swf").string()));
    clock.AdvanceBy(1000);
    EXPECT_EQ(asked, std::vector<std::string>{mp3.string()});
    EXPECT_EQ(player.getVariable("done"), "yes");
    EXPECT_NEAR(std::stod(player.getVariable("s.duration")), 500, 60);
    const auto left = channel(player.takeCapturedSound(), 0);
    const std::optional<double> start = soundmeter::toneStartMs(left, 1000, 0.3);
    ASSERT_TRUE(start);
    EXPECT_NEAR(*start, 100, 40);   // fetched at the first advance
}

// DefineButtonSound: rolling over plays the over sound (1 kHz), pressing the press
// sound (2 kHz), each from the moment of its transition.
TEST(PlayerSound, ButtonTransitionsPlayTheirSounds)
{
    MovieMaker mm(100, 100);
    const uint16_t hit = mm.rect({0, 1000, 0, 1000}, {0, 0, 0, 255});
    swf::Button b;
    swf::ButtonRecord r;
    r.up = r.over = r.down = r.hitTest = true;
    r.characterId = hit;
    r.depth = 1;
    b.records.push_back(r);
    auto tone = [&](double hz) {
        swf::Sound s;
        s.format = {swf::SoundFormat::UncompressedLittleEndian, 3, true, true};
        for (int16_t v : soundmeter::tone(hz, 100, 44100, 2)) {
            s.data.push_back(uint8_t(v));
            s.data.push_back(uint8_t(uint16_t(v) >> 8));
        }
        s.sampleCount = 4410;
        return mm.add(s);
    };
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[1].soundId = tone(1000);   // IdleToOverUp
    sounds[2].soundId = tone(2000);   // OverUpToOverDown
    b.sounds = sounds;
    const uint16_t button = mm.add(b);
    mm.frame(0).tags = {place(button, 1, swf::Matrix::translate(400, 400))};   // 20..70 px
    mm.frame(3);
    Rig rig;
    rig.renderer->hitAreas[hit] = {0, 1000, 0, 1000};
    rig.core->mixer().setCapture(true);
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.draw();
    rig.clock.AdvanceBy(50);
    rig.core->mouseMove(30, 30);
    rig.clock.AdvanceBy(200);
    rig.core->mouseDown(30, 30);
    rig.clock.AdvanceBy(200);
    const auto left = soundmeter::channel(rig.core->mixer().takeCapture(), 0);
    EXPECT_NEAR(soundmeter::toneStartMs(left, 1000, 0.3).value_or(-1), 53, 5);
    EXPECT_NEAR(soundmeter::toneStartMs(left, 2000, 0.3).value_or(-1), 253, 5);
    EXPECT_EQ(soundmeter::rms(left, 0, 2205), 0);
}

TEST(PlayerSound, TheHostsStopPausesTheSoundAndPlayResumesIt)
{
    MovieMaker m(100, 100, 10);
    const uint16_t id = m.add(toneSound(1000, 400));
    m.frame(0).tags.push_back(startOf(id));
    m.frame(1);
    VirtualClock clock;
    Player player(&clock);
    player.setLoop(false);   // frame 0 would start the sound again
    player.setSoundCapture(true);
    ASSERT_TRUE(player.load(m.done()));
    clock.AdvanceBy(100);
    player.stop();
    clock.AdvanceBy(200);
    player.play();
    clock.AdvanceBy(400);
    const auto left = channel(player.takeCapturedSound(), 0);
    ASSERT_EQ(left.size(), 30870u);
    EXPECT_NEAR(toneAmplitude(left, 0, 4410, 1000), 0.5, 0.01);
    EXPECT_EQ(soundmeter::rms(left, 4410, 8820), 0);
    EXPECT_NEAR(toneAmplitude(left, 13230, 13230, 1000), 0.5, 0.01);
    EXPECT_EQ(soundmeter::rms(left, 26460 + 10, 4000), 0);
}

TEST(PlayerSound, GlobalVolumeAndAMovieWithoutSoundCostNothing)
{
    MovieMaker m(100, 100, 10);
    const uint16_t id = m.add(toneSound(1000, 100));
    m.frame(0).tags.push_back(startOf(id));
    VirtualClock clock;
    Player player(&clock);
    player.setSoundVolume(30);
    player.setSoundCapture(true);
    ASSERT_TRUE(player.load(m.done()));
    clock.AdvanceBy(100);
    EXPECT_EQ(player.soundVolume(), 30);
    EXPECT_NEAR(toneAmplitude(channel(player.takeCapturedSound(), 0), 0, 4410, 1000), 0.15, 0.01);
    EXPECT_TRUE(player.core().mixer().silent());
}

}  // namespace
}  // namespace flash::test
