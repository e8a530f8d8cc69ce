// Helpers for the video writer's tests: movie-like frames (flat shapes moving over a
// gradient), the pictures they should show, PSNR by ffmpeg and frames read by Pillow.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace video_test {

// A frame as a Flash movie draws them: a gradient with a square and a disc that move
// with index. With alpha, a 32-bit bitmap whose square is half clear.
std::unique_ptr<TBitmap> MovieFrame(int width, int height, int index, bool alpha = false);

// Top-down rows of blue, green, red (and alpha with withAlpha) of a bitmap.
std::vector<uint8_t> FramePixels(const TBitmap& bitmap, bool withAlpha);

// The average PSNR in dB of a file's video against raw bgr24 frames of width x height
// shown frameTime ms each, the decoded pictures cropped to that size.
double PsnrAgainst(const std::string& file, const std::string& rawBgr, int width, int height, int frameTime);

// An animation as Pillow reads it: every frame composed, converted to RGBA.
struct PillowAnimation {
    int frames = 0;
    int width = 0;
    int height = 0;
    std::string mode;           // of the file: "RGB", "RGBA", ...
    int loop = -1;              // the file's loop count (0: for ever), -1 when none
    std::vector<int> durations; // milliseconds per frame
    std::vector<uint8_t> rgba;  // frames one after another, top-down rows
};
PillowAnimation ReadWithPillow(const std::string& file);

} // namespace video_test
