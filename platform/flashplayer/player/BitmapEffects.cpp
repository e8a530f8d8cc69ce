// The BitmapData operations that make or sort pixels: noise, perlinNoise, threshold,
// getColorBoundsRect, hitTest, scroll, merge, paletteMap and applyFilter.
#include "BitmapSurface.h"

#include "render/Filters.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace flash {

namespace {

// The "minimal standard" generator: what a seed gives is the same on every run.
struct ParkMiller {
    uint32_t state;
    explicit ParkMiller(int32_t seed)
    {
        const int64_t s = std::abs(int64_t(seed)) % 2147483647;
        state = uint32_t(s == 0 ? 1 : s);
    }
    uint32_t next()
    {
        state = uint32_t((uint64_t(state) * 16807u) % 2147483647u);
        return state;
    }
    int between(int low, int high)   // inclusive
    {
        if (high <= low)
            return low;
        return low + int(next() % uint32_t(high - low + 1));
    }
};

uint8_t channelOf(uint32_t argb, int shift) { return uint8_t(argb >> shift); }

}  // namespace

void BitmapSurface::noise(int32_t seed, int low, int high, int channels, bool gray)
{
    ParkMiller random(seed);
    low = std::clamp(low, 0, 255);
    high = std::clamp(high, 0, 255);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 255;
            if (gray) {
                r = g = b = uint32_t(random.between(low, high));
            } else {
                if (channels & 1) r = uint32_t(random.between(low, high));
                if (channels & 2) g = uint32_t(random.between(low, high));
                if (channels & 4) b = uint32_t(random.between(low, high));
            }
            if (channels & 8)
                a = uint32_t(random.between(low, high));
            m_pixels[size_t(y) * m_width + x] = stored((a << 24) | (r << 16) | (g << 8) | b);
        }
    ++m_version;
}

namespace {

// Gradient noise: a permutation made from the seed, gradients on the unit circle.
class GradientNoise {
public:
    explicit GradientNoise(int32_t seed)
    {
        ParkMiller random(seed);
        for (int i = 0; i < 256; ++i)
            m_perm[i] = uint8_t(i);
        for (int i = 255; i > 0; --i)
            std::swap(m_perm[i], m_perm[random.next() % uint32_t(i + 1)]);
        for (int i = 0; i < 256; ++i) {
            const double angle = (random.next() % 65536) / 65536.0 * 2 * 3.14159265358979323846;
            m_gx[i] = std::cos(angle);
            m_gy[i] = std::sin(angle);
        }
    }
    // About -1..1; `periodX/Y` (0: none) wrap the lattice so tiles stitch.
    double at(double x, double y, int periodX, int periodY) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const int x0 = int(fx), y0 = int(fy);
        const double dx = x - fx, dy = y - fy;
        auto corner = [&](int cx, int cy, double ox, double oy) {
            if (periodX > 0) cx = ((cx % periodX) + periodX) % periodX;
            if (periodY > 0) cy = ((cy % periodY) + periodY) % periodY;
            const int h = m_perm[(m_perm[cx & 255] + cy) & 255];
            return m_gx[h] * ox + m_gy[h] * oy;
        };
        auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
        const double u = fade(dx), v = fade(dy);
        const double n00 = corner(x0, y0, dx, dy), n10 = corner(x0 + 1, y0, dx - 1, dy);
        const double n01 = corner(x0, y0 + 1, dx, dy - 1), n11 = corner(x0 + 1, y0 + 1, dx - 1, dy - 1);
        const double a = n00 + u * (n10 - n00), b = n01 + u * (n11 - n01);
        return (a + v * (b - a)) * 1.41421356;
    }

private:
    uint8_t m_perm[256];
    double m_gx[256], m_gy[256];
};

}  // namespace

