#include "render/Compose.h"

#include <algorithm>
#include <cstdint>

namespace render {

namespace {

inline std::uint32_t mul255(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Per premultiplied pixel: d = below, s = layer.
using PixelOp = std::uint32_t (*)(std::uint32_t d, std::uint32_t s);

// Subtract: each colour of the layer taken from the colour below, floored at 0; alpha
// composes as source-over.
std::uint32_t subtractPixel(std::uint32_t d, std::uint32_t s)
{
    const std::uint32_t sa = s >> 24, da = d >> 24;
    if (sa == 0)
        return d;
    std::uint32_t out = (std::min<std::uint32_t>(255, sa + da - mul255(sa, da))) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int dc = int((d >> shift) & 0xff), sc = int((s >> shift) & 0xff);
        out |= std::uint32_t(std::max(0, dc - sc)) << shift;
    }
    return out;
}

// Invert: inside the layer's coverage the colours below are inverted (their alpha
// kept); partial coverage mixes inverted and original.
std::uint32_t invertPixel(std::uint32_t d, std::uint32_t s)
{
    const std::uint32_t sa = s >> 24, da = d >> 24;
    if (sa == 0)
        return d;
    std::uint32_t out = da << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t dc = std::min((d >> shift) & 0xff, da);
        const std::uint32_t inverted = da - dc;
        out |= (mul255(inverted, sa) + mul255(dc, 255 - sa)) << shift;
    }
    return out;
}

void composeByHand(QImage& below, const QImage& layer, const QRect& rect, PixelOp op)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        // The painter of `below` draws straight into this buffer; writing through the
        // const pointer avoids a detach that would leave the painter on a stale copy.
        auto* d = reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(below.constScanLine(y)));
        const auto* s = reinterpret_cast<const std::uint32_t*>(layer.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x)
            d[x] = op(d[x], s[x]);
    }
}

}  // namespace

bool qtCompositionFor(BlendMode mode, QPainter::CompositionMode* out)
{
    using CM = QPainter::CompositionMode;
    CM m = CM::CompositionMode_SourceOver;
    switch (mode) {
    case BlendMode::Normal:
    case BlendMode::Layer: m = CM::CompositionMode_SourceOver; break;
    case BlendMode::Multiply: m = CM::CompositionMode_Multiply; break;
    case BlendMode::Screen: m = CM::CompositionMode_Screen; break;
    case BlendMode::Lighten: m = CM::CompositionMode_Lighten; break;
    case BlendMode::Darken: m = CM::CompositionMode_Darken; break;
    case BlendMode::Difference: m = CM::CompositionMode_Difference; break;
    case BlendMode::Add: m = CM::CompositionMode_Plus; break;
    case BlendMode::Alpha: m = CM::CompositionMode_DestinationIn; break;
    case BlendMode::Erase: m = CM::CompositionMode_DestinationOut; break;
    case BlendMode::Overlay: m = CM::CompositionMode_Overlay; break;
    case BlendMode::HardLight: m = CM::CompositionMode_HardLight; break;
    case BlendMode::Subtract:
    case BlendMode::Invert: return false;
    }
    *out = m;
    return true;
}

void composeLayer(QPainter& painter, QImage& below, const QImage& layer, const QRect& rect,
                  BlendMode mode)
{
    const QRect area = rect.intersected(below.rect()).intersected(layer.rect());
    if (area.isEmpty())
        return;
    QPainter::CompositionMode qtMode;
    if (qtCompositionFor(mode, &qtMode)) {
        painter.save();
        painter.resetTransform();
        painter.setOpacity(1.0);
        painter.setCompositionMode(qtMode);
        painter.drawImage(area.topLeft(), layer, area);
        painter.restore();
        return;
    }
    composeByHand(below, layer, area, mode == BlendMode::Subtract ? subtractPixel : invertPixel);
}

}  // namespace render
