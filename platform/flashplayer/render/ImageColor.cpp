#include "render/ImageColor.h"

#include <array>
#include <cstdint>

namespace render {

namespace {

using Table = std::array<std::uint8_t, 256>;

Table channelTable(float mul, float add)
{
    Table t{};
    for (int v = 0; v < 256; ++v)
        t[std::size_t(v)] = ColorTransform::channel(v, mul, add);
    return t;
}

// 255 * 255 / a for every alpha, so that un-premultiplying is a multiply and a shift.
const std::array<std::uint32_t, 256>& reciprocalTable()
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (int a = 1; a < 256; ++a)
            t[std::size_t(a)] = std::uint32_t((255u * 65536u + a / 2) / a);
        return t;
    }();
    return table;
}

inline std::uint32_t unpremultiply(std::uint32_t c, std::uint32_t recip)
{
    const std::uint32_t v = (c * recip + 32768u) >> 16;
    return v > 255 ? 255 : v;
}

inline std::uint32_t premultiply(std::uint32_t c, std::uint32_t a)
{
    const std::uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}

}  // namespace

void applyColorTransform(QImage& image, const ColorTransform& cx, bool keepTransparent)
{
    if (cx.isIdentity())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    const Table rt = channelTable(cx.rMul, cx.rAdd), gt = channelTable(cx.gMul, cx.gAdd),
                bt = channelTable(cx.bMul, cx.bAdd), at = channelTable(cx.aMul, cx.aAdd);
    const auto& recip = reciprocalTable();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            if (a == 0 && keepTransparent)
                continue;
            std::uint32_t r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            if (a != 255 && a != 0) {
                r = unpremultiply(r, recip[a]);
                g = unpremultiply(g, recip[a]);
                b = unpremultiply(b, recip[a]);
            }
            const std::uint32_t na = at[a];
            r = premultiply(rt[r], na);
            g = premultiply(gt[g], na);
            b = premultiply(bt[b], na);
            row[x] = (na << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

QImage colorTransformed(const QImage& source, const ColorTransform& cx)
{
    QImage copy = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (copy.constBits() == source.constBits())
        copy.detach();
    applyColorTransform(copy, cx);
    return copy;
}

}  // namespace render
