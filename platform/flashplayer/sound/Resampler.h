// Brings decoded samples of any rate and channel count to the mix format by linear
// interpolation. It keeps its phase and last frame between calls, so a stream fed
// block by block sounds the same as one fed whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

class Resampler {
public:
    // rateHz may be fractional (5,512.5 Hz is the lowest SWF rate).
    Resampler(double rateHz, int channels);

    // Appends the converted frames to `out` (interleaved stereo at 44,100 Hz), but
    // never beyond maxFrames frames in `out`; returns false once that limit cut it.
    bool push(const std::int16_t* frames, std::size_t count, std::vector<std::int16_t>& out, std::size_t maxFrames);
    // The last frame held until its time is over, at the end of a sound.
    void flush(std::vector<std::int16_t>& out, std::size_t maxFrames);
    void reset();

private:
    std::uint64_t m_step;     // source frames per output frame, 32.32 fixed point
    std::uint64_t m_phase = 0; // position past m_last, 32.32
    int m_channels;
    bool m_primed = false;
    std::int16_t m_last[2] = {0, 0};
};

} // namespace sound
