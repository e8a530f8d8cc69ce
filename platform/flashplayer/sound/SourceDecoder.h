// Decoders of the codecs a movie's sound comes in, each giving 16-bit samples at the
// codec's own rate and channel count. SoundDecoder.h brings them to the mix format.
#pragma once

#include "swf/Sound.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace sound {

class SourceDecoder {
public:
    virtual ~SourceDecoder() = default;
    // Decodes one piece of the codec's data (a whole DefineSound body or one stream
    // block, without the SWF's own fields) and appends interleaved samples. Damaged
    // data decodes what it can; false when nothing more can come from this decoder.
    virtual bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& pcm) = 0;
    // Known once samples came out (codecs that say their rate in the data).
    virtual double rate() const = 0;
    virtual int channels() const = 0;
    // Forgets what came before (a stream jumps).
    virtual void reset() = 0;
};

// Uncompressed: 8-bit unsigned or 16-bit little-endian signed samples.
std::unique_ptr<SourceDecoder> createUncompressedDecoder(const swf::SoundFormatInfo& format);
// The ADPCM of SWF files: packets of 4,096 samples with 2 to 5 bits per code.
std::unique_ptr<SourceDecoder> createAdpcmDecoder(const swf::SoundFormatInfo& format);
// MP3, Nellymoser, Speex and AAC through libavcodec; null when this build has no
// decoder for the codec. `codecConfig` is AAC's AudioSpecificConfig.
std::unique_ptr<SourceDecoder> createFfmpegDecoder(const swf::SoundFormatInfo& format,
                                                   std::span<const std::uint8_t> codecConfig = {});

// The rate in Hz of an SWF rate code (0: 5,512.5, 1: 11,025, 2: 22,050, 3: 44,100).
double rateOfCode(std::uint8_t code);

} // namespace sound
