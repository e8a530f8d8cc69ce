// Between PNG images and toolkit bitmaps: copying, converting and drawing with alpha.
#include "Bitmap.h"
#include "Canvas.h"
#include "PngStore.h"
#include "sf_pngimage.h"

#include <cstring>

namespace png_store {

uint8_t Alpha(const TsfPngImage& image, int x, int y)
{
    const TsfPngLayerIHDR* header = image.HeaderLayer();
    if (!header->AlphaData.empty())
        return header->AlphaData[size_t(y) * size_t(header->Width) + size_t(x)];
    const auto* transparency = image.Layers().FindLayer<TsfPngLayertRNS>();
    if (!transparency || transparency->Size == 0)
        return 255;
    const uint8_t* row = image.PixelRow(y);
    const auto& t = transparency->Transparency;
    if (header->ColorType == sf_png::ctPalette) {
        const unsigned index = Index(*header, row, x);
        return index < transparency->Size ? t[index] : 255;
    }
    // The transparent sample as the store holds it: high byte at 16 bits, 2-bit greys
    // rescaled like the pixels.
    auto stored = [&](int i) -> unsigned {
        const unsigned value = (unsigned(t[size_t(2 * i)]) << 8) | t[size_t(2 * i + 1)];
        return header->BitDepth == 16 ? value >> 8 : header->BitDepth == 2 ? (value & 3) * 5 : value;
    };
    if (header->ColorType == sf_png::ctGrey)
        return Index(*header, row, x) == stored(0) ? 0 : 255;
    const auto& gamma = image.GammaTable;
    const bool match = row[3 * x + 2] == gamma[stored(0) & 255] && row[3 * x + 1] == gamma[stored(1) & 255] &&
                       row[3 * x] == gamma[stored(2) & 255];
    return match ? 0 : 255;
}

} // namespace png_store

void TsfPngImage::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty() || !HeaderLayer() || rect.IsEmpty())
        return;
    TBitmap& dest = canvas.Bitmap();
    const TRect clip = IntersectRect(rect, Rect(0, 0, dest.Width(), dest.Height()));
    if (clip.IsEmpty())
        return;
    const int64_t w = Width(), h = Height(), rw = rect.Width(), rh = rect.Height();
    const bool opaque = TransparencyMode() == ptmNone;
    for (int dy = clip.Top; dy < clip.Bottom; ++dy) {
        const int sy = int((dy - rect.Top) * h / rh);
        for (int dx = clip.Left; dx < clip.Right; ++dx) {
            const int sx = int((dx - rect.Left) * w / rw);
            const TColor source = Pixels(sx, sy);
            const unsigned a = opaque ? 255 : png_store::Alpha(*this, sx, sy);
            if (a == 255) {
                dest.SetPixel(dx, dy, source);
                continue;
            }
            if (a == 0)
                continue;
            const TColor under = dest.GetPixel(dx, dy);
            auto blend = [a](unsigned s, unsigned d) { return uint8_t((s * a + (255 - a) * d + 255) / 256); };
            dest.SetPixel(dx, dy,
                          RGB(blend(GetRValue(source), GetRValue(under)), blend(GetGValue(source), GetGValue(under)),
                              blend(GetBValue(source), GetBValue(under))));
        }
    }
}

void TsfPngImage::Assign(const TPersistent* source)
{
    if (!source) {
        ClearLayers();
        Changed();
        return;
    }
    if (auto* png = dynamic_cast<const TsfPngImage*>(source)) {
        if (png != this)
            assignPng(*png);
        Changed();
        return;
    }
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        assignBitmap(*bitmap);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TsfPngImage::assignPng(const TsfPngImage& source)
{
    ClearLayers();
    for (int i = 0; i < source.m_layers.Count(); ++i)
        m_layers.AppendCopy(*source.m_layers.Item(i));
    m_interlaceMethod = source.m_interlaceMethod;
    m_idatLimit = source.m_idatLimit;
    m_compressionLevel = source.m_compressionLevel;
    m_filterSet = source.m_filterSet;
    GammaTable = source.GammaTable;
    InverseGammaTable = source.InverseGammaTable;
}

void TsfPngImage::assignBitmap(const TBitmap& source)
{
    ClearLayers();
    if (source.Empty())
        return;
    const int bits = source.BitsPerPixel();
    const bool indexed = bits == 1 || bits == 4 || bits == 8;
    initSized(indexed ? sf_png::ctPalette : sf_png::ctRGB, uint8_t(indexed ? bits : 8), source.Width(), source.Height());
    TsfPngLayerIHDR* header = HeaderLayer();
    if (!header)
        return;
    if (indexed) {
        const auto& palette = source.Palette();
        for (size_t i = 0; i < header->Palette.size(); ++i)
            header->Palette[i] = i < palette.size() ? palette[i] : TRGBQuad{};
        // Both stores are bottom-up rows padded to 4 bytes at the same bit count.
        for (int y = 0; y < source.Height(); ++y)
            std::memcpy(PixelRow(y), source.ScanLine(y), size_t(header->RowStride));
    } else {
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                SetPixels(x, y, source.GetPixel(x, y));
    }
    if (!source.Transparent())
        return;
    const TColor transparent = ColorToRGB(source.TransparentColor()) & 0xFFFFFF;
    if (indexed) {
        for (size_t i = 0; i < header->Palette.size(); ++i) {
            const TRGBQuad& e = header->Palette[i];
            if (RGB(e.rgbRed, e.rgbGreen, e.rgbBlue) != transparent)
                continue;
            if (auto* layer = m_layers.AddLayer<TsfPngLayertRNS>()) {
                layer->Transparency[i] = 0;
                layer->Size = uint32_t(i + 1);
            }
            break;
        }
        return;
    }
    auto* layer = m_layers.AddLayer<TsfPngLayertRNS>();
    if (!layer)
        return;
    // RGB: three 16-bit samples, red, green, blue.
    const uint8_t rgb[3] = {GetRValue(transparent), GetGValue(transparent), GetBValue(transparent)};
    for (int i = 0; i < 3; ++i) {
        layer->Transparency[size_t(2 * i)] = 0;
        layer->Transparency[size_t(2 * i + 1)] = rgb[i];
    }
    layer->Size = 6;
}
