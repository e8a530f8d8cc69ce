#include "PixelRows.h"

#include "PixelFormats.h"

#include <cstring>

namespace pixel_rows {
namespace {

void putQuad(uint8_t* out, const TRGBQuad& q)
{
    out[0] = q.rgbBlue;
    out[1] = q.rgbGreen;
    out[2] = q.rgbRed;
    out[3] = 0;
}

TRGBQuad entry(const std::vector<TRGBQuad>& palette, unsigned index)
{
    return index < palette.size() ? palette[index] : TRGBQuad{};
}

// Widening shifts in zero bits, as the platform's 16-bit bitmaps are read.
uint8_t expand5(unsigned v) { return static_cast<uint8_t>(v << 3); }
uint8_t expand6(unsigned v) { return static_cast<uint8_t>(v << 2); }

} // namespace

void ReadRow(TPixelFormat format, const uint8_t* row, int width, const std::vector<TRGBQuad>& palette, uint8_t* out)
{
    switch (format) {
    case pf1bit:
        for (int x = 0; x < width; ++x)
            putQuad(out + 4 * x, entry(palette, (row[x >> 3] >> (7 - (x & 7))) & 1));
        break;
    case pf4bit:
        for (int x = 0; x < width; ++x)
            putQuad(out + 4 * x, entry(palette, (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4));
        break;
    case pf8bit:
        for (int x = 0; x < width; ++x)
            putQuad(out + 4 * x, entry(palette, row[x]));
        break;
    case pf15bit:
    case pf16bit:
        for (int x = 0; x < width; ++x) {
            unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            uint8_t* o = out + 4 * x;
            if (format == pf15bit) {
                o[2] = expand5((v >> 10) & 31);
                o[1] = expand5((v >> 5) & 31);
            } else {
                o[2] = expand5((v >> 11) & 31);
                o[1] = expand6((v >> 5) & 63);
            }
            o[0] = expand5(v & 31);
            o[3] = 0;
        }
        break;
    case pf24bit:
        for (int x = 0; x < width; ++x) {
            out[4 * x] = row[3 * x];
            out[4 * x + 1] = row[3 * x + 1];
            out[4 * x + 2] = row[3 * x + 2];
            out[4 * x + 3] = 0;
        }
        break;
    default:
        std::memcpy(out, row, static_cast<size_t>(width) * 4);
        break;
    }
}

IndexMatcher::IndexMatcher(const std::vector<TRGBQuad>& palette) : m_palette(palette)
{
    using namespace pixel_formats;
    if (palette == HalftonePalette())
        m_kind = Kind::Halftone;
    else if (palette == StandardPalette16())
        m_kind = Kind::Standard16;
    else if (palette == MonochromePalette())
        m_kind = Kind::Monochrome;
    else
        m_kind = Kind::Other;
}

uint8_t IndexMatcher::operator()(uint8_t r, uint8_t g, uint8_t b) const
{
    using namespace pixel_formats;
    switch (m_kind) {
    case Kind::Halftone: return NearestHalftone(r, g, b);
    case Kind::Standard16: return NearestStandard16(r, g, b);
    case Kind::Monochrome: return NearestMonochrome(r, g, b);
    default: return NearestInTable(m_palette, r, g, b);
    }
}

void WriteRow(TPixelFormat format, const uint8_t* in, int width, const IndexMatcher& matcher, uint8_t* row)
{
    switch (format) {
    case pf1bit:
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = in + 4 * x;
            uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            if (matcher(p[2], p[1], p[0]) & 1)
                row[x >> 3] |= bit;
            else
                row[x >> 3] &= static_cast<uint8_t>(~bit);
        }
        break;
    case pf4bit:
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = in + 4 * x;
            uint8_t v = matcher(p[2], p[1], p[0]) & 0x0F;
            uint8_t& cell = row[x >> 1];
            cell = (x & 1) ? static_cast<uint8_t>((cell & 0xF0) | v) : static_cast<uint8_t>((cell & 0x0F) | (v << 4));
        }
        break;
    case pf8bit:
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = in + 4 * x;
            row[x] = matcher(p[2], p[1], p[0]);
        }
        break;
    case pf15bit:
    case pf16bit:
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = in + 4 * x;
            unsigned v = format == pf15bit ? ((p[2] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[0] >> 3)
                                           : ((p[2] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[0] >> 3);
            row[2 * x] = static_cast<uint8_t>(v);
            row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
        break;
    case pf24bit:
        for (int x = 0; x < width; ++x) {
            row[3 * x] = in[4 * x];
            row[3 * x + 1] = in[4 * x + 1];
            row[3 * x + 2] = in[4 * x + 2];
        }
        break;
    default:
        std::memcpy(row, in, static_cast<size_t>(width) * 4);
        break;
    }
}

} // namespace pixel_rows
