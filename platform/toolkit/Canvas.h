// A drawing surface on a bitmap: brush fills, pixel access, block copies and
// nearest-pixel stretching of graphics.
#pragma once

#include "Types.h"

class TBitmap;
class TGraphic;

struct TBrush {
    TColor Color = clWhite;
};

class TCanvas {
public:
    explicit TCanvas(TBitmap& bitmap) : m_bitmap(bitmap) {}

    TBrush Brush;

    TBitmap& Bitmap() { return m_bitmap; }
    // Fills rect (clipped to the bitmap) with the brush colour.
    void FillRect(const TRect& rect);
    // Copies source's sourceRect onto dest, stretching by nearest pixel when the
    // sizes differ.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Draws a graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);
    // Draws a graphic stretched onto rect.
    void StretchDraw(const TRect& rect, TGraphic& graphic);

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

private:
    TBitmap& m_bitmap;
};
