// Measuring sound in tests: how strong a tone is in a stretch of 16-bit samples
// (Goertzel), and where a tone starts, so that tests can say "a 1 kHz tone on the
// left from 500 ms" of any mix or decoded file.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace soundmeter {

inline constexpr int kRate = 44100;

// Samples of one channel (0 left, 1 right) of interleaved stereo.
inline std::vector<double> channel(const std::vector<int16_t>& stereo, int which)
{
    std::vector<double> out(stereo.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = stereo[2 * i + size_t(which)] / 32768.0;
    return out;
}

// Amplitude (0..1) of the frequency in samples [from, from + count).
inline double toneAmplitude(const std::vector<double>& s, size_t from, size_t count, double hz, int rate = kRate)
{
    if (from >= s.size())
        return 0;
    count = std::min(count, s.size() - from);
    const double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
    double a = 0, b = 0;
    for (size_t i = 0; i < count; ++i) {
        const double n = s[from + i] + c * a - b;
        b = a;
        a = n;
    }
    const double power = a * a + b * b - c * a * b;
    return count ? 2 * std::sqrt(std::max(0.0, power)) / double(count) : 0;
}

inline double rms(const std::vector<double>& s, size_t from, size_t count)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < s.size() && i < from + count; ++i, ++n)
        sum += s[i] * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

// The first millisecond at which the tone holds at least `level` over a 10 ms window
// (searched in 1 ms steps), or nothing.
inline std::optional<double> toneStartMs(const std::vector<double>& s, double hz, double level, int rate = kRate)
{
    const size_t window = size_t(rate / 100), step = size_t(rate / 1000);
    for (size_t at = 0; at + window <= s.size(); at += step)
        if (toneAmplitude(s, at, window, hz, rate) >= level)
            return (at + window / 2) * 1000.0 / rate;
    return std::nullopt;
}

// The last millisecond the tone holds (same windows), or nothing.
inline std::optional<double> toneEndMs(const std::vector<double>& s, double hz, double level, int rate = kRate)
{
    const size_t window = size_t(rate / 100), step = size_t(rate / 1000);
    std::optional<double> end;
    for (size_t at = 0; at + window <= s.size(); at += step)
        if (toneAmplitude(s, at, window, hz, rate) >= level)
            end = (at + window / 2) * 1000.0 / rate;
    return end;
}

// A tone as 16-bit samples, interleaved when `channels` is 2.
inline std::vector<int16_t> tone(double hz, double ms, int rate, int channels, double amplitude = 0.5)
{
    const size_t n = size_t(ms * rate / 1000);
    std::vector<int16_t> out;
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(int16_t(std::lround(std::sin(2 * M_PI * hz * double(i) / rate) * amplitude * 32767)));
    return out;
}

} // namespace soundmeter
