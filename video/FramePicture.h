// One recorded bitmap, of any pixel format, as the 32-bit picture an encoder takes:
// rows top-down, bytes blue, green, red, alpha. The picture may be larger than the
// frame (even sizes for 4:2:0 video): the extra columns and rows repeat the edge.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;

struct PictureShape {
    int width;          // the frame
    int height;
    int paddedWidth;    // the picture handed to the encoder
    int paddedHeight;
    bool stretch;       // nearest-pixel scaling of other sizes, else drawn at (0, 0)
    TColor transparent; // pixels of this colour become clear; clNone for none
};

// True when the bitmap carries transparency: 32-bit pixels whose alpha is not the
// same everywhere, or pixels of the transparent colour.
bool BitmapHasAlpha(const TBitmap& bitmap, TColor transparent);

class FramePicture {
public:
    explicit FramePicture(const PictureShape& shape);

    // Draws the bitmap; an empty bitmap keeps the previous picture. Returns the rows.
    const uint8_t* Compose(const TBitmap& bitmap);
    int Stride() const { return m_shape.paddedWidth * 4; }

private:
    uint8_t* row(int y) { return m_pixels.data() + size_t(y) * size_t(Stride()); }
    void readSource(const TBitmap& bitmap, int y);
    void finishAlpha(uint8_t* out, bool sourceAlpha);
    bool copyDirect(const TBitmap& bitmap, bool sourceAlpha);

    PictureShape m_shape;
    std::vector<uint8_t> m_pixels;
    std::vector<uint8_t> m_source;
};
