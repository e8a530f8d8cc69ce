#include "FrameCanvas.h"

#include "Bitmap.h"
#include "FrameFormat.h"
#include "PixelRows.h"

#include <algorithm>
#include <cstring>

FrameCanvas::FrameCanvas(int width, int height)
    : m_width(width), m_height(height), m_rowBytes(static_cast<uint32_t>(RowBytesFor(width, 24))),
      m_bits(size_t(m_rowBytes) * size_t(height), 0), m_last(m_bits.data())
{
}

const uint8_t* FrameCanvas::sourceRow(const TBitmap& bitmap, int y)
{
    const uint8_t* stored = bitmap.ScanLine(y);
    if (bitmap.PixelFormat() == pf24bit)
        return stored;
    size_t w = static_cast<size_t>(bitmap.Width());
    m_quads.resize(w * 4);
    m_source.resize(w * 3);
    pixel_rows::ReadRow(bitmap.PixelFormat(), stored, bitmap.Width(), bitmap.Palette(), m_quads.data());
    for (size_t x = 0; x < w; ++x)
        std::memcpy(&m_source[3 * x], &m_quads[4 * x], 3);
    return m_source.data();
}

const uint8_t* FrameCanvas::Compose(const TBitmap& bitmap, bool stretchIt)
{
    // Nothing to draw: the frame shows what the previous one showed.
    if (bitmap.Empty())
        return m_last;
    if (bitmap.PixelFormat() == pf24bit && bitmap.Width() == m_width && bitmap.Height() == m_height) {
        // Same size, same layout (bottom-up rows padded to 4 bytes): no copy needed.
        m_last = bitmap.Bits();
        return m_last;
    }
    // Both ways of drawing cover the whole canvas.
    if (stretchIt)
        stretch(bitmap);
    else
        unscaled(bitmap);
    m_last = m_bits.data();
    return m_last;
}

void FrameCanvas::stretch(const TBitmap& bitmap)
{
    int sw = bitmap.Width(), sh = bitmap.Height();
    bool sameWidth = sw == m_width;
    if (!sameWidth) {
        m_columns.resize(size_t(m_width));
        for (int x = 0; x < m_width; ++x)
            m_columns[size_t(x)] = static_cast<int>(int64_t(x) * sw / m_width);
    }
    int loaded = -1;
    const uint8_t* src = nullptr;
    for (int y = 0; y < m_height; ++y) {
        int sy = static_cast<int>(int64_t(y) * sh / m_height);
        uint8_t* out = row(y);
        if (sy == loaded && y > 0) {
            // A repeated source row is the row just made.
            std::memcpy(out, row(y - 1), size_t(m_width) * 3);
            continue;
        }
        src = sourceRow(bitmap, sy);
        loaded = sy;
        if (sameWidth) {
            std::memcpy(out, src, size_t(m_width) * 3);
            continue;
        }
        for (int x = 0; x < m_width; ++x)
            std::memcpy(out + 3 * x, src + 3 * m_columns[size_t(x)], 3);
    }
}

void FrameCanvas::unscaled(const TBitmap& bitmap)
{
    uint8_t fill[3];
    std::memcpy(fill, sourceRow(bitmap, 0), 3);
    int copyWidth = std::min(bitmap.Width(), m_width);
    int copyHeight = std::min(bitmap.Height(), m_height);
    for (int y = 0; y < m_height; ++y) {
        uint8_t* out = row(y);
        int from = 0;
        if (y < copyHeight) {
            std::memcpy(out, sourceRow(bitmap, y), size_t(copyWidth) * 3);
            from = copyWidth;
        }
        for (int x = from; x < m_width; ++x)
            std::memcpy(out + 3 * x, fill, 3);
    }
}
