// Uncompressed sound: 8-bit samples are unsigned around 128, 16-bit samples signed
// little-endian. "Native endian" SWF sound was written by little-endian machines in
// every file we know, so both formats read the same.
#include "sound/SourceDecoder.h"

namespace sound {

namespace {

class UncompressedDecoder final : public SourceDecoder {
public:
    explicit UncompressedDecoder(const swf::SoundFormatInfo& f)
        : m_rate(rateOfCode(f.rate)), m_channels(f.stereo ? 2 : 1), m_16bit(f.is16Bit) {}

    bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm) override
    {
        const std::size_t width = m_16bit ? 2 : 1;
        const std::size_t samples = data.size() / width / m_channels * m_channels;
        pcm.reserve(pcm.size() + samples);
        for (std::size_t i = 0; i < samples; ++i) {
            if (m_16bit)
                pcm.push_back(static_cast<std::int16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
            else
                pcm.push_back(static_cast<std::int16_t>((int(data[i]) - 128) << 8));
        }
        return true;
    }
    double rate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    void reset() override {}

private:
    double m_rate;
    int m_channels;
    bool m_16bit;
};

} // namespace

std::unique_ptr<SourceDecoder> createUncompressedDecoder(const swf::SoundFormatInfo& format)
{
    return std::make_unique<UncompressedDecoder>(format);
}

double rateOfCode(std::uint8_t code)
{
    static constexpr double rates[4] = {5512.5, 11025, 22050, 44100};
    return rates[code & 3];
}

} // namespace sound
