#include "Bitmap.h"

#include "Canvas.h"
#include "Exceptions.h"
#include "PixelFormats.h"
#include "PixelRows.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Largest store we agree to hold (bytes); guards against absurd sizes.
constexpr int64_t kMaxStoreBytes = int64_t(1) << 31;

const std::vector<TRGBQuad>& defaultPalette(TPixelFormat format)
{
    static const std::vector<TRGBQuad> none;
    switch (format) {
    case pf1bit: return pixel_formats::MonochromePalette();
    case pf4bit: return pixel_formats::StandardPalette16();
    case pf8bit: return pixel_formats::HalftonePalette();
    default: return none;
    }
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    resetStore(width, height, format);
    m_palette = defaultPalette(format);
}

TBitmap::TBitmap(const TBitmap& other)
    : TGraphic(), m_width(other.m_width), m_height(other.m_height), m_format(other.m_format), m_palette(other.m_palette),
      m_bits(other.m_bits), m_transparentColor(other.m_transparentColor)
{
    SetTransparent(other.Transparent());
}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    if (this != &other) {
        m_width = other.m_width;
        m_height = other.m_height;
        m_format = other.m_format;
        m_palette = other.m_palette;
        m_bits = other.m_bits;
        m_transparentColor = other.m_transparentColor;
        SetTransparent(other.Transparent());
        Changed();
    }
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixelOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

int TBitmap::RowBytesOf(int width, TPixelFormat format)
{
    int64_t bits = int64_t(width) * BitsPerPixelOf(format);
    return static_cast<int>(((bits + 31) / 32) * 4);
}

void TBitmap::resetStore(int width, int height, TPixelFormat format)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphic(toolkit_messages::InvalidBitmap);
    int64_t bytes = int64_t(RowBytesOf(width, format)) * height;
    if (bytes > kMaxStoreBytes)
        throw EOutOfResources("bitmap of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
    m_width = width;
    m_height = height;
    m_format = format;
    m_bits.assign(static_cast<size_t>(bytes), 0);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    TBitmap old(*this);
    resetStore(width, height, m_format);
    int rowCopy = std::min(old.RowBytes(), RowBytes());
    for (int y = 0; y < std::min(height, old.m_height); ++y)
        std::memcpy(ScanLine(y), old.ScanLine(y), static_cast<size_t>(rowCopy));
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfCustom)
        format = pf32bit;
    if (format == m_format)
        return;
    if (Empty()) {
        m_format = format;
        m_palette = defaultPalette(format);
        resetStore(m_width, m_height, format);
        return;
    }
    TBitmap old(*this);
    resetStore(m_width, m_height, format);
    m_palette = defaultPalette(format);
    std::vector<uint8_t> row(static_cast<size_t>(m_width) * 4);
    pixel_rows::IndexMatcher matcher(m_palette);
    for (int y = 0; y < m_height; ++y) {
        pixel_rows::ReadRow(old.m_format, old.ScanLine(y), m_width, old.m_palette, row.data());
        pixel_rows::WriteRow(m_format, row.data(), m_width, matcher, ScanLine(y));
    }
    Changed();
}

void TBitmap::SetPalette(const std::vector<TRGBQuad>& palette)
{
    size_t limit = m_format == pf1bit ? 2 : m_format == pf4bit ? 16 : m_format == pf8bit ? 256 : 0;
    if (limit == 0)
        return;
    m_palette = palette;
    if (m_palette.size() > limit)
        m_palette.resize(limit);
    Changed();
}

void TBitmap::SetMonochrome(bool value)
{
    if (value)
        SetPixelFormat(pf1bit);
    else if (m_format == pf1bit)
        SetPixelFormat(pfDevice);
}

TColor TBitmap::TransparentColor() const
{
    if (m_transparentColor != clDefault)
        return m_transparentColor;
    if (Empty())
        return clNone;
    return GetPixel(0, m_height - 1);
}

TCanvas& TBitmap::Canvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>(*this);
    return *m_canvas;
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= m_height)
        throw EInvalidGraphicOperation("scan line index out of range");
    return m_bits.data() + static_cast<size_t>(m_height - 1 - y) * RowBytes();
}

const uint8_t* TBitmap::ScanLine(int y) const
{
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

TColor TBitmap::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return clNone;
    const uint8_t* row = ScanLine(y);
    uint8_t px[4];
    // Read just the one pixel: shift the row so x lands on a whole byte for packed formats.
    switch (m_format) {
    case pf1bit: {
        unsigned i = (row[x >> 3] >> (7 - (x & 7))) & 1;
        TRGBQuad q = i < m_palette.size() ? m_palette[i] : TRGBQuad{};
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    case pf4bit: {
        unsigned i = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        TRGBQuad q = i < m_palette.size() ? m_palette[i] : TRGBQuad{};
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    default: {
        int bpp = BitsPerPixel() / 8;
        pixel_rows::ReadRow(m_format, row + x * bpp, 1, m_palette, px);
        return RGB(px[2], px[1], px[0]);
    }
    }
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    color = ColorToRGB(color);
    uint8_t* row = ScanLine(y);
    uint8_t px[4] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
    pixel_rows::IndexMatcher matcher(m_palette);
    switch (m_format) {
    case pf1bit: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        if (matcher(px[2], px[1], px[0]) & 1)
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= static_cast<uint8_t>(~bit);
        break;
    }
    case pf4bit: {
        uint8_t v = matcher(px[2], px[1], px[0]) & 0x0F;
        uint8_t& cell = row[x >> 1];
        cell = (x & 1) ? static_cast<uint8_t>((cell & 0xF0) | v) : static_cast<uint8_t>((cell & 0x0F) | (v << 4));
        break;
    }
    default: {
        if (m_format == pf32bit || m_format == pfDevice || m_format == pfCustom)
            px[3] = row[x * 4 + 3];  // a colour write keeps the pixel's alpha byte
        pixel_rows::WriteRow(m_format, px, 1, matcher, row + x * (BitsPerPixel() / 8));
        break;
    }
    }
}

void TBitmap::Assign(const TPersistent* source)
{
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        *this = *bitmap;
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        // Any other picture: draw it onto a 32-bit bitmap of its size.
        auto* g = const_cast<TGraphic*>(graphic);
        resetStore(g->Width(), g->Height(), pf32bit);
        m_palette.clear();
        if (!Empty()) {
            Canvas().Brush.Color = clWhite;
            Canvas().FillRect(Rect(0, 0, m_width, m_height));
            g->Draw(Canvas(), Rect(0, 0, m_width, m_height));
        }
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty())
        return;
    canvas.CopyRect(rect, Canvas(), Rect(0, 0, m_width, m_height));
}

void TBitmap::FreeImage()
{
    m_width = m_height = 0;
    m_bits.clear();
    Changed();
}
