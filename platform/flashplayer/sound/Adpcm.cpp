// The ADPCM of SWF files, from the published file format: a 2-bit code size (codes
// of 2 to 5 bits), then packets, each opening with the first sample (16 bits) and a
// step index (6 bits) per channel, followed by up to 4,095 codes per channel,
// interleaved left/right. The step sizes and index adjustments are those of IMA ADPCM.
#include "sound/SourceDecoder.h"

#include <algorithm>
#include <array>

namespace sound {

namespace {

constexpr std::array<int, 89> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index adjustments by code magnitude, for 2, 3, 4 and 5-bit codes.
constexpr int kAdjust2[] = {-1, 2};
constexpr int kAdjust3[] = {-1, -1, 2, 4};
constexpr int kAdjust4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kAdjust5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kAdjust[] = {kAdjust2, kAdjust3, kAdjust4, kAdjust5};

constexpr int kCodesPerPacket = 4095;

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : m_data(data) {}
    bool has(std::size_t bits) const { return m_bit + bits <= m_data.size() * 8; }
    unsigned read(int bits)
    {
        unsigned v = 0;
        for (int i = 0; i < bits; ++i, ++m_bit)
            v = (v << 1) | ((m_data[m_bit >> 3] >> (7 - (m_bit & 7))) & 1u);
        return v;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_bit = 0;
};

struct ChannelState {
    int predictor = 0;
    int index = 0;

    std::int16_t step(unsigned code, int bits)
    {
        const unsigned signMask = 1u << (bits - 1);
        int step = kStepSizes[std::size_t(index)];
        int diff = 0;
        for (unsigned mask = signMask >> 1; mask; mask >>= 1, step >>= 1)
            if (code & mask)
                diff += step;
        diff += step;
        predictor = std::clamp(code & signMask ? predictor - diff : predictor + diff, -32768, 32767);
        index = std::clamp(index + kAdjust[bits - 2][code & (signMask - 1)], 0, 88);
        return static_cast<std::int16_t>(predictor);
    }
};

class AdpcmDecoder final : public SourceDecoder {
public:
    explicit AdpcmDecoder(const swf::SoundFormatInfo& f) : m_rate(rateOfCode(f.rate)), m_channels(f.stereo ? 2 : 1) {}

    bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm) override
    {
        BitReader r(data);
        if (!r.has(2))
            return true;
        const int bits = int(r.read(2)) + 2;
        ChannelState state[2];
        // A packet without its whole header ends the sound: what came before stays.
        while (r.has(std::size_t(22 * m_channels))) {
            for (int c = 0; c < m_channels; ++c) {
                state[c].predictor = static_cast<std::int16_t>(r.read(16));
                state[c].index = int(r.read(6)) % int(kStepSizes.size());
                pcm.push_back(static_cast<std::int16_t>(state[c].predictor));
            }
            for (int n = 0; n < kCodesPerPacket && r.has(std::size_t(bits * m_channels)); ++n)
                for (int c = 0; c < m_channels; ++c)
                    pcm.push_back(state[c].step(r.read(bits), bits));
        }
        return true;
    }
    double rate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    void reset() override {}

private:
    double m_rate;
    int m_channels;
};

} // namespace

std::unique_ptr<SourceDecoder> createAdpcmDecoder(const swf::SoundFormatInfo& format)
{
    return std::make_unique<AdpcmDecoder>(format);
}

} // namespace sound
