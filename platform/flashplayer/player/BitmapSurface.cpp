#include "BitmapSurface.h"

#include <algorithm>
#include <cmath>

namespace flash {

std::shared_ptr<BitmapSurface> BitmapSurface::make(int width, int height, bool transparent, uint32_t fillArgb)
{
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        int64_t(width) * height > kMaxBitmapPixels)
        return nullptr;
    auto s = std::make_shared<BitmapSurface>();
    s->m_width = width;
    s->m_height = height;
    s->m_transparent = transparent;
    s->m_pixels.assign(size_t(width) * height, s->stored(fillArgb));
    return s;
}

std::shared_ptr<BitmapSurface> BitmapSurface::fromPremultiplied(int width, int height, std::vector<uint32_t> pixels,
                                                                bool transparent)
{
    auto s = make(width, height, transparent, 0);
    if (!s || pixels.size() != size_t(width) * height)
        return nullptr;
    s->m_pixels = std::move(pixels);
    return s;
}

void BitmapSurface::dispose()
{
    m_disposed = true;
    m_width = m_height = 0;
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    ++m_version;
}

void BitmapSurface::replacePixels(std::vector<uint32_t> pixels)
{
    if (pixels.size() != m_pixels.size())
        return;
    if (!m_transparent)
        for (uint32_t& p : pixels)
            p = stored(unpremultiply(p));
    m_pixels = std::move(pixels);
    ++m_version;
}

// Premultiplied channels round to nearest; reading back divides and rounds, so a
// partly transparent colour may come back a few levels off, as scripts expect.
uint32_t BitmapSurface::premultiply(uint32_t argb)
{
    const uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (ch((argb >> 16) & 255) << 16) | (ch((argb >> 8) & 255) << 8) | ch(argb & 255);
}

uint32_t BitmapSurface::unpremultiply(uint32_t pm)
{
    const uint32_t a = pm >> 24;
    if (a == 255 || a == 0)
        return a == 0 ? 0 : pm;
    auto ch = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (ch((pm >> 16) & 255) << 16) | (ch((pm >> 8) & 255) << 8) | ch(pm & 255);
}

uint32_t BitmapSurface::stored(uint32_t argb) const
{
    return m_transparent ? premultiply(argb) : (argb | 0xFF000000u);
}

PixelBox BitmapSurface::clip(PixelBox b) const
{
    const int64_t x0 = std::max<int64_t>(0, b.x), y0 = std::max<int64_t>(0, b.y);
    const int64_t x1 = std::min<int64_t>(m_width, int64_t(b.x) + std::max(0, b.width));
    const int64_t y1 = std::min<int64_t>(m_height, int64_t(b.y) + std::max(0, b.height));
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

uint32_t BitmapSurface::getPixel32(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return unpremultiply(m_pixels[size_t(y) * m_width + x]);
}

void BitmapSurface::setPixel32(int x, int y, uint32_t argb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_pixels[size_t(y) * m_width + x] = stored(argb);
    ++m_version;
}

void BitmapSurface::setPixel(int x, int y, uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const uint32_t alpha = getPixel32(x, y) & 0xFF000000u;
    setPixel32(x, y, alpha | (rgb & 0xFFFFFF));
}

void BitmapSurface::fillRect(PixelBox box, uint32_t argb)
{
    const PixelBox b = clip(box);
    const uint32_t v = stored(argb);
    for (int y = b.y; y < b.y + b.height; ++y)
        std::fill_n(m_pixels.begin() + size_t(y) * m_width + b.x, b.width, v);
    ++m_version;
}

void BitmapSurface::colorTransform(PixelBox box, const std::array<double, 8>& t)
{
    const PixelBox b = clip(box);
    auto channel = [](uint32_t c, double mult, double add) {
        const double v = std::floor(c * (std::isfinite(mult) ? mult : 0) + (std::isfinite(add) ? add : 0));
        return uint32_t(std::clamp(v, 0.0, 255.0));
    };
    for (int y = b.y; y < b.y + b.height; ++y)
        for (int x = b.x; x < b.x + b.width; ++x) {
            const uint32_t c = getPixel32(x, y);
            const uint32_t out = (channel(c >> 24, t[3], t[7]) << 24) | (channel((c >> 16) & 255, t[0], t[4]) << 16) |
                                 (channel((c >> 8) & 255, t[1], t[5]) << 8) | channel(c & 255, t[2], t[6]);
            m_pixels[size_t(y) * m_width + x] = stored(out);
        }
    ++m_version;
}

void BitmapSurface::copyPixels(const BitmapSurface& source, PixelBox box, int dx, int dy,
                               const BitmapSurface* alpha, int ax, int ay, bool mergeAlpha)
{
    const PixelBox s = source.clip(box);
    // Where the clipped source lands, clipped in turn to this bitmap.
    const int64_t ox = int64_t(dx) + (s.x - box.x), oy = int64_t(dy) + (s.y - box.y);
    if (ox < INT32_MIN || ox > INT32_MAX || oy < INT32_MIN || oy > INT32_MAX)
        return;
    const PixelBox d = clip({int(ox), int(oy), s.width, s.height});
    std::vector<uint32_t> rows(size_t(d.width) * d.height);   // the source may be this bitmap
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const int sx = s.x + (d.x - int(ox)) + x, sy = s.y + (d.y - int(oy)) + y;
            uint32_t pm = source.m_pixels[size_t(sy) * source.m_width + sx];
            if (alpha) {
                const uint32_t k = alpha->getPixel32(ax + (sx - s.x) + (s.x - box.x), ay + (sy - s.y) + (s.y - box.y)) >> 24;
                auto mul = [k](uint32_t c) { return (c * k + 127) / 255; };
                pm = (mul(pm >> 24) << 24) | (mul((pm >> 16) & 255) << 16) | (mul((pm >> 8) & 255) << 8) | mul(pm & 255);
            }
            rows[size_t(y) * d.width + x] = pm;
        }
    const bool blend = mergeAlpha || alpha;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            uint32_t& out = m_pixels[size_t(d.y + y) * m_width + d.x + x];
            const uint32_t src = rows[size_t(y) * d.width + x];
            uint32_t v = src;
            if (blend) {
                const uint32_t inv = 255 - (src >> 24);
                auto over = [&](int shift) {
                    return std::min<uint32_t>(255, ((src >> shift) & 255) + (((out >> shift) & 255) * inv + 127) / 255);
                };
                v = (over(24) << 24) | (over(16) << 16) | (over(8) << 8) | over(0);
            }
            out = m_transparent ? v : stored(unpremultiply(v));
        }
    ++m_version;
}