void BitmapSurface::perlinNoise(double baseX, double baseY, int octaves, int32_t seed, bool stitch, bool fractal,
                                int channels, bool gray, const std::vector<std::array<double, 2>>& offsets)
{
    octaves = std::clamp(octaves, 0, 16);
    if (!(std::isfinite(baseX) && std::isfinite(baseY)))
        return;
    baseX = std::max(std::fabs(baseX), 1e-3);
    baseY = std::max(std::fabs(baseY), 1e-3);
    const int planes = gray ? 1 : 3;
    std::vector<GradientNoise> noise;
    for (int c = 0; c < 4; ++c)
        noise.emplace_back(seed + c * 7919);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            double value[4] = {0, 0, 0, 0};
            for (int c = 0; c < 4; ++c) {
                const bool wanted = c == 3 ? (channels & 8) != 0 : (gray ? c == 0 : (channels & (1 << c)) != 0);
                if (!wanted || (c < 3 && c >= planes))
                    continue;
                double sum = 0, amplitude = 1, total = 0, frequency = 1;
                for (int o = 0; o < octaves; ++o) {
                    const std::array<double, 2> shift = o < int(offsets.size()) ? offsets[o] : std::array<double, 2>{0, 0};
                    const double px = (x + shift[0]) * frequency / baseX, py = (y + shift[1]) * frequency / baseY;
                    const int periodX = stitch ? std::max(1, int(std::lround(m_width * frequency / baseX))) : 0;
                    const int periodY = stitch ? std::max(1, int(std::lround(m_height * frequency / baseY))) : 0;
                    const double n = noise[c].at(px, py, periodX, periodY);
                    sum += (fractal ? n : std::fabs(n)) * amplitude;
                    total += amplitude;
                    amplitude *= 0.5;
                    frequency *= 2;
                }
                const double normal = total > 0 ? sum / total : 0;
                value[c] = fractal ? (normal + 1) / 2 : normal;
            }
            auto byte = [](double v) { return uint32_t(std::clamp(std::lround(v * 255), 0l, 255l)); };
            const uint32_t r = (gray || (channels & 1)) ? byte(value[0]) : 0;
            const uint32_t g = gray ? r : (channels & 2) ? byte(value[1]) : 0;
            const uint32_t b = gray ? r : (channels & 4) ? byte(value[2]) : 0;
            const uint32_t a = (channels & 8) ? byte(value[3]) : 255;
            m_pixels[size_t(y) * m_width + x] = stored((a << 24) | (r << 16) | (g << 8) | b);
        }
    ++m_version;
}

int64_t BitmapSurface::threshold(const BitmapSurface& source, PixelBox box, int dx, int dy, ThresholdTest test,
                                 uint32_t threshold, uint32_t colour, uint32_t mask, bool copySource)
{
    const PixelBox s = source.clip(box);
    int64_t count = 0;
    const uint32_t limit = threshold & mask;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int tx = dx + (s.x - box.x) + x, ty = dy + (s.y - box.y) + y;
            if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
                continue;
            const uint32_t p = source.getPixel32(s.x + x, s.y + y);
            const uint32_t v = p & mask;
            bool pass = false;
            switch (test) {
            case ThresholdTest::Less: pass = v < limit; break;
            case ThresholdTest::LessOrEqual: pass = v <= limit; break;
            case ThresholdTest::Greater: pass = v > limit; break;
            case ThresholdTest::GreaterOrEqual: pass = v >= limit; break;
            case ThresholdTest::Equal: pass = v == limit; break;
            case ThresholdTest::NotEqual: pass = v != limit; break;
            }
            if (pass) {
                m_pixels[size_t(ty) * m_width + tx] = stored(colour);
                ++count;
            } else if (copySource) {
                m_pixels[size_t(ty) * m_width + tx] = stored(p);
            }
        }
    ++m_version;
    return count;
}

PixelBox BitmapSurface::colorBounds(uint32_t mask, uint32_t colour, bool find) const
{
    int x0 = m_width, y0 = m_height, x1 = -1, y1 = -1;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const bool same = (getPixel32(x, y) & mask) == (colour & mask);
            if (same == find) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        }
    if (x1 < 0)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

bool BitmapSurface::hitAlpha(PixelBox box, uint32_t alphaThreshold) const
{
    const PixelBox b = clip(box);
    for (int y = b.y; y < b.y + b.height; ++y)
        for (int x = b.x; x < b.x + b.width; ++x)
            if ((getPixel32(x, y) >> 24) >= alphaThreshold)
                return true;
    return false;
}

bool BitmapSurface::hitBitmap(int x, int y, uint32_t threshold, const BitmapSurface& other, int ox, int oy,
                              uint32_t otherThreshold) const
{
    // Both in one space: this bitmap at (x, y), the other at (ox, oy).
    const int left = std::max(x, ox), top = std::max(y, oy);
    const int right = std::min(x + m_width, ox + other.width()), bottom = std::min(y + m_height, oy + other.height());
    for (int py = top; py < bottom; ++py)
        for (int px = left; px < right; ++px)
            if ((getPixel32(px - x, py - y) >> 24) >= threshold &&
                (other.getPixel32(px - ox, py - oy) >> 24) >= otherThreshold)
                return true;
    return false;
}

