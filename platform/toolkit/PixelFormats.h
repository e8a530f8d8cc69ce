// Colour tables and the nearest-colour matching of pixel-format conversions.
//
// pf8bit uses our fixed 256-colour halftone palette: entries 0 to 215 are the
// 6 x 6 x 6 colour cube (index = 36 r + 6 g + b, levels 0, 51, 102, 153, 204, 255),
// entries 216 to 255 are 40 greys (i + 1) * 255 / 41 that lie between the cube's greys.
// pf4bit uses the 16 standard colours in their fixed order; pf1bit black and white.
// Matching takes the entry with the smallest sum of squared channel differences,
// the lowest index on ties; no dithering.
#pragma once

#include "Types.h"

#include <cstdint>
#include <vector>

namespace pixel_formats {

const std::vector<TRGBQuad>& HalftonePalette();
const std::vector<TRGBQuad>& StandardPalette16();
const std::vector<TRGBQuad>& MonochromePalette();

uint8_t NearestHalftone(uint8_t r, uint8_t g, uint8_t b);
uint8_t NearestStandard16(uint8_t r, uint8_t g, uint8_t b);
uint8_t NearestMonochrome(uint8_t r, uint8_t g, uint8_t b);
// Nearest entry of any table (linear search).
uint8_t NearestInTable(const std::vector<TRGBQuad>& table, uint8_t r, uint8_t g, uint8_t b);

} // namespace pixel_formats
