#include "WindowCanvas.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "Controls.h"
#include "PixelRows.h"

#include <cstring>
#include <vector>

void TWindowCanvas::CopyTo(TCanvas& dest, const TRect& rect) const
{
    TBitmap& bitmap = dest.Bitmap();
    const TSurface surface = m_window.Surface();
    const TRect area = IntersectRect(IntersectRect(rect, Rect(0, 0, surface.width, surface.height)),
                                     Rect(0, 0, bitmap.Width(), bitmap.Height()));
    if (area.IsEmpty() || !surface.pixels)
        return;
    const bool direct = bitmap.PixelFormat() == pfDevice || bitmap.PixelFormat() == pf32bit;
    std::vector<uint8_t> row(direct ? 0 : size_t(bitmap.Width()) * 4);
    pixel_rows::IndexMatcher matcher(bitmap.Palette());
    for (int y = area.Top; y < area.Bottom; ++y) {
        const uint8_t* from = reinterpret_cast<const uint8_t*>(surface.pixels) + ptrdiff_t(y) * surface.stride;
        if (direct) {
            std::memcpy(bitmap.ScanLine(y) + area.Left * 4, from + area.Left * 4, size_t(area.Width()) * 4);
            continue;
        }
        pixel_rows::ReadRow(bitmap.PixelFormat(), bitmap.ScanLine(y), bitmap.Width(), bitmap.Palette(), row.data());
        std::memcpy(row.data() + area.Left * 4, from + area.Left * 4, size_t(area.Width()) * 4);
        pixel_rows::WriteRow(bitmap.PixelFormat(), row.data(), bitmap.Width(), matcher, bitmap.ScanLine(y));
    }
}
