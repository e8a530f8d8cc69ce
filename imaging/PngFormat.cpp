#include "PngFormat.h"

#include "sf_pngimage.h"

namespace png_format {

bool IsValidFormat(uint8_t colorType, uint8_t bitDepth)
{
    switch (colorType) {
    case sf_png::ctGrey:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case sf_png::ctPalette:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case sf_png::ctRGB:
    case sf_png::ctGreyAlpha:
    case sf_png::ctRGBA:
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

int Channels(uint8_t colorType)
{
    switch (colorType) {
    case sf_png::ctRGB:
        return 3;
    case sf_png::ctGreyAlpha:
        return 2;
    case sf_png::ctRGBA:
        return 4;
    default:
        return 1;
    }
}

bool HasAlphaPlane(uint8_t colorType)
{
    return colorType == sf_png::ctGreyAlpha || colorType == sf_png::ctRGBA;
}

uint64_t LineSize(uint8_t colorType, uint8_t bitDepth, uint32_t width)
{
    return (uint64_t(width) * bitDepth * Channels(colorType) + 7) / 8;
}

int PixelStep(uint8_t colorType, uint8_t bitDepth)
{
    int bits = bitDepth * Channels(colorType);
    return bits < 8 ? 1 : bits / 8;
}

int StoreBitCount(uint8_t colorType, uint8_t bitDepth)
{
    if (colorType == sf_png::ctRGB || colorType == sf_png::ctRGBA)
        return 24;
    if (bitDepth == 2)
        return 4;
    if (bitDepth == 16)
        return 8;
    return bitDepth;
}

uint64_t StoreRowStride(int storeBits, uint32_t width)
{
    return ((uint64_t(storeBits) * width + 31) / 32) * 4;
}

} // namespace png_format
