// The BMP file form in which indexed frames travel between the bitmap, the colour
// reduction, the encoder and the decoder: 14-byte file header, 40-byte info header,
// colour table of 4-byte entries (blue, green, red, 0), bottom-up rows padded to 4.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace gif {

struct BmpLayout {
    static constexpr size_t kHeadersSize = 14 + 40;

    int width = 0;
    int height = 0;
    int bits = 8;
    int tableEntries = 256;

    size_t Stride() const { return ((size_t(width) * size_t(bits) + 31) / 32) * 4; }
    size_t PixelOffset() const { return kHeadersSize + 4 * size_t(tableEntries); }
    size_t FileSize() const { return PixelOffset() + Stride() * size_t(height); }
};

// Writes the file and info headers (no compression, positive height) at out.
void WriteBmpHeaders(uint8_t* out, const BmpLayout& layout);

// An indexed BMP file in memory, checked to hold all its rows.
struct IndexedBmpView {
    int width = 0;
    int height = 0;
    int bits = 0;
    const uint8_t* table = nullptr;
    int tableEntries = 0;  // entries present before the rows, at most 2^bits
    const uint8_t* rows = nullptr;
};

enum class BmpProblem { None, NotIndexed, Malformed };

// Reads width, height and bit count from the info header; the table follows the
// info header, the rows start at the file header's offset.
BmpProblem ParseIndexedBmp(const uint8_t* data, size_t size, IndexedBmpView& view);

} // namespace gif
