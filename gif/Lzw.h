// The variable-length-code LZW of GIF raster data, both directions, over the rows of
// an indexed device-independent bitmap (bottom-up, rows padded to 4 bytes; 1, 4 or 8
// bits per pixel, high nibble / most significant bit first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace gif {

// Shape of an indexed raster as a BMP file holds it.
struct RasterShape {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 8;  // 1, 4 or 8
    bool interlaced = false;

    size_t Stride() const { return ((size_t(width) * size_t(bitsPerPixel) + 31) / 32) * 4; }
    size_t Bytes() const { return Stride() * size_t(height); }
};

// Called with the percentage done (truncated) while coding runs.
using LzwProgress = std::function<void(int percent)>;

// Appends one frame's raster data to out: minimum code size byte, sub-blocks of at
// most 255 bytes, terminator. rows holds shape.Bytes() bytes.
void LzwEncode(std::vector<uint8_t>& out, const RasterShape& shape, const uint8_t* rows,
               const LzwProgress& progress = {});

// Decodes raster data into rows (shape.Bytes() bytes, zeroed by the caller); pixel
// values are masked to colourBits. Never reads outside [coded, coded + size).
// Returns false when the data was damaged (rows not reached stay as they were).
bool LzwDecode(const uint8_t* coded, size_t size, const RasterShape& shape, int colourBits, uint8_t* rows,
               const LzwProgress& progress = {});

// The GIF four-pass row order: the row after y, or a value >= height when done.
int NextInterlacedRow(int y, int height, int& pass);

} // namespace gif
