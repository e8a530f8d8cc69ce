// The mixer: every sound the movie plays, mixed to 44,100 Hz stereo 16-bit on the
// player's clock. Time is the scheduler's: the mix at millisecond t ends at frame
// t * 44.1, so with virtual time the result is exact to the frame whatever the
// speed of the machine. Nothing is mixed ahead: each change (a sound starts or
// stops, a volume moves) first mixes up to now, then takes effect.
//
// The mix goes to two optional taps: the capture of a recorded span (for the AVI's
// sound track) and the live feed of an audio output. With no tap and no sound
// playing, advancing the clock costs nothing.
#pragma once

#include "sound/PcmSound.h"

#include "swf/Sound.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sound {

// A Sound object's settings: volume 0..100 (more amplifies), and the share of each
// source channel in each output channel, in percent (ll: left to left, lr: left to
// right, rl: right to left, rr: right to right).
struct SoundSettings {
    double volume = 100;
    double ll = 100, lr = 0, rl = 0, rr = 100;
    int pan = 0; // the last setPan, as getPan answers
};

struct VoiceStart {
    std::shared_ptr<const PcmSound> sound;
    int soundId = 0;         // the character (0: none), for SyncStop and SyncNoMultiple
    std::string owner;       // clip path whose Sound settings apply, with its parents'
    std::uint64_t listener = 0; // told when the voice ends (Sound objects); 0: nobody
    std::size_t startFrame = 0; // in point or offset, in mix frames
    std::optional<std::size_t> endFrame; // out point
    int loops = 1;
    std::vector<swf::SoundEnvelopePoint> envelope;
};

class Mixer {
public:
    static std::int64_t frameAt(std::int64_t ms) { return ms * 441 / 10; }

    Mixer(std::int64_t nowMs, SoundLimits limits = {});
    ~Mixer();

    // Mixes every frame up to the moment nowMs.
    void advanceTo(std::int64_t nowMs);

    // Starts a voice now; false when it cannot play (no sound, too many voices).
    bool start(VoiceStart voice);
    void stopSound(int soundId);
    void stopListener(std::uint64_t listener);
    // Voices whose owner is the clip at `path` or inside it ("": every voice and stream).
    void stopOwner(const std::string& path);
    void stopAll();
    bool isPlaying(int soundId) const;
    // The newest voice of a listener: frames into its sound, and the sound's length.
    std::optional<std::size_t> position(std::uint64_t listener) const;
    // Listeners whose voices ended by themselves since the last call, in order.
    std::vector<std::uint64_t> takeCompleted();

    // A stream sound (SoundStreamHead/Block, NetStream): frames in the mix format
    // queued behind what it still plays. `restart` drops what is queued first.
    void streamAppend(const std::string& key, const std::string& owner, const std::int16_t* frames,
                      std::size_t count, bool restart);
    void stopStream(const std::string& key);
    std::size_t streamQueued(const std::string& key) const;

    SoundSettings& settings(const std::string& owner);   // "" is the global Sound object
    const SoundSettings* findSettings(const std::string& owner) const;
    void setSettings(const std::string& owner, const SoundSettings& value);
    // A new movie: the clips' settings go, the global object's stay.
    void forgetClipSettings();
    // The host's volume over everything, 0..100.
    void setMasterVolume(int percent);
    int masterVolume() const { return m_master; }
    // Paused, voices keep their place and the mix is silence.
    void setPaused(bool paused);
    bool paused() const { return m_paused; }

    // Capture: from now on, every mixed frame is kept (starting again clears it).
    void setCapture(bool on);
    bool capturing() const { return m_capture; }
    std::vector<std::int16_t> takeCapture();
    // Live feed: frames mixed since the last read, at most maxLiveSeconds of them.
    void setLive(bool on);
    std::size_t readLive(std::int16_t* out, std::size_t maxFrames);

    bool silent() const { return m_voices.empty() && m_streams.empty(); }
    std::int64_t mixedFrames() const { return m_rendered; }
    const SoundLimits& limits() const { return m_limits; }

private:
    struct Voice;
    struct Stream;
    struct Gains;
    void mixBlock(std::int32_t* acc, std::size_t frames);
    bool mixVoice(Voice& v, std::int32_t* acc, std::size_t frames);
    void mixStream(Stream& s, std::int32_t* acc, std::size_t frames);
    Gains gainsFor(const std::string& owner) const;
    void emit(const std::int16_t* samples, std::size_t frames);
    void emitSilence(std::size_t frames);

    SoundLimits m_limits;
    std::int64_t m_rendered;
    std::vector<Voice> m_voices;
    std::map<std::string, Stream> m_streams;
    std::map<std::string, SoundSettings> m_settings;
    std::vector<std::uint64_t> m_completed;
    int m_master = 100;
    bool m_paused = false;
    bool m_capture = false;
    bool m_live = false;
    std::vector<std::int16_t> m_captured;
    std::deque<std::int16_t> m_liveQueue;
};

} // namespace sound
