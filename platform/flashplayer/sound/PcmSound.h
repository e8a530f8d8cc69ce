// Sound as the mixer plays it: 44,100 Hz, stereo, 16-bit, interleaved (left, right).
// Every decoder ends in this form, so voices read their samples without converting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

inline constexpr int kMixRate = 44100;

struct PcmSound {
    std::vector<std::int16_t> samples; // left, right, left, right, ...
    std::size_t frames() const { return samples.size() / 2; }
};

// What decoding may cost; a sound that claims more is refused before anything is
// allocated, and a sound that only turns out longer is cut at the limit.
struct SoundLimits {
    double maxSeconds = 600;                             // one decoded sound
    std::size_t maxCachedBytes = std::size_t(512) << 20; // every decoded sound of a movie
    int maxVoices = 32;                                  // sounds heard at once
    int maxLoops = 65535;                                // loops of one start
    double maxCaptureSeconds = 3 * 3600.0;               // a recorded span
    double maxLiveSeconds = 2;                           // what waits for the audio output

    std::size_t maxFrames() const { return std::size_t(maxSeconds * kMixRate); }
};

} // namespace sound
