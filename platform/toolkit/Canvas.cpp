#include "Canvas.h"

#include "Bitmap.h"
#include "Graphic.h"
#include "PixelRows.h"

#include <algorithm>
#include <vector>

void TCanvas::FillRect(const TRect& rect)
{
    TRect r = IntersectRect(rect, Rect(0, 0, m_bitmap.Width(), m_bitmap.Height()));
    if (r.IsEmpty())
        return;
    TColor c = ColorToRGB(Brush.Color);
    const uint8_t fill[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    std::vector<uint8_t> row(static_cast<size_t>(m_bitmap.Width()) * 4);
    pixel_rows::IndexMatcher matcher(m_bitmap.Palette());
    for (int y = r.Top; y < r.Bottom; ++y) {
        pixel_rows::ReadRow(m_bitmap.PixelFormat(), m_bitmap.ScanLine(y), m_bitmap.Width(), m_bitmap.Palette(), row.data());
        for (int x = r.Left; x < r.Right; ++x)
            std::copy_n(fill, 4, &row[4 * x]);
        pixel_rows::WriteRow(m_bitmap.PixelFormat(), row.data(), m_bitmap.Width(), matcher, m_bitmap.ScanLine(y));
    }
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    TBitmap& src = source.Bitmap();
    int dw = dest.Width(), dh = dest.Height();
    int sw = sourceRect.Width(), sh = sourceRect.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || src.Empty() || m_bitmap.Empty())
        return;
    TRect clip = IntersectRect(dest, Rect(0, 0, m_bitmap.Width(), m_bitmap.Height()));
    if (clip.IsEmpty())
        return;

    // Source rows are read whole (once per distinct source row), then sampled by
    // nearest pixel: destination column x takes source column sx0 + (x - left) * sw / dw.
    std::vector<uint8_t> srcRow(static_cast<size_t>(src.Width()) * 4);
    std::vector<uint8_t> dstRow(static_cast<size_t>(m_bitmap.Width()) * 4);
    std::vector<int> columns(static_cast<size_t>(clip.Width()));
    for (int x = clip.Left; x < clip.Right; ++x)
        columns[x - clip.Left] = sourceRect.Left + static_cast<int>(int64_t(x - dest.Left) * sw / dw);
    pixel_rows::IndexMatcher matcher(m_bitmap.Palette());
    int loadedRow = -1;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        int sy = sourceRect.Top + static_cast<int>(int64_t(y - dest.Top) * sh / dh);
        if (sy < 0 || sy >= src.Height())
            continue;
        if (sy != loadedRow) {
            pixel_rows::ReadRow(src.PixelFormat(), src.ScanLine(sy), src.Width(), src.Palette(), srcRow.data());
            loadedRow = sy;
        }
        pixel_rows::ReadRow(m_bitmap.PixelFormat(), m_bitmap.ScanLine(y), m_bitmap.Width(), m_bitmap.Palette(), dstRow.data());
        for (int x = clip.Left; x < clip.Right; ++x) {
            int sx = columns[x - clip.Left];
            if (sx < 0 || sx >= src.Width())
                continue;
            std::copy_n(&srcRow[4 * sx], 4, &dstRow[4 * x]);
        }
        pixel_rows::WriteRow(m_bitmap.PixelFormat(), dstRow.data(), m_bitmap.Width(), matcher, m_bitmap.ScanLine(y));
    }
}

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    StretchDraw(Bounds(x, y, graphic.Width(), graphic.Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic)
{
    if (!graphic.Empty())
        graphic.Draw(*this, rect);
}

TColor TCanvas::Pixel(int x, int y) const { return m_bitmap.GetPixel(x, y); }

void TCanvas::SetPixel(int x, int y, TColor color) { m_bitmap.SetPixel(x, y, color); }
