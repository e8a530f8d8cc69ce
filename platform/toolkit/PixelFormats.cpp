#include "PixelFormats.h"

#include <array>
#include <cstddef>

namespace pixel_formats {
namespace {

constexpr uint8_t kCubeLevel[6] = {0, 51, 102, 153, 204, 255};

std::vector<TRGBQuad> makeHalftone()
{
    std::vector<TRGBQuad> table;
    table.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.push_back(RgbQuad(kCubeLevel[r], kCubeLevel[g], kCubeLevel[b]));
    for (int i = 0; i < 40; ++i) {
        auto v = static_cast<uint8_t>((i + 1) * 255 / 41);
        table.push_back(RgbQuad(v, v, v));
    }
    return table;
}

int squaredDistance(const TRGBQuad& q, int r, int g, int b)
{
    int dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
    return dr * dr + dg * dg + db * db;
}

// Nearest cube level of one channel; the cube's midpoints are never whole numbers,
// so there are no ties.
int nearestLevel(int v) { return (v * 2 + 51) / 102; }

} // namespace

const std::vector<TRGBQuad>& HalftonePalette()
{
    static const std::vector<TRGBQuad> table = makeHalftone();
    return table;
}

const std::vector<TRGBQuad>& StandardPalette16()
{
    static const std::vector<TRGBQuad> table = {
        RgbQuad(0, 0, 0),       RgbQuad(128, 0, 0),   RgbQuad(0, 128, 0),   RgbQuad(128, 128, 0),
        RgbQuad(0, 0, 128),     RgbQuad(128, 0, 128), RgbQuad(0, 128, 128), RgbQuad(128, 128, 128),
        RgbQuad(192, 192, 192), RgbQuad(255, 0, 0),   RgbQuad(0, 255, 0),   RgbQuad(255, 255, 0),
        RgbQuad(0, 0, 255),     RgbQuad(255, 0, 255), RgbQuad(0, 255, 255), RgbQuad(255, 255, 255),
    };
    return table;
}

const std::vector<TRGBQuad>& MonochromePalette()
{
    static const std::vector<TRGBQuad> table = {RgbQuad(0, 0, 0), RgbQuad(255, 255, 255)};
    return table;
}

uint8_t NearestHalftone(uint8_t r, uint8_t g, uint8_t b)
{
    // The cube is a product of per-channel levels, so its nearest entry is found per
    // channel; then the 40 extra greys compete, the cube winning ties (lower index).
    const auto& table = HalftonePalette();
    int cube = 36 * nearestLevel(r) + 6 * nearestLevel(g) + nearestLevel(b);
    int best = cube;
    int bestDist = squaredDistance(table[cube], r, g, b);
    int mean = (r + g + b) / 3;
    int around = mean * 41 / 255 - 1;  // index of the grey closest to the mean, give or take one
    for (int i = around - 1; i <= around + 1; ++i) {
        if (i < 0 || i >= 40)
            continue;
        int d = squaredDistance(table[216 + i], r, g, b);
        if (d < bestDist) {
            bestDist = d;
            best = 216 + i;
        }
    }
    return static_cast<uint8_t>(best);
}

uint8_t NearestInTable(const std::vector<TRGBQuad>& table, uint8_t r, uint8_t g, uint8_t b)
{
    int best = 0;
    int bestDist = 1 << 30;
    for (size_t i = 0; i < table.size() && i < 256; ++i) {
        int d = squaredDistance(table[i], r, g, b);
        if (d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

uint8_t NearestStandard16(uint8_t r, uint8_t g, uint8_t b) { return NearestInTable(StandardPalette16(), r, g, b); }

uint8_t NearestMonochrome(uint8_t r, uint8_t g, uint8_t b) { return NearestInTable(MonochromePalette(), r, g, b); }

} // namespace pixel_formats
