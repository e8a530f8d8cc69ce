#include "render/ShadowFilters.h"

#include "render/FilterGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace render {

namespace {

using Ramp = std::array<std::uint32_t, 256>;   // premultiplied ARGB by amount

enum class Placement { Outer, Inner, Full };

inline std::uint32_t mul255(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

std::uint32_t premultiplied(swf::Rgba c, std::uint32_t alpha)
{
    return (alpha << 24) | (mul255(c.r, alpha) << 16) | (mul255(c.g, alpha) << 8) | mul255(c.b, alpha);
}

std::uint32_t scaled(std::uint32_t p, std::uint32_t by)
{
    return (mul255(p >> 24, by) << 24) | (mul255((p >> 16) & 0xff, by) << 16) |
           (mul255((p >> 8) & 0xff, by) << 8) | mul255(p & 0xff, by);
}

// `top` over `bottom`, both premultiplied.
std::uint32_t over(std::uint32_t top, std::uint32_t bottom)
{
    const std::uint32_t rest = 255 - (top >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<std::uint32_t>(255, ((top >> shift) & 0xff) + mul255((bottom >> shift) & 0xff, rest)) << shift;
    return out;
}

// One colour, its alpha scaled by the amount.
Ramp solidRamp(swf::Rgba c)
{
    Ramp r{};
    for (std::uint32_t v = 0; v < 256; ++v)
        r[v] = premultiplied(c, mul255(c.a, v));
    return r;
}

// The gradient's colour at each amount (as ratio), its stops interpolated straight.
Ramp gradientRamp(const swf::Filter& f)
{
    Ramp r{};
    const std::size_t n = std::min(f.colors.size(), f.ratios.size());
    if (n == 0)
        return r;
    for (int v = 0; v < 256; ++v) {
        std::size_t i = 0;
        while (i < n && f.ratios[i] < v)
            ++i;
        swf::Rgba c;
        if (i == 0) {
            c = f.colors[0];
        } else if (i == n) {
            c = f.colors[n - 1];
        } else {
            const swf::Rgba a = f.colors[i - 1], b = f.colors[i];
            const int span = f.ratios[i] - f.ratios[i - 1];
            const double t = span > 0 ? double(v - f.ratios[i - 1]) / span : 1.0;
            auto mix = [t](int x, int y) { return std::uint8_t(std::lround(x + (y - x) * t)); };
            c = {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
        }
        r[std::size_t(v)] = premultiplied(c, c.a);
    }
    return r;
}

Placement placementOf(const swf::Filter& f)
{
    const bool hasFull = f.kind == swf::FilterKind::Bevel || f.kind == swf::FilterKind::GradientBevel ||
                         f.kind == swf::FilterKind::GradientGlow;
    if (hasFull && f.onTop)
        return Placement::Full;
    return f.inner ? Placement::Inner : Placement::Outer;
}

// The image's alpha, blurred by the filter.
struct AlphaPlane {
    int width = 0, height = 0;
    std::vector<std::uint8_t> values;
    std::uint8_t at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? values[std::size_t(y) * std::size_t(width) + std::size_t(x)] : 0;
    }
};

AlphaPlane blurredAlpha(const QImage& image, const BlurSize& blur)
{
    AlphaPlane plane{image.width(), image.height(), {}};
    plane.values.resize(std::size_t(plane.width) * std::size_t(plane.height));
    for (int y = 0; y < plane.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < plane.width; ++x)
            plane.values[std::size_t(y) * std::size_t(plane.width) + std::size_t(x)] = std::uint8_t(row[x] >> 24);
    }
    boxBlur(plane.values.data(), plane.width, plane.height, plane.width, 1, blur);
    return plane;
}

std::uint32_t strengthened(int amount, double strength)
{
    const double v = amount * strength;
    return std::uint32_t(std::clamp(std::lround(v), 0l, 255l));
}

// Composes the effect pixel `e` with the object's pixel `s`.
std::uint32_t composed(std::uint32_t s, std::uint32_t e, Placement placement, const swf::Filter& f)
{
    const std::uint32_t sa = s >> 24;
    switch (placement) {
    case Placement::Inner:
        e = scaled(e, sa);
        return (f.knockout || !f.compositeSource) ? e : over(e, s);
    case Placement::Outer:
        if (f.knockout)
            return scaled(e, 255 - sa);
        return f.compositeSource ? over(s, e) : e;
    case Placement::Full:
        return (f.knockout || !f.compositeSource) ? e : over(e, s);
    }
    return s;
}

template <class EffectAt>
void paint(QImage& image, Placement placement, const swf::Filter& f, EffectAt effectAt)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = composed(row[x], effectAt(x, y), placement, f);
    }
}

bool usableImage(const QImage& image)
{
    return !image.isNull() && image.format() == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

void applyShadow(QImage& image, const swf::Filter& f, const Matrix& m)
{
    if (!usableImage(image))
        return;
    const bool gradient = f.kind == swf::FilterKind::GradientGlow;
    const Ramp ramp = gradient ? gradientRamp(f) : solidRamp(f.colors.empty() ? swf::Rgba{0, 0, 0, 255} : f.colors[0]);
    const AlphaPlane alpha = blurredAlpha(image, surfaceBlur(f, m));
    const PixelOffset off = f.kind == swf::FilterKind::DropShadow ? surfaceOffset(f, m) : PixelOffset{};
    const Placement placement = placementOf(f);
    const bool inner = placement == Placement::Inner;
    paint(image, placement, f, [&](int x, int y) {
        const int a = alpha.at(x - off.x, y - off.y);
        return ramp[strengthened(inner ? 255 - a : a, f.strength)];
    });
}

void applyBevel(QImage& image, const swf::Filter& f, const Matrix& m)
{
    if (!usableImage(image))
        return;
    // The first colour lies on the side the light comes from (against the angle), the
    // second on the side the angle points to.
    Ramp lit{}, shade{}, ramp{};
    const bool gradient = f.kind == swf::FilterKind::GradientBevel;
    if (gradient) {
        ramp = gradientRamp(f);
    } else {
        lit = solidRamp(f.colors.size() > 0 ? f.colors[0] : swf::Rgba{255, 255, 255, 255});
        shade = solidRamp(f.colors.size() > 1 ? f.colors[1] : swf::Rgba{0, 0, 0, 255});
    }
    const AlphaPlane alpha = blurredAlpha(image, surfaceBlur(f, m));
    const PixelOffset off = surfaceOffset(f, m);
    paint(image, placementOf(f), f, [&](int x, int y) {
        const int d = int(alpha.at(x - off.x, y - off.y)) - int(alpha.at(x + off.x, y + off.y));
        const int v = int(std::clamp(std::lround(d * f.strength), -255l, 255l));
        if (gradient)
            return ramp[std::size_t((v + 256) / 2 > 255 ? 255 : (v + 256) / 2)];
        return v >= 0 ? shade[std::size_t(v)] : lit[std::size_t(-v)];
    });
}

}  // namespace render
