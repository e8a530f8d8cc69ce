// The chunk layers other than IHDR and IDAT: their bodies as PNG files hold them.
#include "Exceptions.h"
#include "PngChunk.h"
#include "PngFormat.h"
#include "sf_pngimage.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

TsfPngLayer::TsfPngLayer(TsfPngImage* owner, std::string layerName) : LayerName(std::move(layerName)), m_owner(owner) {}

void TsfPngLayer::AssignLayer(const TsfPngLayer& source)
{
    LayerName = source.LayerName;
    m_data = source.m_data;
}

bool TsfPngLayer::LoadLayer(const uint8_t* body, uint32_t size)
{
    m_data.assign(body, body + size);
    return true;
}

void TsfPngLayer::SaveLayer(TStream& stream)
{
    png_chunk::WriteChunk(stream, LayerName, m_data.data(), m_data.size());
}

void TsfPngLayerPLTE::AssignLayer(const TsfPngLayer& source)
{
    Count = static_cast<const TsfPngLayerPLTE&>(source).Count;
}

bool TsfPngLayerPLTE::LoadLayer(const uint8_t* body, uint32_t size)
{
    TsfPngLayerIHDR* header = m_owner->HeaderLayer();
    if (!header || size % 3 != 0 || size == 0 || size / 3 > (1u << header->BitDepth) || size / 3 > 256)
        return false;
    Count = size / 3;
    const auto& gamma = m_owner->GammaTable;
    for (uint32_t i = 0; i < Count; ++i)
        header->Palette[i] = RgbQuad(gamma[body[3 * i]], gamma[body[3 * i + 1]], gamma[body[3 * i + 2]]);
    return true;
}

void TsfPngLayerPLTE::SaveLayer(TStream& stream)
{
    TsfPngLayerIHDR* header = m_owner->HeaderLayer();
    const size_t entries = header ? header->Palette.size() : 0;
    const size_t count = std::min<size_t>(Count ? Count : entries, entries);
    std::vector<uint8_t> body(count * 3);
    const auto& inverse = m_owner->InverseGammaTable;
    // Red, green, blue per entry.
    for (size_t i = 0; i < count; ++i) {
        body[3 * i] = inverse[header->Palette[i].rgbRed];
        body[3 * i + 1] = inverse[header->Palette[i].rgbGreen];
        body[3 * i + 2] = inverse[header->Palette[i].rgbBlue];
    }
    png_chunk::WriteChunk(stream, kName, body.data(), body.size());
}

void TsfPngLayertRNS::AssignLayer(const TsfPngLayer& source)
{
    const auto& s = static_cast<const TsfPngLayertRNS&>(source);
    Transparency = s.Transparency;
    Size = s.Size;
}

bool TsfPngLayertRNS::LoadLayer(const uint8_t* body, uint32_t size)
{
    TsfPngLayerIHDR* header = m_owner->HeaderLayer();
    if (!header)
        return false;
    switch (header->ColorType) {
    case sf_png::ctPalette: {
        auto* palette = m_owner->Layers().FindLayer<TsfPngLayerPLTE>();
        if (!palette || size > palette->Count)
            return false;
        break;
    }
    case sf_png::ctGrey:
        if (size != 2)
            return false;
        break;
    case sf_png::ctRGB:
        if (size != 6)
            return false;
        break;
    default:
        return false;  // the alpha plane already says it all
    }
    std::memcpy(Transparency.data(), body, size);
    Size = size;
    return true;
}

void TsfPngLayertRNS::SaveLayer(TStream& stream)
{
    png_chunk::WriteChunk(stream, kName, Transparency.data(), std::min<uint32_t>(Size, 256));
}

void TsfPngLayergAMA::AssignLayer(const TsfPngLayer& source)
{
    Gamma = static_cast<const TsfPngLayergAMA&>(source).Gamma;
}

bool TsfPngLayergAMA::LoadLayer(const uint8_t* body, uint32_t size)
{
    if (size != 4)
        return false;
    const uint32_t gamma = png_format::ReadBigEndian32(body);
    if (gamma == 0)
        return true;  // meaningless: keep the identity
    Gamma = gamma;
    m_owner->SetGamma(gamma);
    return true;
}

void TsfPngLayergAMA::SaveLayer(TStream& stream)
{
    uint8_t body[4];
    png_format::PutBigEndian32(body, Gamma);
    png_chunk::WriteChunk(stream, kName, body, 4);
}

void TsfPngLayerpHYs::AssignLayer(const TsfPngLayer& source)
{
    const auto& s = static_cast<const TsfPngLayerpHYs&>(source);
    PPUnitX = s.PPUnitX;
    PPUnitY = s.PPUnitY;
    Unit = s.Unit;
}

