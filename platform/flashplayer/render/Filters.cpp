#include "render/Filters.h"

#include "render/BoxBlur.h"
#include "render/ColorFilters.h"
#include "render/FilterGeometry.h"
#include "render/ShadowFilters.h"

#include <algorithm>
#include <cstdlib>

namespace render {

namespace {

constexpr int kMaxReach = 16384;

int capped(long v)
{
    return int(std::clamp<long>(v, 0, kMaxReach));
}

}  // namespace

FilterReach& FilterReach::operator+=(const FilterReach& o)
{
    left = capped(long(left) + o.left);
    top = capped(long(top) + o.top);
    right = capped(long(right) + o.right);
    bottom = capped(long(bottom) + o.bottom);
    return *this;
}

FilterReach filterReach(const swf::Filter& f, const Matrix& m)
{
    using K = swf::FilterKind;
    if (f.kind == K::ColorMatrix || f.kind == K::Convolution)
        return {};
    const BlurSize blur = surfaceBlur(f, m);
    const int bx = blurReach(blur.x, blur.passes), by = blurReach(blur.y, blur.passes);
    if (f.kind == K::Blur)
        return {bx, by, bx, by};
    // Inner shadows and glows stay inside the object.
    const bool full = (f.kind == K::Bevel || f.kind == K::GradientBevel || f.kind == K::GradientGlow) && f.onTop;
    if (f.inner && !full)
        return {};
    if (f.kind == K::Glow || f.kind == K::GradientGlow)
        return {bx, by, bx, by};
    const PixelOffset off = surfaceOffset(f, m);
    if (f.kind == K::DropShadow)
        return {capped(long(bx) - off.x), capped(long(by) - off.y), capped(long(bx) + off.x), capped(long(by) + off.y)};
    // Bevels reach both ways.
    const int ox = std::abs(off.x), oy = std::abs(off.y);
    return {capped(long(bx) + ox), capped(long(by) + oy), capped(long(bx) + ox), capped(long(by) + oy)};
}

FilterReach filterReach(std::span<const swf::Filter> filters, const Matrix& m)
{
    FilterReach total;
    for (const swf::Filter& f : filters)
        total += filterReach(f, m);
    return total;
}

void applyFilter(QImage& image, const swf::Filter& f, const Matrix& m)
{
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    using K = swf::FilterKind;
    switch (f.kind) {
    case K::Blur:
        boxBlur(image.bits(), image.width(), image.height(), int(image.bytesPerLine()), 4, surfaceBlur(f, m));
        break;
    case K::DropShadow:
    case K::Glow:
    case K::GradientGlow: applyShadow(image, f, m); break;
    case K::Bevel:
    case K::GradientBevel: applyBevel(image, f, m); break;
    case K::ColorMatrix: applyColorMatrix(image, f); break;
    case K::Convolution: applyConvolution(image, f); break;
    }
}

}  // namespace render
