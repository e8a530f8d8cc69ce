// Test pictures for every PNG format: what each pixel holds, both as written into a
// TsfPngImage and as the samples a PNG file must then carry.
#pragma once

#include "LibpngOracle.h"
#include "sf_pngimage.h"

#include <memory>
#include <string>

namespace imaging_test {

struct PngFormatCase {
    uint8_t colorType;
    uint8_t bitDepth;  // as given to CreateSized
    uint8_t interlace;
    uint32_t width, height;
};
std::string CaseName(const PngFormatCase& c);

// The depth a file of this case holds (2 is written as 4).
int WrittenDepth(const PngFormatCase& c);
// The depth of the grey levels or palette indices the pattern uses.
int LevelDepth(const PngFormatCase& c);

// Fills image (made by CreateSized for c, with AddAlpha for the alpha types) with the
// case's pattern.
std::unique_ptr<TsfPngImage> MakePatternImage(const PngFormatCase& c);
// The samples a file of the case holds, in libpng's terms (depth = WrittenDepth).
RawPng ExpectedSamples(const PngFormatCase& c);

// The same pattern as a file in its own (written) depth, for libpng to write.
RawPng PatternForLibpng(const PngFormatCase& c);

// The grey level, palette index, colour and alpha of pixel (x, y) at a depth.
unsigned PatternLevel(uint32_t x, uint32_t y, int depth);
TColor PatternColor(uint32_t x, uint32_t y);
uint8_t PatternAlpha(uint32_t x, uint32_t y);

} // namespace imaging_test
