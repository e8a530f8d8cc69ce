#include "render/ColorFilters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace render {

namespace {

// Multiply-adds a convolution may cost at most (a large kernel over a large layer).
constexpr double kConvolutionBudget = 64.0 * 1024 * 1024;

using Straight = std::array<float, 4>;   // r, g, b, a in 0..255

Straight straight(std::uint32_t p)
{
    const float a = float(p >> 24);
    if (a == 0)
        return {0, 0, 0, 0};
    const float k = 255.0f / a;
    return {float((p >> 16) & 0xff) * k, float((p >> 8) & 0xff) * k, float(p & 0xff) * k, a};
}

std::uint32_t premultiplied(const Straight& c)
{
    auto clamp = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 255.0f) : 0.0f; };
    const float a = clamp(c[3]);
    const float k = a / 255.0f;
    auto channel = [&](float v) { return std::uint32_t(std::lround(clamp(v) * k)); };
    return (std::uint32_t(std::lround(a)) << 24) | (channel(c[0]) << 16) | (channel(c[1]) << 8) | channel(c[2]);
}

bool usableImage(const QImage& image)
{
    return !image.isNull() && image.format() == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

void applyColorMatrix(QImage& image, const swf::Filter& f)
{
    if (!usableImage(image))
        return;
    const auto& m = f.colorMatrix;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const Straight c = straight(row[x]);
            Straight out{};
            for (std::size_t i = 0; i < 4; ++i)
                out[i] = m[i * 5] * c[0] + m[i * 5 + 1] * c[1] + m[i * 5 + 2] * c[2] + m[i * 5 + 3] * c[3] + m[i * 5 + 4];
            row[x] = premultiplied(out);
        }
    }
}

void applyConvolution(QImage& image, const swf::Filter& f)
{
    if (!usableImage(image))
        return;
    const int kw = f.matrixX, kh = f.matrixY;
    if (kw == 0 || kh == 0 || f.matrix.size() < std::size_t(kw) * std::size_t(kh))
        return;
    const int w = image.width(), h = image.height();
    if (double(kw) * kh * w * h > kConvolutionBudget)
        return;
    std::vector<Straight> source(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            source[std::size_t(y) * std::size_t(w) + std::size_t(x)] = straight(row[x]);
    }
    const Straight outside = {float(f.defaultColor.r), float(f.defaultColor.g), float(f.defaultColor.b),
                              float(f.defaultColor.a)};
    const float divisor = (f.divisor == 0 || !std::isfinite(f.divisor)) ? 1.0f : f.divisor;
    const float bias = std::isfinite(f.bias) ? f.bias : 0.0f;
    const int cx = kw / 2, cy = kh / 2;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            Straight sum{};
            for (int j = 0; j < kh; ++j) {
                for (int i = 0; i < kw; ++i) {
                    int sx = x + i - cx, sy = y + j - cy;
                    const bool inside = sx >= 0 && sy >= 0 && sx < w && sy < h;
                    if (!inside && f.clamp) {
                        sx = std::clamp(sx, 0, w - 1);
                        sy = std::clamp(sy, 0, h - 1);
                    }
                    const Straight& s = (inside || f.clamp) ? source[std::size_t(sy) * std::size_t(w) + std::size_t(sx)] : outside;
                    const float k = f.matrix[std::size_t(j) * std::size_t(kw) + std::size_t(i)];
                    for (std::size_t c = 0; c < 4; ++c)
                        sum[c] += s[c] * k;
                }
            }
            Straight out;
            for (std::size_t c = 0; c < 4; ++c)
                out[c] = sum[c] / divisor + bias;
            if (f.preserveAlpha)
                out[3] = source[std::size_t(y) * std::size_t(w) + std::size_t(x)][3];
            row[x] = premultiplied(out);
        }
    }
}

}  // namespace render
