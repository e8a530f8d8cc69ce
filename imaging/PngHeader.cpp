// The IHDR layer: the header fields and the pixel store they describe.
#include "PngChunk.h"
#include "PngFormat.h"
#include "PixelFormats.h"
#include "sf_pngimage.h"

#include <cmath>

namespace {

// The largest pixel store we allocate, whatever the caller or a file asks for.
constexpr uint64_t kMaxStoreBytes = uint64_t(1) << 30;

std::vector<TRGBQuad> startingPalette(uint8_t bitDepth, int storeBits)
{
    std::vector<TRGBQuad> palette;
    switch (bitDepth) {
    case 1:
        palette = pixel_formats::MonochromePalette();
        break;
    case 2:
        palette = {RgbQuad(0, 0, 0), RgbQuad(85, 85, 85), RgbQuad(170, 170, 170), RgbQuad(255, 255, 255)};
        break;
    case 4:
        palette = pixel_formats::StandardPalette16();
        break;
    default:
        palette = pixel_formats::HalftonePalette();
        break;
    }
    palette.resize(size_t(1) << storeBits);
    return palette;
}

} // namespace

void TsfPngLayerIHDR::AssignLayer(const TsfPngLayer& source)
{
    const auto& s = static_cast<const TsfPngLayerIHDR&>(source);
    HasPalette = s.HasPalette;
    Palette = s.Palette;
    PixelData = s.PixelData;
    AlphaData = s.AlphaData;
    Width = s.Width;
    Height = s.Height;
    BitDepth = s.BitDepth;
    ColorType = s.ColorType;
    CompressionMethod = s.CompressionMethod;
    FilterMethod = s.FilterMethod;
    InterlaceMethod = s.InterlaceMethod;
    RowStride = s.RowStride;
}

bool TsfPngLayerIHDR::LoadLayer(const uint8_t* body, uint32_t size)
{
    if (size != 13)
        return false;
    const uint32_t width = png_format::ReadBigEndian32(body);
    const uint32_t height = png_format::ReadBigEndian32(body + 4);
    if (width == 0 || height == 0 || width > png_chunk::kMaxLength || height > png_chunk::kMaxLength)
        return false;
    Width = int32_t(width);
    Height = int32_t(height);
    BitDepth = body[8];
    ColorType = body[9];
    CompressionMethod = body[10];
    FilterMethod = body[11];
    InterlaceMethod = body[12];
    return png_format::IsValidFormat(ColorType, BitDepth) && CompressionMethod == 0 && FilterMethod == 0 &&
           InterlaceMethod <= 1;
}

void TsfPngLayerIHDR::SaveLayer(TStream& stream)
{
    uint8_t body[13];
    // Width and height, big-endian.
    png_format::PutBigEndian32(body, uint32_t(Width));
    png_format::PutBigEndian32(body + 4, uint32_t(Height));
    // Bit depth: a store made for 2 bits holds 4-bit indices and is written as such.
    body[8] = BitDepth == 2 ? 4 : BitDepth;
    body[9] = ColorType;
    body[10] = CompressionMethod;
    body[11] = FilterMethod;
    body[12] = m_owner->InterlaceMethod();
    png_chunk::WriteChunk(stream, kName, body, sizeof body);
}

int TsfPngLayerIHDR::StoreBitCount() const
{
    return png_format::StoreBitCount(ColorType, BitDepth);
}

bool TsfPngLayerIHDR::PrepareStore()
{
    if (Width <= 0 || Height <= 0 || !png_format::IsValidFormat(ColorType, BitDepth))
        return false;
    const int bits = StoreBitCount();
    const uint64_t stride = png_format::StoreRowStride(bits, uint32_t(Width));
    const uint64_t bytes = stride * uint64_t(Height);
    const bool alpha = png_format::HasAlphaPlane(ColorType);
    if (bytes > kMaxStoreBytes || (alpha && uint64_t(Width) * uint64_t(Height) > kMaxStoreBytes))
        return false;
    RowStride = int32_t(stride);
    PixelData.assign(size_t(bytes), 0);
    AlphaData.assign(alpha ? size_t(Width) * size_t(Height) : 0, 0);
    HasPalette = ColorType == sf_png::ctGrey || ColorType == sf_png::ctPalette || ColorType == sf_png::ctGreyAlpha;
    Palette.clear();
    if (ColorType == sf_png::ctPalette)
        Palette = startingPalette(BitDepth, bits);
    else if (HasPalette)
        FillGreyRamp();
    return true;
}

void TsfPngLayerIHDR::FillGreyRamp()
{
    const size_t count = size_t(1) << StoreBitCount();
    Palette.resize(count);
    for (size_t n = 0; n < count; ++n) {
        const uint8_t level = uint8_t(std::lround(double(n) * 255.0 / double(count - 1)));
        const uint8_t v = m_owner->GammaTable[level];
        Palette[n] = RgbQuad(v, v, v);
    }
}

void TsfPngLayerIHDR::WidenGreyTo8Bits()
{
    const int oldBits = StoreBitCount();
    if (oldBits >= 8)
        return;
    const std::vector<uint8_t> old = std::move(PixelData);
    const int32_t oldStride = RowStride;
    const unsigned maxIndex = (1u << oldBits) - 1;
    BitDepth = 8;
    RowStride = int32_t(png_format::StoreRowStride(8, uint32_t(Width)));
    PixelData.assign(size_t(RowStride) * size_t(Height), 0);
    for (int32_t row = 0; row < Height; ++row) {
        const uint8_t* in = old.data() + size_t(row) * size_t(oldStride);
        uint8_t* out = PixelData.data() + size_t(row) * size_t(RowStride);
        for (int32_t x = 0; x < Width; ++x) {
            const unsigned bit = unsigned(x) * unsigned(oldBits);
            const unsigned index = (in[bit / 8] >> (8 - oldBits - bit % 8)) & maxIndex;
            out[x] = uint8_t(std::lround(index * 255.0 / maxIndex));
        }
    }
    FillGreyRamp();
}
