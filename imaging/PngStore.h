// Reading and writing single pixels of the IHDR layer's store.
#pragma once

#include "sf_pngimage.h"

namespace png_store {

// The palette index of pixel x in a stored row of an indexed store (leftmost pixel in
// the high bits of a byte).
inline unsigned Index(const TsfPngLayerIHDR& header, const uint8_t* row, int x)
{
    const int bits = header.StoreBitCount();
    if (bits == 8)
        return row[x];
    const unsigned bit = unsigned(x) * unsigned(bits);
    return (row[bit / 8] >> (8 - bits - int(bit % 8))) & ((1u << bits) - 1);
}

inline void PutIndex(const TsfPngLayerIHDR& header, uint8_t* row, int x, unsigned index)
{
    const int bits = header.StoreBitCount();
    if (bits == 8) {
        row[x] = uint8_t(index);
        return;
    }
    const unsigned bit = unsigned(x) * unsigned(bits);
    const int shift = 8 - bits - int(bit % 8);
    const unsigned mask = ((1u << bits) - 1) << shift;
    row[bit / 8] = uint8_t((row[bit / 8] & ~mask) | ((index << shift) & mask));
}

// Opacity of pixel (x, y) from the alpha plane or the tRNS layer (255 without either).
uint8_t Alpha(const TsfPngImage& image, int x, int y);

} // namespace png_store
