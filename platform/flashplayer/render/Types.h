// Value types of the renderer's interface: matrices, colour transforms, colours, the
// target surface and the modes a frame is drawn with. No backend type appears here,
// so the player can hold and combine them without knowing how pixels are made.
#pragma once

#include <algorithm>
#include <cstdint>

namespace render {

// An affine matrix as SWF stores it: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
// Character matrices map twips to twips; the stage-to-surface matrix maps stage twips
// to surface pixels.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

    // The matrix that applies `inner` first and then this one (this * inner).
    Matrix operator*(const Matrix& inner) const
    {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,
                a * inner.c + c * inner.d, b * inner.c + d * inner.d,
                a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    double mapX(double x, double y) const { return a * x + c * y + tx; }
    double mapY(double x, double y) const { return b * x + d * y + ty; }
    bool operator==(const Matrix&) const = default;
};

// A straight (not premultiplied) colour, as SWF records hold them.
struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// SWF's colour transform: each channel becomes clamp(value * mult + add, 0, 255), with
// the multipliers as the file's 8.8 fixed-point values divided by 256 and the add terms
// in channel units (-255..255 after clamping). Applies to every colour of a drawing:
// solid fills, gradient stops, bitmap and video pixels, glyph colours.
struct ColorTransform {
    float rMul = 1, gMul = 1, bMul = 1, aMul = 1;
    float rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const
    {
        return rMul == 1 && gMul == 1 && bMul == 1 && aMul == 1 && rAdd == 0 && gAdd == 0 &&
               bAdd == 0 && aAdd == 0;
    }
    // True when only alpha is scaled: such a transform is a plain opacity.
    bool isAlphaOnly() const
    {
        return rMul == 1 && gMul == 1 && bMul == 1 && rAdd == 0 && gAdd == 0 && bAdd == 0 &&
               aAdd == 0;
    }
    static uint8_t channel(int value, float mul, float add)
    {
        const float v = value * mul + add;
        return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
    }
    Rgba apply(Rgba c) const
    {
        return {channel(c.r, rMul, rAdd), channel(c.g, gMul, gAdd), channel(c.b, bMul, bAdd),
                channel(c.a, aMul, aAdd)};
    }
    // The transform that applies `inner` first and then this one, as nested display
    // objects combine their transforms.
    ColorTransform operator*(const ColorTransform& inner) const
    {
        return {rMul * inner.rMul, gMul * inner.gMul, bMul * inner.bMul, aMul * inner.aMul,
                rMul * inner.rAdd + rAdd, gMul * inner.gAdd + gAdd, bMul * inner.bAdd + bAdd,
                aMul * inner.aAdd + aAdd};
    }
    bool operator==(const ColorTransform&) const = default;
};

// A rectangle of whole pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Caller-owned 32-bit pixels: bytes blue, green, red, alpha, premultiplied alpha
// (QImage::Format_ARGB32_Premultiplied on a little-endian machine), rows `stride`
// bytes apart. The renderer draws into them in place, without a copy.
struct Surface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Read-only premultiplied ARGB32 pixels (bitmaps, video frames).
struct ImageView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Drawing quality: Low draws without anti-aliasing and without bitmap smoothing;
// Medium anti-aliases shapes but does not smooth bitmaps; High and Best do both.
enum class Quality { Low, Medium, High, Best };

// The blend modes of SWF 8 with their file values (PlaceObject3's BlendMode byte;
// 0 and 1 both mean normal).
enum class BlendMode : uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// Maps a file's blend byte to the mode; unknown values draw as normal.
inline BlendMode blendModeFromByte(uint8_t value)
{
    return (value >= 2 && value <= 14) ? static_cast<BlendMode>(value) : BlendMode::Normal;
}

}  // namespace render
