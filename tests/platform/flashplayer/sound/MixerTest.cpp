// The mixer on its clock: voices start at the frame of the moment they are started,
// in and out points, loops, envelopes, the Sound settings of owners and their
// parents, the host's volume, pause, and the taps.
#include "sound/Mixer.h"

#include "SoundMeter.h"

#include <gtest/gtest.h>

namespace {

using soundmeter::channel;
using soundmeter::toneAmplitude;

std::shared_ptr<const sound::PcmSound> toneSound(double hz, double ms, double amplitude = 0.5)
{
    auto s = std::make_shared<sound::PcmSound>();
    s->samples = soundmeter::tone(hz, ms, 44100, 2, amplitude);
    return s;
}

sound::VoiceStart voice(std::shared_ptr<const sound::PcmSound> s, std::string owner = "_level0")
{
    sound::VoiceStart v;
    v.sound = std::move(s);
    v.soundId = 1;
    v.owner = std::move(owner);
    return v;
}

TEST(Mixer, VoicesStartOnTheFrameOfTheirMomentAndEndWithTheirSound)
{
    sound::Mixer mix(0);
    mix.setCapture(true);
    mix.advanceTo(100);
    ASSERT_TRUE(mix.start(voice(toneSound(1000, 200))));
    mix.advanceTo(500);
    const std::vector<int16_t> out = mix.takeCapture();
    ASSERT_EQ(out.size(), 2u * 22050);
    // Silence to frame 4410 exactly, the sound's frames from there.
    for (size_t i = 0; i < 4410 * 2; ++i)
        ASSERT_EQ(out[i], 0) << i;
    const auto tone = soundmeter::tone(1000, 200, 44100, 2);
    EXPECT_TRUE(std::equal(tone.begin(), tone.end(), out.begin() + 4410 * 2));
    EXPECT_TRUE(mix.silent());
}

TEST(Mixer, InAndOutPointsLoopsAndEnvelopes)
{
    sound::Mixer mix(0);
    mix.setCapture(true);
    sound::VoiceStart v = voice(toneSound(1000, 100));
    v.startFrame = 441;      // 10 ms in
    v.endFrame = 441 * 3;    // to 30 ms
    v.loops = 3;
    ASSERT_TRUE(mix.start(v));
    mix.advanceTo(100);
    auto left = channel(mix.takeCapture(), 0);
    EXPECT_GT(toneAmplitude(left, 0, 441 * 6, 1000), 0.45);   // three loops of 20 ms
    EXPECT_EQ(soundmeter::rms(left, 441 * 6, 441 * 4), 0);

    // The envelope takes the left channel from full to silent over the sound and
    // leaves the right one silent throughout.
    sound::VoiceStart e = voice(toneSound(1000, 100));
    e.envelope = {{0, 32768, 0}, {4410, 0, 0}};
    ASSERT_TRUE(mix.start(e));
    mix.advanceTo(200);
    const auto out = mix.takeCapture();
    left = channel(out, 0);
    EXPECT_GT(toneAmplitude(left, 0, 441, 1000), 0.4);
    EXPECT_LT(toneAmplitude(left, 3969, 441, 1000), 0.06);
    EXPECT_EQ(soundmeter::rms(channel(out, 1), 0, 4410), 0);
}

TEST(Mixer, SettingsOfOwnersParentsAndTheHostMultiply)
{
    struct Case {
        const char* name;
        double ownerVolume, parentVolume, globalVolume;
        int pan, master;
        double left, right;
    };
    const Case cases[] = {
        {"plain", 100, 100, 100, 0, 100, 0.5, 0.5},
        {"owner at half", 50, 100, 100, 0, 100, 0.25, 0.25},
        {"owner and parent", 50, 50, 100, 0, 100, 0.125, 0.125},
        {"global", 100, 100, 20, 0, 100, 0.1, 0.1},
        {"pan left", 100, 100, 100, -100, 100, 0.5, 0},
        {"pan half right", 100, 100, 100, 50, 100, 0.25, 0.5},
        {"host volume", 100, 100, 100, 0, 40, 0.2, 0.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sound::Mixer mix(0);
        mix.setCapture(true);
        sound::SoundSettings owner;
        owner.volume = c.ownerVolume;
        owner.ll = c.pan > 0 ? 100 - c.pan : 100;
        owner.rr = c.pan < 0 ? 100 + c.pan : 100;
        mix.setSettings("_level0.clip", owner);
        mix.settings("_level0").volume = c.parentVolume;
        mix.settings("").volume = c.globalVolume;
        mix.settings("_level0.other").volume = 0;   // a sibling changes nothing
        mix.setMasterVolume(c.master);
        ASSERT_TRUE(mix.start(voice(toneSound(1000, 100), "_level0.clip")));
        mix.advanceTo(100);
        const auto out = mix.takeCapture();
        EXPECT_NEAR(toneAmplitude(channel(out, 0), 0, 4410, 1000), c.left, 0.005);
        EXPECT_NEAR(toneAmplitude(channel(out, 1), 0, 4410, 1000), c.right, 0.005);
    }
}

TEST(Mixer, PauseKeepsThePlaceAndMixesSilence)
{
    sound::Mixer mix(0);
    mix.setCapture(true);
    ASSERT_TRUE(mix.start(voice(toneSound(1000, 100))));
    mix.advanceTo(50);
    mix.setPaused(true);
    mix.advanceTo(150);
    mix.setPaused(false);
    mix.advanceTo(250);
    const auto left = channel(mix.takeCapture(), 0);
    ASSERT_EQ(left.size(), 11025u);
    EXPECT_GT(toneAmplitude(left, 0, 2205, 1000), 0.45);
    EXPECT_EQ(soundmeter::rms(left, 2205, 4410), 0);
    EXPECT_GT(toneAmplitude(left, 6615, 2205, 1000), 0.45);
    EXPECT_EQ(soundmeter::rms(left, 8820, 2205), 0);
}

TEST(Mixer, StopsBySoundOwnerAndListenerAndReportsCompletion)
{
    sound::Mixer mix(0);
    sound::VoiceStart a = voice(toneSound(1000, 100), "_level0.a");
    a.listener = 7;
    sound::VoiceStart b = voice(toneSound(1000, 500), "_level0.a.b");
    b.soundId = 2;
    sound::VoiceStart c = voice(toneSound(1000, 500), "_level0.ab");
    c.soundId = 3;
    ASSERT_TRUE(mix.start(a) && mix.start(b) && mix.start(c));
    EXPECT_EQ(mix.position(7), 0u);
    mix.advanceTo(150);
    EXPECT_EQ(mix.takeCompleted(), std::vector<uint64_t>{7});
    EXPECT_FALSE(mix.position(7));
    mix.stopOwner("_level0.a");
    EXPECT_FALSE(mix.isPlaying(2));
    EXPECT_TRUE(mix.isPlaying(3));
    mix.stopSound(3);
    EXPECT_TRUE(mix.silent());
}

TEST(Mixer, LimitsHold)
{
    sound::SoundLimits limits;
    limits.maxVoices = 2;
    limits.maxCaptureSeconds = 1;
    limits.maxLiveSeconds = 0.5;
    sound::Mixer mix(0, limits);
    mix.setCapture(true);
    mix.setLive(true);
    EXPECT_TRUE(mix.start(voice(toneSound(1000, 10))));
    EXPECT_TRUE(mix.start(voice(toneSound(1000, 10))));
    EXPECT_FALSE(mix.start(voice(toneSound(1000, 10))));
    EXPECT_FALSE(mix.start(voice(std::make_shared<sound::PcmSound>())));   // an empty sound
    sound::VoiceStart past = voice(toneSound(1000, 10));
    past.startFrame = 100000;                                               // starts after its end
    EXPECT_FALSE(mix.start(past));
    mix.advanceTo(3'600'000);   // an hour in one step
    EXPECT_EQ(mix.takeCapture().size(), 2u * 44100);
    std::vector<int16_t> live(2 * 44100);
    EXPECT_EQ(mix.readLive(live.data(), 44100), 22050u);
}

TEST(Mixer, StreamsQueueBehindWhatTheyPlay)
{
    sound::Mixer mix(0);
    mix.setCapture(true);
    const auto block = soundmeter::tone(1000, 50, 44100, 2);
    mix.streamAppend("_level0", "_level0", block.data(), block.size() / 2, false);
    mix.advanceTo(25);
    mix.streamAppend("_level0", "_level0", block.data(), block.size() / 2, false);
    EXPECT_EQ(mix.streamQueued("_level0"), 2u * 2205 - 1102);   // 25 ms is frame 1102
    mix.advanceTo(200);
    const auto left = channel(mix.takeCapture(), 0);
    EXPECT_GT(toneAmplitude(left, 0, 4410, 1000), 0.45);
    EXPECT_EQ(soundmeter::rms(left, 4410, 4410), 0);
}

} // namespace