bool TsfPngLayerpHYs::LoadLayer(const uint8_t* body, uint32_t size)
{
    if (size != 9)
        return false;
    PPUnitX = png_format::ReadBigEndian32(body);
    PPUnitY = png_format::ReadBigEndian32(body + 4);
    Unit = body[8];
    return true;
}

void TsfPngLayerpHYs::SaveLayer(TStream& stream)
{
    uint8_t body[9];
    // Pixels per unit, X axis, then Y axis; unit specifier (1 = metre).
    png_format::PutBigEndian32(body, PPUnitX);
    png_format::PutBigEndian32(body + 4, PPUnitY);
    body[8] = Unit;
    png_chunk::WriteChunk(stream, kName, body, 9);
}

void TsfPngLayertIME::AssignLayer(const TsfPngLayer& source)
{
    const auto& s = static_cast<const TsfPngLayertIME&>(source);
    Year = s.Year;
    Month = s.Month;
    Day = s.Day;
    Hour = s.Hour;
    Minute = s.Minute;
    Second = s.Second;
}

bool TsfPngLayertIME::LoadLayer(const uint8_t* body, uint32_t size)
{
    if (size != 7)
        return false;
    Year = png_format::ReadBigEndian16(body);
    Month = body[2];
    Day = body[3];
    Hour = body[4];
    Minute = body[5];
    Second = body[6];
    return true;
}

void TsfPngLayertIME::SaveLayer(TStream& stream)
{
    uint8_t body[7];
    png_format::PutBigEndian16(body, Year);
    body[2] = Month;
    body[3] = Day;
    body[4] = Hour;
    body[5] = Minute;
    body[6] = Second;
    png_chunk::WriteChunk(stream, kName, body, 7);
}

namespace {

// Splits "keyword NUL rest"; false unless the keyword has 1 to 79 bytes.
bool splitKeyword(const uint8_t* body, uint32_t size, std::string& keyword, uint32_t& restStart)
{
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(body, 0, size));
    if (!nul || nul == body || nul - body > 79)
        return false;
    keyword.assign(reinterpret_cast<const char*>(body), size_t(nul - body));
    restStart = uint32_t(nul - body) + 1;
    return true;
}

} // namespace

void TsfPngLayertEXt::AssignLayer(const TsfPngLayer& source)
{
    const auto& s = static_cast<const TsfPngLayertEXt&>(source);
    Keyword = s.Keyword;
    Text = s.Text;
}

bool TsfPngLayertEXt::LoadLayer(const uint8_t* body, uint32_t size)
{
    uint32_t rest = 0;
    if (!splitKeyword(body, size, Keyword, rest))
        return false;
    Text.assign(reinterpret_cast<const char*>(body) + rest, size - rest);
    return true;
}

void TsfPngLayertEXt::SaveLayer(TStream& stream)
{
    std::vector<uint8_t> body(Keyword.begin(), Keyword.end());
    body.push_back(0);
    body.insert(body.end(), Text.begin(), Text.end());
    png_chunk::WriteChunk(stream, LayerName, body.data(), body.size());
}

bool TsfPngLayerzTXt::LoadLayer(const uint8_t* body, uint32_t size)
{
    uint32_t rest = 0;
    if (!splitKeyword(body, size, Keyword, rest) || rest >= size || body[rest] != 0)
        return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    const uint32_t limit = m_owner->ReadLimits.MaxTextBytes;
    std::string text;
    uint8_t piece[4096];
    z.next_in = const_cast<Bytef*>(body + rest + 1);
    z.avail_in = size - rest - 1;
    int rc = Z_OK;
    while (rc == Z_OK && text.size() <= limit) {
        z.next_out = piece;
        z.avail_out = sizeof piece;
        rc = inflate(&z, Z_NO_FLUSH);
        text.append(reinterpret_cast<const char*>(piece), sizeof piece - z.avail_out);
        if (rc == Z_BUF_ERROR || (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0))
            rc = Z_DATA_ERROR;  // the compressed text ends early
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END || text.size() > limit)
        return false;
    Text = std::move(text);
    return true;
}

void TsfPngLayerzTXt::SaveLayer(TStream& stream)
{
    const std::string text = Text.empty() ? std::string(" ") : Text;
    uLongf packedSize = compressBound(uLong(text.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()),
                  m_owner->CompressionLevel()) != Z_OK)
        throw EInvalidGraphicOperation("PNG: compression failed");
    std::vector<uint8_t> body(Keyword.begin(), Keyword.end());
    // Keyword, NUL, compression method 0 (deflate), compressed text.
    body.push_back(0);
    body.push_back(0);
    body.insert(body.end(), packed.begin(), packed.begin() + long(packedSize));
    png_chunk::WriteChunk(stream, kName, body.data(), body.size());
}
