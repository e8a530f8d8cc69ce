// From SWF and FLV sound data to the mix format: event sounds (DefineSound) whole,
// stream sounds (SoundStreamBlock, FLV audio tags) piece by piece.
#pragma once

#include "sound/PcmSound.h"

#include "swf/Result.h"
#include "swf/Sound.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace sound {

class SourceDecoder;
class Resampler;

// Decodes a whole DefineSound. A sound whose declared length exceeds the limits is
// refused without decoding; damaged data gives what decoded before the damage.
swf::Result<PcmSound> decodeSound(const swf::Sound& sound, const SoundLimits& limits);

// Whether this build decodes the format at all.
bool canDecode(const swf::SoundFormatInfo& format);

class StreamDecoder {
public:
    // `mp3Blocks`: SWF stream blocks of MP3 carry SampleCount and SeekSamples first.
    StreamDecoder(const swf::SoundFormatInfo& format, bool swfMp3Blocks, std::span<const std::uint8_t> codecConfig = {});
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // Appends the block's sound in the mix format, at most maxFrames frames in `out`.
    // `first`: the stream starts (again) here, so the block's seek samples are skipped.
    void decode(std::span<const std::uint8_t> block, bool first, std::vector<std::int16_t>& out, std::size_t maxFrames);
    void reset();
    bool usable() const { return m_decoder != nullptr; }

private:
    std::unique_ptr<SourceDecoder> m_decoder;
    std::unique_ptr<Resampler> m_resampler;
    bool m_swfMp3;
    std::vector<std::int16_t> m_scratch;
};

// The decoder for a format, or null when this build has none.
std::unique_ptr<SourceDecoder> createSourceDecoder(const swf::SoundFormatInfo& format,
                                                   std::span<const std::uint8_t> codecConfig = {});

} // namespace sound