int32_t BitmapSurface::pixelDissolve(const BitmapSurface& source, PixelBox box, int dx, int dy, int32_t seed,
                                     int64_t count, uint32_t fillArgb)
{
    const PixelBox s = source.clip(box);
    const int64_t n = int64_t(s.width) * s.height;
    if (n == 0 || count <= 0)
        return seed;
    count = std::min(count, n);
    // A full-period linear congruential walk over the next power of two, skipping
    // indexes past the box: every pixel is visited once, in an order set by the seed.
    uint64_t size = 1;
    while (size < uint64_t(n))
        size <<= 1;
    const uint64_t mask = size - 1;
    uint64_t state = uint32_t(seed) & mask;
    const bool fill = &source == this;
    const uint32_t fillValue = stored(fillArgb);
    for (int64_t done = 0; done < count;) {
        state = (state * 1103515245u + 12345u) & mask;
        if (state >= uint64_t(n))
            continue;
        ++done;
        const int sx = s.x + int(state % s.width), sy = s.y + int(state / s.width);
        const int64_t tx = int64_t(dx) + (sx - box.x), ty = int64_t(dy) + (sy - box.y);
        if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
            continue;
        m_pixels[size_t(ty) * m_width + size_t(tx)] =
            fill ? fillValue : stored(source.getPixel32(sx, sy));
    }
    ++m_version;
    return int32_t(uint32_t(state));
}

void BitmapSurface::floodFill(int x, int y, uint32_t argb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const uint32_t from = m_pixels[size_t(y) * m_width + x];
    const uint32_t to = stored(argb);
    if (from == to)
        return;
    // Pixels are painted when queued, so each enters the queue once at most.
    std::vector<int32_t> todo{int32_t(y * m_width + x)};
    m_pixels[size_t(y) * m_width + x] = to;
    while (!todo.empty()) {
        const int32_t i = todo.back();
        todo.pop_back();
        const int px = i % m_width, py = i / m_width;
        auto visit = [&](int nx, int ny) {
            if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height)
                return;
            uint32_t& p = m_pixels[size_t(ny) * m_width + nx];
            if (p != from)
                return;
            p = to;
            todo.push_back(int32_t(ny * m_width + nx));
        };
        visit(px + 1, py);
        visit(px - 1, py);
        visit(px, py + 1);
        visit(px, py - 1);
    }
    ++m_version;
}

std::shared_ptr<BitmapSurface> BitmapSurface::clone() const
{
    if (m_disposed)
        return nullptr;
    return fromPremultiplied(m_width, m_height, m_pixels, m_transparent);
}

}  // namespace flash
