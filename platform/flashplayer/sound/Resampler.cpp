#include "sound/Resampler.h"

#include "sound/PcmSound.h"

#include <algorithm>
#include <cmath>

namespace sound {

Resampler::Resampler(double rateHz, int channels) : m_channels(std::clamp(channels, 1, 2))
{
    rateHz = std::clamp(rateHz, 1000.0, 192000.0);
    m_step = static_cast<std::uint64_t>(std::llround(rateHz / kMixRate * 4294967296.0));
}

void Resampler::reset()
{
    m_phase = 0;
    m_primed = false;
}

void Resampler::flush(std::vector<std::int16_t>& out, std::size_t maxFrames)
{
    constexpr std::uint64_t kOne = std::uint64_t(1) << 32;
    if (!m_primed)
        return;
    while (m_phase < kOne && out.size() / 2 < maxFrames) {
        out.push_back(m_last[0]);
        out.push_back(m_last[1]);
        m_phase += m_step;
    }
    m_primed = false;
    m_phase = 0;
}

bool Resampler::push(const std::int16_t* frames, std::size_t count, std::vector<std::int16_t>& out,
                     std::size_t maxFrames)
{
    constexpr std::uint64_t kOne = std::uint64_t(1) << 32;
    auto frameAt = [&](std::size_t i, int side) {
        return frames[i * m_channels + (m_channels == 2 ? side : 0)];
    };
    std::size_t i = 0;
    if (!m_primed && count > 0) {
        m_last[0] = frameAt(0, 0);
        m_last[1] = frameAt(0, 1);
        m_primed = true;
        i = 1;
        m_phase = 0;
    }
    // Output frames lie between m_last (phase 0) and the next source frame (phase 1).
    for (; i < count; ++i) {
        const std::int16_t next[2] = {frameAt(i, 0), frameAt(i, 1)};
        while (m_phase < kOne) {
            if (out.size() / 2 >= maxFrames)
                return false;
            const std::int64_t f = static_cast<std::int64_t>(m_phase >> 16); // 16 bits of fraction
            for (int side = 0; side < 2; ++side)
                out.push_back(static_cast<std::int16_t>(m_last[side] + ((next[side] - m_last[side]) * f >> 16)));
            m_phase += m_step;
        }
        m_phase -= kOne;
        m_last[0] = next[0];
        m_last[1] = next[1];
    }
    return true;
}

} // namespace sound
