#include "sf_pngimage.h"

#include "Exceptions.h"
#include "PixelFormats.h"
#include "PngChunk.h"
#include "PngFormat.h"
#include "PngReader.h"
#include "PngStore.h"
#include "PngWriter.h"
#include "Stream.h"

#include <cmath>

namespace {

void fillIdentity(std::array<uint8_t, 256>& table)
{
    for (int i = 0; i < 256; ++i)
        table[size_t(i)] = uint8_t(i);
}

} // namespace

TsfPngImage::TsfPngImage() : m_layers(*this)
{
    fillIdentity(GammaTable);
    fillIdentity(InverseGammaTable);
}

TsfPngImage::TsfPngImage(uint8_t colorType, uint8_t bitDepth, int width, int height) : TsfPngImage()
{
    initSized(colorType, bitDepth, width, height);
}

std::unique_ptr<TsfPngImage> TsfPngImage::CreateSized(uint8_t colorType, uint8_t bitDepth, int width, int height)
{
    return std::make_unique<TsfPngImage>(colorType, bitDepth, width, height);
}

TsfPngImage::~TsfPngImage() = default;

void TsfPngImage::initSized(uint8_t colorType, uint8_t bitDepth, int width, int height)
{
    ClearLayers();
    // Grey+alpha and RGBA below 8 bits have no PNG form, nor has an empty image.
    if (!png_format::IsValidFormat(colorType, bitDepth) || width <= 0 || height <= 0)
        return;
    Building = true;
    m_layers.AddLayer<TsfPngLayerIEND>();
    auto* header = m_layers.AddLayer<TsfPngLayerIHDR>();
    header->Width = width;
    header->Height = height;
    header->BitDepth = bitDepth;
    header->ColorType = colorType;
    header->InterlaceMethod = m_interlaceMethod;
    if (!header->PrepareStore()) {
        Building = false;
        ClearLayers();
        return;
    }
    if (colorType == sf_png::ctPalette)
        m_layers.AddLayer<TsfPngLayerPLTE>()->Count = 1u << bitDepth;
    m_layers.AddLayer<TsfPngLayerIDAT>();
    Building = false;
}

void TsfPngImage::ClearLayers()
{
    m_layers.Clear();
    fillIdentity(GammaTable);
    fillIdentity(InverseGammaTable);
}

void TsfPngImage::SetGamma(uint32_t gammaTimes100000)
{
    // The file's gamma times a display gamma of 2.2 is the exponent the samples were
    // encoded with.
    const double exponent = gammaTimes100000 / 100000.0 * 2.2;
    for (int i = 0; i < 256; ++i) {
        const double v = i / 255.0;
        GammaTable[size_t(i)] = uint8_t(std::lround(255.0 * std::pow(v, 1.0 / exponent)));
        InverseGammaTable[size_t(i)] = uint8_t(std::lround(255.0 * std::pow(v, exponent)));
    }
    TsfPngLayerIHDR* header = HeaderLayer();
    if (header && header->HasPalette && header->ColorType != sf_png::ctPalette)
        header->FillGreyRamp();
}

TsfPngLayerIHDR* TsfPngImage::HeaderLayer() const
{
    if (m_layers.Count() == 0 || m_layers.Item(0)->LayerName != TsfPngLayerIHDR::kName)
        return nullptr;
    return static_cast<TsfPngLayerIHDR*>(m_layers.Item(0));
}

int TsfPngImage::Width() const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    return header ? header->Width : 0;
}

int TsfPngImage::Height() const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    return header ? header->Height : 0;
}

void TsfPngImage::AddAlpha()
{
    TsfPngLayerIHDR* header = HeaderLayer();
    if (!header)
        return;
    switch (header->ColorType) {
    case sf_png::ctGrey:
        // Grey with alpha exists only at 8 and 16 bits.
        header->WidenGreyTo8Bits();
        header->ColorType = sf_png::ctGreyAlpha;
        header->AlphaData.assign(size_t(header->Width) * size_t(header->Height), 255);
        break;
    case sf_png::ctRGB:
        header->ColorType = sf_png::ctRGBA;
        header->AlphaData.assign(size_t(header->Width) * size_t(header->Height), 255);
        break;
    case sf_png::ctPalette: {
        auto* transparency = m_layers.FindLayer<TsfPngLayertRNS>();
        if (!transparency)
            transparency = m_layers.AddLayer<TsfPngLayertRNS>();
        if (transparency) {
            transparency->Transparency.fill(255);
            transparency->Size = 1u << header->BitDepth;
        }
        break;
    }
    default:
        break;
    }
    Changed();
}

