#include "sound/SoundDecoder.h"

#include "sound/Resampler.h"
#include "sound/SourceDecoder.h"

#include <algorithm>

namespace sound {

namespace {

bool isUncompressed(swf::SoundFormat f)
{
    return f == swf::SoundFormat::UncompressedNativeEndian || f == swf::SoundFormat::UncompressedLittleEndian;
}

std::int16_t readS16(std::span<const std::uint8_t> d, std::size_t at)
{
    return static_cast<std::int16_t>(d[at] | (d[at + 1] << 8));
}

// Converts decoded samples to the mix format, dropping the first `skip` source frames.
bool toMix(SourceDecoder& decoder, std::unique_ptr<Resampler>& resampler, std::vector<std::int16_t>& pcm,
           std::size_t skip, std::vector<std::int16_t>& out, std::size_t maxFrames)
{
    const int channels = decoder.channels();
    const std::size_t frames = pcm.size() / std::size_t(channels);
    if (frames == 0)
        return true;
    if (!resampler)
        resampler = std::make_unique<Resampler>(decoder.rate(), channels);
    skip = std::min(skip, frames);
    return resampler->push(pcm.data() + skip * std::size_t(channels), frames - skip, out, maxFrames);
}

} // namespace

std::unique_ptr<SourceDecoder> createSourceDecoder(const swf::SoundFormatInfo& format,
                                                   std::span<const std::uint8_t> codecConfig)
{
    if (isUncompressed(format.format))
        return createUncompressedDecoder(format);
    if (format.format == swf::SoundFormat::Adpcm)
        return createAdpcmDecoder(format);
    return createFfmpegDecoder(format, codecConfig);
}

bool canDecode(const swf::SoundFormatInfo& format) { return createSourceDecoder(format) != nullptr; }

swf::Result<PcmSound> decodeSound(const swf::Sound& sound, const SoundLimits& limits)
{
    const double rate = rateOfCode(sound.format.rate);
    // The declared length decides before anything is decoded; every frame of source
    // becomes at least one frame of output, so this also bounds what we allocate.
    if (sound.sampleCount / rate > limits.maxSeconds)
        return swf::makeError(swf::ErrorCode::LimitExceeded, "the sound is longer than the limit");
    std::unique_ptr<SourceDecoder> decoder = createSourceDecoder(sound.format);
    if (!decoder)
        return swf::makeError(swf::ErrorCode::Unsupported, "no decoder for this sound format");
    std::span<const std::uint8_t> data = sound.data;
    std::size_t skip = 0;
    if (sound.format.format == swf::SoundFormat::Mp3) {
        if (data.size() < 2)
            return PcmSound{};
        skip = std::size_t(std::max<int>(0, readS16(data, 0))); // SeekSamples: the encoder's delay
        data = data.subspan(2);
    }
    std::vector<std::int16_t> pcm;
    decoder->decode(data, pcm);
    // Uncompressed and ADPCM data say their own length; the declared count cuts the
    // padding some encoders leave after it.
    const std::size_t channels = std::size_t(decoder->channels());
    if (sound.sampleCount > 0 && sound.format.format != swf::SoundFormat::Mp3)
        pcm.resize(std::min(pcm.size(), std::size_t(sound.sampleCount) * channels));
    PcmSound out;
    const std::size_t maxFrames = limits.maxFrames();
    const double outFrames = double(pcm.size() / channels) * kMixRate / decoder->rate() + 2;
    out.samples.reserve(std::size_t(std::min(outFrames, double(maxFrames))) * 2);
    std::unique_ptr<Resampler> resampler;
    if (toMix(*decoder, resampler, pcm, skip, out.samples, maxFrames) && resampler)
        resampler->flush(out.samples, maxFrames);
    return out;
}

StreamDecoder::StreamDecoder(const swf::SoundFormatInfo& format, bool swfMp3Blocks,
                             std::span<const std::uint8_t> codecConfig)
    : m_decoder(createSourceDecoder(format, codecConfig)), m_swfMp3(swfMp3Blocks && format.format == swf::SoundFormat::Mp3)
{
}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::reset()
{
    if (m_decoder)
        m_decoder->reset();
    m_resampler.reset();
}

void StreamDecoder::decode(std::span<const std::uint8_t> block, bool first, std::vector<std::int16_t>& out,
                           std::size_t maxFrames)
{
    if (!m_decoder)
        return;
    std::size_t skip = 0;
    if (m_swfMp3) {
        // MP3STREAMSOUNDDATA: SampleCount, SeekSamples, then the frames.
        if (block.size() < 4)
            return;
        if (first)
            skip = std::size_t(std::max<int>(0, readS16(block, 2)));
        block = block.subspan(4);
    }
    m_scratch.clear();
    m_decoder->decode(block, m_scratch);
    toMix(*m_decoder, m_resampler, m_scratch, skip, out, maxFrames);
}

} // namespace sound
