// Adam7 interlacing of the PNG standard: seven passes over a grid of 8 x 8 blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace png_adam7 {

struct Pass {
    uint32_t xStart, yStart, xStep, yStep;
};

inline constexpr Pass kPasses[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// Pixels per row and rows of a pass (0 when the pass is empty for this size).
uint32_t PassWidth(int pass, uint32_t width);
uint32_t PassHeight(int pass, uint32_t height);

// Copies the pixels of one pass from a full scanline into a pass scanline.
void ExtractPass(int pass, const uint8_t* fullRow, uint32_t width, int bitsPerPixel, uint8_t* passRow);
// Puts the pixels of a pass scanline into their places of a full scanline.
void ScatterPass(int pass, const uint8_t* passRow, uint32_t passWidth, int bitsPerPixel, uint8_t* fullRow);

} // namespace png_adam7
