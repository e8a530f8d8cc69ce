// Bringing a full-colour frame down to 8-bit indices before LZW coding.
#pragma once

#include "Bitmap.h"
#include "Stream.h"

#include <cstdint>
#include <memory>
#include <vector>

// The reduction methods; the values are those of the engine-wide setting.
enum TColorReduction { rmHistogram = 0, rmGrey = 5 };

inline constexpr TColorReduction DefaultReduction = rmHistogram;

namespace gif {

// A 24-bit bottom-up raster (blue, green, red; rows padded to 4 bytes).
struct Raster24 {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
};

// An 8-bit result: 256 colour-table entries and bottom-up index rows padded to 4 bytes.
struct Indexed8 {
    TRGBQuad table[256];
    uint8_t* rows = nullptr;
    size_t stride = 0;
};

// The histogram method: colours are counted after dropping low bits (blue, red, green,
// blue...) until at most 2049 distinct colours remain. Up to 256 of them are kept
// exactly, most frequent first; more are grouped by median cut into 256 entries.
void ReduceHistogram(const Raster24& source, Indexed8& result);
// The grey ramp: entry i is (i, i, i), index = (77 r + 150 g + 29 b) >> 8.
void ReduceGrey(const Raster24& source, Indexed8& result);

} // namespace gif

// Returns a new BMP file stream (8 bits, 256-entry table) of bitmap reduced with method.
// Raises EInvalidGraphic for an empty bitmap.
std::unique_ptr<TMemoryStream> ReduceToIndexed(const TBitmap& bitmap, TPixelFormat target, TColorReduction method);
