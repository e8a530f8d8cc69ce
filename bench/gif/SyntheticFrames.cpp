#include "SyntheticFrames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace synthetic {
namespace {

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

uint8_t Clamp(int v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

void RichPixel(int f, int x, int y, uint8_t* p)
{
    int r = (x * 255 / (kWidth - 1) + f * 2) & 255;
    int g = ((y * 255 / (kHeight - 1)) ^ (f & 15));
    int b = ((x + y) / 3 + f) & 255;
    // A disc with a soft edge moving across the frame.
    const double dx = x - (80 + 3 * f), dy = y - 158;
    const double coverage = std::clamp(60.0 - std::sqrt(dx * dx + dy * dy), 0.0, 6.0) / 6.0;
    r = int(r * (1 - coverage) + 250 * coverage);
    g = int(g * (1 - coverage) + 210 * coverage);
    b = int(b * (1 - coverage) + 40 * coverage);
    // Sensor-like noise on some pixels.
    const uint32_t h = Hash(uint32_t(f * 1000003 + y * kWidth + x));
    if ((h & 3) == 0) {
        r += int((h >> 8) % 5) - 2;
        g += int((h >> 12) % 5) - 2;
        b += int((h >> 16) % 5) - 2;
    }
    p[0] = Clamp(b);
    p[1] = Clamp(g);
    p[2] = Clamp(r);
}

struct Shape {
    int kind;  // 0 rectangle, 1 disc
    int x, y, w, h;
    int dx, dy;
    uint32_t colour;
};

const std::vector<Shape>& Shapes()
{
    static const std::vector<Shape> shapes = [] {
        std::vector<Shape> list;
        for (int i = 0; i < 24; ++i) {
            const uint32_t h = Hash(uint32_t(i + 77));
            list.push_back({int(h & 1), int(h % 400), int((h >> 9) % 280), 20 + int((h >> 3) % 60),
                            20 + int((h >> 5) % 50), int((h >> 11) % 7) - 3, int((h >> 14) % 5) - 2,
                            Hash(uint32_t(i * 31 + 5)) & 0xF0F0F0});
        }
        return list;
    }();
    return shapes;
}

void CartoonPixel(int f, int x, int y, uint8_t* p)
{
    // Sky in 16 bands, ground below.
    uint32_t colour = y < 220 ? (uint32_t(120 + (y / 14) * 8) << 16) | (uint32_t(160 + (y / 14) * 5) << 8) | 250u
                              : 0x40A040u;
    for (const Shape& s : Shapes()) {
        const int sx = ((s.x + s.dx * f) % (kWidth + 80) + kWidth + 80) % (kWidth + 80) - 40;
        const int sy = ((s.y + s.dy * f) % (kHeight + 60) + kHeight + 60) % (kHeight + 60) - 30;
        bool inside;
        if (s.kind == 0) {
            inside = x >= sx && x < sx + s.w && y >= sy && y < sy + s.h;
        } else {
            const int rx = x - sx, ry = y - sy, r = s.w / 2;
            inside = rx * rx + ry * ry < r * r;
        }
        if (inside)
            colour = s.colour;
    }
    p[0] = uint8_t(colour);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour >> 16);
}

} // namespace

TBitmap MakeFrame(FrameSet set, int index)
{
    TBitmap bitmap(kWidth, kHeight, pf24bit);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            if (set == FrameSet::Rich)
                RichPixel(index, x, y, row + 3 * x);
            else
                CartoonPixel(index, x, y, row + 3 * x);
        }
    }
    return bitmap;
}

int DistinctColours(const TBitmap& bitmap)
{
    std::unordered_set<uint32_t> seen;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            seen.insert(uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x + 2]) << 16));
    }
    return int(seen.size());
}

} // namespace synthetic
