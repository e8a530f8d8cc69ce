#include "FramePicture.h"

#include "Bitmap.h"
#include "PixelRows.h"

#include <algorithm>
#include <cstring>

namespace {

bool isColour(const uint8_t* bgra, TColor colour)
{
    return bgra[2] == (colour & 0xFF) && bgra[1] == ((colour >> 8) & 0xFF) && bgra[0] == ((colour >> 16) & 0xFF);
}

} // namespace

bool BitmapHasAlpha(const TBitmap& bitmap, TColor transparent)
{
    if (bitmap.Empty())
        return false;
    const int w = bitmap.Width();
    std::vector<uint8_t> quads(size_t(w) * 4);
    const bool own = bitmap.PixelFormat() == pf32bit;
    if (!own && transparent == clNone)
        return false;
    const uint8_t first = own ? bitmap.ScanLine(0)[3] : 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        pixel_rows::ReadRow(bitmap.PixelFormat(), bitmap.ScanLine(y), w, bitmap.Palette(), quads.data());
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &quads[size_t(x) * 4];
            if ((own && p[3] != first) || (transparent != clNone && isColour(p, transparent)))
                return true;
        }
    }
    return false;
}

FramePicture::FramePicture(const PictureShape& shape)
    : m_shape(shape), m_pixels(size_t(shape.paddedWidth) * 4 * size_t(shape.paddedHeight), 0)
{
    for (size_t i = 3; i < m_pixels.size(); i += 4)
        m_pixels[i] = 255;
}

void FramePicture::readSource(const TBitmap& bitmap, int y)
{
    m_source.resize(size_t(bitmap.Width()) * 4);
    pixel_rows::ReadRow(bitmap.PixelFormat(), bitmap.ScanLine(y), bitmap.Width(), bitmap.Palette(), m_source.data());
}

// Alpha from 32-bit pixels only when it varies; other formats (and uniform alpha) are opaque.
void FramePicture::finishAlpha(uint8_t* out, bool sourceAlpha)
{
    for (int x = 0; x < m_shape.width; ++x) {
        uint8_t* p = out + 4 * x;
        if (!sourceAlpha)
            p[3] = 255;
        if (m_shape.transparent != clNone && isColour(p, m_shape.transparent))
            p[3] = 0;
    }
}

// The frame as recorded, 24 or 32 bits at the frame size: one pass per row.
bool FramePicture::copyDirect(const TBitmap& bitmap, bool sourceAlpha)
{
    const TPixelFormat format = bitmap.PixelFormat();
    if ((format != pf24bit && format != pf32bit) || bitmap.Width() != m_shape.width || bitmap.Height() != m_shape.height)
        return false;
    const int w = m_shape.width;
    for (int y = 0; y < m_shape.height; ++y) {
        const uint8_t* in = bitmap.ScanLine(y);
        uint8_t* out = row(y);
        if (format == pf32bit) {
            std::memcpy(out, in, size_t(w) * 4);
            if (!sourceAlpha)
                for (int x = 0; x < w; ++x)
                    out[4 * x + 3] = 255;
        } else {
            for (int x = 0; x < w; ++x) {
                out[4 * x] = in[3 * x];
                out[4 * x + 1] = in[3 * x + 1];
                out[4 * x + 2] = in[3 * x + 2];
                out[4 * x + 3] = 255;
            }
        }
        if (m_shape.transparent != clNone)
            finishAlpha(out, true);
        for (int x = w; x < m_shape.paddedWidth; ++x)
            std::memcpy(out + 4 * x, out + 4 * (w - 1), 4);
    }
    return true;
}

const uint8_t* FramePicture::Compose(const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return m_pixels.data();
    const int w = m_shape.width, h = m_shape.height;
    const int sw = bitmap.Width(), sh = bitmap.Height();
    const bool sourceAlpha = BitmapHasAlpha(bitmap, clNone);
    if (copyDirect(bitmap, sourceAlpha)) {
        for (int y = h; y < m_shape.paddedHeight; ++y)
            std::memcpy(row(y), row(h - 1), size_t(Stride()));
        return m_pixels.data();
    }
    uint8_t fill[4];
    readSource(bitmap, 0);
    std::memcpy(fill, m_source.data(), 4);
    int loaded = -1;
    for (int y = 0; y < h; ++y) {
        uint8_t* out = row(y);
        const int sy = m_shape.stretch ? int(int64_t(y) * sh / h) : y;
        if (sy >= sh) {
            for (int x = 0; x < w; ++x)
                std::memcpy(out + 4 * x, fill, 4);
        } else {
            if (sy != loaded)
                readSource(bitmap, sy);
            loaded = sy;
            for (int x = 0; x < w; ++x) {
                const int sx = m_shape.stretch ? int(int64_t(x) * sw / w) : x;
                std::memcpy(out + 4 * x, sx < sw ? &m_source[size_t(sx) * 4] : fill, 4);
            }
        }
        finishAlpha(out, sourceAlpha);
        for (int x = w; x < m_shape.paddedWidth; ++x)
            std::memcpy(out + 4 * x, out + 4 * (w - 1), 4);
    }
    for (int y = h; y < m_shape.paddedHeight; ++y)
        std::memcpy(row(y), row(h - 1), size_t(Stride()));
    return m_pixels.data();
}
