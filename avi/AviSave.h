// One AVI write: checks the settings, reads the WAV file, composes and stores every
// frame with the sound interleaved, and commits the file. Failures raise Exception
// with the writer's fixed messages; the temporary file is removed on every failure.
#pragma once

#include "AviMuxer.h"
#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

struct AviSaveJob {
    const std::string& fileName;
    int width;
    int height;
    int frameTime;
    bool stretch;
    TPixelFormat depth;
    const std::vector<TBitmap*>& bitmaps;
    const std::string& wavFileName;
    AviMuxLimits limits;
    // Without a WAV file: PCM sound recorded with the frames (44,100 Hz stereo 16-bit,
    // interleaved), stored as the second stream. Null or empty: no sound.
    const std::vector<int16_t>* movieSound = nullptr;
};

// The largest frame we store: one chunk must fit a RIFF segment with room to spare.
inline constexpr uint64_t kMaxFrameBytes = uint64_t(256) << 20;

void SaveAvi(const AviSaveJob& job);
