// The frame canvas: one 24-bit picture of the output size (rows bottom-up, padded
// like a DIB) onto which each bitmap is composed before it is stored. It lives for a
// whole write, so an empty bitmap repeats the previous frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;

class FrameCanvas {
public:
    FrameCanvas(int width, int height);

    // Stretch: nearest-pixel scaling to the canvas size (columns and rows dropped or
    // repeated, never averaged). Otherwise the canvas takes the colour of the
    // bitmap's top-left pixel and the bitmap is drawn unscaled at (0, 0).
    // Returns the frame's 24-bit rows: the canvas, or the bitmap's own store when it
    // already is exactly the frame (it stays valid while the bitmap is unchanged).
    const uint8_t* Compose(const TBitmap& bitmap, bool stretch);

private:
    uint8_t* row(int y) { return m_bits.data() + size_t(m_height - 1 - y) * m_rowBytes; }
    // Source row y (top-down) as blue, green, red bytes.
    const uint8_t* sourceRow(const TBitmap& bitmap, int y);
    void stretch(const TBitmap& bitmap);
    void unscaled(const TBitmap& bitmap);

    int m_width;
    int m_height;
    uint32_t m_rowBytes;
    std::vector<uint8_t> m_bits;
    const uint8_t* m_last;
    std::vector<uint8_t> m_quads;
    std::vector<uint8_t> m_source;
    std::vector<int> m_columns;
};
