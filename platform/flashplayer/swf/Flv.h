// FLV files as NetStream plays them: the video tags with their times, and the
// scalar members of the onMetaData script tag, and the audio tags. A file that
// ends inside a tag keeps the tags before it.
#pragma once

#include "swf/Characters.h"
#include "swf/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace swf {

struct FlvVideoTag {
    std::uint32_t timeMs = 0;
    std::uint8_t codecId = 0;   // VideoCodec values
    bool keyFrame = false;
    std::vector<std::uint8_t> data;   // as a VideoFrame tag carries it
};

struct FlvAudioTag {
    std::uint32_t timeMs = 0;
    std::uint8_t flags = 0;            // SoundFormat, SoundRate, SoundSize, SoundType
    std::vector<std::uint8_t> data;    // the sound data after the flags (AAC: a raw frame)
};

using FlvMetaValue = std::variant<double, bool, std::string>;

struct FlvFile {
    bool hasVideo = false;
    bool hasAudio = false;
    std::vector<FlvVideoTag> video;
    std::vector<FlvAudioTag> audio;
    std::vector<std::uint8_t> aacConfig;   // AudioSpecificConfig of AAC audio
    // onMetaData members that are numbers, booleans or strings, in file order.
    std::vector<std::pair<std::string, FlvMetaValue>> metadata;
};

// Refuses data that does not start with an FLV header.
Result<FlvFile> readFlv(std::span<const std::uint8_t> data);

// The video of `flv` as a stream the video decoders take: frame i is video tag i
// (numbered by index), the codec that of the first tag; tags of other codecs are
// left out. `timesMs` receives the time of each frame.
VideoStream flvVideoStream(const FlvFile& flv, std::vector<std::uint32_t>* timesMs = nullptr);

} // namespace swf
