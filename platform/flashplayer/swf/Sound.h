// Sound tags, read and kept for a later sound mixer: DefineSound, StartSound /
// StartSound2, SoundStreamHead 1/2, SoundStreamBlock, DefineButtonSound.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

enum class SoundFormat : std::uint8_t {
    UncompressedNativeEndian = 0, Adpcm = 1, Mp3 = 2, UncompressedLittleEndian = 3,
    Nellymoser16k = 4, Nellymoser8k = 5, Nellymoser = 6, Speex = 11,
};

// Sampling rate code: 0 = 5.5 kHz, 1 = 11 kHz, 2 = 22 kHz, 3 = 44 kHz.
struct SoundFormatInfo {
    SoundFormat format = SoundFormat::UncompressedLittleEndian;
    std::uint8_t rate = 3;
    bool is16Bit = true;
    bool stereo = true;
    friend bool operator==(const SoundFormatInfo&, const SoundFormatInfo&) = default;
};

struct Sound {
    std::uint16_t id = 0;
    SoundFormatInfo format;
    std::uint32_t sampleCount = 0;
    std::vector<std::uint8_t> data; // codec data as stored (MP3: SeekSamples first)
    friend bool operator==(const Sound&, const Sound&) = default;
};

struct SoundEnvelopePoint {
    std::uint32_t position44 = 0;
    std::uint16_t leftLevel = 0;
    std::uint16_t rightLevel = 0;
    friend bool operator==(const SoundEnvelopePoint&, const SoundEnvelopePoint&) = default;
};

// SOUNDINFO.
struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    std::optional<std::uint16_t> loopCount;
    std::vector<SoundEnvelopePoint> envelope;
    friend bool operator==(const SoundInfo&, const SoundInfo&) = default;
};

struct SoundStreamHead {
    std::uint8_t version = 1; // SoundStreamHead or SoundStreamHead2
    SoundFormatInfo playback;
    SoundFormatInfo stream;
    std::uint16_t samplesPerBlock = 0;
    std::int16_t latencySeek = 0; // MP3 only
    friend bool operator==(const SoundStreamHead&, const SoundStreamHead&) = default;
};

} // namespace swf
