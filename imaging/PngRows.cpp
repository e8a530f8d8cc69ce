#include "PngRows.h"

#include "PngFormat.h"
#include "sf_pngimage.h"

#include <cstring>

namespace png_rows {
namespace {

void trueColourToScanline(const RowFormat& f, const uint8_t* s, const uint8_t* alpha, const GammaTable& ig, uint8_t* out)
{
    const bool withAlpha = f.colorType == sf_png::ctRGBA;
    if (f.bitDepth == 8) {
        for (uint32_t x = 0; x < f.width; ++x, s += 3) {
            *out++ = ig[s[2]];
            *out++ = ig[s[1]];
            *out++ = ig[s[0]];
            if (withAlpha)
                *out++ = alpha[x];
        }
        return;
    }
    // 16 bits: the 8-bit value in the high byte, 0 in the low byte.
    for (uint32_t x = 0; x < f.width; ++x, s += 3) {
        out[0] = ig[s[2]];
        out[1] = 0;
        out[2] = ig[s[1]];
        out[3] = 0;
        out[4] = ig[s[0]];
        out[5] = 0;
        out += 6;
        if (withAlpha) {
            out[0] = alpha[x];
            out[1] = 0;
            out += 2;
        }
    }
}

void greyToScanline(const RowFormat& f, const uint8_t* s, const uint8_t* alpha, uint8_t* out)
{
    const bool withAlpha = f.colorType == sf_png::ctGreyAlpha;
    if (!withAlpha && f.bitDepth < 16) {
        std::memcpy(out, s, png_format::LineSize(f.colorType, f.bitDepth, f.width));
        return;
    }
    const int sampleBytes = f.bitDepth / 8;
    for (uint32_t x = 0; x < f.width; ++x) {
        out[0] = s[x];
        if (sampleBytes == 2)
            out[1] = 0;
        out += sampleBytes;
        if (withAlpha) {
            out[0] = alpha[x];
            if (sampleBytes == 2)
                out[1] = 0;
            out += sampleBytes;
        }
    }
}

void unpackTwoBitRow(const RowFormat& f, const uint8_t* in, uint8_t* stored)
{
    const bool grey = f.colorType == sf_png::ctGrey;
    for (uint32_t x = 0; x < f.width; ++x) {
        uint8_t v = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
        if (grey)
            v = uint8_t(v * 5);  // 2-bit grey v is v * 85, that is 4-bit grey v * 5
        if (x % 2 == 0)
            stored[x / 2] = uint8_t(v << 4);
        else
            stored[x / 2] |= v;
    }
}

void scanlineToTrueColour(const RowFormat& f, const uint8_t* in, uint8_t* s, uint8_t* alpha, const GammaTable& g)
{
    const bool withAlpha = f.colorType == sf_png::ctRGBA;
    const int sampleBytes = f.bitDepth / 8;
    for (uint32_t x = 0; x < f.width; ++x, s += 3) {
        s[2] = g[in[0]];
        s[1] = g[in[sampleBytes]];
        s[0] = g[in[2 * sampleBytes]];
        in += 3 * sampleBytes;
        if (withAlpha) {
            alpha[x] = in[0];
            in += sampleBytes;
        }
    }
}

void scanlineToGrey(const RowFormat& f, const uint8_t* in, uint8_t* s, uint8_t* alpha)
{
    const bool withAlpha = f.colorType == sf_png::ctGreyAlpha;
    if (!withAlpha && f.bitDepth == 2) {
        unpackTwoBitRow(f, in, s);
        return;
    }
    if (!withAlpha && f.bitDepth < 16) {
        std::memcpy(s, in, png_format::LineSize(f.colorType, f.bitDepth, f.width));
        return;
    }
    const int sampleBytes = f.bitDepth / 8;
    for (uint32_t x = 0; x < f.width; ++x) {
        s[x] = in[0];
        in += sampleBytes;
        if (withAlpha) {
            alpha[x] = in[0];
            in += sampleBytes;
        }
    }
}

} // namespace

void StoredRowToScanline(const RowFormat& format, const uint8_t* stored, const uint8_t* alpha,
                         const GammaTable& inverseGamma, uint8_t* out)
{
    if (format.colorType == sf_png::ctRGB || format.colorType == sf_png::ctRGBA)
        trueColourToScanline(format, stored, alpha, inverseGamma, out);
    else
        greyToScanline(format, stored, alpha, out);
}

void ScanlineToStoredRow(const RowFormat& format, const uint8_t* scanline, uint8_t* stored, uint8_t* alpha,
                         const GammaTable& gamma)
{
    if (format.colorType == sf_png::ctRGB || format.colorType == sf_png::ctRGBA)
        scanlineToTrueColour(format, scanline, stored, alpha, gamma);
    else
        scanlineToGrey(format, scanline, stored, alpha);
}

} // namespace png_rows
