// Helpers of the GIF engine tests: synthetic bitmaps, byte capture, and giflib as the
// independent reader of every file the engine writes.
#pragma once

#include "Bitmap.h"
#include "RxGIF.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gif_test {

// A pf24bit bitmap whose pixel (x, y) (y from the top) is colour(x, y).
TBitmap MakeBitmap(int width, int height, const std::function<TColor(int x, int y)>& colour);

std::vector<uint8_t> SaveBytes(TGIFImage& image);
void LoadBytes(TGIFImage& image, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::string TempPath(const std::string& name);

struct GiflibFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<TColor> pixels;  // row-major, top row first
    std::vector<uint8_t> indices;
    int delay = -1;             // hundredths, -1 without a graphic control block
    int transparentIndex = -1;  // -1 when not transparent
    TColor transparentColour = clNone;
    int disposal = 0;
};

struct GiflibImage {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    std::string version;
    int loopCount = -1;  // -1 without a loop extension
    std::vector<GiflibFrame> frames;
    std::vector<std::string> comments;
};

GiflibImage DecodeWithGiflib(const std::vector<uint8_t>& bytes);
// Writes a GIF with giflib: each frame an indexed raster with its own table.
struct GiflibWriteFrame {
    int width, height;
    bool interlace;
    std::vector<uint8_t> indices;
    std::vector<TColor> table;  // 2^n entries
    int delay;                  // hundredths
    int transparentIndex;       // -1 for none
    int disposal;
};
std::vector<uint8_t> EncodeWithGiflib(int width, int height, const std::vector<GiflibWriteFrame>& frames,
                                      int loopCount, const std::string& comment);

// The colours of a frame as our reader decodes it, top row first.
std::vector<TColor> FramePixels(TGIFFrame& frame);

// Every check a real reader can make of bytes our writer produced for image: frame
// count, sizes, origins, delays, transparency, loop count and pixels (compared with
// our own reader on the same bytes).
void ExpectGiflibAgrees(const std::vector<uint8_t>& bytes, TGIFImage& written);

} // namespace gif_test