void BitmapSurface::scroll(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    const std::vector<uint32_t> old = m_pixels;
    // Pixels whose source lies outside keep what they had.
    for (int y = 0; y < m_height; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= m_height)
            continue;
        for (int x = 0; x < m_width; ++x) {
            const int sx = x - dx;
            if (sx >= 0 && sx < m_width)
                m_pixels[size_t(y) * m_width + x] = old[size_t(sy) * m_width + sx];
        }
    }
    ++m_version;
}

void BitmapSurface::merge(const BitmapSurface& source, PixelBox box, int dx, int dy, const std::array<int, 4>& mult)
{
    const PixelBox s = source.clip(box);
    auto mix = [](uint32_t from, uint32_t to, int m) {
        m = std::clamp(m, 0, 256);
        return uint32_t((from * uint32_t(m) + to * uint32_t(256 - m)) / 256);
    };
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int tx = dx + (s.x - box.x) + x, ty = dy + (s.y - box.y) + y;
            if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
                continue;
            const uint32_t src = source.getPixel32(s.x + x, s.y + y), dst = getPixel32(tx, ty);
            const uint32_t r = mix(channelOf(src, 16), channelOf(dst, 16), mult[0]);
            const uint32_t g = mix(channelOf(src, 8), channelOf(dst, 8), mult[1]);
            const uint32_t b = mix(channelOf(src, 0), channelOf(dst, 0), mult[2]);
            const uint32_t a = mix(channelOf(src, 24), channelOf(dst, 24), mult[3]);
            m_pixels[size_t(ty) * m_width + tx] = stored((a << 24) | (r << 16) | (g << 8) | b);
        }
    ++m_version;
}

void BitmapSurface::paletteMap(const BitmapSurface& source, PixelBox box, int dx, int dy,
                               const std::array<std::optional<std::array<uint32_t, 256>>, 4>& maps)
{
    const PixelBox s = source.clip(box);
    const int shifts[4] = {16, 8, 0, 24};
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int tx = dx + (s.x - box.x) + x, ty = dy + (s.y - box.y) + y;
            if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
                continue;
            const uint32_t p = source.getPixel32(s.x + x, s.y + y);
            uint32_t out = 0;
            // Each channel picks an entry of its array; a missing array keeps the channel.
            for (int c = 0; c < 4; ++c) {
                const uint8_t v = channelOf(p, shifts[c]);
                out += maps[c] ? (*maps[c])[v] : uint32_t(v) << shifts[c];
            }
            m_pixels[size_t(ty) * m_width + tx] = stored(out);
        }
    ++m_version;
}

void BitmapSurface::applyFilter(const BitmapSurface& source, PixelBox box, int dx, int dy, const swf::Filter& filter)
{
    const PixelBox s = source.clip(box);
    if (s.width <= 0 || s.height <= 0)
        return;
    // The filter works on a copy with room around it, then the box lands at (dx, dy).
    const render::Matrix unit = render::Matrix::scale(1 / 20.0, 1 / 20.0);
    const render::FilterReach reach = render::filterReach(filter, unit);
    const int left = std::clamp(reach.left, 0, 512), top = std::clamp(reach.top, 0, 512);
    const int right = std::clamp(reach.right, 0, 512), bottom = std::clamp(reach.bottom, 0, 512);
    QImage image(s.width + left + right, s.height + top + bottom, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return;
    image.fill(Qt::transparent);
    for (int y = 0; y < s.height; ++y)
        std::memcpy(image.scanLine(y + top) + size_t(left) * 4,
                    source.premultiplied().data() + size_t(s.y + y) * source.width() + s.x, size_t(s.width) * 4);
    render::applyFilter(image, filter, unit);
    const int ox = dx + (s.x - box.x) - left, oy = dy + (s.y - box.y) - top;
    for (int y = 0; y < image.height(); ++y) {
        const int ty = oy + y;
        if (ty < 0 || ty >= m_height)
            continue;
        const uint32_t* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int tx = ox + x;
            // Only the box's own pixels are written, at the destination.
            const bool inBox = x >= left && x < left + s.width && y >= top && y < top + s.height;
            if (tx >= 0 && tx < m_width && inBox)
                m_pixels[size_t(ty) * m_width + tx] = m_transparent ? row[x] : stored(unpremultiply(row[x]));
        }
    }
    ++m_version;
}

}  // namespace flash
