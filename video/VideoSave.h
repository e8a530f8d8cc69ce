// One compressed save: MP4, WebM, MKV, animated WebP or APNG from the recorded frames,
// encoded one frame at a time at save time (no second copy of the frames), written
// through a temporary file that replaces the target only when the encode finished.
// Failures raise Exception with a message naming the file or the missing encoder.
#pragma once

#include "Types.h"
#include "VideoFormats.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TBitmap;

struct VideoSettings {
    std::optional<int> crf;         // H.264: 0-51 (default 18); VP9: 0-63 (default 31)
    std::string preset;             // H.264 presets, ultrafast ... veryslow (default medium)
    std::optional<int> webpQuality; // WebP: lossy with this quality 0-100; without it lossless
    bool loop = true;               // WebP, APNG: repeat for ever, or play once
};

inline constexpr int kDefaultH264Crf = 18;
inline constexpr int kDefaultVp9Crf = 31;

struct VideoSaveJob {
    std::string fileName;
    VideoFormat format = VideoFormat::Mp4;
    int width = 0;   // the frame size; H.264 and VP9 round odd sizes up by repeating the edge
    int height = 0;
    int frameTime = 0;  // milliseconds each frame shows: 1000 / frameTime frames a second
    bool stretch = true;
    std::vector<TBitmap*> frames;
    // Interleaved 16-bit stereo at 44,100 Hz (SoundTrack.h), or a sound file to decode.
    const std::vector<int16_t>* sound = nullptr;
    std::string soundFileName;
    TColor transparent = clNone;  // WebP, APNG: pixels of this colour become clear
    VideoSettings settings;
    std::function<void(size_t done, size_t total)> progress;
};

void SaveVideo(const VideoSaveJob& job);

// The size the encoder gets: even for the 4:2:0 video formats.
std::pair<int, int> EncodedSize(VideoFormat format, int width, int height);
