#include "PngPatterns.h"

namespace imaging_test {

std::string CaseName(const PngFormatCase& c)
{
    static const char* names[] = {"grey", "", "rgb", "palette", "greyalpha", "", "rgba"};
    return std::string(names[c.colorType]) + std::to_string(c.bitDepth) + (c.interlace ? "_adam7_" : "_") +
           std::to_string(c.width) + "x" + std::to_string(c.height);
}

int WrittenDepth(const PngFormatCase& c)
{
    return c.bitDepth == 2 ? 4 : c.bitDepth;
}

int LevelDepth(const PngFormatCase& c)
{
    // A palette of 2^depth entries is all a palette image has; greys of a 2-bit image
    // are stored in a 4-bit ramp.
    return c.colorType == sf_png::ctPalette ? c.bitDepth : WrittenDepth(c);
}

unsigned PatternLevel(uint32_t x, uint32_t y, int depth)
{
    const unsigned levels = depth >= 8 ? 256 : 1u << depth;
    return (x * 7 + y * 3 + (x * y) % 5) % levels;
}

TColor PatternColor(uint32_t x, uint32_t y)
{
    return RGB(uint8_t(x * 19 + y), uint8_t(255 - y * 11), uint8_t((x ^ y) * 37));
}

uint8_t PatternAlpha(uint32_t x, uint32_t y)
{
    return uint8_t((x * 41 + y * 13) % 256);
}

namespace {

bool isGrey(uint8_t ct) { return ct == sf_png::ctGrey || ct == sf_png::ctGreyAlpha; }
bool hasAlpha(uint8_t ct) { return ct == sf_png::ctGreyAlpha || ct == sf_png::ctRGBA; }

} // namespace

std::unique_ptr<TsfPngImage> MakePatternImage(const PngFormatCase& c)
{
    // Alpha types are made the program's way: the colour type without alpha, then AddAlpha.
    const uint8_t plain = c.colorType == sf_png::ctGreyAlpha ? sf_png::ctGrey
                          : c.colorType == sf_png::ctRGBA    ? sf_png::ctRGB
                                                             : c.colorType;
    auto image = TsfPngImage::CreateSized(plain, c.bitDepth, int(c.width), int(c.height));
    image->SetInterlaceMethod(c.interlace);
    if (hasAlpha(c.colorType))
        image->AddAlpha();
    const int depth = LevelDepth(c);
    if (c.colorType == sf_png::ctPalette)
        for (unsigned i = 0; i < (1u << depth); ++i)
            image->SetPaletteColor(int(i), RGB(uint8_t(i * 13), uint8_t(255 - i * 7), uint8_t(i * 29 + 1)));
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            if (c.colorType == sf_png::ctRGB || c.colorType == sf_png::ctRGBA)
                image->SetPixels(int(x), int(y), PatternColor(x, y));
            else
                image->SetPixels(int(x), int(y), image->PaletteColor(int(PatternLevel(x, y, depth))));
            if (hasAlpha(c.colorType))
                image->AlphaRow(int(y))[x] = PatternAlpha(x, y);
        }
    return image;
}

RawPng ExpectedSamples(const PngFormatCase& c)
{
    RawPng out;
    out.width = c.width;
    out.height = c.height;
    out.bitDepth = WrittenDepth(c);
    out.colorType = c.colorType;
    out.interlace = c.interlace;
    out.channels = c.colorType == sf_png::ctRGB ? 3 : c.colorType == sf_png::ctRGBA ? 4 : c.colorType == sf_png::ctGreyAlpha ? 2 : 1;
    const unsigned scale = out.bitDepth == 16 ? 256 : 1;
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            if (isGrey(c.colorType) || c.colorType == sf_png::ctPalette)
                out.samples.push_back(uint16_t(PatternLevel(x, y, LevelDepth(c)) * scale));
            else {
                const TColor col = PatternColor(x, y);
                out.samples.push_back(uint16_t(GetRValue(col) * scale));
                out.samples.push_back(uint16_t(GetGValue(col) * scale));
                out.samples.push_back(uint16_t(GetBValue(col) * scale));
            }
            if (hasAlpha(c.colorType))
                out.samples.push_back(uint16_t(PatternAlpha(x, y) * scale));
        }
    if (c.colorType == sf_png::ctPalette)
        for (unsigned i = 0; i < (1u << c.bitDepth); ++i)
            out.palette.insert(out.palette.end(), {uint8_t(i * 13), uint8_t(255 - i * 7), uint8_t(i * 29 + 1)});
    return out;
}

RawPng PatternForLibpng(const PngFormatCase& c)
{
    RawPng raw = ExpectedSamples(c);
    raw.bitDepth = c.bitDepth;
    if (c.bitDepth == 2 && c.colorType == sf_png::ctGrey) {
        // A real 2-bit grey file: levels 0 to 3.
        raw.samples.clear();
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t x = 0; x < c.width; ++x)
                raw.samples.push_back(uint16_t(PatternLevel(x, y, 2)));
    }
    return raw;
}

} // namespace imaging_test
