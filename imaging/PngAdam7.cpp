#include "PngAdam7.h"

#include <cstring>

namespace png_adam7 {
namespace {

// Reads pixel i of a packed row of bits-per-pixel below 8 (leftmost in the high bits).
inline uint8_t getPacked(const uint8_t* row, uint32_t i, int bits)
{
    uint32_t bit = i * uint32_t(bits);
    int shift = 8 - bits - int(bit % 8);
    return uint8_t((row[bit / 8] >> shift) & ((1u << bits) - 1));
}

inline void putPacked(uint8_t* row, uint32_t i, int bits, uint8_t value)
{
    uint32_t bit = i * uint32_t(bits);
    int shift = 8 - bits - int(bit % 8);
    uint8_t mask = uint8_t(((1u << bits) - 1) << shift);
    row[bit / 8] = uint8_t((row[bit / 8] & ~mask) | (value << shift));
}

} // namespace

uint32_t PassWidth(int pass, uint32_t width)
{
    const Pass& p = kPasses[pass];
    return width > p.xStart ? (width - p.xStart + p.xStep - 1) / p.xStep : 0;
}

uint32_t PassHeight(int pass, uint32_t height)
{
    const Pass& p = kPasses[pass];
    return height > p.yStart ? (height - p.yStart + p.yStep - 1) / p.yStep : 0;
}

void ExtractPass(int pass, const uint8_t* fullRow, uint32_t width, int bitsPerPixel, uint8_t* passRow)
{
    const Pass& p = kPasses[pass];
    const uint32_t count = PassWidth(pass, width);
    if (bitsPerPixel >= 8) {
        const size_t bytes = size_t(bitsPerPixel / 8);
        for (uint32_t i = 0; i < count; ++i)
            std::memcpy(passRow + i * bytes, fullRow + (p.xStart + i * p.xStep) * bytes, bytes);
        return;
    }
    std::memset(passRow, 0, (size_t(count) * bitsPerPixel + 7) / 8);
    for (uint32_t i = 0; i < count; ++i)
        putPacked(passRow, i, bitsPerPixel, getPacked(fullRow, p.xStart + i * p.xStep, bitsPerPixel));
}

void ScatterPass(int pass, const uint8_t* passRow, uint32_t passWidth, int bitsPerPixel, uint8_t* fullRow)
{
    const Pass& p = kPasses[pass];
    if (bitsPerPixel >= 8) {
        const size_t bytes = size_t(bitsPerPixel / 8);
        for (uint32_t i = 0; i < passWidth; ++i)
            std::memcpy(fullRow + (p.xStart + i * p.xStep) * bytes, passRow + i * bytes, bytes);
        return;
    }
    for (uint32_t i = 0; i < passWidth; ++i)
        putPacked(fullRow, p.xStart + i * p.xStep, bitsPerPixel, getPacked(passRow, i, bitsPerPixel));
}

} // namespace png_adam7