uint8_t* TsfPngImage::PixelRow(int y)
{
    return const_cast<uint8_t*>(static_cast<const TsfPngImage*>(this)->PixelRow(y));
}

const uint8_t* TsfPngImage::PixelRow(int y) const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || y < 0 || y >= header->Height)
        return nullptr;
    return header->PixelData.data() + size_t(header->RowStride) * size_t(header->Height - 1 - y);
}

uint8_t* TsfPngImage::AlphaRow(int y)
{
    TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || header->AlphaData.empty() || y < 0 || y >= header->Height)
        return nullptr;
    return header->AlphaData.data() + size_t(header->Width) * size_t(y);
}

TColor TsfPngImage::Pixels(int x, int y) const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || x < 0 || y < 0 || x >= header->Width || y >= header->Height)
        return 0;
    const uint8_t* row = PixelRow(y);
    if (!header->HasPalette)
        return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const TRGBQuad& entry = header->Palette[png_store::Index(*header, row, x)];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

void TsfPngImage::SetPixels(int x, int y, TColor color)
{
    TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || x < 0 || y < 0 || x >= header->Width || y >= header->Height)
        return;
    uint8_t* row = PixelRow(y);
    if (!header->HasPalette) {
        row[3 * x] = GetBValue(color);
        row[3 * x + 1] = GetGValue(color);
        row[3 * x + 2] = GetRValue(color);
        return;
    }
    if (header->ColorType == sf_png::ctGreyAlpha) {
        row[x] = GetRValue(color);
        return;
    }
    // Only entries a file will hold may be chosen: a palette image writes Count entries.
    std::vector<TRGBQuad> candidates = header->Palette;
    if (auto* palette = m_layers.FindLayer<TsfPngLayerPLTE>(); palette && palette->Count && palette->Count < candidates.size())
        candidates.resize(palette->Count);
    png_store::PutIndex(*header, row, x,
                        pixel_formats::NearestInTable(candidates, GetRValue(color), GetGValue(color), GetBValue(color)));
}

TColor TsfPngImage::PaletteColor(int index) const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || index < 0 || size_t(index) >= header->Palette.size())
        return 0;
    const TRGBQuad& e = header->Palette[size_t(index)];
    return RGB(e.rgbRed, e.rgbGreen, e.rgbBlue);
}

void TsfPngImage::SetPaletteColor(int index, TColor color)
{
    TsfPngLayerIHDR* header = HeaderLayer();
    if (!header || index < 0 || size_t(index) >= header->Palette.size())
        return;
    header->Palette[size_t(index)] = RgbQuad(GetRValue(color), GetGValue(color), GetBValue(color));
}

TsfPngTransparencyMode TsfPngImage::TransparencyMode() const
{
    const TsfPngLayerIHDR* header = HeaderLayer();
    if (!header)
        return ptmNone;
    if (!header->AlphaData.empty())
        return ptmPartial;
    const auto* transparency = m_layers.FindLayer<TsfPngLayertRNS>();
    if (!transparency || transparency->Size == 0)
        return ptmNone;
    if (header->ColorType != sf_png::ctPalette)
        return ptmBit;
    int partial = 0;
    for (uint32_t i = 0; i < transparency->Size && i < 256; ++i)
        if (transparency->Transparency[i] != 255)
            ++partial;
    return partial == 0 ? ptmNone : partial == 1 ? ptmBit : ptmPartial;
}

void TsfPngImage::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(png_chunk::kSignature, sizeof png_chunk::kSignature);
    // A store made for 2 bits holds 4-bit indices; from now on the image says so.
    if (TsfPngLayerIHDR* header = HeaderLayer(); header && header->BitDepth == 2)
        header->BitDepth = 4;
    for (int i = 0; i < m_layers.Count(); ++i)
        m_layers.Item(i)->SaveLayer(stream);
}

void TsfPngLayerIDAT::SaveLayer(TStream& stream)
{
    png_writer::WriteImageData(*m_owner, stream);
}

void TsfPngImage::LoadFromStream(TStream& stream)
{
    const std::string error = png_reader::ReadPng(*this, stream);
    if (!error.empty())
        throw EInvalidGraphic("Invalid PNG image: " + error);
    Changed();
}
